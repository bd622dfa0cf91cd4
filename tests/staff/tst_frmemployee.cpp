#include "database.h"
#include "databar.h"
#include "frmemployee.h"
#include "recordset.h"
#include "scripteddialogs.h"
#include "shoppassword.h"
#include "testdoors.h"
#include "testhome.h"

#include "../shell/modalwatch.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

// The employee book over employees 1 Ann Smith, 2 Bea Jones, 4 Cal Smith and 5 Dee Moss
// (number 3 has left; the payroll rows of 1, 3 and 4 stay).
class TestFrmEmployee : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    TestDoors doors;
    QPointer<frmEmployee> form;

    QLineEdit *field(int index) const
    {
        for (QLineEdit *box : form->findChildren<QLineEdit *>(QStringLiteral("txtFields")))
            if (box->property("Index").toInt() == index)
                return box;
        qFatal("no txtFields(%d)", index);
    }
    void click(const char *name) { QTest::mouseClick(form->findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton); }
    void typeOver(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    QTableView *grid() const { return form->findChild<QTableView *>(QStringLiteral("grdDataGrid")); }
    QString caption() const { return form->findChild<DataBar *>(QStringLiteral("datPrimaryRS"))->caption(); }
    // The grid's "Today's Earn" column, and the row it stands on.
    QStringList earnings() const
    {
        QStringList rows;
        for (int row = 0; row < grid()->model()->rowCount(); ++row)
            rows << grid()->model()->index(row, 1).data().toString();
        return rows;
    }
    int gridRow() const { return grid()->selectionModel()->currentIndex().row(); }
    static QStringList numbers()
    {
        QStringList ids;
        for (const QVariant &id : queryValues(QStringLiteral("SELECT EmployeeID FROM Employee ORDER BY rowid")))
            ids << id.toString();
        return ids;
    }
    static int payrollRows()
    {
        return int(rowCount(QStringLiteral("Payroll Records")));
    }
    static void addPayroll(int employee, QDate day, double today)
    {
        addRow(QStringLiteral("Payroll Records"), {{QStringLiteral("EmployeeID"), employee}, {QStringLiteral("ServiceDate"), day},
                                                    {QStringLiteral("TodayEarn"), today}, {QStringLiteral("ToDateEarn"), today}});
    }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        const std::tuple<int, const char *, const char *> staff[] = {
            {1, "Ann", "Smith"}, {2, "Bea", "Jones"}, {4, "Cal", "Smith"}, {5, "Dee", "Moss"}};
        for (const auto &[id, first, last] : staff)
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id},
                                                {QStringLiteral("FirstName"), QString::fromLatin1(first)},
                                                {QStringLiteral("LastName"), QString::fromLatin1(last)}});
        // Employee 1's latest row (the highest record) carries the earliest date.
        addPayroll(1, QDate(2026, 3, 2), 10);
        addPayroll(4, QDate(2026, 3, 2), 40);
        addPayroll(1, QDate(2026, 3, 3), 11);
        addPayroll(3, QDate(2026, 3, 3), 30);
        addPayroll(1, QDate(2026, 3, 1), 12);
        form = new frmEmployee(doors);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }

    void cleanup()
    {
        delete form;
        doors = TestDoors();
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
    }

    void opensOnTheFirstEmployeeAtTheLatestPayrollRow()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Velorine - Employee Information"));
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
        QCOMPARE(field(2)->text(), QStringLiteral("Ann"));
        QStringList captions;
        for (int c = 0; c < grid()->model()->columnCount(); ++c)
            captions << grid()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(captions, (QStringList{"Service Date", "Today's Earn", "Total Earn", "50%  By Month", "50%  By Total",
                                        "60%  By Month", "60%  By Total"}));
        QCOMPARE(earnings(), (QStringList{"$10.00", "$11.00", "$12.00"}));
        QCOMPARE(gridRow(), 2);
        QCOMPARE(form->datSecondaryRS()->value(QStringLiteral("TodayEarn")).toDouble(), 12.0);
    }

    void gridFollowsTheEmployee_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QStringList>("earned");
        QTest::newRow("next: no rows") << "N" << QStringList();
        QTest::newRow("next, next: after the gap") << "NN" << QStringList{"$40.00"};
        QTest::newRow("last, first") << "LF" << QStringList{"$10.00", "$11.00", "$12.00"};
    }
    void gridFollowsTheEmployee()
    {
        QFETCH(QString, moves);
        QFETCH(QStringList, earned);
        DataBar *bar = form->findChild<DataBar *>(QStringLiteral("datPrimaryRS"));
        const QHash<QChar, QString> buttons{{u'N', "moveNext"}, {u'L', "moveLast"}, {u'F', "moveFirst"}};
        for (QChar m : moves)
            QTest::mouseClick(bar->findChild<QWidget *>(buttons[m]), Qt::LeftButton);
        QCOMPARE(earnings(), earned);
        QCOMPARE(gridRow(), earned.size() - 1);
    }

    void payrollSourceBindsOnlyAWholeNumber()
    {
        const RecordSource seven = frmEmployee::payrollSource(salon::employeeDb(), 7);
        QCOMPARE(seven.where, QStringLiteral("[EmployeeID] = ?"));
        QCOMPARE(seven.values, QVariantList{qlonglong(7)});
        QCOMPARE(frmEmployee::payrollSource(salon::employeeDb(), QStringLiteral("1 or 1=1")).values, QVariantList{QVariant()});
        QCOMPARE(frmEmployee::payrollSource(salon::employeeDb(), QVariant()).values, QVariantList{QVariant()});
    }

    // The search lands on the row it found, whatever the employee's number.
    void searchByLastName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("record");
        QTest::newRow("blanks and lower case, first of two") << "  smith " << "" << "Record: 1";
        QTest::newRow("after the gap") << "MOSS" << "" << "Record: 4";
        QTest::newRow("not there") << "Jonas" << "No record found with  Jonas ." << "Record: 2";
        QTest::newRow("only blanks") << "   " << "" << "Record: 2";
    }
    void searchByLastName()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, record);
        form->datPrimaryRS()->moveNext();
        dialogs->answerText(typed);
        if (!message.isEmpty())
            dialogs->answerMessage();
        click("cmdSearch");
        QCOMPARE(dialogs->promptTexts(), QStringList{QStringLiteral("Enter Last Name for search: ")});
        QCOMPARE(dialogs->messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(caption(), record);
    }

    // A number another employee has, or that a former employee's payroll rows carry, is refused.
    void duplicateNumberIsRefused_data()
    {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("new hire, another's number") << true << "2"
                                                   << "Employee number 2 is already used by another employee. Please choose another number.";
        QTest::newRow("new hire, a former employee's number")
            << true << "3"
            << "Employee number 3 still carries the payroll records of a former employee. Please choose another number.";
        QTest::newRow("renumbering onto another's number") << false << "4"
                                                          << "Employee number 4 is already used by another employee. Please choose another number.";
    }
    void duplicateNumberIsRefused()
    {
        QFETCH(bool, adding);
        QFETCH(QString, number);
        QFETCH(QString, message);
        if (adding) {
            click("cmdAdd");
            typeOver(field(2), QStringLiteral("Eve"));
        }
        typeOver(field(0), number);
        dialogs->answerMessage();
        click("cmdUpdate");
        QCOMPARE(dialogs->messageTexts(), QStringList{message});
        QVERIFY(form->isVisible());
        QCOMPARE(field(0)->text(), number);   // the typing is kept for correction
        QCOMPARE(numbers(), (QStringList{"1", "2", "4", "5"}));
        // A move would store the row too: it is refused the same way.
        dialogs->answerMessage();
        QTest::mouseClick(form->findChild<DataBar *>()->findChild<QWidget *>(QStringLiteral("moveLast")), Qt::LeftButton);
        QCOMPARE(numbers(), (QStringList{"1", "2", "4", "5"}));
        typeOver(field(0), QStringLiteral("6"));
        click("cmdUpdate");
        QCOMPARE(numbers(), (adding ? QStringList{"1", "2", "4", "5", "6"} : QStringList{"6", "2", "4", "5"}));
    }

    // An employee number is digits only, 1 or more: anything else would be stored rounded or
    // cut to some other number, so it is refused before any write, whichever way the row is
    // stored. Blanks around the digits are fine.
    void badNumberIsRefused_data()
    {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("path");
        QTest::newRow("1.5 by Update") << false << "1.5" << "update";
        QTest::newRow("4.4 by a move") << false << "4.4" << "move";
        QTest::newRow("2e0 by Close") << false << "2e0" << "close";
        QTest::newRow("-3 by Update") << false << "-3" << "update";
        QTest::newRow("1,000 by a move") << false << "1,000" << "move";
        QTest::newRow("0 by Close") << false << "0" << "close";
        QTest::newRow("none by Update") << false << "" << "update";
        QTest::newRow("past the book's numbers") << false << "2147483648" << "update";
        QTest::newRow("new hire, 1.5 by Update") << true << "1.5" << "update";
        QTest::newRow("new hire, 2e0 by a move") << true << "2e0" << "move";
        QTest::newRow("new hire, none by Close") << true << "" << "close";
    }
    void badNumberIsRefused()
    {
        QFETCH(bool, adding);
        QFETCH(QString, typed);
        QFETCH(QString, path);
        if (adding)
            click("cmdAdd");
        field(0)->selectAll();
        QTest::keyClick(field(0), Qt::Key_Delete);
        QTest::keyClicks(field(0), typed);
        typeOver(field(2), QStringLiteral("Eve"));
        dialogs->answerMessage();
        if (path == QLatin1String("update"))
            click("cmdUpdate");
        else if (path == QLatin1String("move"))
            QTest::mouseClick(form->findChild<DataBar *>()->findChild<QWidget *>(QStringLiteral("moveLast")), Qt::LeftButton);
        else
            form->close();
        const QString refusal =
            QStringLiteral("Please type the employee number as a whole number from 1 to 2147483647, in digits only.");
        QCOMPARE(dialogs->messageTexts(), QStringList{path == QLatin1String("update") ? refusal
                                                                                      : QStringLiteral("Data error event hit err:") + refusal});
        QVERIFY(form->isVisible());
        QCOMPARE(field(0)->text(), typed);
        QCOMPARE(numbers(), (QStringList{"1", "2", "4", "5"}));
        typeOver(field(0), QStringLiteral(" 6 "));
        click("cmdUpdate");
        QCOMPARE(numbers(), (adding ? QStringList{"1", "2", "4", "5", "6"} : QStringList{"6", "2", "4", "5"}));
    }

    // Tax Rate wrote only the rows there were: a new employee takes the rate the others carry,
    // and nothing when they carry different rates or none.
    void newEmployeeTakesTheSalonsRate_data()
    {
        QTest::addColumn<QVariantList>("rates");   // of employees 1, 2, 4 and 5
        QTest::addColumn<QVariant>("taken");
        const QVariant none = QVariant(QMetaType(QMetaType::Double));
        QTest::newRow("one rate") << QVariantList{0.07, 0.07, 0.07, 0.07} << QVariant(0.07);
        QTest::newRow("0 is a rate") << QVariantList{0.0, 0.0, 0.0, 0.0} << QVariant(0.0);
        QTest::newRow("rows without a rate do not count") << QVariantList{none, 0.0825, QString(), 0.0825} << QVariant(0.0825);
        QTest::newRow("different rates") << QVariantList{0.07, 0.08, 0.07, 0.07} << QVariant();
        QTest::newRow("no rate anywhere") << QVariantList{none, none, none, none} << QVariant();
    }
    void newEmployeeTakesTheSalonsRate()
    {
        QFETCH(QVariantList, rates);
        QFETCH(QVariant, taken);
        const int ids[] = {1, 2, 4, 5};
        for (int i = 0; i < 4; ++i) {
            QVERIFY(execSql(QStringLiteral("UPDATE Employee SET SalesTaxRate = ? WHERE EmployeeID = ?"), {rates[i], ids[i]}));
        }
        click("cmdAdd");
        typeOver(field(0), QStringLiteral("6"));
        typeOver(field(2), QStringLiteral("Eve"));
        click("cmdUpdate");
        const QVariantList rate = queryValues(QStringLiteral("SELECT SalesTaxRate FROM Employee WHERE EmployeeID = 6"));
        QCOMPARE(rate.size(), 1);
        if (taken.isValid())
            QCOMPARE(rate[0], taken);
        else
            QVERIFY(rate[0].isNull());
    }

    // The text dates show in the desk's short form and are stored as m/d/yyyy.
    void datesShowInTheDesksForm()
    {
        QVERIFY(execSql(QStringLiteral("UPDATE Employee SET Birthdate = '3/5/1990', DateHired = '12/10/2026', "
                                       "DateQuit = 'soon' WHERE EmployeeID = 1")));
        delete form;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        form = new frmEmployee(doors);
        form->show();
        auto *quit = form->findChild<QLineEdit *>(QStringLiteral("txtTerminate"));
        QCOMPARE(field(12)->text(), QStringLiteral("05/03/1990"));
        QCOMPARE(field(13)->text(), QStringLiteral("10/12/2026"));
        QCOMPARE(quit->text(), QStringLiteral("soon"));
        typeOver(field(12), QStringLiteral("3/5/45"));
        typeOver(quit, QStringLiteral("31/1/2027"));
        click("cmdUpdate");
        QCOMPARE(queryValues(QStringLiteral("SELECT Birthdate, DateHired, DateQuit FROM Employee WHERE EmployeeID = 1")),
                 (QVariantList{QStringLiteral("5/3/1945"), QStringLiteral("12/10/2026"), QStringLiteral("1/31/2027")}));
        QCOMPARE(field(12)->text(), QStringLiteral("03/05/1945"));
    }

    // Tab goes down the left column, then the right one, then the grid, the record bar (its
    // buttons that are on) and the buttons.
    void tabFollowsTheScreen()
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        field(0)->setFocus();
        QStringList order;
        for (int i = 0; i < 32; ++i) {
            QWidget *focus = QApplication::focusWidget();
            if (auto *combo = qobject_cast<QComboBox *>(focus->parentWidget()))
                focus = combo;
            const QVariant index = focus->property("Index");
            order << (index.isValid() ? QStringLiteral("%1(%2)").arg(focus->objectName()).arg(index.toInt()) : focus->objectName());
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QStringList expected{"txtFields(0)", "Combo1"};
        for (int i = 2; i <= 15; ++i)
            expected << QStringLiteral("txtFields(%1)").arg(i);
        expected << "txtTerminate" << "txtFields(16)" << "grdDataGrid" << "moveFirst" << "moveNext" << "moveLast" << "cmdAdd" << "cmdUpdate"
                 << "cmdDelete" << "cmdRefresh" << "cmdSearch" << "cmdData" << "cmdPassword" << "cmdClose" << "txtFields(0)";
        QCOMPARE(order.mid(0, expected.size()), expected);
    }

    void failedUpdateKeepsTheTyping()
    {
        typeOver(field(0), QStringLiteral("seven"));
        typeOver(field(2), QStringLiteral("Annie"));
        dialogs->answerMessage();
        click("cmdUpdate");
        QCOMPARE(dialogs->shown().size(), 1);
        QVERIFY(form->isVisible());
        QCOMPARE(field(2)->text(), QStringLiteral("Annie"));
        typeOver(field(0), QStringLiteral("1"));
        click("cmdUpdate");
        QCOMPARE(queryValues(QStringLiteral("SELECT FirstName FROM Employee WHERE EmployeeID = 1")),
                 QVariantList{QStringLiteral("Annie")});
    }

    void updateWithoutARowClosesTheScreen()
    {
        form->datPrimaryRS()->moveLast();
        form->datPrimaryRS()->moveNext();   // past the end: no current employee
        dialogs->answerMessage();
        click("cmdUpdate");
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("Please use Add command to enter new data")});
        QCOMPARE(dialogs->last().icon, Dialogs::Icon::Information);
        QTRY_VERIFY(!form);   // closed and deleted
    }

    void deleteEmployee_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("record");
        QTest::newRow("Yes") << int(Dialogs::Answer::Yes) << QStringList{"2", "4", "5"} << "Record: 1";
        QTest::newRow("No") << int(Dialogs::Answer::No) << QStringList{"1", "2", "4", "5"} << "Record: 2";
        QTest::newRow("Cancel") << int(Dialogs::Answer::Cancel) << QStringList{"1", "2", "4", "5"} << "Record: 2";
    }
    void deleteEmployee()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        QFETCH(QString, record);
        dialogs->answerMessage(Dialogs::Answer(answer));
        if (Dialogs::Answer(answer) == Dialogs::Answer::No)
            dialogs->answerMessage();
        click("cmdDelete");
        QStringList expected{QStringLiteral("Are you sure you want to delete THIS EMPLOYEE FILE ?")};
        if (Dialogs::Answer(answer) == Dialogs::Answer::No)
            expected << QStringLiteral("Please right click on the data grid for more help.");
        QCOMPARE(dialogs->messageTexts(), expected);
        QCOMPARE(numbers(), left);
        QCOMPARE(caption(), record);
        QCOMPARE(payrollRows(), 5);   // the payroll rows always stay
    }

    void gridMenuDeletesOnePayrollRow_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("earned");
        QTest::newRow("Yes") << int(Dialogs::Answer::Yes) << QStringList{"$10.00", "$12.00"};
        QTest::newRow("No") << int(Dialogs::Answer::No) << QStringList{"$10.00", "$11.00", "$12.00"};
    }
    void gridMenuDeletesOnePayrollRow()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, earned);
        grid()->selectRow(1);
        dialogs->answerMessage(Dialogs::Answer(answer));
        form->findChild<QAction *>(QStringLiteral("mnuDataDelete"))->trigger();
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("Are you sure you want to delete this record ?")});
        QCOMPARE(earnings(), earned);
        QCOMPARE(gridRow(), earned.size() - 1);   // back on the latest row
        dialogs->answerMessage();
        form->findChild<QAction *>(QStringLiteral("mnuDataHelp"))->trigger();
        QCOMPARE(dialogs->last().text,
                 QStringLiteral("To delete one row of record set: 1) Select the row by left click. 2) right click to delete."));
    }

    // The shop password changes only as a hash in Misc, never in an employee's row.
    void changePassword()
    {
        doors.answer = [this] { return doors.asked == 2; };
        auto *frame = form->findChild<QGroupBox *>(QStringLiteral("fraPassword"));
        auto *box = form->findChild<QLineEdit *>(QStringLiteral("txtPassword"));
        click("cmdPassword");   // the wrong password, or Cancel
        QVERIFY(frame->isHidden());
        click("cmdPassword");
        QVERIFY(frame->isVisible());
        QCOMPARE(box->text(), QString());
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        dialogs->answerMessage();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("The new password cannot be empty. Please type a password.")});
        QVERIFY(frame->isVisible());
        QTest::keyClicks(box, QStringLiteral("Nails 2026"));
        dialogs->answerMessage();
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(dialogs->last().text, QStringLiteral("The shop password was changed."));
        QCOMPARE(dialogs->last().icon, Dialogs::Icon::Information);
        QVERIFY(frame->isHidden());
        QVERIFY(shoppassword::check(QStringLiteral("Nails 2026")));
        QVERIFY(!shoppassword::check(QStringLiteral("salon")));
        click("cmdUpdate");
        form->close();
        const QVariantList misc = queryValues(QStringLiteral("SELECT password FROM Misc"));
        QCOMPARE(misc.size(), 1);
        QVERIFY(shoppassword::isHash(misc[0].toString()));
        QCOMPARE(queryValues(QStringLiteral("SELECT count(*) FROM Employee WHERE password IS NOT NULL"))[0].toInt(), 0);
    }

    // Payroll entry proposes the employee on screen; on its close the grid shows the new row.
    void payrollEntryForTheEmployeeOnScreen()
    {
        form->LocateEmployeeByNumber(4);
        QCOMPARE(caption(), QStringLiteral("Record: 3"));
        auto seen = std::make_shared<bool>(false);
        ModalWatch watch([](QWidget *modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("frmPayrollRecords"));
            modal->findChild<QPushButton *>(QStringLiteral("cmdAdd"))->click();
            QCOMPARE(modal->findChild<QLineEdit *>(QStringLiteral("txtEmployeeID"))->text(), QStringLiteral("4"));
            auto *today = modal->findChild<QLineEdit *>(QStringLiteral("txtTodayEarn"));
            QTest::keyClicks(today, QStringLiteral("60"));
            QTest::keyClick(today, Qt::Key_Return);
        }, seen);
        click("cmdData");
        QVERIFY(*seen);
        QCOMPARE(earnings(), (QStringList{"$40.00", "$60.00"}));
        QCOMPARE(gridRow(), 1);
        QCOMPARE(grid()->model()->index(1, 2).data().toString(), QStringLiteral("$100.00"));
    }
};

QTEST_MAIN(TestFrmEmployee)
#include "tst_frmemployee.moc"
