#include "backup.h"
#include "database.h"
#include "dates.h"
#include "frmdaily.h"
#include "frmemployee.h"
#include "frmmain.h"
#include "frmreport.h"
#include "recordset.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>
#include <QtTest>

// One day at the front desk, through the program's own windows: the ticket for technician 2
// sells two lines to Ann Lee and prints the receipt, End Of Day posts each employee's earnings,
// and the staff book and the visiting report then show the day.
class TestWholeDay : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;

    template <class T>
    static T *child(QWidget *parent, const char *name)
    {
        T *found = parent->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    static void sell(frmDaily *daily, int row, const QString &quantity)
    {
        auto *grid = child<QTableView>(daily, "DBGrid1");
        const QModelIndex index = grid->model()->index(row, 3);
        grid->setCurrentIndex(index);
        grid->edit(index);
        QLineEdit *editor = nullptr;
        for (QLineEdit *box : grid->viewport()->findChildren<QLineEdit *>())
            if (box->isVisible())
                editor = box;
        QVERIFY(editor);
        editor->setText(quantity);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    static Currency dayTotal(int employee)
    {
        QSqlQuery query(salon::employeeDb());
        query.prepare(QStringLiteral("SELECT Total FROM Employee WHERE EmployeeID = ?"));
        query.addBindValue(employee);
        query.exec();
        return query.next() ? Currency::fromDouble(query.value(0).toDouble()).value_or(Currency()) : Currency();
    }

private slots:
    void init()
    {
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        for (int id : {1, 2})
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id}, {QStringLiteral("FirstName"), QStringLiteral("Tech%1").arg(id)},
                                                {QStringLiteral("SubTotal"), 0}, {QStringLiteral("Total"), 0},
                                                {QStringLiteral("SalesTaxRate"), 0.07}});
        // Technician 2's earlier day, so the to-date has something to add to.
        addRow(QStringLiteral("Payroll Records"), {{QStringLiteral("EmployeeID"), 2}, {QStringLiteral("ServiceDate"), QDate::currentDate().addDays(-400)},
                                                    {QStringLiteral("TodayEarn"), 100}, {QStringLiteral("ToDateEarn"), 100}});
        addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), 1}, {QStringLiteral("FirstName"), QStringLiteral("Ann")},
                                             {QStringLiteral("LastName"), QStringLiteral("Lee")}});
        QSqlQuery(salon::employeeDb()).exec(QStringLiteral("UPDATE Products SET ServiceName = 'Gel Set', UnitPrice = 19.99 WHERE rowid = 1"));
        QSqlQuery(salon::employeeDb()).exec(QStringLiteral("UPDATE Products SET ServiceName = 'Polish', UnitPrice = 8 WHERE rowid = 2"));
    }

    void cleanup()
    {
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
    }

    void aWholeDay()
    {
        frmMain window;
        // The ticket: technician 2, the customer found by last name, two lines sold.
        dialogs->answerText(QStringLiteral("2"));
        window.chooseTab(frmMain::DailyActivity);
        auto *daily = window.screens().find<frmDaily>();
        QVERIFY(daily);
        dialogs->answerText(QStringLiteral("Lee"));
        QTest::mouseClick(child<QPushButton>(daily, "cmdSearch"), Qt::LeftButton);
        dialogs->answerText(QStringLiteral("0.1"));
        sell(daily, 0, QStringLiteral("2"));
        dialogs->answerText(QStringLiteral("0.05"));
        sell(daily, 1, QStringLiteral("1"));
        const Currency earned = dayTotal(2);
        // Each line's share with 7% tax: 35.982 gives 38.5007, 7.6 gives 8.132.
        QCOMPARE(earned, Currency::fromScaled(466327));

        // The receipt, printed to a PDF.
        const QString pdf = home->path() + QStringLiteral("/receipt.pdf");
        dialogs->setDefaultPrinterPdf(pdf);
        QTest::mouseClick(child<QPushButton>(daily, "cmdPrint"), Qt::LeftButton);
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished());
        const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(printed.contains(QStringLiteral("Gel Set")) && printed.contains(QStringLiteral("Polish")), qPrintable(printed));

        // End Of Day: each employee's payroll entry in turn. Technician 2's amount is what
        // "Today, He/She had made" says; technician 1 sold nothing.
        QStringList entries;
        QTimer desk;
        desk.setInterval(10);
        connect(&desk, &QTimer::timeout, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible() || modal->objectName() != QLatin1String("frmPayrollRecords")
                || entries.size() > 2 || modal->property("handled").toBool())
                return;
            modal->setProperty("handled", true);
            auto *number = child<QLineEdit>(modal, "txtEmployeeID");
            entries << number->text() + u' ' + child<QLineEdit>(modal, "txtServiceDate")->text() + u' '
                           + child<QLineEdit>(modal, "txtToDateEarn")->text();
            auto *today = child<QLineEdit>(modal, "txtTodayEarn");
            if (number->text() == QLatin1String("2")) {
                QTest::mouseClick(child<QPushButton>(modal, "cmdTodayEarn"), Qt::LeftButton);
                const QString said = dialogs->last().text;
                QTest::keyClicks(today, said.mid(said.indexOf(u'$') + 1));
            } else {
                QTest::keyClicks(today, QStringLiteral("0"));
            }
            QTest::keyClick(today, Qt::Key_Return);
        });
        desk.start();
        dialogs->answerMessage();   // what technician 2 made today
        dialogs->answerMessage();   // the closing message
        QTest::mouseClick(child<QPushButton>(daily, "cmdEndOfDay"), Qt::LeftButton);
        desk.stop();
        const QString day = shortDateText(QDate::currentDate());
        QCOMPARE(entries, (QStringList{QStringLiteral("1 %1 ").arg(day), QStringLiteral("2 %1 100").arg(day)}));
        QCOMPARE(dialogs->shown()[dialogs->shown().size() - 2].text, QStringLiteral("Today, he/she had made:  $46.6327"));
        QVERIFY2(dialogs->last().text.startsWith(QStringLiteral("End Of Day is done: 2 employees posted, 0 skipped, 0 left")),
                 qPrintable(dialogs->last().text));
        QVERIFY(QFileInfo::exists(home->path() + QStringLiteral("/backups/") + salon::backupFileName(QDate::currentDate())));
        QCOMPARE(child<QLineEdit>(daily, "txtTotals")->text(), QStringLiteral("0"));
        QCOMPARE(child<QLineEdit>(daily, "txtTotal")->text(), QStringLiteral("0"));
        // Back on the technician who was selling.
        QCOMPARE(daily->datPrimaryRS()->value(QStringLiteral("EmployeeID")).toInt(), 2);
        QCOMPARE(dayTotal(2), Currency());

        // The staff book shows technician 2's day as the latest payroll row.
        auto *employees = window.showSingle<frmEmployee>();
        QVERIFY(employees->LocateEmployeeByNumber(2));
        RecordSet *payroll = employees->datSecondaryRS();
        QCOMPARE(payroll->recordCount(), 2);
        QCOMPARE(payroll->value(QStringLiteral("ServiceDate")).toDate(), QDate::currentDate());
        QCOMPARE(payroll->value(QStringLiteral("TodayEarn")).value<Currency>(), earned);
        QCOMPARE(payroll->value(QStringLiteral("ToDateEArn")).value<Currency>(), earned.plus(Currency::fromScaled(1000000)));
        auto *grid = child<QTableView>(employees, "grdDataGrid");
        QCOMPARE(grid->model()->index(1, 1).data().toString(), QStringLiteral("$46.63"));

        // The visiting report lists both lines under Ann Lee.
        auto *report = window.showSingle<frmReport>();
        QCOMPARE(report->datPrimaryRS()->value(QStringLiteral("LastName")).toString(), QStringLiteral("Lee"));
        auto *journal = child<QTableView>(report, "grdDataGrid");
        QStringList services;
        for (int row = 0; row < journal->model()->rowCount(); ++row)
            services << journal->model()->index(row, 3).data().toString() + u' '
                            + journal->model()->index(row, 2).data().toString();
        QCOMPARE(services, (QStringList{QStringLiteral("Gel Set ") + day, QStringLiteral("Polish ") + day}));
        window.close();
    }
};

QTEST_MAIN(TestWholeDay)
#include "tst_wholeday.moc"
