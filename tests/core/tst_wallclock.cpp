#include "wallclock.h"

#include <QtTest>

// Wall-clock times of the salon turned into UTC with the desk's zone rules (CTest sets
// TZ=EST5EDT,M3.2.0,M11.1.0: 2026-03-08 02:00-02:59 does not exist, 2026-11-01 01:00-01:59
// comes twice).
class TestWallClock : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(qgetenv("TZ"), QByteArray("EST5EDT,M3.2.0,M11.1.0"));
    }

    void toUtc_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("utc");   // empty: the time does not exist
        const QDate spring(2026, 3, 8);
        const QDate autumn(2026, 11, 1);
        QTest::newRow("winter") << QDate(2026, 1, 15) << QTime(9, 30) << "2026-01-15T14:30:00Z";
        QTest::newRow("summer") << QDate(2026, 7, 1) << QTime(9, 30) << "2026-07-01T13:30:00Z";
        QTest::newRow("before the clocks go forward") << spring << QTime(1, 59) << "2026-03-08T06:59:00Z";
        QTest::newRow("skipped hour, its start") << spring << QTime(2, 0) << "";
        QTest::newRow("skipped hour") << spring << QTime(2, 30) << "";
        QTest::newRow("skipped hour, its last minute") << spring << QTime(2, 59) << "";
        QTest::newRow("after the clocks went forward") << spring << QTime(3, 0) << "2026-03-08T07:00:00Z";
        QTest::newRow("before the repeated hour") << autumn << QTime(0, 59) << "2026-11-01T04:59:00Z";
        QTest::newRow("repeated hour: standard time") << autumn << QTime(1, 0) << "2026-11-01T06:00:00Z";
        QTest::newRow("repeated hour, later: standard time") << autumn << QTime(1, 30) << "2026-11-01T06:30:00Z";
        QTest::newRow("after the repeated hour") << autumn << QTime(2, 0) << "2026-11-01T07:00:00Z";
        QTest::newRow("late evening") << autumn << QTime(23, 45) << "2026-11-02T04:45:00Z";
        QTest::newRow("no date") << QDate() << QTime(9, 0) << "";
    }
    void toUtc()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(QString, utc);
        const std::optional<QDateTime> moment = wallClockToUtc(date, time);
        QCOMPARE(moment.has_value(), !utc.isEmpty());
        if (moment) {
            QCOMPARE(moment->timeZone().id(), QByteArray("UTC"));
            QCOMPARE(moment->toString(Qt::ISODate), utc);
        }
    }
};

QTEST_GUILESS_MAIN(TestWallClock)
#include "tst_wallclock.moc"
