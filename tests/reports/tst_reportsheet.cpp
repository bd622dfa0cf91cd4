#include "reportsheet.h"

#include <QtTest>

// The report screen's plain routines: the days a period choice covers, and how a printout
// falls into pages.
class TestReportSheet : public QObject
{
    Q_OBJECT

private slots:
    void periodOfAChoice_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("last");
        using K = reports::PeriodKind;
        const QDate wednesday(2026, 3, 4);
        QTest::newRow("a day") << int(K::Day) << wednesday << QDate() << wednesday << wednesday;
        QTest::newRow("a Wednesday's week, Sunday to Saturday")
            << int(K::Week) << wednesday << QDate() << QDate(2026, 3, 1) << QDate(2026, 3, 7);
        QTest::newRow("a Sunday starts its week") << int(K::Week) << QDate(2026, 3, 1) << QDate() << QDate(2026, 3, 1)
                                                  << QDate(2026, 3, 7);
        QTest::newRow("a Saturday ends its week") << int(K::Week) << QDate(2026, 3, 7) << QDate() << QDate(2026, 3, 1)
                                                  << QDate(2026, 3, 7);
        QTest::newRow("a week across the year's end")
            << int(K::Week) << QDate(2026, 1, 1) << QDate() << QDate(2025, 12, 28) << QDate(2026, 1, 3);
        QTest::newRow("a leap February") << int(K::Month) << QDate(2028, 2, 10) << QDate() << QDate(2028, 2, 1)
                                         << QDate(2028, 2, 29);
        QTest::newRow("December") << int(K::Month) << QDate(2026, 12, 31) << QDate() << QDate(2026, 12, 1)
                                  << QDate(2026, 12, 31);
        QTest::newRow("from - to") << int(K::FromTo) << QDate(2026, 2, 27) << QDate(2026, 4, 2) << QDate(2026, 2, 27)
                                   << QDate(2026, 4, 2);
    }
    void periodOfAChoice()
    {
        QFETCH(int, kind);
        QFETCH(QDate, day);
        QFETCH(QDate, to);
        QFETCH(QDate, from);
        QFETCH(QDate, last);
        const salon::ReportPeriod period = reports::periodOf(reports::PeriodKind(kind), day, to);
        QCOMPARE(period.from, from);
        QCOMPARE(period.to, last);
        QVERIFY(!period.employeeId);
    }

    // Rows fill pages under their column headings; the chart follows the totals row on the
    // same page when its caption and a bar fit there, and runs on over pages of its own.
    void pages_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("bars");
        QTest::addColumn<QString>("expected");   // per page: first row+rows / first bar+bars
        // A body of 10 rows: the headings and 9 rows; the chart's caption takes 2, a bar 1.
        QTest::newRow("one page") << 3 << 2 << "0+3/0+2";
        QTest::newRow("rows fill a page exactly") << 9 << 0 << "0+9/0+0";
        QTest::newRow("one row more") << 10 << 0 << "0+9/0+0 9+1/0+0";
        QTest::newRow("the chart starts under the last rows") << 12 << 5 << "0+9/0+0 9+3/0+4 12+0/4+1";
        QTest::newRow("no room left for the chart") << 16 << 3 << "0+9/0+0 9+7/0+0 16+0/0+3";
        QTest::newRow("a chart over three pages") << 1 << 25 << "0+1/0+6 1+0/6+8 1+0/14+8 1+0/22+3";
        QTest::newRow("a day sheet has no chart") << 20 << 0 << "0+9/0+0 9+9/0+0 18+2/0+0";
    }
    void pages()
    {
        QFETCH(int, rows);
        QFETCH(int, bars);
        QFETCH(QString, expected);
        reports::PageMeasures measures;
        measures.body = 10;
        measures.row = 1;
        measures.bar = 1;
        measures.chartCaption = 2;
        QStringList found;
        for (const reports::PrintPage &page : reports::paginate(rows, bars, measures))
            found << QStringLiteral("%1+%2/%3+%4").arg(page.firstRow).arg(page.rows).arg(page.firstBar).arg(page.bars);
        QCOMPARE(found.join(u' '), expected);
    }
};

QTEST_APPLESS_MAIN(TestReportSheet)
#include "tst_reportsheet.moc"
