#pragma once
#include "boundscreen.h"
#include "namesearch.h"

#include <QWidget>

class Binder;
class DataBar;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RecordSet;

// The customer book: one customer of the Customers table at a time with Add, Edit, Save,
// Delete, Refresh, Close and Exit, and a search by first and last name. Beside the record it
// shows the customer's next booked appointment and how many they missed (read-only, read
// again on every move). Modeless; Close,
// Exit or the close box unload it (pending edits are stored first). Throws StoreError when
// the table cannot be opened.
class frmMember : public QWidget
{
    Q_OBJECT
public:
    explicit frmMember(QWidget *parent = nullptr);

    RecordSet *datCustomer() const { return m_records; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdSave_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdExit_Click();
    void searchName(namesearch::Direction direction);
    void moveToCustomerRow(qint64 key);
    void showAppointments();

    BoundScreen m_bound;
    RecordSet *m_records;
    Binder *m_binder;
    DataBar *m_bar;
    QComboBox *comPrefix;
    QLineEdit *txtMemberID;
    QLineEdit *txtFirstname;
    QLineEdit *txtMiddle;
    QLineEdit *txtLastname;
    QComboBox *comSuffix;
    QGroupBox *fraAddress;
    QLineEdit *txtLine1;
    QLineEdit *txtLine2;
    QLineEdit *txtCity;
    QLineEdit *txtState;
    QLineEdit *txtZip;
    QLineEdit *txtPhone;
    QLineEdit *txtFax;
    QLineEdit *txtPager;
    QLineEdit *txtEMail;
    QPlainTextEdit *txtNotes;
    QLabel *lblNextAppointment;
    QLabel *lblMissed;
    QGroupBox *fraSearch;
    QLineEdit *txtSearchFirst;
    QLineEdit *txtSearchLast;
};
