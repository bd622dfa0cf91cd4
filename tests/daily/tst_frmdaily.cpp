#include "database.h"
#include "dates.h"
#include "frmdaily.h"
#include "frmproducts.h"
#include "frmreceipt.h"
#include "recordset.h"
#include "scripteddialogs.h"
#include "testdoors.h"
#include "testhome.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

const QString technicianPrompt = QStringLiteral("Please enter your Employee ID number: ");
const QString discountPrompt = QStringLiteral("Please enter Discount Rate in Decimal Number (ex.: 10% = 0.1): ");

void exec(const QString &sql)
{
    if (!execSql(sql))
        qFatal("exec failed: %s", qPrintable(sql));
}

QString bookState()
{
    QString state;
    for (const char *sql : {"SELECT * FROM Products", "SELECT * FROM Employee", "SELECT * FROM Customers",
                            "SELECT * FROM Misc", "SELECT * FROM \"Service Records\""})
        for (const QVariant &value : queryValues(QLatin1String(sql)))
            state += value.toString() + u'|';
    return state;
}

} // namespace

// The daily ticket over technicians 1, 2, 3 and 5 (number 4 was deleted), customers Ann Lee
// (1), Bob Kay (3; number 2 was deleted) and Cy Lee (4), and the starter price list whose
// first row is a 19.99 "Gel Set". Technicians sell at a tax rate of 0.07.
class TestFrmDaily : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    TestDoors doors;
    std::unique_ptr<frmDaily> form;

    template <class T>
    T *child(const char *name) const
    {
        T *found = form->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    QString text(const char *box) const { return child<QLineEdit>(box)->text(); }
    void click(const char *button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    QTableView *grid() const { return child<QTableView>("DBGrid1"); }
    QString cell(int row, int column) const { return grid()->model()->index(row, column).data().toString(); }

    // Opens the ticket on the first technician and the first customer, as the main window does.
    void openTicket(const QString &technicianAnswer = QString())
    {
        dialogs->answerText(technicianAnswer);
        form = std::make_unique<frmDaily>(doors);
        form->ClearTicket();
        form->show();
    }
    // Types a quantity into a row's Quantity cell and presses Enter in it.
    void sell(int row, const QString &quantity)
    {
        const QModelIndex index = grid()->model()->index(row, 3);
        grid()->setCurrentIndex(index);
        grid()->edit(index);
        QLineEdit *editor = nullptr;
        for (QLineEdit *box : grid()->viewport()->findChildren<QLineEdit *>())
            if (box->isVisible())
                editor = box;   // closed editors linger until deleted later
        QVERIFY(editor);
        editor->setText(quantity);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    void findCustomer(const QString &lastName)
    {
        dialogs->answerText(lastName);
        click("cmdSearch");
    }
    qint64 journalRows() const { return queryValues(QStringLiteral("SELECT count(*) FROM \"Service Records\"")).first().toLongLong(); }

private slots:
    void initTestCase() { useTestLocale(); }

    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        dialogs = std::make_unique<ScriptedDialogs>();
        for (int id : {1, 2, 3, 5})
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id}, {QStringLiteral("FirstName"), QStringLiteral("Tech%1").arg(id)},
                                                {QStringLiteral("SubTotal"), 0}, {QStringLiteral("Total"), 0},
                                                {QStringLiteral("SalesTaxRate"), 0.07}});
        addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), 1}, {QStringLiteral("FirstName"), QStringLiteral("Ann")},
                                             {QStringLiteral("LastName"), QStringLiteral("Lee")}});
        addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), 2}, {QStringLiteral("LastName"), QStringLiteral("Gone")}});
        addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), 3}, {QStringLiteral("FirstName"), QStringLiteral("Bob")},
                                             {QStringLiteral("LastName"), QStringLiteral("Kay")}});
        addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), 4}, {QStringLiteral("FirstName"), QStringLiteral("Cy")},
                                             {QStringLiteral("LastName"), QStringLiteral("Lee")}});
        exec(QStringLiteral("DELETE FROM Customers WHERE CustomerID = 2"));
        exec(QStringLiteral("UPDATE Products SET ServiceName = 'Gel Set', UnitPrice = 19.99 WHERE rowid = 1"));
        exec(QStringLiteral("UPDATE Products SET Quantity = 5, Discount = 0.5, SalePrice = 12"));
        doors = TestDoors();
        doors.answer = [] { return true; };
    }
    void cleanup()
    {
        form.reset();
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
    }

    void technicianIsFoundByNumber_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("technician");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("5 after a deleted 4") << QStringList{"5"} << "Tech5" << QStringList();
        QTest::newRow("first two characters") << QStringList{"3rd"} << "Tech3" << QStringList();
        QTest::newRow("unknown number asks again") << QStringList{"4", "3"} << "Tech3"
                                                   << QStringList{"There is no employee with the number 4."};
        QTest::newRow("empty takes the first") << QStringList{""} << "Tech1" << QStringList();
        QTest::newRow("letters take the first") << QStringList{"abc"} << "Tech1" << QStringList();
    }
    void technicianIsFoundByNumber()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, technician);
        QFETCH(QStringList, messages);
        for (const QString &answer : answers) {
            dialogs->answerText(answer);
            if (answer == QLatin1String("4"))
                dialogs->answerMessage();
        }
        form = std::make_unique<frmDaily>(doors);
        QCOMPARE(text("txtName"), technician);
        QCOMPARE(dialogs->messageTexts(), messages);
        QCOMPARE(child<QWidget>("datPrimaryRS")->findChild<QLabel *>()->text().startsWith(QStringLiteral("Record: ")), true);
    }

    // A check-in opens the ticket without the technician question (on the first technician),
    // then puts it on the technician and customer with the request's numbers, by key: the
    // customer numbered 3 is Bob Kay, the second row, and the technician numbered 5 the
    // fourth row. A number not in the book moves nothing and resets nothing.
    void checkInPutsTheTicketOnTheAppointment_data()
    {
        QTest::addColumn<qint64>("employee");
        QTest::addColumn<QVariant>("customer");
        QTest::addColumn<QString>("technician");   // shown after it
        QTest::addColumn<QString>("customerName");
        QTest::addColumn<QString>("failure");
        QTest::newRow("technician 5, customer 4") << 5LL << QVariant(4) << "Tech5" << "Cy" << "";
        QTest::newRow("numbers are keys, not positions") << 3LL << QVariant(3) << "Tech3" << "Bob" << "";
        QTest::newRow("no customer record") << 2LL << QVariant() << "Tech2" << "Ann" << "";
        QTest::newRow("unknown technician") << 4LL << QVariant(3) << "Tech1" << "Ann"
                                            << "There is no employee with the number 4.";
        QTest::newRow("unknown customer") << 5LL << QVariant(2) << "Tech1" << "Ann"
                                          << "There is no customer with the number 2.";
    }
    void checkInPutsTheTicketOnTheAppointment()
    {
        QFETCH(qint64, employee);
        QFETCH(QVariant, customer);
        QFETCH(QString, technician);
        QFETCH(QString, customerName);
        QFETCH(QString, failure);
        form = std::make_unique<frmDaily>(doors, nullptr, frmDaily::Opening::FirstTechnician);
        form->show();
        QVERIFY(dialogs->shown().isEmpty());
        QCOMPARE(text("txtName"), QStringLiteral("Tech1"));
        // A ticket in progress: typed cells and a sub-total on the technicians.
        exec(QStringLiteral("UPDATE Products SET Quantity = 5, Discount = 0.5, SalePrice = 12"));
        exec(QStringLiteral("UPDATE Employee SET SubTotal = 50"));
        const QString before = bookState();

        const std::optional<QString> refused = form->checkIn({employee, customer});
        QCOMPARE(refused.value_or(QString()), failure);
        QCOMPARE(text("txtName"), technician);
        QCOMPARE(text("txtFirstname"), customerName);
        QVERIFY(dialogs->shown().isEmpty());
        if (refused) {
            QCOMPARE(bookState(), before);
            return;
        }
        QCOMPARE(form->datPrimaryRS()->value(QStringLiteral("EmployeeID")).toLongLong(), employee);
        QCOMPARE(queryValues(QStringLiteral("SELECT count(*) FROM Products WHERE Quantity <> 0 OR SalePrice <> 0")).value(0).toInt(), 0);
        QCOMPARE(queryValues(QStringLiteral("SELECT SubTotal FROM Employee WHERE EmployeeID = ?").replace(u'?', QString::number(employee))),
                 QVariantList{0});
        QCOMPARE(text("txtSubTotal"), QStringLiteral("0"));
        QCOMPARE(text("txtTotals"), QStringLiteral("0"));
        QCOMPARE(form->receiptContent().firstName, customerName);
    }

    void saleLineIsStoredAndShown()
    {
        openTicket(QStringLiteral("2"));
        QCOMPARE(text("txtSubTotal"), QStringLiteral("0"));
        QCOMPARE(cell(0, 3), QStringLiteral("0"));
        findCustomer(QStringLiteral("kay"));
        dialogs->answerText(QStringLiteral("0.1"));
        sell(0, QStringLiteral("2"));
        QCOMPARE(dialogs->promptTexts().last(), discountPrompt);
        QCOMPARE(text("txtSubTotal"), QStringLiteral("35.982"));
        QCOMPARE(text("txtTotals"), QStringLiteral("38.50074"));
        QCOMPARE(text("txtTotal"), QStringLiteral("38.5007"));
        QCOMPARE(text("txtServiceDate"), mdyText(QDate::currentDate()));
        QCOMPARE(cell(0, 3), QStringLiteral("2"));
        QCOMPARE(cell(0, 4), QStringLiteral("0.10"));
        QCOMPARE(cell(0, 5), QStringLiteral("$35.98"));
        QCOMPARE(queryValues(QStringLiteral("SELECT CustomerID, EmployeeID, Quantity, Cost, Count FROM \"Service Records\"")),
                 (QVariantList{3, 2, 2, 35.982, 1}));
        QCOMPARE(queryValues(QStringLiteral("SELECT Total FROM Employee WHERE EmployeeID = 2")), QVariantList{38.5007});

        // The discount now in the row is used without asking; the totals keep growing.
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(text("txtSubTotal"), QStringLiteral("71.964"));
        QCOMPARE(text("txtTotal"), QStringLiteral("77.0014"));
        QCOMPARE(form->receiptContent().lines.size(), std::size_t(2));
        QCOMPARE(form->receiptContent().totals.total, QStringLiteral("77.00148"));
    }

    // On a server another desk's sale shows in the technician's day total at once; this
    // desk's ticket stays, and its next sale adds to the total that desk left.
    void anotherDesksSaleShowsInTheDayTotal()
    {
        if (!onServer())
            QSKIP("only a server has other desks");
        openTicket(QStringLiteral("2"));
        findCustomer(QStringLiteral("kay"));
        dialogs->answerText(QStringLiteral("0.1"));
        sell(0, QStringLiteral("2"));
        QCOMPARE(text("txtTotal"), QStringLiteral("38.5007"));
        OtherDesk deskB;
        deskB.write(QStringLiteral("UPDATE Employee SET Total = Total + 10 WHERE EmployeeID = 2"));
        QTRY_COMPARE(text("txtTotal"), QStringLiteral("48.5007"));
        QCOMPARE(text("txtName"), QStringLiteral("Tech2"));
        QCOMPARE(text("txtSubTotal"), QStringLiteral("35.982"));
        QCOMPARE(form->receiptContent().lines.size(), std::size_t(1));
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(text("txtSubTotal"), QStringLiteral("71.964"));
        QCOMPARE(text("txtTotal"), QStringLiteral("87.0014"));
    }

    // A sale stores its own line only: an edit typed into the Bill To boxes stays pending, and
    // is stored when the customer is left.
    void billToEditsStayPending()
    {
        openTicket();
        child<QLineEdit>("txtCity")->setText(QStringLiteral("Lakeside"));
        dialogs->answerText(QStringLiteral("0.1"));
        sell(0, QStringLiteral("1"));
        const QString today = mdyText(QDate::currentDate());
        QCOMPARE(queryValues(QStringLiteral("SELECT ifnull(City, '-'), ServiceDate FROM Customers WHERE CustomerID = 1")),
                 (QVariantList{QStringLiteral("-"), today}));
        QCOMPARE(text("txtCity"), QStringLiteral("Lakeside"));
        QCOMPARE(text("txtServiceDate"), today);
        click("cmdNext");
        QCOMPARE(queryValues(QStringLiteral("SELECT City, ServiceDate FROM Customers WHERE CustomerID = 1")),
                 (QVariantList{QStringLiteral("Lakeside"), today}));
    }

    // The last visit is kept as m/d/yyyy but shown as the desk's date: on a British desk the
    // stored 12/10/2026 reads 10/12/2026, and a sale shows and stores today the same way.
    void lastVisitShowsInTheDesksForm()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        exec(QStringLiteral("UPDATE Customers SET ServiceDate = '12/10/2026' WHERE CustomerID = 1"));
        openTicket();
        QCOMPARE(text("txtServiceDate"), QStringLiteral("10/12/2026"));
        child<QLineEdit>("txtCity")->setText(QStringLiteral("Lakeside"));   // the Bill To boxes stay pending
        dialogs->answerText(QStringLiteral("0.1"));
        sell(0, QStringLiteral("1"));
        QCOMPARE(text("txtServiceDate"), shortDateText(QDate::currentDate()));
        click("cmdNext");
        QCOMPARE(queryValues(QStringLiteral("SELECT City, ServiceDate FROM Customers WHERE CustomerID = 1")),
                 (QVariantList{QStringLiteral("Lakeside"), mdyText(QDate::currentDate())}));
    }

    void totalsInACommaLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        openTicket();
        dialogs->answerText(QStringLiteral("0,1"));
        sell(0, QStringLiteral("2"));
        dialogs->answerText(QStringLiteral("0,2"));
        sell(1, QStringLiteral("1"));   // Pedicure at 25
        QCOMPARE(text("txtSubTotal"), QStringLiteral("55,982"));
        QCOMPARE(text("txtTotals"), QStringLiteral("59,90074"));
        QCOMPARE(text("txtTotal"), QStringLiteral("59,9007"));
        QCOMPARE(text("txtSaletax"), QStringLiteral("0,07"));
    }

    void discountAnswers_data()
    {
        QTest::addColumn<QStringList>("answers");   // "<cancel>" cancels
        QTest::addColumn<int>("refusals");
        QTest::addColumn<QString>("subTotal");
        // 19.99 × 0.125 is 2.49874999… in double arithmetic: a discount of 2.4987 a unit.
        QTest::newRow("whole answer") << QStringList{"0.125"} << 0 << "34.9826";
        QTest::newRow("empty is no discount") << QStringList{""} << 0 << "39.98";
        QTest::newRow("refused, then a rate") << QStringList{"10", "10%", "0.5"} << 2 << "19.99";
        QTest::newRow("Cancel writes nothing") << QStringList{"<cancel>"} << 0 << "0";
        QTest::newRow("refused, then Cancel") << QStringList{"abc", "<cancel>"} << 1 << "0";
    }
    void discountAnswers()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, refusals);
        QFETCH(QString, subTotal);
        openTicket();
        const QString before = bookState();
        for (const QString &answer : answers) {
            if (answer == QLatin1String("<cancel>")) {
                dialogs->answerCancel();
            } else {
                dialogs->answerText(answer);
                if (answer != QLatin1String("0.5") && answer != QLatin1String("0.125") && !answer.isEmpty())
                    dialogs->answerMessage();
            }
        }
        const QModelIndex quantity = grid()->model()->index(0, 3);
        grid()->setCurrentIndex(quantity);
        QVERIFY(grid()->model()->setData(quantity, QStringLiteral("2")));
        QCOMPARE(cell(0, 3), QStringLiteral("2"));
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(dialogs->messageTexts().size(), refusals);
        for (const QString &message : dialogs->messageTexts())
            QCOMPARE(message, QStringLiteral("The discount rate must be a decimal number from 0 to 1 (ex.: 10% = 0.1)."));
        QCOMPARE(text("txtSubTotal"), subTotal);
        if (subTotal == QLatin1String("0")) {
            // Cancelled: nothing in the book, and the typed quantity is gone from the ticket.
            QCOMPARE(bookState(), before);
            QCOMPARE(cell(0, 3), QStringLiteral("0"));
        }
    }

    // A typed Quantity or Discount is held on the screen, never stored before its sale; Cancel
    // on the discount question, Esc, leaving the row and the ticket reset put the book's
    // cells back.
    void typedCellsWaitForTheSale_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel on the discount question") << "cancel";
        QTest::newRow("Esc on the grid") << "esc";
        QTest::newRow("Esc in a cell being typed") << "esc in editor";
        QTest::newRow("leaving the row") << "leave";
        QTest::newRow("ticket reset") << "reset";
    }
    void typedCellsWaitForTheSale()
    {
        QFETCH(QString, how);
        openTicket();
        const QString before = bookState();
        grid()->setCurrentIndex(grid()->model()->index(0, 3));
        QVERIFY(grid()->model()->setData(grid()->model()->index(0, 3), QStringLiteral("3")));
        if (how != QLatin1String("cancel"))
            QVERIFY(grid()->model()->setData(grid()->model()->index(0, 4), QStringLiteral("0.2")));
        QCOMPARE(bookState(), before);
        QCOMPARE(cell(0, 3), QStringLiteral("3"));

        if (how == QLatin1String("cancel")) {
            dialogs->answerCancel();
            QTest::keyClick(grid(), Qt::Key_Return);
        } else if (how == QLatin1String("esc")) {
            QTest::keyClick(grid(), Qt::Key_Escape);
        } else if (how == QLatin1String("esc in editor")) {
            const QModelIndex discount = grid()->model()->index(0, 4);
            grid()->setCurrentIndex(discount);
            grid()->edit(discount);
            QLineEdit *editor = nullptr;
            for (QLineEdit *box : grid()->viewport()->findChildren<QLineEdit *>())
                if (box->isVisible())
                    editor = box;
            QVERIFY(editor);
            editor->setText(QStringLiteral("0.5"));
            QTest::keyClick(editor, Qt::Key_Escape);
        } else if (how == QLatin1String("leave")) {
            grid()->setCurrentIndex(grid()->model()->index(1, 3));
        } else {
            click("cmdNext");
        }
        QCOMPARE(cell(0, 3), QStringLiteral("0"));
        QCOMPARE(cell(0, 4), QStringLiteral("0.00"));
        QCOMPARE(bookState(), before);
        QCOMPARE(journalRows(), qint64(0));

        // Enter on the row now sells what the book holds: a quantity of 0.
        grid()->setCurrentIndex(grid()->model()->index(0, 3));
        dialogs->answerText(QStringLiteral("0.1"));
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(queryValues(QStringLiteral("SELECT Quantity, Cost FROM \"Service Records\"")), (QVariantList{0, 0}));
    }

    void discountTypedInTheGridIsARate()
    {
        openTicket();
        const QModelIndex discount = grid()->model()->index(0, 4);
        dialogs->answerMessage();
        QVERIFY(!grid()->model()->setData(discount, QStringLiteral("10")));
        QCOMPARE(dialogs->messageTexts().size(), 1);
        QVERIFY(grid()->model()->setData(discount, QStringLiteral("0.25")));
        QCOMPARE(cell(0, 4), QStringLiteral("0.25"));
        QCOMPARE(queryValues(QStringLiteral("SELECT Discount FROM Products WHERE rowid = 1")), QVariantList{0});
        // A discount in the row is used as it stands: no question. The sale stores it.
        grid()->setCurrentIndex(grid()->model()->index(0, 3));
        grid()->model()->setData(grid()->model()->index(0, 3), QStringLiteral("1"));
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(text("txtSubTotal"), QStringLiteral("14.9925"));
        QCOMPARE(queryValues(QStringLiteral("SELECT Quantity, Discount FROM Products WHERE rowid = 1")), (QVariantList{1, 0.25}));
    }

    void failedSaleLeavesFileAndScreen()
    {
        if (onServer())
            QSKIP("the failure is staged with text in a money column, which only the local file takes");
        openTicket();
        exec(QStringLiteral("UPDATE Employee SET Total = 'lots'"));
        grid()->setCurrentIndex(grid()->model()->index(0, 3));
        grid()->model()->setData(grid()->model()->index(0, 3), QStringLiteral("2"));
        const QString before = bookState();
        const QStringList boxes{text("txtSubTotal"), text("txtTotals"), text("txtServiceDate"), cell(0, 5)};
        dialogs->answerText(QStringLiteral("0.1"));
        dialogs->answerMessage();
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(dialogs->last().icon, Dialogs::Icon::Critical);
        QVERIFY(dialogs->last().text.contains(QStringLiteral("'lots'")));
        QCOMPARE(bookState(), before);
        QCOMPARE((QStringList{text("txtSubTotal"), text("txtTotals"), text("txtServiceDate"), cell(0, 5)}), boxes);
        QVERIFY(form->receiptContent().lines.empty());
    }

    void enterWithoutACustomerIsRefused()
    {
        exec(QStringLiteral("DELETE FROM Customers"));
        openTicket();
        dialogs->answerMessage();
        QTest::keyClick(grid(), Qt::Key_Return);
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("Please find the customer before entering a sale.")});
        QCOMPARE(journalRows(), qint64(0));
    }

    void searchLandsOnTheFoundCustomer()
    {
        openTicket();
        QCOMPARE(text("txtFirstname"), QStringLiteral("Ann"));
        findCustomer(QStringLiteral("KAY"));   // CustomerID 3, the second row since 2 was deleted
        QCOMPARE(text("txtFirstname"), QStringLiteral("Bob"));
        QCOMPARE(form->receiptContent().firstName, QStringLiteral("Bob"));
        QCOMPARE(form->GetLastname(QStringLiteral("lee")), QVariant(1));   // the first Lee in index order
        dialogs->answerMessage();
        QCOMPARE(form->GetLastname(QStringLiteral("Nobody")), QVariant());
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("No record found with  Nobody .")});
        QCOMPARE(text("txtFirstname"), QStringLiteral("Ann"));
        findCustomer(QStringLiteral("   "));   // blanks only: nothing happens
    }

    // Next and Previous, and a search that changes the customer, start a fresh ticket: the
    // cells, the sub-total and "Total:" go to 0 and the receipt carries the new name only.
    void anotherCustomerGetsAFreshTicket_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("firstName");
        QTest::newRow("next") << "next" << "Bob";
        QTest::newRow("search") << "search" << "Cy";
    }
    void anotherCustomerGetsAFreshTicket()
    {
        QFETCH(QString, how);
        QFETCH(QString, firstName);
        openTicket();
        dialogs->answerText(QStringLiteral("0.1"));
        sell(0, QStringLiteral("2"));
        QCOMPARE(form->receiptContent().lines.size(), std::size_t(1));
        if (how == QLatin1String("next")) {
            click("cmdNext");
        } else {
            dialogs->answerText(QStringLiteral("Lee"));   // the first Lee is Ann, already on the ticket
            click("cmdSearch");
            QCOMPARE(form->receiptContent().lines.size(), std::size_t(1));
            form->datThird()->moveLast();
        }
        if (how == QLatin1String("search"))
            form->ClearTicket();
        QCOMPARE(queryValues(QStringLiteral("SELECT count(*) FROM Products WHERE Quantity <> 0 OR Discount <> 0 OR SalePrice <> 0")),
                 QVariantList{0});
        QCOMPARE(text("txtSubTotal"), QStringLiteral("0"));
        QCOMPARE(text("txtTotals"), QStringLiteral("0"));
        QCOMPARE(text("txtTotal"), QStringLiteral("38.5007"));
        QCOMPARE(form->receiptContent().firstName, firstName);
        QVERIFY(form->receiptContent().lines.empty());
        QCOMPARE(form->receiptContent().totals.total, QStringLiteral("0"));
    }

    // Moving the technician bar starts a fresh ticket: the departing technician's stored
    // sub-total is 0 as well, the day total stays.
    void pressOnTheTechnicianBarResets()
    {
        openTicket();
        dialogs->answerText(QStringLiteral("0.1"));
        sell(0, QStringLiteral("2"));
        QTest::mouseClick(child<QWidget>("datPrimaryRS")->findChild<QToolButton *>(QStringLiteral("moveNext")), Qt::LeftButton);
        QCOMPARE(text("txtName"), QStringLiteral("Tech2"));
        QCOMPARE(queryValues(QStringLiteral("SELECT SubTotal, Total FROM Employee WHERE EmployeeID = 1")), (QVariantList{0, 38.5007}));
        QCOMPARE(text("txtTotals"), QStringLiteral("0"));
        QVERIFY(form->receiptContent().lines.empty());
    }

    // Every change of technician or customer starts a fresh ticket, and a ticket's sub-total is
    // its own: neither the lines sold before the change nor what an earlier ticket left in a
    // technician's stored SubTotal (50 here) reach the next sale, its receipt or the book.
    void everyChangeStartsAFreshTicket_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("technician");
        QTest::addColumn<QString>("customer");
        QTest::newRow("bar by mouse") << "mouse" << 2 << "Bob";
        QTest::newRow("bar by keyboard") << "keyboard" << 2 << "Bob";
        QTest::newRow("technician prompt") << "prompt" << 2 << "Ann";
        QTest::newRow("End Of Day's return") << "end of day" << 1 << "Bob";
        QTest::newRow("next customer") << "next" << 1 << "Cy";
        QTest::newRow("previous customer") << "previous" << 1 << "Ann";
        QTest::newRow("search for another customer") << "search" << 1 << "Ann";
        QTest::newRow("reopening the screen") << "reopen" << 1 << "Ann";
    }
    void everyChangeStartsAFreshTicket()
    {
        QFETCH(QString, how);
        QFETCH(int, technician);
        QFETCH(QString, customer);
        exec(QStringLiteral("UPDATE Employee SET SubTotal = 50"));
        openTicket(QStringLiteral("1"));
        findCustomer(QStringLiteral("Kay"));
        dialogs->answerText(QStringLiteral("0.1"));
        sell(0, QStringLiteral("2"));
        QCOMPARE(text("txtSubTotal"), QStringLiteral("35.982"));

        QToolButton *next = child<QWidget>("datPrimaryRS")->findChild<QToolButton *>(QStringLiteral("moveNext"));
        if (how == QLatin1String("mouse")) {
            QTest::mouseClick(next, Qt::LeftButton);
        } else if (how == QLatin1String("keyboard")) {
            next->setFocus();
            QTest::keyClick(next, Qt::Key_Space);
        } else if (how == QLatin1String("prompt") || how == QLatin1String("reopen")) {
            form.reset();
            dialogs->answerText(QString::number(technician));
            form = std::make_unique<frmDaily>(doors);
            if (how == QLatin1String("reopen"))
                form->ClearTicket();   // as the main window does when it shows the screen
            form->show();
        } else if (how == QLatin1String("end of day")) {
            doors.entry = [](const payrollentry::Request &) { return payrollentry::Outcome{}; };
            dialogs->answerMessage();   // the closing message
            click("cmdEndOfDay");
        } else if (how == QLatin1String("next")) {
            click("cmdNext");
        } else if (how == QLatin1String("previous")) {
            click("cmdPrevious");
        } else {
            findCustomer(QStringLiteral("Lee"));
        }
        QCOMPARE(text("txtName"), QStringLiteral("Tech%1").arg(technician));
        QCOMPARE(text("txtFirstname"), customer);
        QCOMPARE(text("txtSubTotal"), QStringLiteral("0"));
        QCOMPARE(text("txtTotals"), QStringLiteral("0"));

        dialogs->answerText(QString());
        sell(1, QStringLiteral("1"));   // Pedicure at 25
        QCOMPARE(text("txtSubTotal"), QStringLiteral("25"));
        QCOMPARE(text("txtTotals"), QStringLiteral("26.75"));
        QCOMPARE(queryValues(QStringLiteral("SELECT SubTotal FROM Employee WHERE EmployeeID = %1").arg(technician)), QVariantList{25});
        const ReceiptContent &receipt = form->receiptContent();
        QCOMPARE(receipt.firstName, customer);
        QCOMPARE(receipt.lines.size(), std::size_t(1));
        QCOMPARE(receipt.totals.subTotal, QStringLiteral("25"));
        QCOMPARE(receipt.totals.total, QStringLiteral("26.75"));
    }

    // No rate is an empty SalesTaxRate: such a technician's sale is refused before anything is
    // asked or written.
    void technicianWithoutATaxRateCannotSell()
    {
        exec(QStringLiteral("UPDATE Employee SET SalesTaxRate = NULL WHERE EmployeeID = 2"));
        openTicket(QStringLiteral("2"));
        QCOMPARE(text("txtSaletax"), QString());
        const QString before = bookState();
        dialogs->answerMessage();
        sell(0, QStringLiteral("1"));
        QCOMPARE(dialogs->messageTexts(),
                 QStringList{QStringLiteral("No sales tax rate is set for this technician. Set it with Tax Rate on the price list.")});
        QCOMPARE(bookState(), before);
        QVERIFY(form->receiptContent().lines.empty());
    }

    void spacedCaptionsReadAsWords()
    {
        openTicket();
        QCOMPARE(child<QPushButton>("cmdSave")->accessibleName(), QStringLiteral("Save"));
        QCOMPARE(child<QPushButton>("cmdClose")->accessibleName(), QStringLiteral("Close"));
    }

    void nextPastTheLastCustomerStillResets()
    {
        openTicket();
        click("cmdNext");
        click("cmdNext");
        click("cmdNext");
        click("cmdNext");
        QVERIFY(!form->datThird()->hasCurrent());
        QCOMPARE(text("txtSubTotal"), QStringLiteral("0"));
        click("cmdPrevious");
        QCOMPARE(text("txtFirstname"), QStringLiteral("Cy"));
    }

    void receiptListsEveryLineAndPrintsAsText()
    {
        exec(QStringLiteral("UPDATE Misc SET Company = 'Polished Nails', City = 'Riverton'"));
        openTicket();
        for (int row = 0; row < 4; ++row) {
            dialogs->answerText(QString());
            sell(row, QStringLiteral("1"));
        }
        const QString pdf = home->path() + QStringLiteral("/receipt.pdf");
        dialogs->setDefaultPrinterPdf(pdf);
        click("cmdPrint");
        frmReceipt *receipt = form->receipt();
        QVERIFY(receipt && receipt->isVisible());
        QStringList shown;
        for (QLabel *label : receipt->findChildren<QLabel *>(QStringLiteral("lblService")))
            if (label->isVisibleTo(receipt))
                shown << label->text();
        QCOMPARE(shown.size(), 4);
        QCOMPARE(shown.first(), QStringLiteral("Gel Set"));

        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished());
        const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
        for (const QString &expected : shown + QStringList{QStringLiteral("Ann"), QStringLiteral("Customer's Name:"),
                                                            QStringLiteral("Thank you very much for your business"),
                                                            QStringLiteral("Polished Nails"), QStringLiteral("Riverton"),
                                                            form->receiptContent().totals.total})
            QVERIFY2(printed.contains(expected), qPrintable(expected + QStringLiteral(" missing from: ") + printed));
    }

    void noPrinterOffersAPdf()
    {
        openTicket();
        const QString pdf = home->path() + QStringLiteral("/saved.pdf");
        dialogs->answerMessage(Dialogs::Answer::Yes);
        dialogs->answerSaveFile(pdf);
        click("cmdPrint");
        QVERIFY(dialogs->messageTexts().first().startsWith(QStringLiteral("No printer is installed")));
        QVERIFY(QFileInfo(pdf).size() > 0);
        // An unwritable place is reported, not taken for success.
        dialogs->answerMessage(Dialogs::Answer::Yes);
        dialogs->answerSaveFile(QStringLiteral("/nonexistent/folder/receipt.pdf"));
        dialogs->answerMessage();
        click("cmdPrint");
        QCOMPARE(dialogs->messageTexts().last(), QStringLiteral("The receipt could not be saved as /nonexistent/folder/receipt.pdf."));
    }

    // Once the print question is answered, the receipt is the window in front.
    void receiptComesToTheFrontAfterPrinting()
    {
        openTicket();
        dialogs->answerMessage(Dialogs::Answer::No);
        click("cmdPrint");
        form->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), form.get());
        dialogs->answerMessage(Dialogs::Answer::No);
        click("cmdPrint");
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(form->receipt()));
    }

    void dataEntryIsBehindThePassword()
    {
        openTicket();
        doors.answer = [] { return false; };
        click("cmdData");
        QVERIFY(!form->findChild<frmProducts *>());
    }

    // The price list: the tax rate is the salon's, and Close re-reads the ticket's prices.
    void priceListSetsTheTaxRateAndPrices()
    {
        openTicket(QStringLiteral("3"));
        bool ran = false;
        QTimer::singleShot(0, this, [&] {
            auto products = form->findChild<frmProducts *>();
            QVERIFY(products && products->isModal());
            dialogs->answerText(QStringLiteral("7"));
            dialogs->answerMessage();
            dialogs->answerText(QStringLiteral("0.0825"));
            QTest::mouseClick(products->findChild<QPushButton *>(QStringLiteral("cmdTaxRate")), Qt::LeftButton);
            auto priceGrid = products->findChild<QTableView *>(QStringLiteral("grdDataGrid"));
            QCOMPARE(priceGrid->model()->columnCount(), 4);   // with each service's minutes
            QVERIFY(priceGrid->model()->setData(priceGrid->model()->index(0, 2), QStringLiteral("21.50")));
            QTest::mouseClick(products->findChild<QPushButton *>(QStringLiteral("cmdClose")), Qt::LeftButton);
            ran = true;
        });
        click("cmdData");
        QVERIFY(ran);
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("The sales-tax rate must be a decimal number from 0 to 1 (Ex. 0.07 = 7%).")});
        QCOMPARE(queryValues(QStringLiteral("SELECT DISTINCT SalesTaxRate FROM Employee")), QVariantList{0.0825});
        QCOMPARE(text("txtSaletax"), QStringLiteral("0.0825"));
        QCOMPARE(cell(0, 2), QStringLiteral("$21.50"));
        QCOMPARE(grid()->model()->columnCount(), 6);   // the ticket shows no minutes
    }

    void taxRateCancelOrEmptyChangesNothing()
    {
        TestHome *keep = home.get();
        Q_UNUSED(keep);
        frmProducts products;
        dialogs->answerCancel();
        QTest::mouseClick(products.findChild<QPushButton *>(QStringLiteral("cmdTaxRate")), Qt::LeftButton);
        dialogs->answerText(QString());
        QTest::mouseClick(products.findChild<QPushButton *>(QStringLiteral("cmdTaxRate")), Qt::LeftButton);
        QCOMPARE(queryValues(QStringLiteral("SELECT DISTINCT SalesTaxRate FROM Employee")), QVariantList{0.07});
    }

    // A price the book could not give back exactly is refused, and the stored price stays.
    void priceListRefusesPricesItCannotKeep_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QString bound = QStringLiteral(" is too large: amounts of money must stay below 100,000,000,000.");
        for (const char *typed : {"123456789012345.6789", "99999999999999.9999", "300000000000.0007", "100000000000"})
            QTest::newRow(typed) << typed << u'"' + QLatin1String(typed) + u'"' + bound;
        QTest::newRow("0.00005") << "0.00005"
                                 << "\"0.00005\" has more than four decimals: amounts of money are kept to four decimals.";
    }
    void priceListRefusesPricesItCannotKeep()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        frmProducts products;
        auto *grid = products.findChild<QTableView *>(QStringLiteral("grdDataGrid"))->model();
        QCOMPARE(grid->index(0, 1).data().toString(), QStringLiteral("Gel Set"));
        dialogs->answerMessage();
        QVERIFY(!grid->setData(grid->index(0, 2), typed));
        QCOMPARE(dialogs->messageTexts(), QStringList{message});
        QCOMPARE(queryValues(QStringLiteral("SELECT UnitPrice FROM Products WHERE rowid = 1")), QVariantList{19.99});
    }
};

QTEST_MAIN(TestFrmDaily)
#include "tst_frmdaily.moc"
