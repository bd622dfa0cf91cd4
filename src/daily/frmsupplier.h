#pragma once
#include "boundscreen.h"

#include <QWidget>

class Binder;
class DataBar;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RecordSet;

// The supplier book: one supplier of the Suppliers table at a time, under the salon's company
// name, with Add, Delete, Update and Exit. Modeless; Exit or the close box unload it
// (pending edits are stored first). Throws StoreError when the table cannot be opened.
class frmSupplier : public QWidget
{
    Q_OBJECT
public:
    explicit frmSupplier(QWidget *parent = nullptr);

    RecordSet *datPrimary() const { return m_records; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void showCompany();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdUpdate_Click();

    BoundScreen m_bound;
    RecordSet *m_records;
    Binder *m_binder;
    DataBar *m_bar;
    QLabel *lblVelorine1;
    QLabel *lblVelorine2;
    QLineEdit *txtSupplierID;
    QLineEdit *txtCompany;
    QLineEdit *txtContact;
    QComboBox *cmbTitle;
    QLineEdit *txtAddress;
    QLineEdit *txtCity;
    QLineEdit *txtState;
    QLineEdit *txtZip;
    QLineEdit *txtCountry;
    QLineEdit *txtPhone;
    QLineEdit *txtFax;
    QLineEdit *txtEMail;
    QPlainTextEdit *txtNote;
    QPushButton *cmdAdd;
    QPushButton *cmdDelete;
    QPushButton *cmdUpdate;
    QPushButton *cmdExit;
};
