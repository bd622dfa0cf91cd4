#include "database.h"
#include "databar.h"
#include "frmemployee.h"
#include "recordset.h"
#include "scripteddialogs.h"
#include "shoppassword.h"
#include "testhome.h"

#include "../shell/modalwatch.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

// The employee book over employees 1 Ann Smith, 2 Bea Jones, 4 Cal Smith and 5 Dee Moss
// (number 3 has left; the payroll rows of 1, 3 and 4 stay).
class TestFrmEmployee : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
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
        QSqlQuery query(QStringLiteral("SELECT EmployeeID FROM Employee ORDER BY rowid"), salon::employeeDb());
        while (query.next())
            ids << query.value(0).toString();
        return ids;
    }
    static int payrollRows()
    {
        QSqlQuery query(QStringLiteral("SELECT count(*) FROM [Payroll Records]"), salon::employeeDb());
        query.next();
        return query.value(0).toInt();
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
        form = new frmEmployee;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }

    void cleanup()
    {
        delete form;
        shoppassword::setAskFunction(nullptr);
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
        QSqlQuery query(QStringLiteral("SELECT FirstName FROM Employee WHERE EmployeeID = 1"), salon::employeeDb());
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("Annie"));
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
        int asked = 0;
        shoppassword::setAskFunction([&asked](QWidget *) { return ++asked == 2; });
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
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(frame->isHidden());
        QVERIFY(shoppassword::check(QStringLiteral("Nails 2026")));
        QVERIFY(!shoppassword::check(QStringLiteral("salon")));
        click("cmdUpdate");
        form->close();
        QSqlQuery misc(QStringLiteral("SELECT password FROM Misc"), salon::employeeDb());
        QVERIFY(misc.next());
        QVERIFY(shoppassword::isHash(misc.value(0).toString()));
        QSqlQuery rows(QStringLiteral("SELECT count(*) FROM Employee WHERE password IS NOT NULL"), salon::employeeDb());
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toInt(), 0);
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
