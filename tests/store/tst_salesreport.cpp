#include "database.h"
#include "salesreport.h"
#include "storeerror.h"
#include "testhome.h"

#include <QtTest>
#include <map>

// The sales reports over a small journal: technicians with and without an employee row,
// lines with no technician, lines sold before tax was recorded, services that differ only in
// case, and lines either side of the period's first midnight and of its month end. The
// expected figures are summed here, in scaled integers, from the fixture itself.

namespace {

struct Sold
{
    int serviceId;
    QVariant employeeId;
    const char *date;
    const char *service;
    int quantity;
    qint64 cost;   // scaled by 10,000
    qint64 tax;    // scaled; -1: not recorded
    int customerId;
    int count;
};

const qint64 noTax = -1;
const std::vector<Sold> journal{
    {1, 1, "2026-02-28T23:59:59", "Manicure", 1, 240750, 16853, 1, 1},
    {2, 1, "2026-03-01", "Manicure", 1, 240750, 16853, 1, 3},
    {3, 1, "2026-03-01T00:00:00", "Pedicure", 2, 112350, 7865, 2, 1},
    {4, 2, "2026-03-01", "Manicure", 1, 300000, noTax, 2, 2},
    {5, 3, "2026-03-15", "Gel Set", 3, 455000, 31850, 1, 2},
    {6, QVariant(), "2026-03-15", "Manicure", 1, 10, 1, 9, 1},
    {7, 2, "2026-03-31T23:59:59", "Pedicure", 1, 199900, 13993, 1, 1},
    {8, 1, "2026-04-01", "Manicure", 1, 50000, 3500, 1, 1},
    {9, 2, "2026-04-01T00:00:00", "Pedicure", 1, 50000, noTax, 2, 2},
    {10, 1, "2026-03-10", "manicure", 1, 101100, 7077, 2, 1},
    {11, 3, "2026-03-20", "Pedicure", 1, -25000, -1750, 2, 1},
};

QString technicianOf(const QVariant &employeeId)
{
    if (employeeId.isNull())
        return {};
    switch (employeeId.toInt()) {
    case 1: return QStringLiteral("Kim Park");
    case 2: return QStringLiteral("Lee Moss");
    default: return {};   // 3 was deleted
    }
}

QString money(qint64 scaled) { return Currency::fromScaled(scaled).plainText(); }

struct Sums
{
    qint64 lines = 0, quantity = 0, net = 0, tax = 0, untaxed = 0;
    QString text() const
    {
        return QStringLiteral("%1 lines, %2 sold, net %3, tax %4, %5 untaxed, gross %6, shares %7 %8")
            .arg(lines).arg(quantity).arg(money(net), money(tax)).arg(untaxed)
            .arg(untaxed ? QStringLiteral("-") : money(net + tax), money(net * 50 / 100), money(net * 60 / 100));
    }
};

QString textOf(const salon::ReportFigures &f)
{
    const auto gross = f.gross();
    return QStringLiteral("%1 lines, %2 sold, net %3, tax %4, %5 untaxed, gross %6, shares %7 %8")
        .arg(f.lines).arg(f.quantity).arg(f.net.plainText(), f.tax.plainText()).arg(f.untaxedLines)
        .arg(gross ? gross->plainText() : QStringLiteral("-"), f.share50.plainText(), f.share60.plainText());
}

bool inPeriod(const Sold &sold, const salon::ReportPeriod &period)
{
    const QDate day = QDate::fromString(QString::fromLatin1(sold.date).left(10), Qt::ISODate);
    return day >= period.from && day <= period.to
        && (!period.employeeId || (!sold.employeeId.isNull() && sold.employeeId.toLongLong() == *period.employeeId));
}

void add(Sums &sums, const Sold &sold)
{
    ++sums.lines;
    sums.quantity += sold.quantity;
    sums.net += sold.cost;
    if (sold.tax == noTax)
        ++sums.untaxed;
    else
        sums.tax += sold.tax;
}

} // namespace

class TestSalesReport : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;

