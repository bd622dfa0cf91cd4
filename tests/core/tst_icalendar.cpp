#include "calendarreader.h"
#include "icalendar.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QList<QByteArray> physicalLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines)
        line.chop(1); // the CR before the LF; checked separately
    return lines;
}

QByteArray unfolded(const QByteArray &bytes)
{
    return QByteArray(bytes).replace("\r\n ", "");
}

bool validUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

// Every line ends in CRLF, no line is longer than 75 octets, each is whole UTF-8 on its own,
// and every continuation starts with the one space of its fold.
void checkLines(const QByteArray &bytes)
{
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    for (const QByteArray &line : physicalLines(bytes)) {
        QVERIFY2(line.size() <= 75, line.constData());
        QVERIFY2(validUtf8(line), line.toHex().constData());
    }
}

// The salon's wall-clock time as a moment, by the test's own zone rules (CTest sets TZ).
QDateTime wallClock(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime).toUTC();
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

} // namespace

class TestICalendar : public QObject
{
    Q_OBJECT

private slots:
    void foldsAtSeventyFiveOctets_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QList<int>>("lengths"); // octets of each physical line, fold space included

        const QByteArray a74(74, 'a'), a73(73, 'a'), a75(75, 'a');
        QTest::newRow("75 octets stay on one line") << a75 << QList<int>{75};
        QTest::newRow("76 octets fold after 75") << a75 + "b" << QList<int>{75, 2};
        QTest::newRow("empty") << QByteArray() << QList<int>{0};
        // é is two octets, € three, 𝄞 four: when one would end past the 75th octet it moves
        // whole to the next line.
        QTest::newRow("2 octets across the boundary") << a74 + "é" << QList<int>{74, 3};
        QTest::newRow("2 octets ending on it") << a73 + "é" << QList<int>{75};
        QTest::newRow("2 octets ending on it, more after") << a73 + "éx" << QList<int>{75, 2};
        QTest::newRow("3 octets across, 1 before") << a74 + "€" << QList<int>{74, 4};
        QTest::newRow("3 octets across, 2 before") << a73 + "€" << QList<int>{73, 4};
        QTest::newRow("4 octets across, 3 before") << QByteArray(72, 'a') + "𝄞" << QList<int>{72, 5};
        QTest::newRow("4 octets across, 1 before") << a74 + "𝄞" << QList<int>{74, 5};
        // Continuation lines hold 74 octets after their space.
        QTest::newRow("three lines") << QByteArray(75 + 74 + 1, 'a') << QList<int>{75, 75, 2};
        QTest::newRow("across the second boundary")
            << a75 + QByteArray(73, 'a') + "€" << QList<int>{75, 74, 4};
        QString manyEuros;
        for (int i = 0; i < 60; ++i)
            manyEuros += QChar(0x20AC);
        QTest::newRow("only three-octet characters") << manyEuros.toUtf8() << QList<int>{75, 73, 34};
    }
    void foldsAtSeventyFiveOctets()
    {
        QFETCH(QByteArray, line);
        QFETCH(QList<int>, lengths);
        const QByteArray folded = iCalendarLine(line);
        checkLines(folded);
        QList<int> actual;
        for (const QByteArray &physical : physicalLines(folded))
            actual << int(physical.size());
        QCOMPARE(actual, lengths);
        for (const QByteArray &continuation : physicalLines(folded).mid(1))
            QVERIFY(continuation.startsWith(' ') && continuation.size() > 1);
        QCOMPARE(unfolded(folded), line + "\r\n");
    }

    void escapesText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Ann Lee" << "Ann Lee";
        QTest::newRow("backslash") << R"(a\b)" << R"(a\\b)";
        QTest::newRow("semicolon") << "a;b" << R"(a\;b)";
        QTest::newRow("comma") << "Lee, Ann" << R"(Lee\, Ann)";
        QTest::newRow("line feed") << "a\nb" << R"(a\nb)";
        QTest::newRow("CRLF is one break") << "a\r\nb" << R"(a\nb)";
        QTest::newRow("lone CR") << "a\rb" << R"(a\nb)";
        QTest::newRow("two breaks") << "a\n\nb" << R"(a\n\nb)";
        QTest::newRow("escape that looks escaped") << R"(\n)" << R"(\\n)";
        QTest::newRow("colon and quote stay") << R"(9:30 "gel")" << R"(9:30 "gel")";
        QTest::newRow("tab stays") << "a\tb" << "a\tb";
        QTest::newRow("other controls dropped") << QStringLiteral("a\x01" "b\x7F" "c") << "abc";
        QTest::newRow("non-ASCII stays") << "Zoë Åström, 美甲" << R"(Zoë Åström\, 美甲)";
    }
    void escapesText()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(iCalendarText(text), expected);
    }

    void mapsStatus_data()
    {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("calendar");
        QTest::newRow("booked") << "booked" << "CONFIRMED";
        QTest::newRow("arrived") << "arrived" << "CONFIRMED";
        QTest::newRow("done") << "done" << "CONFIRMED";
        QTest::newRow("cancelled") << "cancelled" << "CANCELLED";
        QTest::newRow("no-show") << "no-show" << "CANCELLED";
        QTest::newRow("unknown") << "pending" << "";
        QTest::newRow("empty") << "" << "";
    }
    void mapsStatus()
    {
        QFETCH(QString, book);
        QFETCH(QString, calendar);
        QCOMPARE(iCalendarStatus(book), calendar);
        CalendarEvent event{QStringLiteral("u1"), utc(2026, 3, 1, 9, 0), utc(2026, 3, 2, 15, 0), 30,
                            QStringLiteral("Ann"), 0, book};
        const QByteArray bytes = iCalendarBytes({event});
        QCOMPARE(bytes.contains("\r\nSTATUS:"), !calendar.isEmpty());
        if (!calendar.isEmpty())
            QVERIFY(bytes.contains("\r\nSTATUS:" + calendar.toLatin1() + "\r\n"));
    }

    // The whole file of one event, to the octet: order of the properties, UTC with Z, the
    // end from the length alone, the seconds of the change kept.
    void writesOneEvent()
    {
        const CalendarEvent event{QStringLiteral("7f3a"), utc(2026, 3, 1, 18, 4, 59), utc(2026, 3, 9, 14, 0), 45,
                                  QStringLiteral("Ann Lee: Manicure, Gel polish"), 3, QStringLiteral("booked")};
        QCOMPARE(iCalendarBytes({event}),
                 QByteArray("BEGIN:VCALENDAR\r\n"
                            "VERSION:2.0\r\n"
                            "PRODID:-//Velorine//Appointments//EN\r\n"
                            "BEGIN:VEVENT\r\n"
                            "UID:7f3a@velorine\r\n"
                            "DTSTAMP:20260301T180459Z\r\n"
                            "DTSTART:20260309T140000Z\r\n"
                            "DTEND:20260309T144500Z\r\n"
                            "SUMMARY:Ann Lee: Manicure\\, Gel polish\r\n"
                            "SEQUENCE:3\r\n"
                            "STATUS:CONFIRMED\r\n"
                            "END:VEVENT\r\n"
                            "END:VCALENDAR\r\n"));
        QCOMPARE(iCalendarBytes({}),
                 QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velorine//Appointments//EN\r\nEND:VCALENDAR\r\n"));
    }

    // The zone rules the read-back relies on: the test runs where the clocks go forward on
    // 8 March 2026 and back on 1 November 2026.
    void testZoneHasDaylightSaving()
    {
        QCOMPARE(qEnvironmentVariable("TZ"), QStringLiteral("EST5EDT,M3.2.0,M11.1.0"));
        QCOMPARE(wallClock(2026, 3, 7, 10, 0), utc(2026, 3, 7, 15, 0));
        QCOMPARE(wallClock(2026, 3, 9, 10, 0), utc(2026, 3, 9, 14, 0));
    }

    // An independent reader takes back every field, across both changes of the clocks.
    void readsBackWithAnotherReader()
    {
        if (const auto why = calendarreader::missing())
            QSKIP(qPrintable(*why));

        const QString longSummary = QStringLiteral("Zoë Åström-Ñúñez; Pedicure, Gel polish, Nail art (€ 45) 美甲 "
                                                   "\"deluxe\"\nNotes: back\\side, 2nd line 𝄞 and more text to fold");
        struct Expected
        {
            CalendarEvent event;
            const char *start;
            const char *end;
            const char *status;
        };
        const QList<Expected> cases{
            {{QStringLiteral("a-1"), utc(2026, 3, 1, 12, 0), wallClock(2026, 3, 7, 10, 0), 60,
              QStringLiteral("Ann Lee: Manicure"), 0, QStringLiteral("booked")},
             "2026-03-07T15:00:00Z", "2026-03-07T16:00:00Z", "CONFIRMED"},
            {{QStringLiteral("a-2"), utc(2026, 3, 2, 8, 30, 15), wallClock(2026, 3, 9, 10, 0), 90, longSummary, 7,
              QStringLiteral("arrived")},
             "2026-03-09T14:00:00Z", "2026-03-09T15:30:00Z", "CONFIRMED"},
            // Runs over the skipped hour: an hour in the book ends at 03:30 on the wall.
            {{QStringLiteral("a-3"), utc(2026, 3, 7, 23, 59, 59), wallClock(2026, 3, 8, 1, 30), 60,
              QStringLiteral("Late, late;\r\nshow"), 2, QStringLiteral("cancelled")},
             "2026-03-08T06:30:00Z", "2026-03-08T07:30:00Z", "CANCELLED"},
            {{QStringLiteral("a-4"), utc(2026, 10, 30, 9, 0), wallClock(2026, 10, 31, 10, 0), 5,
              QStringLiteral("Bo"), 1, QStringLiteral("done")},
             "2026-10-31T14:00:00Z", "2026-10-31T14:05:00Z", "CONFIRMED"},
            {{QStringLiteral("a-5"), utc(2026, 10, 30, 9, 1), wallClock(2026, 11, 2, 10, 0), 720,
              QStringLiteral("Cy: Colour, Cut"), 12, QStringLiteral("no-show")},
             "2026-11-02T15:00:00Z", "2026-11-03T03:00:00Z", "CANCELLED"},
        };
        QList<CalendarEvent> events;
        for (const Expected &c : cases)
            events << c.event;
        const QByteArray bytes = iCalendarBytes(events);
        checkLines(bytes);
        QVERIFY(bytes.contains("\r\n ")); // the long summary was folded

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("technician-1.ics")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();

        QString error;
        const QJsonObject calendar = calendarreader::read(file.fileName(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(calendar.value(QStringLiteral("version")).toString(), QStringLiteral("2.0"));
        QCOMPARE(calendar.value(QStringLiteral("prodid")).toString(), QStringLiteral("-//Velorine//Appointments//EN"));
        const QJsonArray read = calendar.value(QStringLiteral("events")).toArray();
        QCOMPARE(read.size(), cases.size());
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const Expected &c = cases[i];
            const QJsonObject e = read[i].toObject();
            QCOMPARE(e.value(QStringLiteral("uid")).toString(), c.event.uid + QStringLiteral("@velorine"));
            QCOMPARE(e.value(QStringLiteral("dtstamp")).toString(), c.event.changed.toString(Qt::ISODate));
            QCOMPARE(e.value(QStringLiteral("dtstart")).toString(), QString::fromLatin1(c.start));
            QCOMPARE(e.value(QStringLiteral("dtend")).toString(), QString::fromLatin1(c.end));
            // The reader gives every line break back as LF.
            QCOMPARE(e.value(QStringLiteral("summary")).toString(),
                     QString(c.event.summary).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            QCOMPARE(e.value(QStringLiteral("sequence")).toInt(), c.event.sequence);
            QCOMPARE(e.value(QStringLiteral("status")).toString(), QString::fromLatin1(c.status));
        }
    }
};

QTEST_GUILESS_MAIN(TestICalendar)
#include "tst_icalendar.moc"
