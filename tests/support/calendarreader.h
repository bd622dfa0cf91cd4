#pragma once
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <optional>

// Calendar files read back with an independent reader: Debian's python3-icalendar, run with
// /usr/bin/python3. Its events come back as JSON, moments as UTC text (2026-03-07T15:00:00Z).
namespace calendarreader {

// Why the reader cannot run here (for a QSKIP), or nothing when it can.
inline std::optional<QString> missing()
{
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
        return QStringLiteral("/usr/bin/python3 is not installed; the calendar file is not read back.");
    QProcess probe;
    probe.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import icalendar")});
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        return QStringLiteral("python3-icalendar is not installed; the calendar file is not read back.");
    return std::nullopt;
}

inline const char *script = R"(
import json, sys, datetime
from icalendar import Calendar
with open(sys.argv[1], 'rb') as f:
    cal = Calendar.from_ical(f.read())
for part in cal.walk():
    assert not part.errors, part.errors
def moment(prop):
    dt = cal_event.decoded(prop)
    assert dt.tzinfo is not None and dt.utcoffset() == datetime.timedelta(0), prop
    return dt.strftime('%Y-%m-%dT%H:%M:%SZ')
events = []
for cal_event in cal.walk('VEVENT'):
    events.append({
        'uid': str(cal_event['UID']),
        'dtstamp': moment('DTSTAMP'),
        'dtstart': moment('DTSTART'),
        'dtend': moment('DTEND'),
        'summary': str(cal_event['SUMMARY']),
        'sequence': int(cal_event.decoded('SEQUENCE')),
        'status': str(cal_event.get('STATUS', '')),
    })
print(json.dumps({'version': str(cal['VERSION']), 'prodid': str(cal['PRODID']), 'events': events}))
)";

// The file as {version, prodid, events: [{uid, dtstamp, dtstart, dtend, summary, sequence,
// status}]}; on failure an empty object, with the reader's complaint in `error`.
inline QJsonObject read(const QString &path, QString *error)
{
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    if (!reader.waitForFinished(30000) || reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0) {
        *error = QString::fromLocal8Bit(reader.readAllStandardError());
        return {};
    }
    QJsonParseError parse;
    const QJsonObject calendar = QJsonDocument::fromJson(reader.readAllStandardOutput(), &parse).object();
    if (parse.error != QJsonParseError::NoError)
        *error = parse.errorString();
    return calendar;
}

} // namespace calendarreader
