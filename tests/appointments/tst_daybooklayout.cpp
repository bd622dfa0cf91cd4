#include "daybooklayout.h"

#include <QtTest>

// Which rows a day shows and which cells its appointments cover, without a window.

using salon::Appointment;
using salon::AppointmentStatus;
Q_DECLARE_METATYPE(AppointmentStatus)

namespace {

Appointment at(qint64 employee, QTime time, int minutes, int buffer = 0, AppointmentStatus status = AppointmentStatus::Booked)
{
    Appointment a;
    a.employeeId = employee;
    a.date = QDate(2026, 3, 10);
    a.time = time;
    a.minutes = minutes;
    a.buffer = buffer;
    a.status = status;
    return a;
}

const std::vector<daybook::Column> ivyAndMax{{1, QStringLiteral("Ivy Lane"), false}, {2, QStringLiteral("Max Ray"), false}};

} // namespace

class tst_DayBookLayout : public QObject
{
    Q_OBJECT

private slots:
    // The day runs from the earlier of opening and the first start to the later of closing
    // and the last end, buffer included, on quarter-hour rows.
    void rowsOfTheDay_data()
    {
        QTest::addColumn<int>("opens");    // -1: no hours
        QTest::addColumn<int>("closes");
        QTest::addColumn<QTime>("start");  // invalid: no appointment
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("buffer");
        QTest::addColumn<QTime>("first");
        QTest::addColumn<int>("rows");

        QTest::newRow("no hours, empty") << -1 << 0 << QTime() << 0 << 0 << QTime(9, 0) << 36;
        QTest::newRow("hours only") << 10 * 60 << 16 * 60 + 30 << QTime() << 0 << 0 << QTime(10, 0) << 26;
        QTest::newRow("early start, floored") << 10 * 60 << 16 * 60 << QTime(8, 10) << 30 << 0 << QTime(8, 0) << 32;
        QTest::newRow("late end, buffer counts") << 9 * 60 << 18 * 60 << QTime(18, 0) << 75 << 10 << QTime(9, 0) << 42;
        QTest::newRow("inside the hours") << 9 * 60 << 18 * 60 << QTime(12, 0) << 60 << 0 << QTime(9, 0) << 36;
    }
    void rowsOfTheDay()
    {
        QFETCH(int, opens);
        QFETCH(int, closes);
        QFETCH(QTime, start);
        QFETCH(int, minutes);
        QFETCH(int, buffer);
        QFETCH(QTime, first);
        QFETCH(int, rows);
        std::vector<Appointment> appointments;
        if (start.isValid())
            appointments.push_back(at(1, start, minutes, buffer));
        std::optional<std::pair<int, int>> hours;
        if (opens >= 0)
            hours = std::pair{opens, closes};
        const daybook::Grid grid = daybook::layDay(ivyAndMax, appointments, hours);
        QCOMPARE(grid.rowTime(0), first);
        QCOMPARE(grid.rowCount(), rows);
    }

    // An appointment covers the rows its time touches; its buffer covers more, and only a
    // time-holding one makes a cell busy.
    void cellsAnAppointmentCovers_data()
    {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("buffer");
        QTest::addColumn<AppointmentStatus>("status");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("heldRows");
        QTest::addColumn<bool>("nextRowFree");   // the row after the held ones

        QTest::newRow("hour") << QTime(10, 0) << 60 << 0 << AppointmentStatus::Booked << 4 << 4 << 4 << true;
        QTest::newRow("off the quarter") << QTime(10, 5) << 20 << 0 << AppointmentStatus::Booked << 4 << 2 << 2 << true;
        QTest::newRow("short") << QTime(10, 0) << 5 << 0 << AppointmentStatus::Arrived << 4 << 1 << 1 << true;
        QTest::newRow("buffer") << QTime(10, 0) << 30 << 15 << AppointmentStatus::Done << 4 << 2 << 3 << true;
        QTest::newRow("cancelled holds nothing") << QTime(10, 0) << 30 << 15 << AppointmentStatus::Cancelled << 4 << 2 << 2 << true;
    }
    void cellsAnAppointmentCovers()
    {
        QFETCH(QTime, start);
        QFETCH(int, minutes);
        QFETCH(int, buffer);
        QFETCH(AppointmentStatus, status);
        QFETCH(int, row);
        QFETCH(int, rows);
        QFETCH(int, heldRows);
        QFETCH(bool, nextRowFree);
        const daybook::Grid grid = daybook::layDay(ivyAndMax, {at(2, start, minutes, buffer, status)}, std::pair{9 * 60, 18 * 60});
        QCOMPARE(grid.blocks.size(), std::size_t(1));
        const daybook::Block &block = grid.blocks[0];
        QCOMPARE(block.column, 1);
        QCOMPARE(block.row, row);
        QCOMPARE(block.rows, rows);
        QCOMPARE(block.heldRows, heldRows);
        for (int r = row; r < row + heldRows; ++r) {
            QCOMPARE(grid.blockAt(1, r), std::optional<int>(0));
            QCOMPARE(grid.isFree(1, r), !salon::holdsTime(status));
            QVERIFY(grid.isFree(0, r));
        }
        QVERIFY(!grid.blockAt(1, row - 1));
        QCOMPARE(grid.isFree(1, row + heldRows), nextRowFree);
        QVERIFY(!grid.blockAt(1, row + heldRows));
    }

