#include "dates.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

QString mdyText(QDate date)
{
    return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year());
}

QDate fromMdyText(const QString &text)
{
    const QStringList parts = text.trimmed().split(u'/');
    if (parts.size() != 3)
        return {};
    bool okMonth = false, okDay = false, okYear = false;
    const int month = parts[0].toInt(&okMonth);
    const int day = parts[1].toInt(&okDay);
    const int year = parts[2].toInt(&okYear);
    if (!okMonth || !okDay || !okYear)
        return {};
    return QDate(year, month, day);
}

QDate fromIsoDateText(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    if (!form.match(text).hasMatch())
        return {};
    return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

std::optional<QDate> storedTextDate(const QString &text)
{
    // ASCII digits only, and nothing after the year (not even a line break).
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{1,2})/([0-9]{1,2})/([0-9]{4})")));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(3).toInt(), match.captured(1).toInt(), match.captured(2).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString shortDateFormat()
{
    // Some locales' short form has a two-digit year; a salon's books span decades, so keep four.
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString shortDateText(QDate date)
{
    return QLocale().toString(date, shortDateFormat());
}

namespace {

// The latest year up to `today`'s whose last two digits are `twoDigits`.
int yearEndingIn(int twoDigits, QDate today)
{
    const int thisYear = today.year();
    const int year = thisYear - thisYear % 100 + twoDigits;
    return year > thisYear ? year - 100 : year;
}

} // namespace

QDate fromShortDateText(const QString &text, QDate today)
{
    const QString trimmed = text.trimmed();
    const QLocale locale;
    // The short form read leniently: one or two digits of day and month (3/5 as well as 03/05),
    // four digits of year or two.
    QString lenient = shortDateFormat();
    if (!lenient.contains(QLatin1String("ddd")) && !lenient.contains(QLatin1String("MMM")))
        lenient.replace(QLatin1String("dd"), QLatin1String("d")).replace(QLatin1String("MM"), QLatin1String("M"));
    QString twoDigitYear = lenient;
    twoDigitYear.replace(QLatin1String("yyyy"), QLatin1String("yy"));
    for (const QString &format : {lenient, twoDigitYear, locale.dateFormat(QLocale::LongFormat), QStringLiteral("yyyy-MM-dd")}) {
        const QDate date = locale.toDate(trimmed, format);
        if (!date.isValid())
            continue;
        // A "yy" form reads 19xx.
        if (!format.contains(QLatin1String("yyyy")))
            return QDate(yearEndingIn(date.year() % 100, today), date.month(), date.day());
        return date;
    }
    return {};
}

QString textDateShown(const QString &stored)
{
    const auto date = storedTextDate(stored);
    return date ? shortDateText(*date) : stored;
}

QString textDateToStore(const QString &typed, QDate today)
{
    const QDate date = fromShortDateText(typed, today);
    return date.isValid() ? mdyText(date) : typed;
}

QString longDateText(QDate date)
{
    return QLocale().toString(date, QLocale::LongFormat);
}

QString generalDateText(const QDateTime &moment)
{
    if (moment.time() == QTime(0, 0))
        return shortDateText(moment.date());
    // The locale's short time, with seconds (its long form would add the time zone).
    QString timeFormat = QLocale().timeFormat(QLocale::ShortFormat);
    if (!timeFormat.contains(QLatin1String("ss")))
        timeFormat.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    return shortDateText(moment.date()) + u' ' + QLocale().toString(moment.time(), timeFormat);
}

QString shortTimeText(QTime time)
{
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    format.remove(QLatin1String(":ss"));
    return QLocale().toString(time, format);
}

QDateTime fromGeneralDateText(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QDate alone = fromShortDateText(trimmed);
    if (alone.isValid())
        return QDateTime(alone, QTime(0, 0));
    // A date, a blank, then the time in the locale's short or long form, with or without seconds.
    const qsizetype blank = trimmed.indexOf(u' ');
    if (blank < 0)
        return {};
    const QDate date = fromShortDateText(trimmed.left(blank));
    if (!date.isValid())
        return {};
    const QString timeText = trimmed.mid(blank + 1).trimmed();
    const QLocale locale;
    QString withSeconds = locale.timeFormat(QLocale::ShortFormat);
    if (!withSeconds.contains(QLatin1String("ss")))
        withSeconds.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    for (const QString &format : {withSeconds, locale.timeFormat(QLocale::ShortFormat), QStringLiteral("HH:mm:ss"),
                                  QStringLiteral("HH:mm")}) {
        const QTime time = locale.toTime(timeText, format);
        if (time.isValid())
            return QDateTime(date, time);
    }
    return {};
}

QDate addMonthsClamped(QDate date, int months)
{
    // QDate::addMonths keeps the day where it can and otherwise takes the month's last day.
    return date.addMonths(months);
}

QDate addYearsClamped(QDate date, int years)
{
    return date.addYears(years);
}
