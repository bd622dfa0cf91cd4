#include "appointments.h"
#include "databar.h"
#include "database.h"
#include "dates.h"
#include "frmmember.h"
#include "recordset.h"
#include "screenhelpers.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

// The customer book over six customers, two of them of the same name.
class TestFrmMember : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    QPointer<frmMember> form;

    QString caption() const { return child<DataBar>(form, "datCustomer")->caption(); }
    void closeForm()
    {
        form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        addCustomer(1, QStringLiteral("Ann"), QStringLiteral("Lee"));
        addCustomer(2, QStringLiteral("Bob"), QStringLiteral("Adams"));
        addCustomer(3, QStringLiteral("Ann"), QStringLiteral("Lee"));
        addCustomer(4, QStringLiteral("Pat"), QStringLiteral("O'Brien"));
        addCustomer(5, QVariant(), QStringLiteral("Moss"));
        addCustomer(6, QStringLiteral("Zed"), QVariant());
        form = new frmMember;
    }
    void cleanup()
    {
        delete form;
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
    }

    // Ann Lee (1): a booked 14:00 appointment in three days (with two services) is her next,
    // not the cancelled one before it, the later one, or yesterday's still booked one; she
    // missed two. Bob Adams (2) missed one and has nothing booked; Ann Lee (3) has nothing.
    void showsTheNextAppointmentAndTheMissedOnes()
    {
        addEmployee(1, QStringLiteral("Ivy"), QStringLiteral("Lane"));
        addEmployee(2, QStringLiteral("Max"), QStringLiteral("Ray"));
        const QDate today = QDate::currentDate();
        auto book = [](qint64 technician, qint64 customer, QDate day, QTime time,
                       salon::AppointmentStatus status = salon::AppointmentStatus::Booked) {
            salon::Booking booking;
            booking.employeeId = technician;
            booking.customerId = customer;
            booking.date = day;
            booking.time = time;
            booking.services = {{QVariant(), QStringLiteral("Gel Set"), 45}, {QVariant(), QStringLiteral("Pedicure"), 30}};
            const salon::Appointment booked = salon::bookAppointment(salon::employeeDb(), booking);
            if (status != salon::AppointmentStatus::Booked)
                salon::setAppointmentStatus(salon::employeeDb(), booked.id, status);
        };
        using salon::AppointmentStatus;
        book(2, 1, today.addDays(10), QTime(9, 0));
        book(1, 1, today.addDays(3), QTime(14, 0));
        book(2, 1, today.addDays(2), QTime(9, 0), AppointmentStatus::Cancelled);
        book(2, 1, today.addDays(-1), QTime(9, 0));
        book(1, 1, today.addDays(-8), QTime(9, 0), AppointmentStatus::NoShow);
        book(1, 1, today.addDays(-9), QTime(9, 0), AppointmentStatus::NoShow);
        book(1, 2, today.addDays(-9), QTime(11, 0), AppointmentStatus::NoShow);
        book(2, 2, today.addDays(-2), QTime(11, 0), AppointmentStatus::Done);
        delete form;
        form = new frmMember;

        auto *next = child<QLabel>(form, "lblNextAppointment");
        auto *missed = child<QLabel>(form, "lblMissed");
        QCOMPARE(next->text(), shortDateText(today.addDays(3)) + QStringLiteral(" 2:00 PM with Ivy Lane: Gel Set, Pedicure"));
        QCOMPARE(missed->text(), QStringLiteral("2"));
        form->datCustomer()->moveNext();
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("2"));
        QCOMPARE(next->text(), QStringLiteral("None booked"));
        QCOMPARE(missed->text(), QStringLiteral("1"));
        form->datCustomer()->moveNext();
        QCOMPARE(missed->text(), QStringLiteral("0"));
        click(form, "cmdAdd");   // a customer not yet stored has no appointments
        QCOMPARE(next->text(), QString());
        QCOMPARE(missed->text(), QString());
    }

    void opensOnTheFirstCustomer()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Velorine - Customer Information"));
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("1"));
        QCOMPARE(child(form, "txtLastname")->text(), QStringLiteral("Lee"));
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
    }

    void search_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("memberId");   // empty: the screen stays where it was
        QTest::addColumn<QString>("message");
        QTest::newRow("search") << QByteArray("cmdSearch") << "Ann" << "Lee" << "1" << "";
        QTest::newRow("letter case ignored") << QByteArray("cmdSearch") << "bOB" << "adAMS" << "2" << "";
        QTest::newRow("top: first of two") << QByteArray("cmdTop") << "Ann" << "Lee" << "1" << "";
        QTest::newRow("bottom: last of two") << QByteArray("cmdBottom") << "Ann" << "Lee" << "3" << "";
        QTest::newRow("quote in a name") << QByteArray("cmdSearch") << "Pat" << "o'brien" << "4" << "";
        QTest::newRow("quotes never reach the query")
            << QByteArray("cmdSearch") << "x' or '1'='1" << "y" << ""
            << "No records found with:  Name = 'x' or '1'='1 y'.";
        QTest::newRow("stored with a last name only") << QByteArray("cmdSearch") << " " << "Moss" << "5" << "";
        QTest::newRow("stored with a first name only") << QByteArray("cmdSearch") << "Zed" << " " << "6" << "";
        QTest::newRow("no match") << QByteArray("cmdSearch") << "Ann" << "Leigh" << ""
                                  << "No records found with:  Name = 'Ann Leigh'.";
        QTest::newRow("first name only typed") << QByteArray("cmdSearch") << "Ann" << "" << ""
                                               << "Please enter both Last and First name.";
        QTest::newRow("last name only typed") << QByteArray("cmdBottom") << "" << "Lee" << ""
                                              << "Please enter both Last and First name.";
    }
    void search()
    {
        QFETCH(QByteArray, button);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, memberId);
        QFETCH(QString, message);
        form->datCustomer()->move(1);   // start on Bob
        typeInto(form, "txtSearchFirst", first);
        typeInto(form, "txtSearchLast", last);
        if (!message.isEmpty())
            dialogs->answerMessage();
        click(form, button.constData());
        QCOMPARE(dialogs->messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(dialogs->last().title, QStringLiteral("Velorine"));
        QCOMPARE(child(form, "txtMemberID")->text(), memberId.isEmpty() ? QStringLiteral("2") : memberId);
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(6));
    }

    // Once a customer is deleted, numbers no longer equal row positions: the search must
    // still show the customer it found, not the one standing at that position.
    void searchShowsTheFoundCustomerWhenNumbersAreNotPositions()
    {
        dialogs->answerMessage(Dialogs::Answer::Yes);
        click(form, "cmdDelete");   // Ann Lee no. 1 goes; the other Ann Lee (no. 3) is now row 2
        typeInto(form, "txtSearchFirst", QStringLiteral("Pat"));
        typeInto(form, "txtSearchLast", QStringLiteral("O'Brien"));
        click(form, "cmdSearch");
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("4"));
        QCOMPARE(child(form, "txtFirstname")->text(), QStringLiteral("Pat"));
        QCOMPARE(caption(), QStringLiteral("Record: 3"));
    }

    void nextAndPreviousStepThroughTheMatches()
    {
        typeInto(form, "txtSearchFirst", QStringLiteral("ann"));
        typeInto(form, "txtSearchLast", QStringLiteral("lee"));
        click(form, "cmdNext");   // from no. 1 on screen
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("3"));
        dialogs->answerMessage();
        click(form, "cmdNext");
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("No records found with:  Name = 'ann lee'.")});
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("3"));
        click(form, "cmdPrevious");
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("1"));
    }

    void searchFindsACustomerAddedAfterTheScreenOpened()
    {
        addCustomer(7, QStringLiteral("New"), QStringLiteral("Comer"));
        typeInto(form, "txtSearchFirst", QStringLiteral("New"));
        typeInto(form, "txtSearchLast", QStringLiteral("Comer"));
        click(form, "cmdSearch");
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("7"));
    }

    void deleteAnswers_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("memberId");
        QTest::newRow("yes: the next customer") << true << 0 << qint64(5) << "Record: 1" << "2";
        QTest::newRow("yes on the last: past the end") << true << 5 << qint64(5) << "Record: 0" << "";
        QTest::newRow("no: re-read, then the second customer") << false << 3 << qint64(6) << "Record: 2" << "2";
    }
    void deleteAnswers()
    {
        QFETCH(bool, yes);
        QFETCH(int, startRow);
        QFETCH(qint64, count);
        QFETCH(QString, caption);
        QFETCH(QString, memberId);
        form->datCustomer()->move(startRow);
        dialogs->answerMessage(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        click(form, "cmdDelete");
        QCOMPARE(dialogs->last().text, QStringLiteral("Are you sure you want to delete THIS CUSTOMER FILE ?"));
        QCOMPARE(dialogs->last().buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(rowCount(QStringLiteral("Customers")), count);
        QCOMPARE(this->caption(), caption);
        QCOMPARE(child(form, "txtMemberID")->text(), memberId);
    }

    void saveWithoutACustomerSaysSoAndCloses()
    {
        form->datCustomer()->moveLast();
        form->datCustomer()->moveNext();
        dialogs->answerMessage();
        click(form, "cmdSave");
        QCOMPARE(dialogs->last().text, QStringLiteral("Please use Add command to enter new data"));
        QCOMPARE(dialogs->last().icon, Dialogs::Icon::Information);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
    }

    void saveOfACustomerDeletedElsewhereSaysSoAndCloses()
    {
        QVERIFY(execSql(QStringLiteral("DELETE FROM Customers WHERE CustomerID = 1")));
        typeInto(form, "txtLine1", QStringLiteral("12 Elm St"));
        dialogs->answerMessage();
        click(form, "cmdSave");
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("Please use Add command to enter new data")});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(5));
    }

    // On a server, what another desk commits shows on the open screen, which stays on its
    // customer; a customer being typed in is re-read only once it is saved.
    void anotherDesksWorkShows()
    {
        if (!onServer())
            QSKIP("only a server has other desks");
        OtherDesk deskB;
        form->datCustomer()->move(1);   // Bob Adams
        deskB.write(QStringLiteral("UPDATE Customers SET City = 'Springfield' WHERE CustomerID = 2"));
        deskB.write(QStringLiteral("UPDATE Customers SET FirstName = 'Anne' WHERE CustomerID = 1"));
        QTRY_COMPARE(child(form, "txtCity")->text(), QStringLiteral("Springfield"));
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("2"));
        QCOMPARE(caption(), QStringLiteral("Record: 2"));

        typeInto(form, "txtLine1", QStringLiteral("12 Elm St"));
        deskB.write(QStringLiteral("INSERT INTO Customers (CustomerID, FirstName, LastName) VALUES (7, 'Eve', 'Stone')"));
        QTest::qWait(300);   // the news has come; the typing holds it back
        QCOMPARE(child(form, "txtLine1")->text(), QStringLiteral("12 Elm St"));
        QCOMPARE(form->datCustomer()->recordCount(), qint64(6));

        click(form, "cmdSave");
        QTRY_COMPARE(form->datCustomer()->recordCount(), qint64(7));
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("2"));
        QCOMPARE(child(form, "txtLine1")->text(), QStringLiteral("12 Elm St"));
        QCOMPARE(queryValues(QStringLiteral("SELECT Line1, City FROM Customers WHERE CustomerID = 2")),
                 (QVariantList{QStringLiteral("12 Elm St"), QStringLiteral("Springfield")}));
        form->datCustomer()->moveFirst();
        QCOMPARE(child(form, "txtFirstname")->text(), QStringLiteral("Anne"));
        QCOMPARE(dialogs->shown().size(), 0);
    }

    void saveOfABadNumberKeepsTheScreenAndTheTyping()
    {
        typeInto(form, "txtMemberID", QStringLiteral("12a"));
        dialogs->answerMessage();
        click(form, "cmdSave");
        QVERIFY(dialogs->last().text.contains(QStringLiteral("CustomerID")));
        QVERIFY(!form.isNull());
        QCOMPARE(child(form, "txtMemberID")->text(), QStringLiteral("12a"));
    }

    void addThenSaveKeepsTheNewCustomerShown()
    {
        click(form, "cmdAdd");
        QCOMPARE(child(form, "txtFirstname")->text(), QString());
        typeInto(form, "txtMemberID", QStringLiteral("7"));
        typeInto(form, "txtFirstname", QStringLiteral("Eve"));
        child<QComboBox>(form, "comPrefix")->setCurrentText(QStringLiteral("Ms."));
        click(form, "cmdSave");
        QCOMPARE(rowCount(QStringLiteral("Customers")), qint64(7));
        QCOMPARE(caption(), QStringLiteral("Record: 7"));
        QCOMPARE(child(form, "txtFirstname")->text(), QStringLiteral("Eve"));
        QCOMPARE(form->datCustomer()->value(QStringLiteral("Prefix")).toString(), QStringLiteral("Ms."));
    }

    void closingStoresAnEdit_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::newRow("Close") << QByteArray("cmdClose");
        QTest::newRow("Exit") << QByteArray("cmdExit");
        QTest::newRow("close box") << QByteArray();
    }
    void closingStoresAnEdit()
    {
        QFETCH(QByteArray, button);
        form->datCustomer()->moveNext();
        typeInto(form, "txtLine1", QStringLiteral("12 Elm St"));
        if (button.isEmpty())
            form->close();
        else
            click(form, button.constData());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
        RecordSet customers(salon::employeeDb(), QStringLiteral("Customers"));
        customers.moveNext();
        QCOMPARE(customers.value(QStringLiteral("Line1")).toString(), QStringLiteral("12 Elm St"));
    }

    // What the desk types in Notes is the customer's, like every other box: stored when the
    // row is left, not carried over to the next customer.
    void notesRoundTrip()
    {
        auto notes = child<QPlainTextEdit>(form, "txtNotes");
        notes->selectAll();
        QTest::keyClicks(notes, QStringLiteral("call back Tuesday"));
        form->datCustomer()->moveNext();
        QCOMPARE(notes->toPlainText(), QString());
        RecordSet customers(salon::employeeDb(), QStringLiteral("Customers"));
        QCOMPARE(customers.value(QStringLiteral("Notes")).toString(), QStringLiteral("call back Tuesday"));
        form->datCustomer()->movePrevious();
        QCOMPARE(notes->toPlainText(), QStringLiteral("call back Tuesday"));
    }
};

QTEST_MAIN(TestFrmMember)
#include "tst_frmmember.moc"
