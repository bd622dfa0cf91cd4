#include "databar.h"
#include "database.h"
#include "frmreport.h"
#include "recordset.h"
#include "screenhelpers.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QDate>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

// The visiting report over three customers and their journal rows:
// no. 1 has two visits, no. 2 none, no. 3 one.
class TestFrmReport : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    QPointer<frmReport> form;

    static void addVisit(RecordSet &journal, int customer, const QString &service, double cost)
    {
        journal.addNew();
        journal.setValue(QStringLiteral("CustomerID"), customer);
        journal.setValue(QStringLiteral("EmployeeID"), 2);
        journal.setValue(QStringLiteral("ServiceDate"), QDate(2026, 3, 5));
        journal.setValue(QStringLiteral("NameOfService"), service);
        journal.setValue(QStringLiteral("Quantity"), 1);
        journal.setValue(QStringLiteral("Cost"), cost);
        journal.setValue(QStringLiteral("Count"), journal.recordCount() + 1);
        journal.update();
    }

    QTableView *grid() const { return child<QTableView>(form, "grdDataGrid"); }
    // The service descriptions the grid lists.
    QStringList listed() const
    {
        QStringList services;
        for (int row = 0; row < grid()->model()->rowCount(); ++row)
            services << grid()->model()->index(row, 3).data().toString();
        return services;
    }
    QLineEdit *field(int index) const
    {
        for (QLineEdit *box : form->findChildren<QLineEdit *>(QStringLiteral("txtFields")))
            if (box->property("Index").toInt() == index)
                return box;
        qFatal("no txtFields(%d)", index);
    }
    QString caption() const { return form->findChild<DataBar *>(QStringLiteral("datPrimaryRS"))->caption(); }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        addCustomer(1, QStringLiteral("Ann"), QStringLiteral("Lee"));
        addCustomer(2, QStringLiteral("Bob"), QStringLiteral("Adams"));
        addCustomer(3, QStringLiteral("Cy"), QStringLiteral("Moss"));
        RecordSet journal(salon::employeeDb(), QStringLiteral("Service Records"));
        addVisit(journal, 1, QStringLiteral("Manicure"), 18);
        addVisit(journal, 3, QStringLiteral("Haircut"), 25);
        addVisit(journal, 1, QStringLiteral("Pedicure"), 30.5);
        form = new frmReport;
    }
    void cleanup()
    {
        delete form;
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
    }

    void opensOnTheFirstCustomerWithItsVisits()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Velorine - Customer Visiting Report"));
        QCOMPARE(field(0)->text(), QStringLiteral("Ann"));
        QCOMPARE(field(1)->text(), QStringLiteral("Lee"));
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
        QCOMPARE(listed(), (QStringList{QStringLiteral("Manicure"), QStringLiteral("Pedicure")}));
        QStringList captions;
        for (int c = 0; c < grid()->model()->columnCount(); ++c)
            captions << grid()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(captions, (QStringList{"Service No.", "Employee ID", "Service Date", "Service Description", "Quantity", "Cost"}));
        const QAbstractItemModel *model = grid()->model();
        QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("3"));
        QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("3/5/2026"));
        QCOMPARE(model->index(1, 5).data().toString(), QStringLiteral("$30.50"));
    }

    // Whatever moves the customers, the grid lists exactly that customer's journal rows.
    void journalFollowsTheCustomer_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QStringList>("services");
        QTest::newRow("next: no visits") << "N" << QStringList();
        QTest::newRow("next, next") << "NN" << QStringList{"Haircut"};
        QTest::newRow("last, first") << "LF" << QStringList{"Manicure", "Pedicure"};
        QTest::newRow("program move by 2") << "2" << QStringList{"Haircut"};
        QTest::newRow("program moves 2 then back") << "2P" << QStringList();
    }
    void journalFollowsTheCustomer()
    {
        QFETCH(QString, moves);
        QFETCH(QStringList, services);
        DataBar *bar = form->findChild<DataBar *>(QStringLiteral("datPrimaryRS"));
        for (QChar m : moves) {
            if (m == u'N') QTest::mouseClick(bar->findChild<QWidget *>(QStringLiteral("moveNext")), Qt::LeftButton);
            else if (m == u'L') QTest::mouseClick(bar->findChild<QWidget *>(QStringLiteral("moveLast")), Qt::LeftButton);
            else if (m == u'F') QTest::mouseClick(bar->findChild<QWidget *>(QStringLiteral("moveFirst")), Qt::LeftButton);
            else if (m == u'P') form->datPrimaryRS()->movePrevious();
            else form->datPrimaryRS()->move(m.digitValue());
        }
        QCOMPARE(listed(), services);
        const QVariant shown = form->datPrimaryRS()->value(QStringLiteral("CustomerID"));
        RecordSet *journal = form->datSecondaryRS();
        for (qint64 row = 0; row < journal->recordCount(); ++row)
            QCOMPARE(journal->rowAt(row).value(journal->fieldIndex(QStringLiteral("CustomerID"))), shown);
    }

    // What the daily ticket does with the report, which it never shows.
    void aHiddenReportTakesAJournalRowForItsCustomer()
    {
        QVERIFY(!form->isVisible());
        RecordSet *customers = form->datPrimaryRS();
        customers->moveFirst();
        customers->move(2);   // customer no. 3
        addVisit(*form->datSecondaryRS(), 3, QStringLiteral("Colour"), 40);
        customers->moveFirst();
        QCOMPARE(listed(), (QStringList{QStringLiteral("Manicure"), QStringLiteral("Pedicure")}));
        customers->move(2);
        QCOMPARE(listed(), (QStringList{QStringLiteral("Haircut"), QStringLiteral("Colour")}));
    }

    void aCustomerWithoutANumberListsNoVisits()
    {
        addCustomer(QVariant(), QStringLiteral("No"), QStringLiteral("Number"));
        form->datPrimaryRS()->requery();
        form->datPrimaryRS()->moveLast();
        QCOMPARE(field(0)->text(), QStringLiteral("No"));
        QCOMPARE(listed(), QStringList());
        click(form, "cmdAdd");
        QCOMPARE(listed(), QStringList());
    }

    // The customer's number is bound, never pasted into the query; anything but a whole number
    // picks no rows.
    void journalSourceBindsOnlyANumber()
    {
        const RecordSource seven = frmReport::journalSource(salon::employeeDb(), 7);
        QCOMPARE(seven.table, QStringLiteral("Service Records"));
        QCOMPARE(seven.where, QStringLiteral("[CustomerID] = ?"));
        QCOMPARE(seven.values, QVariantList{qlonglong(7)});
        QCOMPARE(frmReport::journalSource(salon::employeeDb(), QStringLiteral("7 or 1=1")).values, QVariantList{QVariant()});
    }

    void deleteWithoutAQuestion_data()
    {
        QTest::addColumn<int>("startRow");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("edited");   // a box typed in first: the typing goes with the customer
        QTest::newRow("middle: the next one") << 1 << "Cy" << "Record: 2" << false;
        QTest::newRow("last: the new last one") << 2 << "Bob" << "Record: 2" << false;
        QTest::newRow("edited middle: the next one") << 1 << "Cy" << "Record: 2" << true;
    }
    void deleteWithoutAQuestion()
    {
        QFETCH(int, startRow);
        QFETCH(QString, shown);
        QFETCH(QString, caption);
        QFETCH(bool, edited);
        form->datPrimaryRS()->move(startRow);
        if (edited)
            typeInto(field(0), QStringLiteral("Zed"));
        click(form, "cmdDelete");
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(2));
        QCOMPARE(field(0)->text(), shown);
        QCOMPARE(this->caption(), caption);
    }

    void deletingTheOnlyCustomerLeavesNoneAndNoMessage()
    {
        click(form, "cmdDelete");
        click(form, "cmdDelete");
        click(form, "cmdDelete");
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(0));
        QCOMPARE(caption(), QStringLiteral("Record: 0"));
        click(form, "cmdDelete");   // nothing left: quietly nothing
        QVERIFY(dialogs->shown().isEmpty());
    }

    void closingStoresAnEdit_data()
    {
        QTest::addColumn<bool>("closeButton");
        QTest::newRow("Close runs Update") << true;
        QTest::newRow("close box") << false;
    }
    void closingStoresAnEdit()
    {
        QFETCH(bool, closeButton);
        form->datPrimaryRS()->moveNext();
        field(7)->setText(QStringLiteral("555-0102"));
        if (closeButton)
            click(form, "cmdClose");
        else
            form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
        RecordSet customers(salon::employeeDb(), QStringLiteral("Customers"));
        customers.moveNext();
        QCOMPARE(customers.value(QStringLiteral("HomePhone")).toString(), QStringLiteral("555-0102"));
    }

    void updateWithoutACustomerIsReported()
    {
        form->datPrimaryRS()->moveLast();
        form->datPrimaryRS()->moveNext();
        dialogs->answerMessage();
        click(form, "cmdUpdate");
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("No current record.")});
    }
};

QTEST_MAIN(TestFrmReport)
#include "tst_frmreport.moc"
