#include "databar.h"
#include "database.h"
#include "frmsupplier.h"
#include "recordset.h"
#include "screenhelpers.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

// The supplier book over three suppliers, under the company "Nail Studio".
class TestFrmSupplier : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    QPointer<frmSupplier> form;

    static void addSupplier(const QString &id, const QString &name)
    {
        RecordSet suppliers(salon::employeeDb(), QStringLiteral("Suppliers"));
        suppliers.addNew();
        suppliers.setValue(QStringLiteral("SupplierID"), id);
        suppliers.setValue(QStringLiteral("SupplierName"), name);
        suppliers.update();
    }
    QString caption() const { return child<DataBar>(form, "datPrimary")->caption(); }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        QVERIFY(execSql(QStringLiteral("UPDATE Misc SET Company = 'Nail Studio'")));
        addSupplier(QStringLiteral("S1"), QStringLiteral("Polish Co"));
        addSupplier(QStringLiteral("S2"), QStringLiteral("Lacquer Ltd"));
        addSupplier(QStringLiteral("S3"), QStringLiteral("Files Inc"));
        form = new frmSupplier;
    }
    void cleanup()
    {
        delete form;
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
    }

    void headingShowsTheCompanyTwice()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Velorine - Suppliers Information"));
        QCOMPARE(child<QLabel>(form, "lblVelorine1")->text(), QStringLiteral("Nail Studio"));
        QCOMPARE(child<QLabel>(form, "lblVelorine2")->text(), QStringLiteral("Nail Studio"));
        QCOMPARE(child(form, "txtCompany")->text(), QStringLiteral("Polish Co"));
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
    }

    void titleFromTheListIsStored()
    {
        auto title = child<QComboBox>(form, "cmbTitle");
        QCOMPARE(title->count(), 4);
        QCOMPARE(title->itemText(2), QStringLiteral("Mrs."));
        title->setCurrentIndex(2);
        click(form, "cmdUpdate");
        RecordSet suppliers(salon::employeeDb(), QStringLiteral("Suppliers"));
        QCOMPARE(suppliers.value(QStringLiteral("ContactTitle")).toString(), QStringLiteral("Mrs."));
    }

    void deleteAnswers_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no: the second supplier, nothing deleted") << false << 2 << qint64(3) << "Lacquer Ltd" << "Record: 2";
        QTest::newRow("yes: the next supplier") << true << 0 << qint64(2) << "Lacquer Ltd" << "Record: 1";
        QTest::newRow("yes on the last: no record") << true << 2 << qint64(2) << "" << "Record: 0";
    }
    void deleteAnswers()
    {
        QFETCH(bool, yes);
        QFETCH(int, startRow);
        QFETCH(qint64, count);
        QFETCH(QString, shown);
        QFETCH(QString, caption);
        form->datPrimary()->move(startRow);
        dialogs->answerMessage(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        click(form, "cmdDelete");
        QCOMPARE(dialogs->last().text, QStringLiteral("Are you sure you want to delete THIS SUPPLIER FILE ?"));
        QCOMPARE(dialogs->last().title, QStringLiteral("Velorine"));
        QCOMPARE(rowCount(QStringLiteral("Suppliers")), count);
        QCOMPARE(child(form, "txtCompany")->text(), shown);
        QCOMPARE(this->caption(), caption);
    }

    void deletingTheOnlySupplierLeavesNoRecord()
    {
        for (int i = 0; i < 2; ++i) {
            dialogs->answerMessage(Dialogs::Answer::Yes);
            click(form, "cmdDelete");
        }
        dialogs->answerMessage(Dialogs::Answer::Yes);
        click(form, "cmdDelete");
        QCOMPARE(rowCount(QStringLiteral("Suppliers")), qint64(0));
        QVERIFY(!form->datPrimary()->hasCurrent());
        QCOMPARE(caption(), QStringLiteral("Record: 0"));
        click(form, "cmdDelete");   // an empty book: no question, nothing happens
        QCOMPARE(dialogs->shown().size(), 3);
    }

    void updateWithoutARecordAsksForAdd()
    {
        form->datPrimary()->moveLast();
        form->datPrimary()->moveNext();
        dialogs->answerMessage();
        click(form, "cmdUpdate");
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("You need to use Add command to enter new record.")});
        QVERIFY(!form.isNull());
    }

    // Tab goes down the left column, then down the right one, as the boxes stand on screen.
    void tabFollowsTheScreen()
    {
        const QStringList expected = {QStringLiteral("txtSupplierID"), QStringLiteral("txtCompany"), QStringLiteral("cmbTitle"),
                                      QStringLiteral("txtContact"), QStringLiteral("txtAddress"), QStringLiteral("txtCity"),
                                      QStringLiteral("txtState"), QStringLiteral("txtZip"), QStringLiteral("txtCountry"),
                                      QStringLiteral("txtPhone"), QStringLiteral("txtFax"), QStringLiteral("txtEMail"),
                                      QStringLiteral("txtNote"), QStringLiteral("cmdAdd")};
        QStringList order;
        QWidget *widget = child(form, "txtSupplierID");
        while (order.size() < expected.size()) {
            if (widget->focusPolicy() & Qt::TabFocus)
                order << widget->objectName();
            widget = widget->nextInFocusChain();
        }
        QCOMPARE(order, expected);
    }

    void addUpdateThenExit()
    {
        click(form, "cmdAdd");
        QCOMPARE(child(form, "txtSupplierID")->text(), QString());
        QTest::keyClicks(child(form, "txtSupplierID"), QStringLiteral("S4"));
        QTest::keyClicks(child(form, "txtCompany"), QStringLiteral("Brush & Co"));
        click(form, "cmdUpdate");
        QCOMPARE(caption(), QStringLiteral("Record: 4"));
        QTest::keyClicks(child(form, "txtCity"), QStringLiteral("Springfield"));
        click(form, "cmdExit");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
        RecordSet suppliers(salon::employeeDb(), QStringLiteral("Suppliers"));
        suppliers.moveLast();
        QCOMPARE(suppliers.value(QStringLiteral("SupplierName")).toString(), QStringLiteral("Brush & Co"));
        QCOMPARE(suppliers.value(QStringLiteral("City")).toString(), QStringLiteral("Springfield"));
    }
};

QTEST_MAIN(TestFrmSupplier)
#include "tst_frmsupplier.moc"
