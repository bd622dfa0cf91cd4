#include "frmsalesreport.h"

#include "boundform.h"
#include "connections.h"
#include "database.h"
#include "dates.h"
#include "dialogs.h"
#include "formcontrols.h"
#include "pointer.h"
#include "reportprint.h"
#include "storeerror.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace reports {

// The shown sheet in the grid: its cells in their display formats, figures to the right,
// the totals row in bold.
class SheetModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setSheet(const Sheet *sheet)
    {
        beginResetModel();
        m_sheet = sheet;
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_sheet ? 0 : m_sheet->rowCount();
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_sheet ? 0 : int(m_sheet->columns.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!m_sheet || !index.isValid())
            return {};
        switch (role) {
        case Qt::DisplayRole:
            return m_sheet->text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignVCenter
                                       | (m_sheet->alignsRight(index.row(), index.column()) ? Qt::AlignRight : Qt::AlignLeft));
        case Qt::FontRole:
            if (m_sheet->isTotal(index.row())) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (!m_sheet || orientation != Qt::Horizontal)
            return {};
        if (role == Qt::DisplayRole)
            return m_sheet->columns.value(section).caption;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignVCenter
                                       | (m_sheet->columns.value(section).number ? Qt::AlignRight : Qt::AlignLeft));
        return {};
    }

private:
    const Sheet *m_sheet = nullptr;
};

} // namespace reports

using namespace reports;

