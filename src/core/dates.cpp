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

QDate fromShortDateText(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QLocale locale;
    for (const QString &format : {shortDateFormat(), locale.dateFormat(QLocale::ShortFormat),
                                  locale.dateFormat(QLocale::LongFormat), QStringLiteral("yyyy-MM-dd")}) {
        QDate date = locale.toDate(trimmed, format);
        // A two-digit year reads as 19xx; the salon's books are of this century.
        if (date.isValid() && !format.contains(QLatin1String("yyyy")) && date.year() < 1950)
            date = date.addYears(100);
        if (date.isValid())
            return date;
    }
    return {};
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
