#pragma once
#include "boundscreen.h"
#include "editablegrid.h"
#include "frmreceipt.h"

#include <QPointer>
#include <memory>
#include <QVariant>
#include <QWidget>

class Binder;
class DataBar;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class RecordSet;

// The daily activity ticket: one technician (Employee) with the running totals, one customer
// (Bill To), and the price list whose Quantity and Discount cells are the ticket's lines.
// Enter in the grid sells the current row: the sale writer stores the whole line in one
// transaction, then the boxes and the receipt show it. Prices change only through the price
// list behind the shop password; the running boxes are shown, never typed.
//
// Opening the screen asks for the technician's number. Throws StoreError when its books
// cannot be opened.
class frmDaily : public QWidget
{
    Q_OBJECT
public:
    explicit frmDaily(QWidget *parent = nullptr);

    RecordSet *datPrimaryRS() const { return m_technicians; }
    RecordSet *datSecondaryRS() const { return m_products; }
    RecordSet *datThird() const { return m_customers; }
    RecordSet *datFourth() const { return m_misc; }
    // The receipt window, while it is open.
    frmReceipt *receipt() const { return m_receipt; }
    const ReceiptContent &receiptContent() const { return m_receiptContent; }

    // The ticket reset: the price list's ticket cells and the technician's sub-total back to
    // 0, the ticket total to 0, and a fresh receipt for the current customer.
    void ClearTicket();
    // Finds the customer by last name and puts the ticket on them; their CustomerID, or null.
    QVariant GetLastname(const QString &strLastname);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void askTechnician();
    void showTechnicianTotals();
    bool writeCell(int row, const QString &field, const QString &text);
    void saleLine();
    std::optional<double> askDiscount();
    void showReceipt();
    frmReceipt *ensureReceipt();
    void printReceipt();
    bool saveReceiptAsPdf();
    void cmdSearch_Click();
    void cmdNext_Click();
    void cmdPrevious_Click();
    bool cmdSave_Click();
    void cmdClose_Click();
    void cmdData_Click();
    void cmdEndOfDay_Click();

    // The technicians with their bar and binder; the other sets, then what listens to them,
    // so that members go in a safe order (listeners first).
    BoundScreen m_bound;
    std::unique_ptr<RecordSet> m_productSet;
    std::unique_ptr<RecordSet> m_customerSet;
    std::unique_ptr<RecordSet> m_miscSet;
    std::unique_ptr<Binder> m_customerBinding;
    std::unique_ptr<EditableGrid> m_ticketGrid;

    RecordSet *m_technicians;
    RecordSet *m_products;
    RecordSet *m_customers;
    RecordSet *m_misc;
    DataBar *m_bar;
    Binder *m_technicianBinder;
    Binder *m_customerBinder;
    EditableGrid *m_grid;
    QPointer<frmReceipt> m_receipt;
    ReceiptContent m_receiptContent;
    double m_ticketTotal = 0;
    bool m_cellRefused = false;

    QLineEdit *txtName;
    QLineEdit *txtSSecurity;
    QLineEdit *txtSubTotal;
    QLineEdit *txtSaletax;
    QLineEdit *txtTotals;
    QLineEdit *txtTotal;
    QLineEdit *txtFirstname;
    QLineEdit *txtLastname;
    QLineEdit *txtAddress;
    QLineEdit *txtCity;
    QLineEdit *txtState;
    QLineEdit *txtZip;
    QPlainTextEdit *txtNote;
    QLineEdit *txtServiceDate;
    QTableView *DBGrid1;
};
