#include "database.h"
#include "salewriter.h"
#include "storeerror.h"
#include "testhome.h"
#include "visitjournal.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

using namespace sale;

namespace {

const QDate mar10(2026, 3, 10);

QVariantList rowValues(const QString &sql)
{
    QSqlQuery query(salon::employeeDb());
    if (!query.exec(salon::sqlFor(salon::employeeDb(), sql)) || !query.next())
        qFatal("query failed: %s", qPrintable(sql));
    QVariantList values;
    for (int i = 0; i < query.record().count(); ++i)
        values << plainValue(query, i);
    return values;
}

qint64 number(const QString &sql) { return rowValues(sql).value(0).toLongLong(); }

// Everything a sale line may write, as one text: a failed sale must leave it as it was.
QString bookState()
{
    QString state;
    for (const char *sql : {"SELECT rowid, * FROM Products", "SELECT rowid, * FROM Employee", "SELECT rowid, * FROM Customers",
                            "SELECT * FROM Misc", "SELECT * FROM \"Service Records\"",
                            "SELECT * FROM sqlite_sequence"}) {
        QSqlQuery query(salon::employeeDb());
        query.exec(salon::sqlFor(salon::employeeDb(), QLatin1String(sql)));
        while (query.next())
            for (int i = 0; i < query.record().count(); ++i)
                state += query.value(i).toString() + u'|';
        state += u'\n';
    }
    return state;
}

void exec(const QString &sql, const QVariantList &values = {})
{
    if (!execSql(sql, values))
        qFatal("exec failed: %s", qPrintable(sql));
}

} // namespace

// The sale writer on a real book: technician 1 (tax 0.07), customer 1, and the starter price
// list with a 19.99 service as product row 1.
class TestSaleWriter : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> home;
    qint64 technician = 0;
    qint64 customer = 0;

    SaleLine line(qint64 quantity = 2, double rate = 0.1, QDate today = mar10) const
    {
        return {1, technician, customer, quantity, rate, today};
    }

