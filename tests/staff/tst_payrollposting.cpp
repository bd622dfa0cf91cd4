#include "database.h"
#include "payrollbook.h"
#include "payrollposting.h"
#include "storeerror.h"
#include "testhome.h"

#include <QLocale>
#include <QSqlQuery>
#include <QtTest>
#include <limits>

Q_DECLARE_METATYPE(std::optional<Currency>)

namespace {

Currency money(const char *text)
{
    return *Currency::fromText(QString::fromLatin1(text));
}

struct PayrollRow
{
    int employee;
    QDate date;
    double earned;
};

// Rows of employee 1, 100 a day from `from` to `to`; Sundays left out when the salon closes then.
QList<PayrollRow> daily(QDate from, QDate to, bool closedSundays = false)
{
    QList<PayrollRow> rows;
    for (QDate day = from; day <= to; day = day.addDays(1))
        if (!closedSundays || day.dayOfWeek() != Qt::Sunday)
            rows.append({1, day, 100});
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(PayrollRow)

namespace {

void store(const QList<PayrollRow> &rows)
{
    for (const PayrollRow &row : rows)
        QVERIFY(execSql(QStringLiteral("INSERT INTO [Payroll Records] (EmployeeID, ServiceDate, TodayEarn, ToDateEarn) VALUES (?, ?, ?, 0)"),
                        {row.employee, row.date.toString(Qt::ISODate), row.earned}));
}

} // namespace

// The figures of a payroll row, and the look-ups in the books they are built from.
class TestPayrollPosting : public QObject
{
    Q_OBJECT

private slots:
    void init() { useTestLocale(); }

    void posting_data()
    {
        QTest::addColumn<QString>("today");
        QTest::addColumn<QString>("previousToDate");
        QTest::addColumn<QString>("earlierThisMonth");
        // to-date, 50% and 60% of it, then 50% and 60% of the month
        QTest::addColumn<QStringList>("figures");

        QTest::newRow("half a dollar is posted exactly") << "45.5" << "100" << "0"
                                                        << QStringList{"145.5", "72.75", "87.3", "22.75", "27.3"};
        QTest::newRow("empty previous to-date") << "12.5" << "0" << "0" << QStringList{"12.5", "6.25", "7.5", "6.25", "7.5"};
        QTest::newRow("tenth of the month") << "50" << "3000" << "900" << QStringList{"3050", "1525", "1830", "475", "570"};
        QTest::newRow("empty amount posts 0") << "" << "100" << "200" << QStringList{"100", "50", "60", "100", "120"};
        QTest::newRow("grouped thousands") << "1,200" << "0" << "0" << QStringList{"1200", "600", "720", "600", "720"};
        QTest::newRow("above 32767") << "40000" << "5" << "0" << QStringList{"40005", "20002.5", "24003", "20000", "24000"};
        QTest::newRow("cents of cents round half to even") << "0.0003" << "0" << "0.0002"
                                                          << QStringList{"0.0003", "0.0002", "0.0002", "0.0002", "0.0003"};
        QTest::newRow("blanks around the amount") << " 20 " << "0" << "0" << QStringList{"20", "10", "12", "10", "12"};
        QTest::newRow("largest to-date the book keeps")
            << "99999999899.9999" << "100" << "0"
            << QStringList{"99999999999.9999", "50000000000", "59999999999.9999", "49999999950", "59999999939.9999"};
    }

    void posting()
    {
        QFETCH(QString, today);
        QFETCH(QString, previousToDate);
        QFETCH(QString, earlierThisMonth);
        QFETCH(QStringList, figures);
        const auto posting = payroll::PayrollPosting(today, *Currency::fromText(previousToDate),
                                                     *Currency::fromText(earlierThisMonth));
        QVERIFY(posting);
        QCOMPARE(posting->todayEarn, payroll::readAmount(today).value());
        const QStringList got{posting->toDate.text(), posting->fiftyByTotal.text(), posting->sixtyByTotal.text(),
                              posting->fiftyByMonth.text(), posting->sixtyByMonth.text()};
        QCOMPARE(got, figures);
        QCOMPARE(posting->monthSum, Currency::fromText(earlierThisMonth)->plus(posting->todayEarn));
    }

    void refusedAmounts_data()
    {
        QTest::addColumn<QString>("today");
        QTest::newRow("currency sign") << "$120";
        QTest::newRow("trailing letters") << "12abc";
        QTest::newRow("two decimal points") << "4.5.5";
        QTest::newRow("words") << "forty";
        QTest::newRow("beyond the money range") << "1e300";
    }

    void refusedAmounts()
    {
        QFETCH(QString, today);
        QCOMPARE(payroll::PayrollPosting(today, money("100"), money("0")).has_value(), false);
        QVERIFY(payroll::refusedAmountText(today).contains(today));
    }

    // What the book cannot keep exactly, typed or computed, posts nothing and says why.
    void postingsTheBookCannotKeep_data()
    {
        QTest::addColumn<QString>("today");
        QTest::addColumn<qint64>("previousToDate");      // scaled
        QTest::addColumn<qint64>("earlierThisMonth");    // scaled
        QTest::addColumn<QString>("refusal");
        const QString bound = QStringLiteral(" is too large: amounts of money must stay below 100,000,000,000.");
        const QString nothing = QStringLiteral(" Nothing was posted.");
        QTest::newRow("more than four decimals")
            << "0.00005" << qint64(0) << qint64(0)
            << "\"0.00005\" has more than four decimals: amounts of money are kept to four decimals.";
        QTest::newRow("typed amount too large") << "123456789012345.6789" << qint64(0) << qint64(0)
                                                << "\"123456789012345.6789\"" + bound;
        QTest::newRow("to-date reaches the bound") << "99999999900" << qint64(1000000) << qint64(0)
                                                   << "The to-date total" + bound + nothing;
        QTest::newRow("to-date past the type") << "1" << std::numeric_limits<qint64>::max() << qint64(0)
                                               << "The to-date total" + bound + nothing;
        QTest::newRow("60% of the month reaches the bound") << "5" << qint64(0) << qint64(1666666666670000)
                                                            << "The 60% commission of the month" + bound + nothing;
    }
    void postingsTheBookCannotKeep()
    {
        QFETCH(QString, today);
        QFETCH(qint64, previousToDate);
        QFETCH(qint64, earlierThisMonth);
        QFETCH(QString, refusal);
        QString said;
        QCOMPARE(payroll::PayrollPosting(today, Currency::fromScaled(previousToDate), Currency::fromScaled(earlierThisMonth),
                                         &said).has_value(),
                 false);
        QCOMPARE(said, refusal);
    }

    void commaDecimalLocale()
    {
        const Currency hundred = money("100");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto posting = payroll::PayrollPosting(QStringLiteral("45,5"), hundred, Currency());
        QVERIFY(posting);
        QCOMPARE(posting->toDate, Currency::fromScaled(1455000));
        QCOMPARE(posting->sixtyByTotal.text(), QStringLiteral("87,3"));
        QCOMPARE(payroll::readAmount(QStringLiteral("1.200")), std::optional<Currency>(Currency::fromScaled(12000000)));
        QCOMPARE(payroll::readAmount(QStringLiteral("12,5 \u20ac")), std::optional<Currency>());
    }

    // The month's earnings are found by date: today's month, from the 1st up to today.
    void earnedThisMonth_data()
    {
        QTest::addColumn<QList<PayrollRow>>("rows");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("earned");

        QTest::newRow("tenth, one row a day") << daily(QDate(2026, 2, 8), QDate(2026, 3, 9)) << QDate(2026, 3, 10) << "900";
        QTest::newRow("the 1st") << daily(QDate(2026, 1, 30), QDate(2026, 2, 28)) << QDate(2026, 3, 1) << "0";
        QTest::newRow("the 2nd counts the 1st") << daily(QDate(2026, 1, 31), QDate(2026, 3, 1)) << QDate(2026, 3, 2) << "100";
        QTest::newRow("closed on Sundays") << daily(QDate(2026, 2, 2), QDate(2026, 3, 7), true) << QDate(2026, 3, 9) << "600";
        QTest::newRow("fewer rows than days") << daily(QDate(2026, 3, 3), QDate(2026, 3, 5)) << QDate(2026, 3, 20) << "300";
        QTest::newRow("no rows") << QList<PayrollRow>{} << QDate(2026, 3, 20) << "0";
        QTest::newRow("later dates and other employees left out")
            << QList<PayrollRow>{{1, QDate(2026, 3, 4), 10.25}, {1, QDate(2026, 3, 11), 500}, {2, QDate(2026, 3, 4), 70},
                                 {1, QDate(2025, 3, 4), 40}, {1, QDate(2026, 3, 10), 0.1}}
            << QDate(2026, 3, 10) << "10.35";
    }

    void earnedThisMonth()
    {
        QFETCH(QList<PayrollRow>, rows);
        QFETCH(QDate, today);
        QFETCH(QString, earned);
        TestHome home;
        store(rows);
        QCOMPARE(payrollbook::earnedThisMonth(salon::employeeDb(), 1, today).text(), earned);
    }

    void rowBeingPostedIsLeftOut()
    {
        TestHome home;
        store({{1, QDate(2026, 3, 9), 100}, {1, QDate(2026, 3, 10), 45.5}});
        // The second row (RecordID 2) is the one being posted again.
        QCOMPARE(payrollbook::earnedThisMonth(salon::employeeDb(), 1, QDate(2026, 3, 10), 2), money("100"));
    }

    void failedMonthQueryThrows()
    {
        TestHome home;
        QVERIFY(execSql(QStringLiteral("ALTER TABLE [Payroll Records] RENAME TO Gone")));
        QVERIFY_THROWS_EXCEPTION(StoreError, payrollbook::earnedThisMonth(salon::employeeDb(), 1, QDate(2026, 3, 10)));
    }

    void latestToDate_data()
    {
        QTest::addColumn<int>("employee");
        QTest::addColumn<std::optional<Currency>>("toDate");
        QTest::newRow("highest record, not the latest date") << 1 << std::optional<Currency>(money("250.5"));
        QTest::newRow("latest row empty") << 2 << std::optional<Currency>();
        QTest::newRow("no rows") << 3 << std::optional<Currency>();
    }

    void latestToDate()
    {
        QFETCH(int, employee);
        QFETCH(std::optional<Currency>, toDate);
        TestHome home;
        QVERIFY(execSql(QStringLiteral(
            "INSERT INTO [Payroll Records] (EmployeeID, ServiceDate, ToDateEarn) VALUES "
            "(1, '2026-03-09', 100), (2, '2026-03-09', 80), (1, '2026-03-01', 250.5), (2, '2026-03-10', NULL)")));
        QCOMPARE(payrollbook::latestToDate(salon::employeeDb(), employee), toDate);
    }

    void employeeFoundByNumber()
    {
        TestHome home;
        for (int id : {1, 2, 4, 5})
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id}});
        QCOMPARE(payrollbook::employeeRow(salon::employeeDb(), 4), std::optional<qint64>(3));
        QCOMPARE(payrollbook::employeeRow(salon::employeeDb(), 5), std::optional<qint64>(4));
        QCOMPARE(payrollbook::employeeRow(salon::employeeDb(), 3), std::optional<qint64>());
    }

    void employeeNumberClash_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("ownRow");
        QTest::addColumn<int>("clash");
        using C = payrollbook::NumberClash;
        QTest::newRow("new hire, free number") << 7 << -1 << int(C::None);
        QTest::newRow("new hire, another's number") << 2 << -1 << int(C::OtherEmployee);
        QTest::newRow("new hire, a former employee's number") << 3 << -1 << int(C::FormerEmployee);
        QTest::newRow("employee keeps its own number") << 1 << 1 << int(C::None);
        QTest::newRow("employee takes another's number") << 2 << 1 << int(C::OtherEmployee);
        QTest::newRow("employee takes a former employee's number") << 3 << 1 << int(C::FormerEmployee);
    }

    void employeeNumberClash()
    {
        QFETCH(int, number);
        QFETCH(int, ownRow);
        QFETCH(int, clash);
        TestHome home;
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 1}});
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 2}});
        // Employee 3 has left; the payroll rows of 1 and 3 stay.
        store({{1, QDate(2026, 3, 1), 10}, {3, QDate(2026, 3, 1), 10}});
        QCOMPARE(int(payrollbook::employeeNumberClash(salon::employeeDb(), number, ownRow)), clash);
    }
};

QTEST_GUILESS_MAIN(TestPayrollPosting)
#include "tst_payrollposting.moc"
