#include "database.h"
#include "databar.h"
#include "frmpayrollrecords.h"
#include "payrollposting.h"
#include "recordset.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include "../shell/modalwatch.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

// Payroll entry over employees 1, 2, 4 and 5 (number 3 has left; its payroll rows stay).
class TestFrmPayrollRecords : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    QPointer<frmPayrollRecords> form;

    QLineEdit *box(const char *name) const { return form->findChild<QLineEdit *>(QLatin1String(name)); }
    QPushButton *button(const char *name) const { return form->findChild<QPushButton *>(QLatin1String(name)); }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void type(const char *name, const QString &text)
    {
        box(name)->selectAll();
        QTest::keyClicks(box(name), text);
    }
    void enterTodayEarn() { QTest::keyClick(box("txtTodayEarn"), Qt::Key_Return); }
    DataBar *bar() const { return form->findChild<DataBar *>(QStringLiteral("datPrimary")); }

    // Every payroll row as "employee date today to-date 50m 50t 60m 60t".
    static QStringList book()
    {
        QStringList rows;
        const QVariantList values = queryValues(QStringLiteral(
            "SELECT EmployeeID, ServiceDate, TodayEarn, ToDateEarn, [50ByMonth], [50ByTotal], "
            "[60ByMonth], [60ByTotal] FROM [Payroll Records] ORDER BY RecordID"));
        for (qsizetype row = 0; row + 8 <= values.size(); row += 8) {
            QStringList cells;
            for (qsizetype i = row; i < row + 8; ++i)
                cells << values[i].toString();
            rows << cells.join(u' ');
        }
        return rows;
    }
    static QDate firstOfMonth() { return QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1); }
    static void addPayroll(int employee, QDate day, double today, double toDate)
    {
        addRow(QStringLiteral("Payroll Records"), {{QStringLiteral("EmployeeID"), employee}, {QStringLiteral("ServiceDate"), day},
                                                    {QStringLiteral("TodayEarn"), today}, {QStringLiteral("ToDateEarn"), toDate}});
    }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        const std::pair<int, const char *> staff[] = {{1, "Ann"}, {2, "Bea"}, {4, "Cal"}, {5, "Dee"}};
        for (const auto &[id, name] : staff)
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id}, {QStringLiteral("FirstName"), QString::fromLatin1(name)},
                                                {QStringLiteral("Total"), id == 4 ? 38.5 : 0.0}});
        addPayroll(1, QDate(2025, 1, 6), 80, 80);
        addPayroll(3, QDate(2025, 1, 6), 999, 999);
        addPayroll(1, firstOfMonth(), 20, 100);
        addPayroll(4, QDate(2025, 1, 6), 300, 300);
        form = new frmPayrollRecords;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }

    void cleanup()
    {
        delete form;
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
    }

    // Add proposes the given employee, found by number, with that employee's own to-date.
    void addFillsTheEmployeesOwnToDate_data()
    {
        QTest::addColumn<int>("proposed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("toDate");
        QTest::newRow("after a gap in the numbers") << 4 << "Cal" << "300";
        QTest::newRow("latest row, not the first") << 1 << "Ann" << "100";
        QTest::newRow("no payroll rows yet") << 5 << "Dee" << "";
    }
    void addFillsTheEmployeesOwnToDate()
    {
        QFETCH(int, proposed);
        QFETCH(QString, name);
        QFETCH(QString, toDate);
        form->setProposedEmployee(proposed);
        click("cmdAdd");
        QCOMPARE(box("txtEmployeeID")->text(), QString::number(proposed));
        QCOMPARE(box("txtFirstname")->text(), name);
        QCOMPARE(box("txtToDateEarn")->text(), toDate);
        QCOMPARE(box("txtServiceDate")->text(), QLocale().toString(QDate::currentDate(), QStringLiteral("M/d/yyyy")));
        QVERIFY(box("txtTodayEarn")->hasFocus());
    }

    void typingAnotherNumberRefillsTheToDate()
    {
        form->setProposedEmployee(1);
        click("cmdAdd");
        type("txtEmployeeID", QStringLiteral("4"));
        QCOMPARE(box("txtToDateEarn")->text(), QStringLiteral("300"));
        QCOMPARE(box("txtFirstname")->text(), QStringLiteral("Cal"));
        type("txtTodayEarn", QStringLiteral("50"));
        enterTodayEarn();
        QCOMPARE(book().last().section(u' ', 0, 0), QStringLiteral("4"));
        QCOMPARE(book().last().section(u' ', 3, 3), QStringLiteral("350"));
    }

    void enterPostsTheExactAmountAndCloses()
    {
        form->setProposedEmployee(1);
        click("cmdAdd");
        type("txtTodayEarn", QStringLiteral("45.5"));
        const QStringList before = book();
        enterTodayEarn();
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QVERIFY(!form->isVisible());
        QCOMPARE(form->postedEmployee(), std::optional<qint64>(1));
        // The month: 20 earlier this month plus today's 45.5.
        QCOMPARE(book(), before + QStringList{QStringLiteral("1 %1 45.5 145.5 32.75 72.75 39.3 87.3")
                                                  .arg(QDate::currentDate().toString(Qt::ISODate))});
    }

    void refusedAmountKeepsTheRowPending_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("currency sign") << "$120";
        QTest::newRow("trailing letters") << "12abc";
    }
    void refusedAmountKeepsTheRowPending()
    {
        QFETCH(QString, typed);
        form->setProposedEmployee(1);
        click("cmdAdd");
        type("txtTodayEarn", typed);
        const QStringList before = book();
        dialogs->answerMessage();
        enterTodayEarn();
        QCOMPARE(dialogs->messageTexts(), QStringList{payroll::refusedAmountText(typed)});
        QVERIFY(form->isVisible());
        QVERIFY(form->isPending());
        QCOMPARE(box("txtTodayEarn")->text(), typed);
        QCOMPARE(book(), before);
    }

    // Money the book cannot keep exactly, typed or summed into the to-date, posts nothing.
    void amountTheBookCannotKeepPostsNothing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QString bound = QStringLiteral(" is too large: amounts of money must stay below 100,000,000,000.");
        QTest::newRow("more than four decimals")
            << "0.00005" << "\"0.00005\" has more than four decimals: amounts of money are kept to four decimals.";
        QTest::newRow("typed too large") << "300000000000.0007" << "\"300000000000.0007\"" + bound;
        // Ann's to-date is 100.
        QTest::newRow("to-date reaches the bound") << "99999999900"
                                                   << "The to-date total" + bound + " Nothing was posted.";
    }
    void amountTheBookCannotKeepPostsNothing()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        form->setProposedEmployee(1);
        click("cmdAdd");
        type("txtTodayEarn", typed);
        const QStringList before = book();
        dialogs->answerMessage();
        enterTodayEarn();
        QCOMPARE(dialogs->messageTexts(), QStringList{message});
        QVERIFY(form->isPending());
        QCOMPARE(book(), before);
    }

    // Only a posted row is stored: Close posts what was typed, everything else drops the row.
    void leavingAPendingRow_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leave");
        QTest::addColumn<bool>("stored");
        QTest::newRow("Close after an amount") << "30" << "cmdClose" << true;
        QTest::newRow("Close with nothing typed") << "" << "cmdClose" << false;
        QTest::newRow("Cancel after an amount") << "30" << "cmdCancel" << false;
        QTest::newRow("close box") << "30" << "closeBox" << false;
        QTest::newRow("Esc") << "30" << "Esc" << false;
    }
    void leavingAPendingRow()
    {
        QFETCH(QString, typed);
        QFETCH(QString, leave);
        QFETCH(bool, stored);
        form->setProposedEmployee(1);
        click("cmdAdd");
        if (!typed.isEmpty())
            type("txtTodayEarn", typed);
        const QStringList before = book();
        if (leave == QLatin1String("closeBox"))
            form->close();
        else if (leave == QLatin1String("Esc"))
            QTest::keyClick(form, Qt::Key_Escape);
        else
            click(qPrintable(leave));
        QVERIFY(!form->isVisible());
        QCOMPARE(book().size(), before.size() + (stored ? 1 : 0));
        if (stored)
            QCOMPARE(book().last().section(u' ', 2, 3), QStringLiteral("30 130"));
    }

    void pendingRowLocksTheBarRefreshAndDelete()
    {
        auto enabled = [this] {
            QStringList on;
            for (QToolButton *b : bar()->findChildren<QToolButton *>())
                if (b->isEnabled())
                    on << b->objectName();
            for (const char *name : {"cmdDelete", "cmdRefresh"})
                if (button(name)->isEnabled())
                    on << QLatin1String(name);
            return on;
        };
        QVERIFY(enabled().contains(QStringLiteral("moveNext")));
        click("cmdAdd");
        QCOMPARE(enabled(), QStringList());
        type("txtTodayEarn", QStringLiteral("5"));
        QTest::keyClick(form, Qt::Key_Escape);
        QVERIFY(enabled().contains(QStringLiteral("cmdDelete")));
        QVERIFY(enabled().contains(QStringLiteral("moveNext")));
    }

    void browsingNeverRewritesStoredRows()
    {
        const QStringList before = book();
        QWidget *next = bar()->findChild<QWidget *>(QStringLiteral("moveNext"));
        // A press and release on the bar, moves, and Enter on a stored row.
        QTest::mouseClick(bar(), Qt::LeftButton);
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(box("txtEmployeeID")->text(), QStringLiteral("1"));
        QVERIFY(box("txtTodayEarn")->isReadOnly());
        dialogs->answerMessage();
        enterTodayEarn();
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("Please press Add first to enter a new payroll row.")});
        QTest::mouseClick(bar()->findChild<QWidget *>(QStringLiteral("moveFirst")), Qt::LeftButton);
        QCOMPARE(book(), before);
    }

    void barReleaseOnAPendingRowRefills()
    {
        form->setProposedEmployee(1);
        click("cmdAdd");
        type("txtEmployeeID", QStringLiteral("9"));
        dialogs->answerMessage();
        QTest::mouseClick(bar(), Qt::LeftButton);
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("End of file.")});
        type("txtEmployeeID", QStringLiteral("4"));
        QTest::mouseClick(bar(), Qt::LeftButton);
        QCOMPARE(box("txtFirstname")->text(), QStringLiteral("Cal"));
        QCOMPARE(box("txtToDateEarn")->text(), QStringLiteral("300"));
    }

    // "Today, He/She had made" reads the employee's day total from the book, by number.
    void todaysSales_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("name");
        QTest::newRow("employee after a gap") << "4" << "Today, he/she had made:  $38.5" << "Cal";
        QTest::newRow("empty number") << "" << "There is no such record." << "";
        QTest::newRow("a number no one has") << "3" << "There is no such record." << "";
    }
    void todaysSales()
    {
        QFETCH(QString, number);
        QFETCH(QString, message);
        QFETCH(QString, name);
        click("cmdAdd");
        type("txtEmployeeID", number);
        dialogs->answerMessage();
        click("cmdTodayEarn");
        QCOMPARE(dialogs->messageTexts(), QStringList{message});
        QCOMPARE(box("txtFirstname")->text(), name);
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::addColumn<QString>("caption");
        // Then on to the next row: after a delete of the first, the new first; after a re-read, the second.
        QTest::newRow("Yes") << int(Dialogs::Answer::Yes) << 3 << "Record: 1";
        QTest::newRow("No") << int(Dialogs::Answer::No) << 4 << "Record: 2";
        QTest::newRow("Cancel") << int(Dialogs::Answer::Cancel) << 4 << "Record: 2";
    }
    void deleteAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(int, rowsLeft);
        QFETCH(QString, caption);
        dialogs->answerMessage(Dialogs::Answer(answer));
        click("cmdDelete");
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("Are you sure you want to delete this record ?")});
        QCOMPARE(book().size(), rowsLeft);
        QCOMPARE(bar()->caption(), caption);
        QCOMPARE(book().first().section(u' ', 2, 2), rowsLeft == 3 ? QStringLiteral("999") : QStringLiteral("80"));
    }

    // End Of Day's entry for one employee: a new row with the number in the caption, the day and
    // that employee's own to-date, and an answer saying how the desk left it.
    void endOfDayEntry_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("outcome");
        QTest::newRow("posted") << "12.5" << int(payrollentry::Outcome::Posted);
        QTest::newRow("cancelled") << "" << int(payrollentry::Outcome::Cancelled);
    }
    void endOfDayEntry()
    {
        QFETCH(QString, typed);
        QFETCH(int, outcome);
        const QDate day(2026, 3, 10);
        auto seen = std::make_shared<bool>(false);
        ModalWatch watch([&](QWidget *modal) {
            auto text = [modal](const char *name) { return modal->findChild<QLineEdit *>(QLatin1String(name))->text(); };
            QCOMPARE(modal->findChild<DataBar *>()->caption(), QStringLiteral("Record: 4"));
            QCOMPARE(text("txtEmployeeID"), QStringLiteral("4"));
            QCOMPARE(text("txtServiceDate"), QStringLiteral("3/10/2026"));
            QCOMPARE(text("txtToDateEarn"), QStringLiteral("300"));
            if (typed.isEmpty()) {
                modal->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
                return;
            }
            auto *today = modal->findChild<QLineEdit *>(QStringLiteral("txtTodayEarn"));
            QTest::keyClicks(today, typed);
            QTest::keyClick(today, Qt::Key_Return);
        }, seen);
        const QStringList before = book();
        QCOMPARE(int(frmPayrollRecords::enterFor(nullptr, {4, day}).kind), outcome);
        QVERIFY(*seen);
        if (outcome == int(payrollentry::Outcome::Posted))
            QCOMPARE(book(), before + QStringList{QStringLiteral("4 2026-03-10 12.5 312.5 %1 156.25 %2 187.5")
                                                      .arg(QStringLiteral("6.25"), QStringLiteral("7.5"))});
        else
            QCOMPARE(book(), before);
    }

    // End Of Day's row belongs to the employee and day being walked: neither box can be typed
    // over, Add starts the same row again, and the row stored is that employee's for that day.
    void endOfDayRowKeepsItsEmployeeAndDay()
    {
        auto seen = std::make_shared<bool>(false);
        ModalWatch watch([](QWidget *modal) {
            auto *number = modal->findChild<QLineEdit *>(QStringLiteral("txtEmployeeID"));
            auto *date = modal->findChild<QLineEdit *>(QStringLiteral("txtServiceDate"));
            for (QLineEdit *box : {number, date}) {
                box->selectAll();
                QTest::keyClicks(box, QStringLiteral("2"));
            }
            modal->findChild<QPushButton *>(QStringLiteral("cmdAdd"))->click();
            QCOMPARE(number->text(), QStringLiteral("4"));
            QCOMPARE(date->text(), QStringLiteral("3/10/2026"));
            auto *today = modal->findChild<QLineEdit *>(QStringLiteral("txtTodayEarn"));
            QTest::keyClicks(today, QStringLiteral("12.5"));
            QTest::keyClick(today, Qt::Key_Return);
        }, seen);
        const QStringList before = book();
        QCOMPARE(int(frmPayrollRecords::enterFor(nullptr, {4, QDate(2026, 3, 10)}).kind), int(payrollentry::Outcome::Posted));
        QVERIFY(*seen);
        QCOMPARE(book().size(), before.size() + 1);
        QCOMPARE(book().last().section(u' ', 0, 3), QStringLiteral("4 2026-03-10 12.5 312.5"));
    }

    // A box that cannot be typed into shows it: read-only, on the window's background.
    void boxesThatCannotBeTypedIntoLookIt_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("typable");
        QTest::newRow("browsing: number") << "browsing" << "txtEmployeeID" << false;
        QTest::newRow("browsing: today") << "browsing" << "txtTodayEarn" << false;
        QTest::newRow("browsing: name") << "browsing" << "txtFirstname" << false;
        QTest::newRow("adding: number") << "adding" << "txtEmployeeID" << true;
        QTest::newRow("adding: date") << "adding" << "txtServiceDate" << true;
        QTest::newRow("adding: today") << "adding" << "txtTodayEarn" << true;
        QTest::newRow("adding: to date") << "adding" << "txtToDateEarn" << false;
        QTest::newRow("adding: 60% by total") << "adding" << "txt60ByTotal" << false;
        QTest::newRow("End Of Day: number") << "End Of Day" << "txtEmployeeID" << false;
        QTest::newRow("End Of Day: date") << "End Of Day" << "txtServiceDate" << false;
        QTest::newRow("End Of Day: today") << "End Of Day" << "txtTodayEarn" << true;
        QTest::newRow("posted: today") << "posted" << "txtTodayEarn" << false;
    }
    void boxesThatCannotBeTypedIntoLookIt()
    {
        QFETCH(QString, state);
        QFETCH(QString, name);
        QFETCH(bool, typable);
        if (state == QLatin1String("adding")) {
            click("cmdAdd");
        } else if (state == QLatin1String("End Of Day")) {
            form->startEntry({4, QDate(2026, 3, 10)});
        } else if (state == QLatin1String("posted")) {
            form->startEntry({4, QDate(2026, 3, 10)});
            type("txtTodayEarn", QStringLiteral("5"));
            enterTodayEarn();
        }
        QLineEdit *shown = box(name.toLatin1().constData());
        QCOMPARE(shown->isReadOnly(), !typable);
        const QPalette &window = form->palette();
        QCOMPARE(shown->palette().color(QPalette::Base), window.color(typable ? QPalette::Base : QPalette::Window));
        QCOMPARE(bool(shown->focusPolicy() & Qt::TabFocus), typable);
    }

    void failedPostingIsReportedAndKeepsTheRow()
    {
        form->setProposedEmployee(1);
        click("cmdAdd");
        type("txtTodayEarn", QStringLiteral("10"));
        QVERIFY(execSql(QStringLiteral("ALTER TABLE [Payroll Records] RENAME COLUMN TodayEarn TO Gone")));
        dialogs->answerMessage();
        enterTodayEarn();
        QCOMPARE(dialogs->shown().size(), 1);
        QVERIFY2(dialogs->last().text.contains(QStringLiteral("TodayEarn")), qPrintable(dialogs->last().text));
        QVERIFY(form->isVisible());
        QVERIFY(form->isPending());
        QCOMPARE(form->failure(), dialogs->last().text);
    }
};

QTEST_MAIN(TestFrmPayrollRecords)
#include "tst_frmpayrollrecords.moc"