private slots:
    void initTestCase() { useTestLocale(); }

    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 1}, {QStringLiteral("FirstName"), QStringLiteral("Kim")},
                                            {QStringLiteral("SubTotal"), 0}, {QStringLiteral("Total"), 0},
                                            {QStringLiteral("SalesTaxRate"), 0.07}});
        addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), 1}, {QStringLiteral("FirstName"), QStringLiteral("Ann")},
                                             {QStringLiteral("LastName"), QStringLiteral("Lee")}});
        technician = number(QStringLiteral("SELECT max(rowid) FROM Employee"));
        customer = number(QStringLiteral("SELECT max(rowid) FROM Customers"));
        exec(QStringLiteral("UPDATE Products SET ServiceName = 'Gel Set', UnitPrice = 19.99 WHERE rowid = 1"));
        exec(QStringLiteral("UPDATE Misc SET ChangeCount = 0, ChangeDate = '2026-03-09', MyNumber = 0"));
    }
    void cleanup() { home.reset(); }

    void storesTheWholeSaleLine()
    {
        QSignalSpy announced(&visitjournal::Notifier::instance(), &visitjournal::Notifier::visitsAdded);
        const RecordedSale sale = recordSaleLine(salon::employeeDb(), line());
        QCOMPARE(sale.extended, *Currency::fromDouble(35.982));
        QCOMPARE(sale.dayTotal, *Currency::fromDouble(38.5007));
        QCOMPARE(sale.count, qint64(1));

        QCOMPARE(rowValues(QStringLiteral("SELECT Quantity, Discount, SalePrice FROM Products WHERE rowid = 1")),
                 (QVariantList{2, 0.1, 35.982}));
        QCOMPARE(rowValues(QStringLiteral("SELECT CustomerID, EmployeeID, ServiceDate, NameOfService, Quantity, Cost, Count "
                                          "FROM \"Service Records\"")),
                 (QVariantList{1, 1, QStringLiteral("2026-03-10"), QStringLiteral("Gel Set"), 2, 35.982, 1}));
        QCOMPARE(rowValues(QStringLiteral("SELECT ChangeCount, ChangeDate, MyNumber FROM Misc")),
                 (QVariantList{0, QStringLiteral("2026-03-10"), 0}));
        QCOMPARE(rowValues(QStringLiteral("SELECT ServiceDate FROM Customers")), QVariantList{QStringLiteral("3/10/2026")});
        QCOMPARE(rowValues(QStringLiteral("SELECT SubTotal, Total FROM Employee")), (QVariantList{35.982, 38.5007}));
        QCOMPARE(announced.count(), 1);
        QCOMPARE(announced.first().first(), QVariant(1));
    }

    // The line records its tax so that Cost + SalesTax is exactly what it added to the
    // technician's day total, whatever the rate, discount and total before.
    void recordsTheTaxItAddedToTheDayTotal_data()
    {
        QTest::addColumn<double>("taxRate");
        QTest::addColumn<qint64>("quantity");
        QTest::addColumn<double>("discount");
        QTest::addColumn<double>("totalBefore");
        QTest::addColumn<QString>("salesTax");
        QTest::newRow("7%, 10% off") << 0.07 << qint64(2) << 0.1 << 0.0 << "2.5187";
        QTest::newRow("8.25%, total before") << 0.0825 << qint64(2) << 0.1 << 12.3456 << "2.9685";
        QTest::newRow("6%, 15% off, three") << 0.06 << qint64(3) << 0.15 << 100.0001 << "3.0585";
        QTest::newRow("7.25%, no discount") << 0.0725 << qint64(1) << 0.0 << 0.0 << "1.4493";
        QTest::newRow("no tax") << 0.0 << qint64(4) << 0.0 << 5.0 << "0";
    }
    void recordsTheTaxItAddedToTheDayTotal()
    {
        QFETCH(double, taxRate);
        QFETCH(qint64, quantity);
        QFETCH(double, discount);
        QFETCH(double, totalBefore);
        QFETCH(QString, salesTax);
        exec(QStringLiteral("UPDATE Employee SET SalesTaxRate = ?, Total = ?"), {taxRate, totalBefore});
        // Money read as the book holds it, never through a double.
        const auto money = [](const QString &sql) {
            QSqlQuery query = salon::runQuery(salon::employeeDb(), sql);
            QStringList amounts;
            if (!query.next())
                return amounts;
            for (int i = 0; i < query.record().count(); ++i)
                amounts << QString::number(Currency::fromStored(query.value(i)).value_or(Currency::fromScaled(-1)).scaled());
            return amounts;
        };
        const qint64 before = money(QStringLiteral("SELECT Total FROM Employee")).value(0).toLongLong();

        const RecordedSale sale = recordSaleLine(salon::employeeDb(), line(quantity, discount));
        const QStringList journal = money(QStringLiteral("SELECT Cost, SalesTax FROM \"Service Records\""));
        const qint64 after = money(QStringLiteral("SELECT Total FROM Employee")).value(0).toLongLong();
        QCOMPARE(journal.value(0).toLongLong(), sale.extended.scaled());
        QCOMPARE(Currency::fromScaled(journal.value(1).toLongLong()).plainText(), salesTax);
        QCOMPARE(journal.value(0).toLongLong() + journal.value(1).toLongLong(), after - before);
    }

    void numbersEachDayFromOne()
    {
        QList<qint64> counts;
        for (const QDate &day : {mar10, mar10, mar10, mar10.addDays(1), mar10.addDays(1), mar10.addDays(3)})
            counts << recordSaleLine(salon::employeeDb(), line(1, 0.1, day)).count;
        QCOMPARE(counts, (QList<qint64>{1, 2, 3, 1, 2, 1}));
        QCOMPARE(rowValues(QStringLiteral("SELECT ChangeCount, ChangeDate, MyNumber FROM Misc")),
                 (QVariantList{0, QStringLiteral("2026-03-13"), 5}));
    }

    // A book left by the older numbering after a day of exactly one sale: ChangeCount 1 and
    // MyNumber one below that sale's row. The next day starts at 1 again.
    void bookLeftMidDayRestartsTheNextDay()
    {
        exec(QStringLiteral("INSERT INTO \"Service Records\" (ServiceID, CustomerID, EmployeeID, ServiceDate, Count) "
                            "VALUES (41, 1, 1, '2026-03-09', 1)"));
        exec(QStringLiteral("UPDATE Misc SET ChangeCount = 1, ChangeDate = '2026-03-01', MyNumber = 40"));
        QCOMPARE(recordSaleLine(salon::employeeDb(), line()).count, qint64(1));
        QCOMPARE(rowValues(QStringLiteral("SELECT ChangeCount, ChangeDate, MyNumber FROM Misc")),
                 (QVariantList{0, QStringLiteral("2026-03-10"), 41}));
    }

    // The last write fails (the day total would overflow): the cells, numbering, journal row and
    // last visit written before it are rolled back, and no report is told of a row.
    void failedSaleLeavesTheBookAsItWas_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");   // empty: the store's own text
        QTest::addColumn<qint64>("ticketSubTotal");   // scaled; what the ticket holds before the line
        const QString bound = QStringLiteral(
            " is too large: amounts of money must stay below 100,000,000,000. The sale was not recorded.");
        QTest::newRow("day total overflows") << QStringLiteral("UPDATE Employee SET Total = 922337203685460")
                                             << "The technician's day total" + bound << qint64(0);
        QTest::newRow("customer deleted") << QStringLiteral("DELETE FROM Customers") << QString() << qint64(0);
        QTest::newRow("no Misc row") << QStringLiteral("DELETE FROM Misc") << QString() << qint64(0);
        QTest::newRow("day total not an amount") << QStringLiteral("UPDATE Employee SET Total = 'lots'") << QString() << qint64(0);
        // The line sold is 3 at 20% off: 3 x 40,000,000,000 reaches the bound.
        QTest::newRow("extended price reaches the bound") << QStringLiteral("UPDATE Products SET UnitPrice = 50000000000")
                                                          << "The extended price of this line" + bound << qint64(0);
        QTest::newRow("price the book cannot keep") << QStringLiteral("UPDATE Products SET UnitPrice = 123456789012345.6")
                                                    << "The extended price of this line" + bound << qint64(0);
        // The ticket's own sub-total, never the stored one, is what a line adds to.
        QTest::newRow("sub-total reaches the bound") << QString() << "The sub-total of this ticket" + bound
                                                     << qint64(99999999990) * Currency::scale;
        QTest::newRow("day total reaches the bound") << QStringLiteral("UPDATE Employee SET Total = 99999999990")
                                                     << "The technician's day total" + bound << qint64(0);
    }
    void failedSaleLeavesTheBookAsItWas()
    {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        QFETCH(qint64, ticketSubTotal);
        if (onServer() && damage.contains(u'\''))
            QSKIP("A server's money column holds numbers only.");
        recordSaleLine(salon::employeeDb(), line(1));
        if (!damage.isEmpty())
            exec(damage);
        const QString before = bookState();
        QSignalSpy announced(&visitjournal::Notifier::instance(), &visitjournal::Notifier::visitsAdded);
        SaleLine failing = line(3, 0.2);
        failing.ticketSubTotal = Currency::fromScaled(ticketSubTotal);
        try {
            recordSaleLine(salon::employeeDb(), failing);
            QFAIL("the sale was recorded");
        } catch (const StoreError &error) {
            if (!message.isEmpty())
                QCOMPARE(error.text(), message);
        }
        QCOMPARE(bookState(), before);
        QCOMPARE(announced.count(), 0);
        // The connection is usable again: no transaction was left open.
        QVERIFY(execSql(onServer() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")));
        QVERIFY(execSql(QStringLiteral("ROLLBACK")));
    }

    // The sub-total a line adds to is the ticket's: what an earlier ticket left in the stored
    // SubTotal never reaches a sale, and the stored value is written from the ticket's.
    void subTotalIsTheTicketsOwn()
    {
        exec(QStringLiteral("UPDATE Employee SET SubTotal = 50"));
        const RecordedSale first = recordSaleLine(salon::employeeDb(), line());
        QCOMPARE(first.subTotal, *Currency::fromDouble(35.982));
        QCOMPARE(rowValues(QStringLiteral("SELECT SubTotal FROM Employee")), QVariantList{35.982});
        SaleLine next = line(1);
        next.ticketSubTotal = first.subTotal;
        QCOMPARE(recordSaleLine(salon::employeeDb(), next).subTotal, *Currency::fromDouble(53.973));
        QCOMPARE(rowValues(QStringLiteral("SELECT SubTotal FROM Employee")), QVariantList{53.973});
    }

    // No rate is an empty SalesTaxRate: the sale is refused whole. 0 is a rate like any other.
    void technicianWithoutARate_data()
    {
        QTest::addColumn<QVariant>("rate");
        QTest::addColumn<bool>("refused");
        QTest::newRow("null") << QVariant() << true;
        QTest::newRow("empty text") << QVariant(QString()) << true;
        QTest::newRow("blank text") << QVariant(QStringLiteral("  ")) << true;
        QTest::newRow("zero") << QVariant(0.0) << false;
    }
    void technicianWithoutARate()
    {
        QFETCH(QVariant, rate);
        QFETCH(bool, refused);
        if (onServer() && !rate.toString().isEmpty() && rate.typeId() == QMetaType::QString)
            QSKIP("A server's rate column holds numbers only.");
        exec(QStringLiteral("UPDATE Employee SET SalesTaxRate = ?"), {rate.isNull() ? QVariant(QMetaType::fromType<double>()) : rate});
        const QString before = bookState();
        if (!refused) {
            QCOMPARE(recordSaleLine(salon::employeeDb(), line()).dayTotal, *Currency::fromDouble(35.982));
            return;
        }
        try {
            recordSaleLine(salon::employeeDb(), line());
            QFAIL("sold without a tax rate");
        } catch (const StoreError &error) {
            QCOMPARE(error.text(), QStringLiteral("No sales tax rate is set for this technician. Set it with Tax Rate on the price list."));
        }
        QCOMPARE(bookState(), before);
    }

    // A journal line must name what was sold: a nameless row in the book writes nothing.
    void namelessServiceIsNotSold_data()
    {
        QTest::addColumn<QVariant>("name");
        QTest::newRow("empty field") << QVariant();
        QTest::newRow("empty text") << QVariant(QString(""));
        QTest::newRow("blanks") << QVariant(QStringLiteral("  "));
    }
    void namelessServiceIsNotSold()
    {
        QFETCH(QVariant, name);
        exec(QStringLiteral("UPDATE Products SET ServiceName = ? WHERE rowid = 1"), {name});
        const QString before = bookState();
        try {
            recordSaleLine(salon::employeeDb(), line());
            QFAIL("a nameless service was sold");
        } catch (const StoreError &error) {
            QCOMPARE(error.text(), QStringLiteral("This service has no name; name it on the price list first."));
        }
        QCOMPARE(bookState(), before);
    }

    // The reset clears the ticket cells and the sub-totals of the technicians named, no others.
    void clearTicketZeroesTheCellsAndTheSubTotal()
    {
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 2}, {QStringLiteral("SubTotal"), 7}, {QStringLiteral("Total"), 0}});
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 3}, {QStringLiteral("SubTotal"), 9}, {QStringLiteral("Total"), 0}});
        recordSaleLine(salon::employeeDb(), line());
        clearTicketCells(salon::employeeDb(), {technician, number(QStringLiteral("SELECT rowid FROM Employee WHERE EmployeeID = 3"))});
        QCOMPARE(number(QStringLiteral("SELECT count(*) FROM Products WHERE Quantity <> 0 OR Discount <> 0 OR SalePrice <> 0")),
                 qint64(0));
        QStringList totals;
        const QVariantList values = queryValues(QStringLiteral("SELECT SubTotal, Total FROM Employee ORDER BY EmployeeID"));
        for (qsizetype i = 0; i + 1 < values.size(); i += 2)
            totals << Currency::fromStored(values[i])->plainText() + u'/' + Currency::fromStored(values[i + 1])->plainText();
        QCOMPARE(totals.join(u','), QStringLiteral("0/38.5007,7/0,0/0"));
    }
};

QTEST_GUILESS_MAIN(TestSaleWriter)
#include "tst_salewriter.moc"
