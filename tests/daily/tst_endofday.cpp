#include "backup.h"
#include "database.h"
#include "dates.h"
#include "endofday.h"
#include "testdoors.h"
#include "scripteddialogs.h"
#include "storeerror.h"
#include "testhome.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QtTest>

using Outcome = payrollentry::Outcome;

// The End Of Day walk over employees 1, 2, 4 and 5 (number 3 has left), each with a day total.
// Payroll entry is answered by a stand-in that records what it was asked and stores a row for
// each posting, as the real screen does.
class TestEndOfDay : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    TestDoors doors;
    QList<qint64> asked;
    QList<Outcome> outcomes;   // answers in order; Posted when none is left
    const QDate day{2026, 3, 10};

    static QStringList dayTotals()
    {
        QStringList totals;
        const QVariantList values = queryValues(QStringLiteral("SELECT EmployeeID, Total, SubTotal FROM Employee ORDER BY rowid"));
        for (qsizetype i = 0; i + 2 < values.size(); i += 3)
            totals << QStringLiteral("%1:%2/%3").arg(values[i].toString(), values[i + 1].toString(), values[i + 2].toString());
        return totals;
    }
    static void addPayroll(int employee, QDate day)
    {
        addRow(QStringLiteral("Payroll Records"), {{QStringLiteral("EmployeeID"), employee}, {QStringLiteral("ServiceDate"), day},
                                                    {QStringLiteral("TodayEarn"), 10}, {QStringLiteral("ToDateEarn"), 10}});
    }
    endofday::Result walk()
    {
        return endofday::walk(nullptr, day, doors, [](qint64 row) { endofday::clearDayTotalsInBook(salon::employeeDb(), row); });
    }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        for (int id : {1, 2, 4, 5})
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id}, {QStringLiteral("FirstName"), QStringLiteral("E%1").arg(id)},
                                                {QStringLiteral("Total"), id * 10.5}, {QStringLiteral("SubTotal"), id}});
        asked.clear();
        outcomes.clear();
        doors.entry = [this](const payrollentry::Request &request) {
            asked << request.employeeId;
            [&] { QCOMPARE(request.day, day); }();
            const Outcome outcome = outcomes.isEmpty() ? Outcome{Outcome::Posted, {}} : outcomes.takeFirst();
            if (outcome.kind == Outcome::Posted)
                addPayroll(int(request.employeeId), request.day);
            return outcome;
        };
    }

    void cleanup()
    {
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
    }

    void walksEveryEmployeeByNumber()
    {
        dialogs->answerMessage();
        const endofday::Result result = endofday::run(nullptr, day, doors, [](qint64 row) {
            endofday::clearDayTotalsInBook(salon::employeeDb(), row);
        });
        QCOMPARE(asked, (QList<qint64>{1, 2, 4, 5}));
        QCOMPARE(dayTotals(), (QStringList{"1:0/0", "2:0/0", "4:0/0", "5:0/0"}));
        QVERIFY(result.finished);
        // A server's books are dumped under the name of its database.
        const QString copy = home->path() + QStringLiteral("/backups/")
            + (onServer() ? queryValues(QStringLiteral("SELECT current_database()")).value(0).toString() + QStringLiteral("-2026-03-10.dump")
                          : QStringLiteral("Employee-2026-03-10.db"));
        QCOMPARE(result.backup.path, copy);
        QVERIFY(QFileInfo::exists(copy));
        QCOMPARE(dialogs->messageTexts(),
                 QStringList{QStringLiteral("End Of Day is done: 4 employees posted, 0 skipped, 0 left for a later run.\n"
                                            "The book was copied to %1.").arg(copy)});
        QCOMPARE(dialogs->last().icon, Dialogs::Icon::Information);
    }

    // A day total is cleared only when its employee's row was posted or deliberately skipped.
    void cancelledEntryKeepsTheDayTotal()
    {
        outcomes = {Outcome{Outcome::Posted, {}}, Outcome{Outcome::Cancelled, {}}};
        const endofday::Result result = walk();
        QCOMPARE(asked, (QList<qint64>{1, 2, 4, 5}));
        QCOMPARE(dayTotals(), (QStringList{"1:0/0", "2:21/2", "4:0/0", "5:0/0"}));
        QVERIFY(result.finished);
        QCOMPARE(result.posted, 3);
        QCOMPARE(result.left, 1);
        QVERIFY(endofday::closingText(result).startsWith(
            QStringLiteral("End Of Day is done: 3 employees posted, 0 skipped, 1 left for a later run.")));
    }

    void storeFailureStopsTheWalk()
    {
        outcomes = {Outcome{Outcome::Posted, {}}, Outcome{Outcome::Failed, QStringLiteral("disk I/O error")}};
        const endofday::Result result = walk();
        QCOMPARE(asked, (QList<qint64>{1, 2}));
        QCOMPARE(dayTotals(), (QStringList{"1:0/0", "2:21/2", "4:42/4", "5:52.5/5"}));
        QVERIFY(!result.finished);
        QCOMPARE(result.left, 3);
        QVERIFY(result.backup.ok());   // the day is copied all the same
        QCOMPARE(endofday::closingText(result).section(u'\n', 0, 1),
                 QStringLiteral("End Of Day stopped: disk I/O error\n1 employee posted, 0 skipped, 3 left for a later run."));
    }

    void failingBookStopsTheWalkWithItsText()
    {
        QVERIFY(execSql(QStringLiteral("ALTER TABLE [Payroll Records] RENAME TO Gone")));
        const endofday::Result result = walk();
        QVERIFY(!result.finished);
        QVERIFY2(result.stopReason.contains(QStringLiteral("Payroll Records")), qPrintable(result.stopReason));
        QCOMPARE(asked, QList<qint64>());
        QCOMPARE(result.left, 4);
    }

    // A second End Of Day on the same day asks before a second row; No (the default) skips.
    void secondRunOnTheSameDay_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<qint64>>("entered");
        QTest::addColumn<int>("skipped");
        QTest::newRow("No skips") << int(Dialogs::Answer::No) << QList<qint64>{1, 2, 5} << 1;
        QTest::newRow("Yes adds a second row") << int(Dialogs::Answer::Yes) << QList<qint64>{1, 2, 4, 5} << 0;
    }
    void secondRunOnTheSameDay()
    {
        QFETCH(int, answer);
        QFETCH(QList<qint64>, entered);
        QFETCH(int, skipped);
        addPayroll(4, day);
        addPayroll(4, day.addDays(-1));
        dialogs->answerMessage(Dialogs::Answer(answer));
        const endofday::Result result = walk();
        QCOMPARE(dialogs->messageTexts(),
                 QStringList{QStringLiteral("E4 (employee 4) already has a payroll row for 3/10/2026. Add another one?")});
        QCOMPARE(dialogs->last().buttons, Dialogs::Buttons::YesNoDefaultNo);
        QCOMPARE(asked, entered);
        QCOMPARE(result.skipped, skipped);
        QCOMPARE(dayTotals(), (QStringList{"1:0/0", "2:0/0", "4:0/0", "5:0/0"}));
    }

    // "Posted" counts only when the book holds a new row of the walked employee for the day:
    // a row stored for another employee, or for another day, clears nothing.
    void postingCountsOnlyTheWalkedEmployeesRowOfTheDay_data()
    {
        QTest::addColumn<int>("storedFor");
        QTest::addColumn<int>("daysOff");
        QTest::newRow("a former employee") << 3 << 0;
        QTest::newRow("another day") << 1 << 1;
        QTest::newRow("nothing stored") << 0 << 0;
    }
    void postingCountsOnlyTheWalkedEmployeesRowOfTheDay()
    {
        QFETCH(int, storedFor);
        QFETCH(int, daysOff);
        doors.entry = [&](const payrollentry::Request &request) {
            asked << request.employeeId;
            const int employee = request.employeeId == 1 ? storedFor : int(request.employeeId);
            if (employee != 0)
                addPayroll(employee, request.employeeId == 1 ? day.addDays(daysOff) : day);
            return Outcome{Outcome::Posted, {}};
        };
        const endofday::Result result = walk();
        QCOMPARE(asked, (QList<qint64>{1, 2, 4, 5}));
        QCOMPARE(dayTotals(), (QStringList{"1:10.5/1", "2:0/0", "4:0/0", "5:0/0"}));
        QCOMPARE(result.posted, 3);
        QCOMPARE(result.left, 1);
    }

    // Two employees with one number: whose row is whose cannot be told, so neither is posted
    // nor cleared, and the closing message says why.
    void sharedNumberIsNeitherPostedNorCleared()
    {
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 2}, {QStringLiteral("FirstName"), QStringLiteral("Eve")},
                                            {QStringLiteral("Total"), 7}, {QStringLiteral("SubTotal"), 7}});
        dialogs->answerMessage();
        const endofday::Result result = endofday::run(nullptr, day, doors, [](qint64 row) {
            endofday::clearDayTotalsInBook(salon::employeeDb(), row);
        });
        QCOMPARE(asked, (QList<qint64>{1, 4, 5}));
        QCOMPARE(dayTotals(), (QStringList{"1:0/0", "2:21/2", "4:0/0", "5:0/0", "2:7/7"}));
        QCOMPARE(result.posted, 3);
        QCOMPARE(result.left, 2);
        QCOMPARE(dialogs->last().text.section(u'\n', 0, 1),
                 QStringLiteral("End Of Day is done: 3 employees posted, 0 skipped, 2 left for a later run.\n"
                                "Number 2 is shared by E2 and Eve: neither was posted and the day totals were kept. "
                                "Give each employee a number of their own on the employee screen."));
        QCOMPARE(dialogs->last().icon, Dialogs::Icon::Warning);
    }

    void failedBackupIsReported()
    {
        writeFile(salon::backupFolder(), "a file where the folder should be");
        const endofday::Result result = walk();
        QVERIFY(result.finished);
        QVERIFY(!result.backup.ok());
        QVERIFY(endofday::closingText(result).endsWith(result.backup.failure));
        QVERIFY(endofday::closingText(result).contains(salon::backupFolder()));
    }
};

QTEST_MAIN(TestEndOfDay)
#include "tst_endofday.moc"