private slots:
    void initTestCase() { useTestLocale(); }

    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 1}, {"FirstName", "Kim"}, {"LastName", "Park"}});
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 2}, {"FirstName", "Lee"}, {"LastName", "Moss"}});
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 3}, {"FirstName", "Gone"}});
        QVERIFY(execSql(QStringLiteral("DELETE FROM Employee WHERE EmployeeID = 3")));
        addCustomer(1, "Ann", "Lee");
        addCustomer(2, "Bo", QVariant());
        for (const Sold &sold : journal)
            QVERIFY(execSql(QStringLiteral("INSERT INTO [Service Records] (ServiceID, CustomerID, EmployeeID, ServiceDate, "
                                           "NameOfService, Quantity, Cost, Count, SalesTax) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                            {sold.serviceId, sold.customerId, sold.employeeId, QString::fromLatin1(sold.date),
                             QString::fromLatin1(sold.service), sold.quantity, Currency::fromScaled(sold.cost).toDouble(),
                             sold.count, sold.tax == noTax ? QVariant() : QVariant(Currency::fromScaled(sold.tax).toDouble())}));
    }
    void cleanup() { home.reset(); }

    void groupsAndTotals_data()
    {
        QTest::addColumn<int>("grouping");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("employee");   // 0: every technician
        QTest::addColumn<int>("groupCount");
        using G = salon::ReportGrouping;
        const QDate mar1(2026, 3, 1), mar31(2026, 3, 31);
        QTest::newRow("by technician, March") << int(G::Technician) << mar1 << mar31 << 0 << 4;
        QTest::newRow("by service, March") << int(G::Service) << mar1 << mar31 << 0 << 4;
        QTest::newRow("technician x service, March") << int(G::TechnicianService) << mar1 << mar31 << 0 << 8;
        QTest::newRow("one technician") << int(G::TechnicianService) << mar1 << mar31 << 1 << 3;
        QTest::newRow("a deleted technician") << int(G::Service) << mar1 << mar31 << 3 << 2;
        QTest::newRow("the month's last day") << int(G::Technician) << mar31 << mar31 << 0 << 1;
        QTest::newRow("the day before the month") << int(G::Technician) << mar1.addDays(-1) << mar1.addDays(-1) << 0 << 1;
        QTest::newRow("three months, read a month at a time")
            << int(G::TechnicianService) << QDate(2026, 2, 1) << QDate(2026, 4, 30) << 0 << 8;
        QTest::newRow("nothing sold") << int(G::Service) << QDate(2026, 5, 1) << QDate(2026, 5, 31) << 0 << 0;
    }
    void groupsAndTotals()
    {
        QFETCH(int, grouping);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, employee);
        QFETCH(int, groupCount);
        const auto how = salon::ReportGrouping(grouping);
        const bool byTechnician = how != salon::ReportGrouping::Service;
        const bool byService = how != salon::ReportGrouping::Technician;
        salon::ReportPeriod period{from, to, employee ? std::optional<qint64>(employee) : std::nullopt};

        std::map<QString, Sums> expected;
        Sums total;
        for (const Sold &sold : journal) {
            if (!inPeriod(sold, period))
                continue;
            const QVariant id = byTechnician ? sold.employeeId : QVariant();
            const QString key = QStringLiteral("%1|%2|%3").arg(id.isNull() ? QString() : id.toString(), technicianOf(id),
                                                               byService ? QString::fromLatin1(sold.service) : QString());
            add(expected[key], sold);
            add(total, sold);
        }
        QStringList wanted;
        for (const auto &[key, sums] : expected)
            wanted << key + QStringLiteral(": ") + sums.text();
        wanted.sort();

        const salon::GroupReport report = salon::groupReport(salon::employeeDb(), how, period);
        QStringList found;
        salon::ReportFigures summed;
        for (const salon::ReportGroup &group : report.groups) {
            found << QStringLiteral("%1|%2|%3: ").arg(group.employeeId.isNull() ? QString() : group.employeeId.toString(),
                                                     group.technician, group.service)
                         + textOf(group.figures);
            summed.lines += group.figures.lines;
            summed.quantity += group.figures.quantity;
            summed.net = *summed.net.plus(group.figures.net);
            summed.tax = *summed.tax.plus(group.figures.tax);
            summed.untaxedLines += group.figures.untaxedLines;
            summed.share50 = *summed.share50.plus(group.figures.share50);
            summed.share60 = *summed.share60.plus(group.figures.share60);
        }
        QCOMPARE(report.groups.size(), size_t(groupCount));
        QStringList sorted = found;
        sorted.sort();
        QCOMPARE(sorted, wanted);
        // Lines without a technician come first, then technicians by number.
        if (byTechnician && !employee && groupCount > 1) {
            QVERIFY(report.groups.front().employeeId.isNull());
            QCOMPARE(report.groups.back().employeeId, QVariant(3));
        }
        QCOMPARE(textOf(report.total), total.text());
        QCOMPARE(textOf(report.total), textOf(summed));
    }

    // Every line of the period in the order of its day and day number, with the totals row.
    void daySheetListsTheLinesInTheirOrder_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("employee");
        QTest::addColumn<QList<int>>("serviceIds");
        const QDate mar1(2026, 3, 1);
        QTest::newRow("the first of March") << mar1 << mar1 << 0 << QList<int>{3, 4, 2};
        QTest::newRow("one technician's day") << mar1 << mar1 << 1 << QList<int>{3, 2};
        QTest::newRow("March") << mar1 << QDate(2026, 3, 31) << 0 << QList<int>{3, 4, 2, 10, 6, 5, 11, 7};
        QTest::newRow("across the month end") << QDate(2026, 3, 31) << QDate(2026, 4, 1) << 0 << QList<int>{7, 8, 9};
    }
    void daySheetListsTheLinesInTheirOrder()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, employee);
        QFETCH(QList<int>, serviceIds);
        const salon::ReportPeriod period{from, to, employee ? std::optional<qint64>(employee) : std::nullopt};
        const salon::DaySheet sheet = salon::daySheet(salon::employeeDb(), period);

        QStringList found, wanted;
        Sums total;
        for (int id : serviceIds) {
            const Sold &sold = journal.at(id - 1);
            QVERIFY(inPeriod(sold, period));
            add(total, sold);
            const QString customer = sold.customerId == 1 ? QStringLiteral("Ann Lee")
                                   : sold.customerId == 2 ? QStringLiteral("Bo") : QString();
            wanted << QStringLiteral("%1 %2 %3 #%4 %5 %6 x%7 %8 %9")
                          .arg(QString::fromLatin1(sold.date).left(10), sold.employeeId.toString(), technicianOf(sold.employeeId))
                          .arg(sold.count)
                          .arg(customer, QString::fromLatin1(sold.service))
                          .arg(sold.quantity)
                          .arg(money(sold.cost), sold.tax == noTax ? QStringLiteral("-") : money(sold.tax));
        }
        for (const salon::DaySheetLine &line : sheet.lines)
            found << QStringLiteral("%1 %2 %3 #%4 %5 %6 x%7 %8 %9")
                         .arg(line.date.toString(Qt::ISODate), line.employeeId.toString(), line.technician)
                         .arg(line.count)
                         .arg(line.customer, line.service)
                         .arg(line.quantity)
                         .arg(line.net.plainText(), line.tax ? line.tax->plainText() : QStringLiteral("-"));
        QCOMPARE(found, wanted);
        QCOMPARE(textOf(sheet.total), total.text());
    }

    // A long report tells how far it has come a month at a time, and stops when told to.
    void aReportTellsItsProgressAndCanBeStopped()
    {
        const salon::ReportPeriod period{QDate(2026, 2, 15), QDate(2026, 4, 2), std::nullopt};
        QList<QPair<int, int>> told;
        salon::groupReport(salon::employeeDb(), salon::ReportGrouping::Technician, period, [&told](int done, int steps) {
            told.append({done, steps});
            return true;
        });
        QCOMPARE(told, (QList<QPair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));

        int calls = 0;
        const auto stopAtSecond = [&calls](int, int) { return ++calls < 2; };
        QVERIFY_THROWS_EXCEPTION(salon::ReportCancelled, salon::daySheet(salon::employeeDb(), period, stopAtSecond));
        QCOMPARE(calls, 2);
    }

    // Money the book cannot read as an amount stops the report rather than count as 0.
    void moneyThatIsNoAmountIsReported_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("error");
        QTest::newRow("text in Cost") << QStringLiteral("Cost") << QVariant(QStringLiteral("twelve"))
                                      << QStringLiteral("Data type conversion error: 'twelve' does not fit the field Cost.");
        QTest::newRow("text in SalesTax") << QStringLiteral("SalesTax") << QVariant(QStringLiteral("1.2.3"))
                                          << QStringLiteral("Data type conversion error: '1.2.3' does not fit the field SalesTax.");
        QTest::newRow("beyond the range") << QStringLiteral("Cost") << QVariant(1e15)
                                          << QStringLiteral("Data type conversion error: '1000000000000000' does not fit the field Cost.");
    }
    void moneyThatIsNoAmountIsReported()
    {
        if (onServer())
            QSKIP("A server's money columns hold numbers within their range only.");
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, error);
        QVERIFY(execSql(QStringLiteral("UPDATE [Service Records] SET %1 = ? WHERE ServiceID = 2").arg(field), {value}));
        const salon::ReportPeriod period{QDate(2026, 3, 1), QDate(2026, 3, 31), std::nullopt};
        try {
            salon::groupReport(salon::employeeDb(), salon::ReportGrouping::Service, period);
            QFAIL("no error");
        } catch (const StoreError &e) {
            QCOMPARE(e.text(), error);
        }
    }

    // Amounts with more decimals than the book writes (stored by other programs) are rounded
    // as each line is read, halves to the even one, whoever adds them up.
    void oddAmountsAreRoundedAsEachLineIsRead()
    {
        const QVariantList costs{0.00005, 0.00025, 2.50005, 12.00025, -3.00045, 4.9999999999999996e-05, 1.00015, 0.1, -0.0001};
        for (int i = 0; i < costs.size(); ++i)
            QVERIFY(execSql(QStringLiteral("INSERT INTO [Service Records] (ServiceID, EmployeeID, ServiceDate, "
                                           "NameOfService, Quantity, Cost, SalesTax) VALUES (?, 5, '2025-05-05', 'Odd', 1, ?, ?)"),
                            {100 + i, costs[i], costs[i]}));
        Currency expected;
        for (const QVariant &stored : queryValues(QStringLiteral("SELECT Cost FROM [Service Records] WHERE ServiceID >= 100")))
            expected = *expected.plus(*Currency::fromStored(stored));
        const salon::ReportPeriod period{QDate(2025, 5, 1), QDate(2025, 5, 31), std::nullopt};
        const salon::GroupReport report = salon::groupReport(salon::employeeDb(), salon::ReportGrouping::Technician, period);
        QCOMPARE(report.total.net.plainText(), expected.plainText());
        QCOMPARE(report.total.tax.plainText(), expected.plainText());
    }

    // Sums of the largest amounts the book keeps: exact while they fit, refused beyond the
    // range, whether one month's sum or the months together go beyond it.
    void largeSumsAreExactOrRefused_data()
    {
        QTest::addColumn<int>("march");   // lines of the largest amount in March and in April
        QTest::addColumn<int>("april");
        QTest::addColumn<bool>("fits");
        QTest::newRow("within the range") << 9000 << 0 << true;
        QTest::newRow("one month beyond the range") << 9300 << 0 << false;
        QTest::newRow("two months beyond the range together") << 4650 << 4650 << false;
    }
    void largeSumsAreExactOrRefused()
    {
        QFETCH(int, march);
        QFETCH(int, april);
        QFETCH(bool, fits);
        const QString largest = QStringLiteral("99999999999.9999");
        const QString insert = QStringLiteral(
            "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < ?) "
            "INSERT INTO [Service Records] (ServiceID, EmployeeID, ServiceDate, NameOfService, Quantity, Cost, SalesTax) "
            "SELECT x + ?, 7, ?, 'Gel Set', 1, ?, 0 FROM n");
        QVERIFY(execSql(insert, {march, 1000, QStringLiteral("2025-03-10"), largest}));
        if (april)
            QVERIFY(execSql(insert, {april, 100000, QStringLiteral("2025-04-10"), largest}));
        const salon::ReportPeriod period{QDate(2025, 3, 1), QDate(2025, 4, 30), std::nullopt};
        try {
            const salon::GroupReport report =
                salon::groupReport(salon::employeeDb(), salon::ReportGrouping::TechnicianService, period);
            QVERIFY(fits);
            QCOMPARE(report.groups.size(), size_t(1));
            QCOMPARE(report.total.lines, qint64(march + april));
            QCOMPARE(report.total.net, *Currency::fromDecimalText(largest)->times(march + april));
        } catch (const StoreError &error) {
            QVERIFY2(!fits, qPrintable(error.text()));
            QCOMPARE(error.number(), int(StoreError::NumericOverflow));
            QCOMPARE(error.text(), Currency::tooLargeText(QStringLiteral("A sum of this report")));
        }
    }
};

QTEST_GUILESS_MAIN(TestSalesReport)
#include "tst_salesreport.moc"
