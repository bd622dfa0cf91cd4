#include "wallclock.h"

#include <algorithm>

std::optional<QDateTime> wallClockToUtc(QDate date, QTime time)
{
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    // The offsets that can hold on that day are the ones before and after a change of the
    // clocks; each that turns the time back into itself names a moment it means.
    const QDateTime naive(date, time, Qt::UTC);
    int offsets[] = {QDateTime(date.addDays(-1), QTime(12, 0), Qt::LocalTime).offsetFromUtc(),
                     QDateTime(date.addDays(1), QTime(12, 0), Qt::LocalTime).offsetFromUtc(),
                     QDateTime(date, time, Qt::LocalTime).offsetFromUtc()};
    std::optional<QDateTime> latest;
    for (const int offset : offsets) {
        const QDateTime utc = naive.addSecs(-offset);
        const QDateTime local = utc.toLocalTime();
        if (local.date() == date && local.time() == time && (!latest || utc > *latest))
            latest = utc;
    }
    return latest;
}
