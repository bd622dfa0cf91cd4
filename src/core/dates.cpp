#include "dates.h"

#include <QLocale>
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

QDate addMonthsClamped(QDate date, int months)
{
    // QDate::addMonths keeps the day where it can and otherwise takes the month's last day.
    return date.addMonths(months);
}

QDate addYearsClamped(QDate date, int years)
{
    return date.addYears(years);
}