frmSalesReport::frmSalesReport(QDate day, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmSalesReport"));
    setWindowTitle(QStringLiteral("Velorine - Sales Reports"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildLayout(day.isValid() ? day : QDate::currentDate());
    loadTechnicians();
    // Wide enough for the widest grouping beside its chart, on a screen that has the room.
    QSize size(1240, 700);
    if (const QScreen *screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 60));
    resize(size);
    bound::centre(this);
    cmdShow_Click();
}

// The grid's model points into m_sheet, which goes before the widgets do.
frmSalesReport::~frmSalesReport()
{
    m_model->setSheet(nullptr);
}

void frmSalesReport::buildLayout(QDate day)
{
    cmbPeriod = new QComboBox(this);
    cmbPeriod->setObjectName(QStringLiteral("cmbPeriod"));
    cmbPeriod->addItems({QStringLiteral("Day"), QStringLiteral("Week"), QStringLiteral("Month"), QStringLiteral("From - to")});
    const auto dateBox = [this](const char *name, QDate date) {
        auto *box = new QDateEdit(date, this);
        box->setObjectName(QLatin1String(name));
        box->setDisplayFormat(shortDateFormat());
        box->setCalendarPopup(true);
        return box;
    };
    dtpFrom = dateBox("dtpFrom", day);
    dtpTo = dateBox("dtpTo", day);
    cmbGrouping = new QComboBox(this);
    cmbGrouping->setObjectName(QStringLiteral("cmbGrouping"));
    // In the order of reports::Grouping.
    cmbGrouping->addItems({QStringLiteral("Day sheet"), QStringLiteral("By technician"), QStringLiteral("By service"),
                           QStringLiteral("Technician \u00d7 service")});
    cmbGrouping->setCurrentIndex(int(Grouping::Technician));
    cmbTechnician = new QComboBox(this);
    cmbTechnician->setObjectName(QStringLiteral("cmbTechnician"));
    cmbTechnician->setMinimumContentsLength(18);
    cmbTechnician->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto *cmdShow = controls::button(this, QStringLiteral("&Show"), "cmdShow", 90);
    cmdShow->setDefault(true);
    connect(cmdShow, &QPushButton::clicked, this, &frmSalesReport::cmdShow_Click);

    auto *choices = new QGridLayout;
    choices->setHorizontalSpacing(8);
    choices->setVerticalSpacing(6);
    auto *lblFrom = controls::label(this, QStringLiteral("Day:"), dtpFrom);
    lblFrom->setObjectName(QStringLiteral("lblFrom"));
    lblTo = controls::label(this, QStringLiteral("To:"), dtpTo);
    choices->addWidget(controls::label(this, QStringLiteral("Period:"), cmbPeriod), 0, 0);
    choices->addWidget(cmbPeriod, 0, 1);
    choices->addWidget(lblFrom, 0, 2);
    choices->addWidget(dtpFrom, 0, 3);
    choices->addWidget(lblTo, 0, 4);
    choices->addWidget(dtpTo, 0, 5);
    choices->addWidget(controls::label(this, QStringLiteral("Grouping:"), cmbGrouping), 1, 0);
    choices->addWidget(cmbGrouping, 1, 1);
    choices->addWidget(controls::label(this, QStringLiteral("Technician:"), cmbTechnician), 1, 2);
    choices->addWidget(cmbTechnician, 1, 3, 1, 3);
    choices->setColumnStretch(6, 1);
    choices->addWidget(cmdShow, 1, 7);
    connect(cmbPeriod, &QComboBox::currentIndexChanged, this, [this, lblFrom] {
        lblFrom->setText(cmbPeriod->currentIndex() == int(PeriodKind::FromTo) ? QStringLiteral("From:")
                                                                                 : QStringLiteral("Day:"));
        periodChanged();
    });
    periodChanged();

    // The heading of the figures over the grid, the chart's caption over the chart, level.
    lblShowing = new QLabel(this);
    lblShowing->setObjectName(QStringLiteral("lblShowing"));
    QFont headingFont = lblShowing->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.15);
    lblShowing->setFont(headingFont);

    m_model = new SheetModel(this);
    grdReport = new QTableView(this);
    grdReport->setObjectName(QStringLiteral("grdReport"));
    grdReport->setModel(m_model);
    grdReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdReport->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdReport->setAlternatingRowColors(true);
    grdReport->verticalHeader()->hide();
    grdReport->verticalHeader()->setDefaultSectionSize(grdReport->fontMetrics().height() + 8);
    grdReport->horizontalHeader()->setStretchLastSection(false);

    lblChart = new QLabel(this);
    lblChart->setObjectName(QStringLiteral("lblChart"));
    lblChart->setFont(headingFont);
    chtNet = new ReportChart;
    chtNet->setObjectName(QStringLiteral("chtNet"));
    auto *chartArea = new QScrollArea;
    chartArea->setWidget(chtNet);
    chartArea->setWidgetResizable(true);
    chartArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    const auto pane = [](QLabel *caption, QWidget *body) {
        auto *widget = new QWidget;
        auto *layout = new QVBoxLayout(widget);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(6);
        layout->addWidget(caption);
        layout->addWidget(body, 1);
        return widget;
    };
    m_chartPane = pane(lblChart, chartArea);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->addWidget(pane(lblShowing, grdReport));
    m_splitter->addWidget(m_chartPane);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setChildrenCollapsible(false);

    lblUntaxed = new QLabel(this);
    lblUntaxed->setObjectName(QStringLiteral("lblUntaxed"));

    auto *buttons = new QHBoxLayout;
    const QList<QPushButton *> made = controls::buttonRow(
        this, buttons,
        {{QStringLiteral("&Print..."), "cmdPrint", [this] { cmdPrint_Click(); }},
         {QStringLiteral("Save as P&DF..."), "cmdSavePdf", [this] { cmdSavePdf_Click(); }},
         {QStringLiteral("Save as C&SV..."), "cmdSaveCsv", [this] { cmdSaveCsv_Click(); }},
         {},
         {QStringLiteral("&Close"), "cmdClose", [this] { close(); }}},
        {.minimumWidth = 110, .autoDefault = false});
    cmdPrint = made[0];
    cmdSavePdf = made[1];
    cmdSaveCsv = made[2];
    for (QPushButton *button : {cmdPrint, cmdSavePdf, cmdSaveCsv})
        button->setEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    layout->addLayout(choices);
    layout->addSpacing(4);
    layout->addWidget(m_splitter, 1);
    layout->addWidget(lblUntaxed);
    layout->addLayout(buttons);
}

