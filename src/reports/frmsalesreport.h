#pragma once
#include "reportsheet.h"
#include "salesreport.h"

#include <QDate>
#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QDateEdit;
class QLabel;
class QProgressDialog;
class QPrinter;
class QPushButton;
class QSplitter;
class QTableView;

namespace reports {
class ReportChart;
class SheetModel;
}

// The sales reports on screen: a period (a day, its week, its month, or from one day to
// another) and a grouping (the day sheet, or sales by technician, by service, or both),
// perhaps for one technician. Show reads the journal and fills the grid and the bar chart of
// net per group; Print, Save as PDF and Save as CSV give out what is shown. Modeless.
// A long read shows its progress and can be cancelled: the figures shown before stay.
// Throws StoreError when the technicians cannot be read.
class frmSalesReport : public QWidget
{
    Q_OBJECT
public:
    // `day` is where the period starts out: the day marked on the main window's calendar.
    explicit frmSalesReport(QDate day, QWidget *parent = nullptr);
    ~frmSalesReport() override;

    // The figures shown, nullopt before any report was read.
    const std::optional<reports::Sheet> &sheet() const { return m_sheet; }

    // For the tests: called on every step of a read with the progress dialog, which the
    // watcher may cancel as the desk's Cancel button would.
    using StepWatch = std::function<void(QProgressDialog &dialog, int done, int steps)>;
    void setStepWatch(StepWatch watch) { m_stepWatch = std::move(watch); }

    // The period the choices name; nullopt (and a message) when its last day is before its first.
    std::optional<salon::ReportPeriod> chosenPeriod();

    // The buttons' work.
    void cmdShow_Click();
    void cmdPrint_Click();
    void cmdSavePdf_Click();
    void cmdSaveCsv_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildLayout(QDate day);
    void loadTechnicians();
    void periodChanged();
    void showSheet(reports::Sheet sheet);
    void widenGrid();
    QString salonName() const;
    void print(QPrinter &printer, const QString &failure);
    // Runs one read of the journal with the busy pointer and the progress dialog; false when
    // it was cancelled or failed (a failure is said).
    bool read(const std::function<void(const salon::ReportProgress &)> &work);

    std::optional<reports::Sheet> m_sheet;
    StepWatch m_stepWatch;
    bool m_reading = false;
    reports::SheetModel *m_model = nullptr;
    QComboBox *cmbPeriod = nullptr;
    QDateEdit *dtpFrom = nullptr;
    QDateEdit *dtpTo = nullptr;
    QLabel *lblTo = nullptr;
    QComboBox *cmbGrouping = nullptr;
    QComboBox *cmbTechnician = nullptr;
    QLabel *lblShowing = nullptr;
    QLabel *lblUntaxed = nullptr;
    QLabel *lblChart = nullptr;
    QTableView *grdReport = nullptr;
    reports::ReportChart *chtNet = nullptr;
    QWidget *m_chartPane = nullptr;
    QSplitter *m_splitter = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdSavePdf = nullptr;
    QPushButton *cmdSaveCsv = nullptr;
};
