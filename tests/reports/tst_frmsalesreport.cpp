#include "database.h"
#include "dates.h"
#include "frmsalesreport.h"
#include "gridmodel.h"
#include "pointer.h"
#include "reportprint.h"
#include "salesreport.h"
#include "screenhelpers.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTableView>
#include <QtTest>

// The sales report screen over a small journal: two technicians with employee rows, one
// deleted, a line with no technician, lines sold before tax was recorded, and lines either side
// of March. Figures on screen are compared with the store's routines and, for one day, with
// amounts worked out by hand.

namespace {

struct Sold
{
    int serviceId;
    QVariant employeeId;
    const char *date;
    const char *service;
    int quantity;
    qint64 cost;   // scaled by 10,000
    qint64 tax;    // scaled; -1: not recorded
    int customerId;
    int count;
};

const qint64 noTax = -1;
const std::vector<Sold> journal{
    {1, 1, "2026-03-01", "Manicure", 1, 240750, 16853, 1, 1},
    {2, 1, "2026-03-01T10:00:00", "Pedicure", 2, 112350, 7865, 2, 2},
    {3, 2, "2026-03-01", "Manicure", 1, 300000, noTax, 2, 3},
    {4, 3, "2026-03-04", "Gel Set", 3, 455000, 31850, 1, 1},
    {5, QVariant(), "2026-03-07", "Manicure", 1, 10, 1, 1, 1},
    {6, 2, "2026-03-31T23:59:59", "Pedicure", 1, 199900, 13993, 1, 1},
    {7, 1, "2026-02-28", "Manicure", 1, 50000, 3500, 1, 1},
    {8, 2, "2026-04-01", "Pedicure", 1, 50000, noTax, 2, 1},
};

bool addSold(const Sold &sold)
{
    return execSql(QStringLiteral("INSERT INTO [Service Records] (ServiceID, CustomerID, EmployeeID, ServiceDate, "
                                  "NameOfService, Quantity, Cost, Count, SalesTax) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   {sold.serviceId, sold.customerId, sold.employeeId, QString::fromLatin1(sold.date),
                    QString::fromLatin1(sold.service), sold.quantity, Currency::fromScaled(sold.cost).toDouble(),
                    sold.count, sold.tax == noTax ? QVariant() : QVariant(Currency::fromScaled(sold.tax).toDouble())});
}

QString shown(Currency amount) { return formatValue(QVariant::fromValue(amount), QStringLiteral("Currency")); }
QString shown(const std::optional<Currency> &amount) { return amount ? shown(*amount) : QString(); }

// One CSV record per line (the report's cells hold no line breaks), quotes undone.
std::vector<QStringList> parseCsv(const QByteArray &bytes)
{
    std::vector<QStringList> records;
    for (const QString &line : QString::fromUtf8(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        QStringList fields{QString()};
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
                fields.last() += line[++i];
            else if (c == u'"')
                quoted = !quoted;
            else if (c == u',' && !quoted)
                fields << QString();
            else
                fields.last() += c;
        }
        records.push_back(fields);
    }
    return records;
}

} // namespace

class TestFrmSalesReport : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    QPointer<frmSalesReport> form;

    QAbstractItemModel *grid() const { return child<QTableView>(form, "grdReport")->model(); }
    int column(const QString &caption) const
    {
        for (int c = 0; c < grid()->columnCount(); ++c)
            if (grid()->headerData(c, Qt::Horizontal).toString() == caption)
                return c;
        qFatal("no column %s", qPrintable(caption));
    }
    QString cell(int row, const QString &caption) const { return grid()->index(row, column(caption)).data().toString(); }
    QStringList rowTexts(int row) const
    {
        QStringList texts;
        for (int c = 0; c < grid()->columnCount(); ++c)
            texts << grid()->index(row, c).data().toString();
        return texts;
    }

    void choose(int period, QDate day, QDate to, int grouping, int technician = 0)
    {
        child<QComboBox>(form, "cmbPeriod")->setCurrentIndex(period);
        child<QDateEdit>(form, "dtpFrom")->setDate(day);
        child<QDateEdit>(form, "dtpTo")->setDate(to.isValid() ? to : day);
        child<QComboBox>(form, "cmbGrouping")->setCurrentIndex(grouping);
        child<QComboBox>(form, "cmbTechnician")->setCurrentIndex(technician);
        click(form, QStringLiteral("cmdShow"));
    }

