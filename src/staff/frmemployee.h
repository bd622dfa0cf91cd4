#pragma once
#include "boundscreen.h"

#include <QVariant>
#include <QWidget>
#include <optional>

class Binder;
class Doors;
class DataBar;
class GridModel;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QTableView;
class RecordSet;

// "Velorine - Employee Information": the staff book, one employee at a time, with that
// employee's payroll rows in the grid below ("Employee Payroll Report"), re-read on every move
// and standing on the latest row. From here the desk opens payroll entry, searches by last
// name and changes the shop password. Modeless; Close or the close box unload it with pending
// edits stored. Throws StoreError when the books cannot be opened.
//
// Employees are found by their number (EmployeeID), a whole number of 1 or more that stays
// unique: storing a row refuses any other text, a number another employee has, or one that a
// former employee's payroll rows still carry. A new employee takes the salon's sales-tax rate.
class frmEmployee : public QWidget
{
    Q_OBJECT
public:
    // `doors` (the password gate of Change Password) outlives the screen.
    explicit frmEmployee(Doors &doors, QWidget *parent = nullptr);

    RecordSet *datPrimaryRS() const { return m_employees; }
    RecordSet *datSecondaryRS() const { return m_payroll; }

    // The payroll rows of one employee number, bound; no whole number picks no rows.
    static RecordSource payrollSource(QSqlDatabase db, const QVariant &employeeId);

    // Makes employee number `number` current; false when no employee has it.
    bool LocateEmployeeByNumber(qint64 number);
    // Re-reads the payroll grid of the current employee and stands on the latest row.
    void showPayroll();
    // The last-name search; the found employee's EmployeeID, or none.
    QVariant GetLastname(const QString &lastName);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void checkNumber();
    void giveSalonTaxRate();
    std::optional<qint64> currentNumber() const;
    void selectGridRow();
    void gridRowChosen(int row);

    void cmdAdd_Click();
    bool cmdUpdate_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdSearch_Click();
    void cmdData_Click();
    void cmdPassword_Click();
    void txtPassword_Enter();
    void mnuDataDelete_Click();
    void mnuDataHelp_Click();

    Doors &m_doors;
    BoundScreen m_bound;
    RecordSet *m_employees;
    RecordSet *m_payroll;
    DataBar *m_bar;
    Binder *m_binder;
    GridModel *m_grid;
    QList<QLineEdit *> txtFields;   // by Index; 1 is the prefix box Combo1
    QComboBox *Combo1;
    QLineEdit *txtTerminate;
    QGroupBox *fraPassword;
    QLineEdit *txtPassword;
    QTableView *grdDataGrid;
    QMenu *mnuData;
    bool m_selectingGrid = false;
};
