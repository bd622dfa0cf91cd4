#include "monthcalendar.h"

#include <QtTest>

// The calendar grid as a plain routine: which cell holds which day, what is hidden,
// which cell is marked, and paging with the day clamped to the target month.
class TestMonthCalendar : public QObject
{
    Q_OBJECT

    // Texts of cells 1..37 joined by commas; "-" for a hidden cell, "" for visible and empty.
    static QString picture(const MonthCalendar &calendar)
    {
        QStringList cells;
        for (int i = 1; i <= MonthCalendar::lastCell; ++i)
            cells << (calendar.cell(i).visible ? calendar.cell(i).text : QStringLiteral("-"));
        return cells.join(u',');
    }

private slots:
    void layout_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("firstDayCell");
        QTest::addColumn<int>("lastDayCell");
        QTest::addColumn<int>("markedCell");

        // Starts on a Friday, 31 days: days 1-30 in cells 6-35, 31 in cell 36.
        QTest::newRow("March 2002") << QDate(2002, 3, 4) << 6 << 36 << 9;
        // Starts on a Saturday: 30 and 31 in cells 36 and 37.
        QTest::newRow("March 2003") << QDate(2003, 3, 31) << 7 << 37 << 37;
        // Not a leap year, starts on a Sunday: cells 1-28.
        QTest::newRow("February 2009") << QDate(2009, 2, 1) << 1 << 28 << 1;
        QTest::newRow("leap February 2004") << QDate(2004, 2, 29) << 1 << 29 << 29;
        QTest::newRow("June 2003 starts on a Sunday") << QDate(2003, 6, 15) << 1 << 30 << 15;
    }
    void layout()
    {
        QFETCH(QDate, date);
        QFETCH(int, firstDayCell);
        QFETCH(int, lastDayCell);
        QFETCH(int, markedCell);

        MonthCalendar calendar;
        calendar.show(date);
        QVERIFY(!calendar.cell(0).visible);
        for (int i = 1; i < firstDayCell; ++i)
            QVERIFY2(!calendar.cell(i).visible, qPrintable(QStringLiteral("cell %1 should be hidden").arg(i)));
        for (int i = firstDayCell; i <= lastDayCell; ++i) {
            QVERIFY(calendar.cell(i).visible);
            QCOMPARE(calendar.cell(i).text, QString::number(i - firstDayCell + 1));
        }
        for (int i = lastDayCell + 1; i <= MonthCalendar::lastCell; ++i)
            QCOMPARE(calendar.cell(i).text, QString());
        QCOMPARE(calendar.markedCell(), markedCell);
        QCOMPARE(calendar.selectedDate(), date);
    }

    void cellsKeepVisibilityButLoseText()
    {
        MonthCalendar calendar;
        calendar.show(QDate(2003, 3, 1));    // cells 7..37 visible
        calendar.show(QDate(2003, 6, 1));    // a Sunday start, 30 days
        QCOMPARE(picture(calendar).section(u',', 0, 0), QStringLiteral("1"));
        QVERIFY(calendar.cell(36).visible);   // left over from March, now empty
        QCOMPARE(calendar.cell(36).text, QString());
        QVERIFY(calendar.cell(37).visible);
        QCOMPARE(calendar.cell(37).text, QString());
    }

    void places()
    {
        QCOMPARE(MonthCalendar::place(1).row, 0);
        QCOMPARE(MonthCalendar::place(1).column, 0);
        QCOMPARE(MonthCalendar::place(9).row, 1);
        QCOMPARE(MonthCalendar::place(9).column, 1);
        QCOMPARE(MonthCalendar::place(35).row, 4);
        QCOMPARE(MonthCalendar::place(35).column, 6);
        // No sixth row: 36 takes the place of 1, 37 that of 2 (a little to the right).
        QCOMPARE(MonthCalendar::place(36).row, 0);
        QCOMPARE(MonthCalendar::place(36).column, 0);
        QVERIFY(!MonthCalendar::place(36).nudged);
        QCOMPARE(MonthCalendar::place(37).row, 0);
        QCOMPARE(MonthCalendar::place(37).column, 1);
        QVERIFY(MonthCalendar::place(37).nudged);
        for (int cell : {1, 8, 15, 22, 29, 36})
            QVERIFY(MonthCalendar::isSundayCell(cell));
        QVERIFY(!MonthCalendar::isSundayCell(0));
        QVERIFY(!MonthCalendar::isSundayCell(37));
    }

    void paging_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("months");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("31 Jan + 1 month") << QDate(2009, 1, 31) << 1 << QDate(2009, 2, 28);
        QTest::newRow("31 Jan + 1 month, leap year") << QDate(2004, 1, 31) << 1 << QDate(2004, 2, 29);
        QTest::newRow("29 Feb 2004 + 1 year") << QDate(2004, 2, 29) << 12 << QDate(2005, 2, 28);
        QTest::newRow("29 Feb 2004 - 1 year") << QDate(2004, 2, 29) << -12 << QDate(2003, 2, 28);
        QTest::newRow("31 Mar - 1 month") << QDate(2003, 3, 31) << -1 << QDate(2003, 2, 28);
        QTest::newRow("across the year end") << QDate(2002, 12, 15) << 1 << QDate(2003, 1, 15);
        QTest::newRow("back across the year start") << QDate(2003, 1, 15) << -1 << QDate(2002, 12, 15);
        QTest::newRow("refused past 9999") << QDate(9999, 12, 1) << 1 << QDate(9999, 12, 1);
        QTest::newRow("refused before 100") << QDate(100, 6, 1) << -12 << QDate(100, 6, 1);
    }
    void paging()
    {
        QFETCH(QDate, from);
        QFETCH(int, months);
        QFETCH(QDate, expected);
        MonthCalendar calendar;
        calendar.show(from);
        calendar.page(months);
        QCOMPARE(calendar.selectedDate(), expected);
        QCOMPARE(calendar.calendarDate(), expected);
        QCOMPARE(calendar.cell(calendar.markedCell()).text, QString::number(expected.day()));
    }

    void pagingKeepsAClickedDay()
    {
        MonthCalendar calendar;
        calendar.show(QDate(2002, 3, 4));
        QVERIFY(calendar.highlight(36));      // day 31
        QCOMPARE(calendar.selectedDate(), QDate(2002, 3, 31));
        calendar.page(1);
        QCOMPARE(calendar.selectedDate(), QDate(2002, 4, 30));
    }

    void highlightingAnEmptyCellChangesNothing_data()
    {
        QTest::addColumn<int>("cell");
        QTest::newRow("hidden leading cell") << 3;
        QTest::newRow("hidden cell with an earlier month's text") << 2;
        QTest::newRow("emptied trailing cell") << 37;
        QTest::newRow("template") << 0;
        QTest::newRow("out of range") << 38;
    }
    void highlightingAnEmptyCellChangesNothing()
    {
        QFETCH(int, cell);
        MonthCalendar calendar;
        calendar.show(QDate(2009, 2, 1));     // days in cells 1..28
        calendar.show(QDate(2002, 3, 4));     // cells 1..5 hidden, their texts left as they were
        QVERIFY(!calendar.highlight(cell));
        QCOMPARE(calendar.markedCell(), 9);
        QCOMPARE(calendar.selectedDate(), QDate(2002, 3, 4));
    }
};

QTEST_APPLESS_MAIN(TestMonthCalendar)
#include "tst_monthcalendar.moc"