private slots:
    void initTestCase() { useTestLocale(); }

    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        dialogs = std::make_unique<ScriptedDialogs>();
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 1}, {"FirstName", "Kim"}, {"LastName", "Park"}});
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 2}, {"FirstName", "Lee"}, {"LastName", "Moss"}});
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 3}, {"FirstName", "Gone"}});
        QVERIFY(execSql(QStringLiteral("DELETE FROM Employee WHERE EmployeeID = 3")));
        QVERIFY(execSql(QStringLiteral("UPDATE Misc SET Company = 'Polished Nails'")));
        addCustomer(1, "Ann", "Lee");
        addCustomer(2, "Bo", QVariant());
        for (const Sold &sold : journal)
            QVERIFY(addSold(sold));
        form = new frmSalesReport(QDate(2026, 3, 1));
        form->show();
    }
    void cleanup()
    {
        delete form;
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
        home.reset();
        QVERIFY(!pointer::isBusy());
    }

    // The screen opens on the day it was given, by technician, the figures in the grids'
    // Currency form: a group with an untaxed line has no gross, the totals row comes last.
    void opensOnTheGivenDayByTechnician()
    {
        QVERIFY(form->sheet());
        QCOMPARE(form->sheet()->period.from, QDate(2026, 3, 1));
        QCOMPARE(form->sheet()->period.to, QDate(2026, 3, 1));
        QCOMPARE(child<QLabel>(form, "lblShowing")->text(), QStringLiteral("Sales by technician, 3/1/2026"));
        QStringList captions;
        for (int c = 0; c < grid()->columnCount(); ++c)
            captions << grid()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(captions, (QStringList{"Employee ID", "Technician", "Lines", "Quantity", "Net", "Tax", "Gross",
                                        "Untaxed lines", "50% share", "60% share"}));
        QCOMPARE(grid()->rowCount(), 3);
        QCOMPARE(rowTexts(0), (QStringList{"1", "Kim Park", "2", "3", "$35.31", "$2.47", "$37.78", "0", "$17.66", "$21.19"}));
        QCOMPARE(rowTexts(1), (QStringList{"2", "Lee Moss", "1", "1", "$30.00", "$0.00", "", "1", "$15.00", "$18.00"}));
        QCOMPARE(rowTexts(2), (QStringList{"Total", "", "3", "4", "$65.31", "$2.47", "", "1", "$32.66", "$39.19"}));
        const auto alignment = [this](int row, const QString &caption) {
            return grid()->index(row, column(caption)).data(Qt::TextAlignmentRole).value<Qt::Alignment>()
                   & Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(alignment(0, "Net"), Qt::AlignRight);
        QCOMPARE(alignment(0, "Employee ID"), Qt::AlignRight);
        QCOMPARE(alignment(0, "Technician"), Qt::AlignLeft);
        QCOMPARE(alignment(2, "Employee ID"), Qt::AlignLeft);   // "Total"
        QVERIFY(grid()->index(2, 0).data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(child<QLabel>(form, "lblUntaxed")->text().startsWith(QStringLiteral("Lines without recorded tax: 1 ")));

        const auto *chart = child<reports::ReportChart>(form, "chtNet");
        QCOMPARE(chart->bars().size(), size_t(2));
        QCOMPARE(chart->bars()[0].label, QStringLiteral("Kim Park"));
        QCOMPARE(chart->bars()[1].net, Currency::fromScaled(300000));
        QVERIFY(chart->isVisible());
    }

    // A day sheet leaves the tax of a line sold before tax was recorded empty.
    void daySheetLeavesUnrecordedTaxEmpty()
    {
        choose(0, QDate(2026, 3, 1), {}, 0);
        QCOMPARE(grid()->rowCount(), 4);
        QCOMPARE(rowTexts(0), (QStringList{"3/1/2026", "1", "Kim Park", "1", "Ann Lee", "Manicure", "1", "$24.08", "$1.69"}));
        QCOMPARE(rowTexts(2), (QStringList{"3/1/2026", "2", "Lee Moss", "3", "Bo", "Manicure", "1", "$30.00", ""}));
        QCOMPARE(rowTexts(3), (QStringList{"Total", "", "", "", "", "", "4", "$65.31", "$2.47"}));
        QVERIFY(child<QLabel>(form, "lblUntaxed")->text().startsWith(QStringLiteral("Lines without recorded tax: 1 ")));
        QVERIFY(!child<QWidget>(form, "chtNet")->isVisible());
    }

    // Whatever is chosen, the grid shows the store's figures for the period the choice names.
    void choicesShowTheStoresFigures_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("grouping");
        QTest::addColumn<int>("technician");   // index in the list: 0 all, 1 Kim Park, 2 Lee Moss
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("last");
        const QDate mar1(2026, 3, 1), mar31(2026, 3, 31);
        QTest::newRow("a day by technician") << 0 << mar1 << QDate() << 1 << 0 << mar1 << mar1;
        QTest::newRow("a Wednesday's week by service") << 1 << QDate(2026, 3, 4) << QDate() << 2 << 0 << mar1
                                                       << QDate(2026, 3, 7);
        QTest::newRow("a month by technician and service") << 2 << QDate(2026, 3, 15) << QDate() << 3 << 0 << mar1 << mar31;
        QTest::newRow("from - to as a day sheet") << 3 << QDate(2026, 2, 28) << QDate(2026, 4, 1) << 0 << 0
                                                  << QDate(2026, 2, 28) << QDate(2026, 4, 1);
        QTest::newRow("one technician's month by service") << 2 << QDate(2026, 3, 15) << QDate() << 2 << 2 << mar1 << mar31;
        QTest::newRow("one technician's day sheet") << 3 << QDate(2026, 2, 1) << QDate(2026, 4, 30) << 0 << 1
                                                    << QDate(2026, 2, 1) << QDate(2026, 4, 30);
    }
    void choicesShowTheStoresFigures()
    {
        QFETCH(int, period);
        QFETCH(QDate, day);
        QFETCH(QDate, to);
        QFETCH(int, grouping);
        QFETCH(int, technician);
        QFETCH(QDate, from);
        QFETCH(QDate, last);
        choose(period, day, to, grouping, technician);
        QVERIFY(form->sheet());
        QCOMPARE(form->sheet()->period.from, from);
        QCOMPARE(form->sheet()->period.to, last);
        const std::optional<qint64> employee = technician ? std::optional<qint64>(technician) : std::nullopt;
        QCOMPARE(form->sheet()->period.employeeId, employee);
        const salon::ReportPeriod asked{from, last, employee};

        if (grouping == 0) {
            const salon::DaySheet sheet = salon::daySheet(salon::employeeDb(), asked);
            QCOMPARE(grid()->rowCount(), int(sheet.lines.size()) + 1);
            for (int r = 0; r < int(sheet.lines.size()); ++r) {
                const salon::DaySheetLine &line = sheet.lines[size_t(r)];
                QCOMPARE(cell(r, "Date"), shortDateText(line.date));
                QCOMPARE(cell(r, "No."), QString::number(line.count));
                QCOMPARE(cell(r, "Technician"), line.technician);
                QCOMPARE(cell(r, "Service"), line.service);
                QCOMPARE(cell(r, "Net"), shown(line.net));
                QCOMPARE(cell(r, "Tax"), shown(line.tax));
            }
            const int total = int(sheet.lines.size());
            QCOMPARE(cell(total, "Quantity"), QString::number(sheet.total.quantity));
            QCOMPARE(cell(total, "Net"), shown(sheet.total.net));
            QCOMPARE(cell(total, "Tax"), shown(sheet.total.tax));
            return;
        }
        const auto how = salon::ReportGrouping(grouping - 1);
        const salon::GroupReport report = salon::groupReport(salon::employeeDb(), how, asked);
        QVERIFY(!report.groups.empty());
        QCOMPARE(grid()->rowCount(), int(report.groups.size()) + 1);
        const auto compareFigures = [this](int row, const salon::ReportFigures &f) {
            QCOMPARE(cell(row, "Lines"), QString::number(f.lines));
            QCOMPARE(cell(row, "Quantity"), QString::number(f.quantity));
            QCOMPARE(cell(row, "Net"), shown(f.net));
            QCOMPARE(cell(row, "Tax"), shown(f.tax));
            QCOMPARE(cell(row, "Gross"), shown(f.gross()));
            QCOMPARE(cell(row, "Untaxed lines"), QString::number(f.untaxedLines));
            QCOMPARE(cell(row, "60% share"), shown(f.share60));
        };
        for (int r = 0; r < int(report.groups.size()); ++r) {
            const salon::ReportGroup &group = report.groups[size_t(r)];
            if (how != salon::ReportGrouping::Service)
                QCOMPARE(cell(r, "Technician"), group.technician);
            if (how != salon::ReportGrouping::Technician)
                QCOMPARE(cell(r, "Service"), group.service);
            compareFigures(r, group.figures);
        }
        compareFigures(int(report.groups.size()), report.total);
    }

    void aPeriodEndingBeforeItStartsIsRefused()
    {
        dialogs->answerMessage();
        choose(3, QDate(2026, 3, 5), QDate(2026, 3, 1), 2);
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("The last day of the period is before its first.")});
        QCOMPARE(form->sheet()->period.from, QDate(2026, 3, 1));
        QCOMPARE(form->sheet()->grouping, reports::Grouping::Technician);
    }

    // Cancel in the progress dialog stops the read where it is: the figures shown before stay,
    // no message, the normal pointer.
    void cancelKeepsTheFiguresShown()
    {
        const QStringList before = rowTexts(2);
        QList<int> steps;
        bool busyMeanwhile = false;
        form->setStepWatch([&](QProgressDialog &dialog, int done, int count) {
            steps << done;
            busyMeanwhile = pointer::isBusy();
            QCOMPARE(dialog.minimumDuration(), 500);
            QCOMPARE(dialog.maximum(), count);
            if (done == 1)
                dialog.cancel();
        });
        choose(3, QDate(2026, 1, 1), QDate(2026, 4, 30), 3);
        QCOMPARE(steps, (QList<int>{0, 1}));   // four months; stopped after the first
        QVERIFY(busyMeanwhile);
        QVERIFY(dialogs->shown().isEmpty());
        QCOMPARE(form->sheet()->grouping, reports::Grouping::Technician);
        QCOMPARE(child<QLabel>(form, "lblShowing")->text(), QStringLiteral("Sales by technician, 3/1/2026"));
        QCOMPARE(grid()->rowCount(), 3);
        QCOMPARE(rowTexts(2), before);
        QVERIFY(!pointer::isBusy());

        // A CSV whose read is cancelled is not written.
        const QString path = home->path() + QStringLiteral("/cancelled.csv");
        dialogs->answerSaveFile(path);
        form->setStepWatch([](QProgressDialog &dialog, int, int) { dialog.cancel(); });
        click(form, QStringLiteral("cmdSaveCsv"));
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(dialogs->messageTexts(), QStringList());
    }

    // A journal the report cannot read is said, and the figures shown stay.
    void aStoreFailureIsSaid()
    {
        if (onServer())
            QSKIP("a server's money column cannot hold text");
        QVERIFY(execSql(QStringLiteral("UPDATE [Service Records] SET Cost = 'abc' WHERE ServiceID = 4")));
        dialogs->answerMessage();
        choose(2, QDate(2026, 3, 15), {}, 2);
        QCOMPARE(dialogs->messageTexts().size(), 1);
        QVERIFY2(dialogs->messageTexts().first().startsWith(QStringLiteral("The report cannot be read: ")),
                 qPrintable(dialogs->messageTexts().first()));
        QCOMPARE(form->sheet()->grouping, reports::Grouping::Technician);
    }

    // A report of several pages printed to a PDF and read back: the salon and the heading, the
    // column headings again on page 2, the page numbers, a group's amount and the total, all as
    // text; the chart is drawn, not pasted in as a picture.
    void printsPagesAsText()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; scripts/install-deps installs it");
        for (int i = 1; i <= 90; ++i)
            QVERIFY(addSold({100 + i, 1, "2026-03-02", "", 1, 12500LL * i, 875LL * i, 1, i}));
        QVERIFY(execSql(QStringLiteral("UPDATE [Service Records] SET NameOfService = 'Service ' || ServiceID "
                                       "WHERE ServiceID > 100")));
        choose(2, QDate(2026, 3, 15), {}, 3);
        const QString pdf = home->path() + QStringLiteral("/report.pdf");
        dialogs->answerPrinter(pdf);
        click(form, QStringLiteral("cmdPrint"));
        QVERIFY(QFileInfo(pdf).size() > 0);
        QVERIFY(!fileContent(pdf).contains("/Subtype /Image"));

        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished());
        const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QStringList pages = printed.split(u'\f');
        if (pages.last().trimmed().isEmpty())
            pages.removeLast();
        QVERIFY2(pages.size() >= 3, qPrintable(printed));
        for (int p = 0; p < pages.size(); ++p) {
            QVERIFY2(pages[p].contains(QStringLiteral("Polished Nails")), qPrintable(pages[p]));
            QVERIFY(pages[p].contains(QStringLiteral("Sales by technician and service, 3/1/2026 to 3/31/2026")));
            QVERIFY2(pages[p].contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages.size())), qPrintable(pages[p]));
        }
        const QRegularExpression headings(QStringLiteral("Employee ID +Technician +Service +Lines +Quantity +Net +Tax +Gross"));
        QVERIFY2(pages[1].contains(headings), qPrintable(pages[1]));
        // Service 142 sold for 42 x 1.25.
        const QRegularExpression group(QStringLiteral("1 +Kim Park +Service 142 +1 +1 +\\$52\\.50 +\\$3\\.68"));
        QVERIFY2(printed.contains(group), qPrintable(printed));
        const QString totalNet = shown(form->sheet()->rows.back()[column("Net")].value<Currency>());
        QVERIFY2(printed.contains(QRegularExpression(QStringLiteral("Total .*") + QRegularExpression::escape(totalNet))),
                 qPrintable(totalNet));
        QVERIFY(printed.contains(QStringLiteral("Net by technician and service")));
        QVERIFY(printed.contains(QRegularExpression(QStringLiteral("Kim Park, Service 142 +\\$52\\.50"))));
    }

    void savesAPdf()
    {
        const QString pdf = home->path() + QStringLiteral("/saved");
        dialogs->answerSaveFile(pdf);
        click(form, QStringLiteral("cmdSavePdf"));
        QVERIFY(fileContent(pdf + QStringLiteral(".pdf")).startsWith("%PDF"));
    }

    // The CSV is the store's table of the shown report; a file that exists is never written over.
    void savesCsvAndNeverOverAFile()
    {
        choose(2, QDate(2026, 3, 15), {}, 1);
        const QString path = home->path() + QStringLiteral("/march.csv");
        dialogs->answerSaveFile(path);
        click(form, QStringLiteral("cmdSaveCsv"));
        const QByteArray written = fileContent(path);
        const std::vector<QStringList> records = parseCsv(written);
        const salon::ReportTable table = salon::reportTable(
            salon::employeeDb(), salon::ReportKind::Technician, {QDate(2026, 3, 1), QDate(2026, 3, 31), std::nullopt});
        QCOMPARE(records.size(), table.rows.size() + 1);
        QCOMPARE(records[0].join(u','),
                 QStringLiteral("EmployeeID,Technician,Lines,Quantity,Net,Tax,Gross,Untaxed lines,50% share,60% share"));
        for (size_t r = 0; r < table.rows.size(); ++r)
            QCOMPARE(records[r + 1], table.rows[r]);
        QCOMPARE(records[1].mid(0, 5), (QStringList{"", "", "1", "1", "0.0010"}));   // the line with no technician
        QCOMPARE(records.back().first(), QStringLiteral("Total"));

        dialogs->answerSaveFile(path);
        dialogs->answerMessage();
        click(form, QStringLiteral("cmdSaveCsv"));
        QCOMPARE(dialogs->messageTexts(),
                 QStringList{QStringLiteral("The file %1 already exists; nothing was written.").arg(path)});
        QCOMPARE(fileContent(path), written);
    }
};

QTEST_MAIN(TestFrmSalesReport)
#include "tst_frmsalesreport.moc"