void frmSalesReport::periodChanged()
{
    const bool range = cmbPeriod->currentIndex() == int(PeriodKind::FromTo);
    dtpTo->setEnabled(range);
    lblTo->setEnabled(range);
}

void frmSalesReport::loadTechnicians()
{
    cmbTechnician->addItem(QStringLiteral("All technicians"), QVariant());
    QSqlQuery query = salon::runQuery(salon::employeeDb(),
                                      QStringLiteral("SELECT EmployeeID, FirstName, LastName FROM Employee "
                                                     "WHERE EmployeeID IS NOT NULL ORDER BY EmployeeID"));
    QList<qint64> listed;
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        if (listed.contains(id))
            continue;   // a number given twice names the technician of its first row
        listed << id;
        const QString name = (query.value(1).toString() + u' ' + query.value(2).toString()).trimmed();
        cmbTechnician->addItem(name.isEmpty() ? QStringLiteral("No. %1").arg(id) : QStringLiteral("%1 (%2)").arg(name).arg(id),
                               id);
    }
}

std::optional<salon::ReportPeriod> frmSalesReport::chosenPeriod()
{
    const auto kind = PeriodKind(cmbPeriod->currentIndex());
    salon::ReportPeriod period = periodOf(kind, dtpFrom->date(), dtpTo->date());
    if (period.to < period.from) {
        showMessage(this, QStringLiteral("The last day of the period is before its first."), Dialogs::Buttons::Ok,
                    Dialogs::Icon::Warning);
        return std::nullopt;
    }
    const QVariant technician = cmbTechnician->currentData();
    if (!technician.isNull())
        period.employeeId = technician.toLongLong();
    return period;
}

bool frmSalesReport::read(const std::function<void(const salon::ReportProgress &)> &work)
{
    if (m_reading)
        return false;
    m_reading = true;
    pointer::Busy busy;
    // Shown once the read looks like taking more than half a second. Until then only timers
    // run, so nothing the desk clicks can start another read or close the screen meanwhile;
    // once shown, the dialog holds every window off but itself.
    QProgressDialog dialog(QStringLiteral("Reading the sales journal..."), QStringLiteral("Cancel"), 0, 0, this);
    dialog.setObjectName(QStringLiteral("dlgProgress"));
    dialog.setWindowTitle(windowTitle());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    const salon::ReportProgress progress = [this, &dialog](int done, int steps) {
        dialog.setMaximum(steps);
        dialog.setValue(done);
        QCoreApplication::processEvents(dialog.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        if (m_stepWatch)
            m_stepWatch(dialog, done, steps);
        return !dialog.wasCanceled();
    };
    bool done = false;
    try {
        work(progress);
        done = true;
    } catch (const salon::ReportCancelled &) {
        // The desk stopped it: what was shown stays.
    } catch (const StoreError &error) {
        dialog.hide();
        busy.end();
        showMessage(this, QStringLiteral("The report cannot be read: %1").arg(error.text()), Dialogs::Buttons::Ok,
                    Dialogs::Icon::Warning);
    }
    m_reading = false;
    return done;
}

void frmSalesReport::cmdShow_Click()
{
    const std::optional<salon::ReportPeriod> period = chosenPeriod();
    if (!period)
        return;
    const auto grouping = Grouping(cmbGrouping->currentIndex());
    std::optional<Sheet> made;
    const bool read = this->read([&](const salon::ReportProgress &progress) {
        const QSqlDatabase db = salon::employeeDb();
        if (grouping == Grouping::DaySheet)
            made = sheetOf(salon::daySheet(db, *period, progress), *period);
        else
            made = sheetOf(salon::groupReport(db, groupingOf(grouping), *period, progress), grouping, *period);
    });
    if (!read)
        return;
    if (period->employeeId)
        made->technician = cmbTechnician->currentText();
    showSheet(std::move(*made));
}

void frmSalesReport::showSheet(Sheet sheet)
{
    m_sheet = std::move(sheet);
    m_model->setSheet(&*m_sheet);
    grdReport->resizeColumnsToContents();
    widenGrid();
    lblShowing->setText(m_sheet->heading());
    lblChart->setText(m_sheet->chartTitle());
    chtNet->setBars(m_sheet->bars);
    m_chartPane->setVisible(m_sheet->grouping != Grouping::DaySheet);
    lblUntaxed->setVisible(m_sheet->untaxedLines > 0);
    lblUntaxed->setText(m_sheet->untaxedLines > 0
                            ? QStringLiteral("Lines without recorded tax: %1 (sold before the tax was recorded; "
                                             "not in the Tax column).").arg(m_sheet->untaxedLines)
                            : QString());
    for (QPushButton *button : {cmdPrint, cmdSavePdf, cmdSaveCsv})
        button->setEnabled(true);
}

void frmSalesReport::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    layout()->activate();
    widenGrid();
}

