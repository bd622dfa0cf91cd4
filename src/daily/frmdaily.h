#pragma once
#include "boundscreen.h"
#include "currency.h"
#include "doors.h"
#include "editablegrid.h"
#include "frmreceipt.h"

#include <QPointer>
#include <memory>
#include <optional>
#include <QVariant>
#include <QWidget>

class Binder;
class DataBar;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class RecordSet;
class TicketGrid;

// The daily activity ticket: one technician (Employee) with the running totals, one customer
// (Bill To), and the price list whose Quantity and Discount cells are the ticket's lines.
// Enter in the grid sells the current row: the sale writer stores the whole line in one
// transaction, then the boxes and the receipt show it. A typed Quantity or Discount stays on
// the screen until its line is sold; Cancel, Esc, leaving the row and the ticket reset put it
// back to what the book holds. Prices change only through the price list behind the shop
// password; the running boxes are shown, never typed.
//
// The ticket belongs to one technician and one customer: every change of either starts a
// fresh ticket (the reset), and the ticket's sub-total is its own, never a stored one.
//
// Opening the screen asks for the technician's number, unless it is opened for a check-in.
// Throws StoreError when its books cannot be opened.
class frmDaily : public QWidget
{
    Q_OBJECT
public:
    // AskTechnician: the technician is asked for (the Daily Activity tab). FirstTechnician:
    // nothing is asked; the ticket opens on the first one, for a check-in to move it.
    enum class Opening { AskTechnician, FirstTechnician };

    // `doors` (the password gate of Data Entry, payroll entry for End Of Day) outlives the screen.
    explicit frmDaily(Doors &doors, QWidget *parent = nullptr, Opening opening = Opening::AskTechnician);
    ~frmDaily() override;

    RecordSet *datPrimaryRS() const { return m_technicians; }
    RecordSet *datSecondaryRS() const { return m_products; }
    RecordSet *datThird() const { return m_customers; }
    // The receipt window, while it is open.
    frmReceipt *receipt() const { return m_receipt; }
    const ReceiptContent &receiptContent() const { return m_receiptContent; }

    // The ticket reset: the price list's ticket cells, typed cells and the sub-total back to 0
    // (stored for the technician the ticket was for and the one it is now for), the ticket
    // total to 0, and a fresh receipt for the current customer.
    void ClearTicket();
    // Finds the customer by last name and puts the ticket on them; their CustomerID, or null.
    QVariant GetLastname(const QString &strLastname);
    // A check-in: puts the ticket on the technician and the customer with these numbers (a
    // null customer leaves the customer as is) and resets it. When either is not in the book,
    // or the book cannot be read, nothing moves and the reason is returned.
    std::optional<QString> checkIn(const checkin::Request &request);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void askTechnician();
    void showTechnicianTotals();
    void technicianMoved();
    bool writeCell(int row, const QString &field, const QString &text);
    void revertTypedCells();
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
    Doors &m_doors;
    BoundScreen m_bound;
    std::unique_ptr<RecordSet> m_productSet;
    std::unique_ptr<RecordSet> m_customerSet;
    std::unique_ptr<Binder> m_customerBinding;
    std::unique_ptr<TicketGrid> m_ticketGrid;

    RecordSet *m_technicians;
    RecordSet *m_products;
    RecordSet *m_customers;
    DataBar *m_bar;
    Binder *m_technicianBinder;
    Binder *m_customerBinder;
    TicketGrid *m_grid;
    QPointer<frmReceipt> m_receipt;
    ReceiptContent m_receiptContent;
    Currency m_ticketSubTotal;
    qint64 m_ticketTechnician = -1;   // the Employee row the ticket is for
    bool m_holdTicket = false;        // while End Of Day puts the technician back
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
