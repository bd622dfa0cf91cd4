#pragma once
#include "boundscreen.h"

#include <QList>
#include <QVariant>
#include <QWidget>

class Binder;
class DataBar;
class GridModel;
class QLineEdit;
class QTableView;
class RecordSet;

// The customer visiting report: one customer at a time above, that customer's rows of the
// sales journal (Service Records) in the grid below. Modeless; the close box unloads it with
// pending edits stored, Close runs Update first. Throws StoreError when Customers or
// Service Records cannot be opened.
//
// The daily ticket writes journal rows through this screen, visible or not: it moves
// datPrimaryRS() to the ticket's customer, which re-points datSecondaryRS() at that
// customer's journal rows at once (on every move of the customer set), and appends the new
// row to datSecondaryRS().
class frmReport : public QWidget
{
    Q_OBJECT
public:
    explicit frmReport(QWidget *parent = nullptr);

    RecordSet *datPrimaryRS() const { return m_customers; }
    RecordSet *datSecondaryRS() const { return m_journal; }

    // The journal rows of one customer number, bound; no whole number picks no rows.
    static RecordSource journalSource(QSqlDatabase db, const QVariant &customerId);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void showJournal();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    bool cmdUpdate_Click();
    void cmdClose_Click();

    BoundScreen m_bound;
    RecordSet *m_customers;
    DataBar *m_bar;
    Binder *m_binder;
    RecordSet *m_journal = nullptr;
    GridModel *m_grid = nullptr;
    QList<QLineEdit *> txtFields;
    QTableView *grdDataGrid;
};