    // A cancelled appointment and the one booked over it stand side by side; the booked one
    // is what the shared cells open. Blocks that only follow each other keep the full width.
    void overlappingBlocksShareTheColumn()
    {
        const std::vector<Appointment> appointments{at(1, QTime(10, 30), 30, 0, AppointmentStatus::Cancelled),
                                                    at(1, QTime(10, 0), 60), at(1, QTime(11, 0), 30),
                                                    at(1, QTime(14, 0), 30, 0, AppointmentStatus::NoShow)};
        const daybook::Grid grid = daybook::layDay(ivyAndMax, appointments, std::nullopt);
        QCOMPARE(grid.blocks[1].lanes, 2);
        QCOMPARE(grid.blocks[1].lane, 0);
        QCOMPARE(grid.blocks[0].lanes, 2);
        QCOMPARE(grid.blocks[0].lane, 1);
        QCOMPARE(grid.blocks[2].lanes, 1);
        QCOMPARE(grid.blocks[3].lanes, 1);
        QCOMPARE(grid.blockAt(0, 6), std::optional<int>(1));   // 10:30: the booked one
        QCOMPARE(grid.blockAt(0, 20), std::optional<int>(3));  // 14:00: the no-show
        QVERIFY(grid.isFree(0, 20));
    }

    // On the day after, an evening appointment that runs past midnight covers the first rows
    // (its buffer too, when it holds time); the day starts at midnight.
    void theEveningBeforeRunsIntoTheDay()
    {
        const QDate next(2026, 3, 11);
        Appointment morning = at(2, QTime(10, 0), 30);
        morning.date = next;
        const std::vector<Appointment> appointments{at(1, QTime(23, 0), 120, 15), morning};
        const daybook::Grid grid = daybook::layDay(ivyAndMax, appointments, std::pair{9 * 60, 18 * 60}, next);
        QCOMPARE(grid.rowTime(0), QTime(0, 0));
        QCOMPARE(grid.rowCount(), 72);
        QCOMPARE((std::tuple{grid.blocks[0].row, grid.blocks[0].rows, grid.blocks[0].heldRows}), (std::tuple{0, 4, 5}));
        QVERIFY(!grid.isFree(0, 4));
        QVERIFY(grid.isFree(0, 5));
        QCOMPARE(grid.blocks[1].row, 40);   // 10:00
    }

    // An appointment of a technician without a row still shows, in a column of its own.
    void technicianWithoutARowGetsAColumn()
    {
        Appointment gone = at(9, QTime(10, 0), 30);
        gone.technician = QString();
        const daybook::Grid grid = daybook::layDay(ivyAndMax, {gone}, std::nullopt);
        QCOMPARE(grid.columns.size(), std::size_t(3));
        QCOMPARE(grid.columns[2].name, QStringLiteral("Technician 9"));
        QCOMPARE(grid.blocks[0].column, 2);
    }

    void summaries()
    {
        Appointment a = at(1, QTime(9, 45), 90);
        QCOMPARE(daybook::spanText(a), QStringLiteral("09:45-11:15"));
        QCOMPARE(daybook::summaryText(a), QString());
        a.customer = QStringLiteral("Ann Lee");
        QCOMPARE(daybook::summaryText(a), QStringLiteral("Ann Lee"));
        a.services = {{QVariant(), QStringLiteral("Gel Set"), 45}, {QVariant(), QStringLiteral("Pedicure"), 45}};
        QCOMPARE(daybook::summaryText(a), QStringLiteral("Ann Lee: Gel Set, Pedicure"));
        a.customer.clear();
        QCOMPARE(daybook::summaryText(a), QStringLiteral("Gel Set, Pedicure"));
    }
};

QTEST_APPLESS_MAIN(tst_DayBookLayout)
#include "tst_daybooklayout.moc"