// The grid gets the width its columns need, as far as the chart keeps a useful width; a grid
// the desk has made wider stays so.
void frmSalesReport::widenGrid()
{
    const int needed = grdReport->horizontalHeader()->length() + 2 * grdReport->frameWidth()
                       + grdReport->verticalScrollBar()->sizeHint().width();
    const QList<int> sizes = m_splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int chartLeast = 340;
    if (sizes.value(0) < needed && total > 0)
        m_splitter->setSizes({std::min(needed, total - chartLeast), std::max(chartLeast, total - needed)});
}

QString frmSalesReport::salonName() const
{
    try {
        QSqlQuery query = salon::runQuery(salon::employeeDb(), QStringLiteral("SELECT Company FROM Misc"));
        if (query.next())
            return query.value(0).toString();
    } catch (const StoreError &) {
        // A heading without the salon's name rather than no printout.
    }
    return {};
}

void frmSalesReport::print(QPrinter &printer, const QString &failure)
{
    pointer::Busy busy;
    const bool printed = printSheet(printer, *m_sheet, salonName());
    busy.end();
    if (!printed)
        showMessage(this, failure, Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
}

void frmSalesReport::cmdPrint_Click()
{
    if (!m_sheet)
        return;
    QPrinter printer(QPrinter::HighResolution);
    if (!Dialogs::instance().choosePrinter(this, printer))
        return;
    print(printer, QStringLiteral("The report could not be printed."));
}

void frmSalesReport::cmdSavePdf_Click()
{
    if (!m_sheet)
        return;
    const QString fileName = Dialogs::instance().saveFileName(this, QStringLiteral("Save Report As PDF"), QString(),
                                                             QStringLiteral("PDF files (*.pdf)"), QStringLiteral("pdf"));
    if (fileName.isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    print(printer, QStringLiteral("The report could not be saved as %1.").arg(fileName));
}

// The CSV is the shown report's period and grouping read again in the export's form: money
// with four decimals, ISO dates, formula-looking text guarded.
void frmSalesReport::cmdSaveCsv_Click()
{
    if (!m_sheet)
        return;
    const QString fileName = Dialogs::instance().saveNewFileName(this, QStringLiteral("Save Report As CSV"), QString(),
                                                                QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"));
    if (fileName.isEmpty())
        return;
    salon::ReportTable table;
    const salon::ReportKind kind = kindOf(m_sheet->grouping);
    const salon::ReportPeriod period = m_sheet->period;
    if (!read([&](const salon::ReportProgress &progress) {
            table = salon::reportTable(salon::employeeDb(), kind, period, progress);
        }))
        return;
    if (const auto problem = salon::writeReportCsv(table, fileName))
        showMessage(this, *problem, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
}
