#include "database.h"
#include "frmreport.h"
#include "recordset.h"
#include "salewriter.h"
#include "scripteddialogs.h"
#include "storeerror.h"
#include "testhome.h"

#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

// A visiting report left open while the ticket sells: it stays on its customer, gains the
// row of a sale to that customer once it is committed, and never shows a failed one.
class TestVisitJournal : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<frmReport> report;

    static qint64 keyOf(const QString &table, int id)
    {
        return queryValues(QStringLiteral("SELECT rowid FROM %1 WHERE %2 = %3")
                               .arg(table, table == QLatin1String("Employee") ? QStringLiteral("EmployeeID") : QStringLiteral("CustomerID"))
                               .arg(id))
            .value(0)
            .toLongLong();
    }
    sale::SaleLine saleTo(int customer) const
    {
        return {1, keyOf(QStringLiteral("Employee"), 1), keyOf(QStringLiteral("Customers"), customer), 1, 0.0,
                QDate(2026, 3, 10)};
    }
    int listed() const { return report->findChild<QTableView *>(QStringLiteral("grdDataGrid"))->model()->rowCount(); }

private slots:
    void initTestCase() { useTestLocale(); }

    void init()
    {
        home = std::make_unique<TestHome>();
        dialogs = std::make_unique<ScriptedDialogs>();
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 1}, {QStringLiteral("Total"), 0}, {QStringLiteral("SalesTaxRate"), 0}});
        for (int id : {1, 2})
            addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), id}, {QStringLiteral("LastName"), QStringLiteral("C%1").arg(id)}});
        report = std::make_unique<frmReport>();
    }
    void cleanup()
    {
        report.reset();
        dialogs.reset();
        home.reset();
    }

    void reportGainsTheRowOfItsCustomer()
    {
        QCOMPARE(listed(), 0);
        sale::recordSaleLine(salon::employeeDb(), saleTo(1));
        QCOMPARE(listed(), 1);
        QCOMPARE(report->datPrimaryRS()->absolutePosition(), qint64(0));
    }

    void reportStaysOnItsCustomerWhenAnotherBuys()
    {
        sale::recordSaleLine(salon::employeeDb(), saleTo(2));
        QCOMPARE(listed(), 0);
        QCOMPARE(report->datPrimaryRS()->value(QStringLiteral("CustomerID")), QVariant(1));
        report->datPrimaryRS()->moveNext();
        QCOMPARE(listed(), 1);
    }

    void failedSaleShowsNoRow()
    {
        // The day total overflows: the last write fails, after the journal row was appended.
        QVERIFY(execSql(QStringLiteral("UPDATE Employee SET Total = 922337203685460")));
        QVERIFY_THROWS_EXCEPTION(StoreError, sale::recordSaleLine(salon::employeeDb(), saleTo(1)));
        QCOMPARE(listed(), 0);
        report->datPrimaryRS()->requery();
        QCOMPARE(listed(), 0);
    }
};

QTEST_MAIN(TestVisitJournal)
#include "tst_visitjournal.moc"
