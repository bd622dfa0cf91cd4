#include "reportbench.h"

#include "salesreport.h"
#include "screens.h"

#include <QSqlQuery>
#include <cstdio>
#include <functional>

namespace {

bool line(const char *what, const Timing &timing, qint64 rows, double goalMs)
{
    const bool ok = timing.firstMs <= goalMs;
    std::printf("%-45s first %7.1f ms  best %7.1f ms  %8lld rows  goal %6.0f ms  %s\n", what, timing.firstMs,
                timing.bestMs, rows, goalMs, ok ? "ok" : "OVER");
    return ok;
}

// The generated journal's first day; its next year is the first one it covers whole.
QDate firstDay(QSqlDatabase db)
{
    QSqlQuery query(db);
    query.exec(QStringLiteral("SELECT min(ServiceDate) FROM [Service Records]"));
    return query.next() ? QDate::fromString(query.value(0).toString().left(10), Qt::ISODate) : QDate();
}

} // namespace

bool benchReports(QSqlDatabase db, double yearGoalMs, double dayGoalMs, double memoryGoalMb)
{
    const QDate first = firstDay(db);
    if (!first.isValid()) {
        std::printf("reports: the journal is empty; no report lines\n");
        return true;
    }
    const int year = first.year() + 1;
    const salon::ReportPeriod yearPeriod{QDate(year, 1, 1), QDate(year, 12, 31), std::nullopt};
    const QDate day(year, 6, 15);
    const salon::ReportPeriod dayPeriod{day, day, std::nullopt};

    salon::GroupReport held;
    const Timing yearTiming = timeRuns(3, [&] {
        held = salon::groupReport(db, salon::ReportGrouping::TechnicianService, yearPeriod);
    });
    qint64 dayRows = 0;
    const Timing dayTiming = timeRuns(3, [&] { dayRows = qint64(salon::daySheet(db, dayPeriod).lines.size()); });

    const QByteArray yearName = QStringLiteral("year report by technician x service (%1)").arg(year).toUtf8();
    const QByteArray dayName = QStringLiteral("day sheet (%1)").arg(day.toString(Qt::ISODate)).toUtf8();
    bool ok = line(yearName.constData(), yearTiming, held.total.lines, yearGoalMs);
    ok = line(dayName.constData(), dayTiming, dayRows, dayGoalMs) && ok;
    const double memory = residentMb();
    const bool memoryOk = memory <= memoryGoalMb;
    std::printf("%-45s resident %6.1f MB  (%zu groups)  goal %4.0f MB  %s\n", "with the year report held", memory,
                held.groups.size(), memoryGoalMb, memoryOk ? "ok" : "OVER");
    return ok && memoryOk;
}
