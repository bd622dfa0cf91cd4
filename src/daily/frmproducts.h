#pragma once
#include "boundscreen.h"
#include "editablegrid.h"

#include <QDialog>
#include <memory>

class DataBar;
class PriceGrid;
class QTableView;
class RecordSet;

// The price list (Products): number, description, unit price and minutes (its length when
// booked) of each service, with Add, Delete, Update, Close and the salon's sales-tax rate.
// Modal, opened from the daily ticket behind the shop password; the ticket re-reads its price
// grid when it closes.
//
// Add opens a new line below the stored rows. It is stored when it names a service, as the
// line is left (another row, the data bar, Add again), on Update or on closing; a line with
// nothing typed is dropped, and one with a price but no name is refused and stays.
class frmProducts : public QDialog
{
    Q_OBJECT
public:
    explicit frmProducts(QWidget *parent = nullptr);
    ~frmProducts() override;

    RecordSet *datPrimaryRS() const { return m_records; }

signals:
    // The sales-tax rate was stored in every technician row.
    void taxRateChanged();

protected:
    // Closing by any means (Close, Esc, the close box) settles a new line first; when it
    // cannot be stored the price list stays open on it.
    void done(int result) override;

private:
    enum class Settled { Stored, Dropped };
    // A cell typed into the grid: read, then stored (a stored row) or kept (the new line).
    // A refused text shows its reason and leaves the cell as it was.
    bool writeCell(int row, const QString &field, const QString &text);
    QVariant cellValue(int row, const QString &field, const QString &text) const;
    void storeCell(int row, const QString &field, const QVariant &value);
    void takeTyping();
    Settled settleNewLine();
    void gridRowChosen(const QModelIndex &at);
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdUpdate_Click();
    void cmdTaxRate_Click();

    BoundScreen m_bound;
    std::unique_ptr<PriceGrid> m_priceGrid;
    LeavingRowHook m_leavingRow;
    RecordSet *m_records;
    DataBar *m_bar;
    PriceGrid *m_grid;
    QTableView *grdDataGrid;
    bool m_newLineTyped = false;   // a price or number was typed into the new line
    qlonglong m_offeredNumber = 0;  // the service number the new line was opened with
};
