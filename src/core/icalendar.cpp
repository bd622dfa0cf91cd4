#include "icalendar.h"

namespace {

constexpr qsizetype maxLineOctets = 75;

bool isContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

QByteArray utcText(const QDateTime &moment)
{
    return moment.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
}

QByteArray property(const char *name, const QString &value)
{
    return iCalendarLine(QByteArray(name) + ':' + value.toUtf8());
}

} // namespace

QByteArray iCalendarLine(const QByteArray &line)
{
    QByteArray folded;
    folded.reserve(line.size() + line.size() / (maxLineOctets - 1) * 3 + 2);
    qsizetype from = 0;
    // A continuation line starts with the space of its fold, which counts towards its 75.
    qsizetype room = maxLineOctets;
    while (line.size() - from > room) {
        qsizetype cut = from + room;
        while (cut > from && isContinuationByte(line[cut]))
            --cut;
        if (cut == from) // not UTF-8 at all: cut where the room ends
            cut = from + room;
        folded += line.mid(from, cut - from);
        folded += "\r\n ";
        from = cut;
        room = maxLineOctets - 1;
    }
    folded += line.mid(from);
    folded += "\r\n";
    return folded;
}

QString iCalendarText(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' || c == u';' || c == u',') {
            escaped += u'\\';
            escaped += c;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            escaped += QLatin1String("\\n");
        } else if (c == u'\t' || (c.unicode() >= 0x20 && c.unicode() != 0x7F)) {
            escaped += c;
        }
    }
    return escaped;
}

QString iCalendarStatus(const QString &bookStatus)
{
    const QString status = bookStatus.trimmed().toLower();
    if (status == QLatin1String("booked") || status == QLatin1String("arrived") || status == QLatin1String("done"))
        return QStringLiteral("CONFIRMED");
    if (status == QLatin1String("cancelled") || status == QLatin1String("no-show"))
        return QStringLiteral("CANCELLED");
    return {};
}

QByteArray iCalendarBytes(const QList<CalendarEvent> &events)
{
    QByteArray bytes;
    bytes += iCalendarLine("BEGIN:VCALENDAR");
    bytes += iCalendarLine("VERSION:2.0");
    bytes += iCalendarLine("PRODID:-//Velorine//Appointments//EN");
    for (const CalendarEvent &event : events) {
        bytes += iCalendarLine("BEGIN:VEVENT");
        bytes += property("UID", iCalendarText(event.uid + QStringLiteral("@velorine")));
        bytes += iCalendarLine("DTSTAMP:" + utcText(event.changed));
        bytes += iCalendarLine("DTSTART:" + utcText(event.start));
        bytes += iCalendarLine("DTEND:" + utcText(event.start.addSecs(qint64(event.minutes) * 60)));
        bytes += property("SUMMARY", iCalendarText(event.summary));
        bytes += iCalendarLine("SEQUENCE:" + QByteArray::number(event.sequence));
        const QString status = iCalendarStatus(event.status);
        if (!status.isEmpty())
            bytes += property("STATUS", status);
        bytes += iCalendarLine("END:VEVENT");
    }
    bytes += iCalendarLine("END:VCALENDAR");
    return bytes;
}
