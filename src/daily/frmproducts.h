#pragma once
#include "boundscreen.h"
#include "editablegrid.h"

#include <QDialog>
#include <memory>

class DataBar;
class QTableView;
class RecordSet;

// The price list (Products): number, description and unit price of each service, with Add,
// Delete, Update, Close and the salon's sales-tax rate. Modal, opened from the daily ticket
// behind the shop password; the ticket re-reads its price grid when it closes.
class frmProducts : public QDialog
{
    Q_OBJECT
public:
    explicit frmProducts(QWidget *parent = nullptr);

    RecordSet *datPrimaryRS() const { return m_records; }

signals:
    // The sales-tax rate was stored in every technician row.
    void taxRateChanged();

private:
    bool writeCell(int row, const QString &field, const QString &text);
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdUpdate_Click();
    void cmdTaxRate_Click();

    BoundScreen m_bound;
    std::unique_ptr<EditableGrid> m_priceGrid;
    RecordSet *m_records;
    DataBar *m_bar;
    EditableGrid *m_grid;
    QTableView *grdDataGrid;
};
