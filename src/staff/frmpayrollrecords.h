#pragma once
#include "currency.h"
#include "doors.h"

#include <QDate>
#include <QDialog>
#include <optional>

class DataBar;
class QLineEdit;
class QPushButton;
class RecordSet;

// "Velorine - Payroll Data Entry": the payroll book, one row at a time, modal.
//
// Stored rows are shown as they are and never rewritten from here. Add starts a new row for an
// employee, found by number: the date is today's and the to-date comes from that employee's
// latest payroll row, refilled whenever the number in the box changes. End Of Day's row is for
// the employee and day it walks, which cannot be changed. The new row is stored
// only when posted: Enter in "Today's Earn", or Close after an amount was typed; Cancel, the
// close box, or Close with nothing typed drop it. While it is pending, the data bar, Refresh
// and Delete are off.
class frmPayrollRecords : public QDialog
{
    Q_OBJECT
public:
    explicit frmPayrollRecords(QWidget *parent = nullptr);

    RecordSet *datPrimary() const { return m_records; }
    // The employee Add proposes (the one on the employee screen); none leaves the box empty.
    void setProposedEmployee(std::optional<qint64> number) { m_proposed = number; }
    // Starts a new row for one employee on `day`, with "Record: " and the number as caption
    // (End Of Day). The number and the day stay as given: their boxes cannot be typed into.
    void startEntry(const payrollentry::Request &request);

    bool isPending() const { return m_pending; }
    // The employee of the last row posted here, if any.
    std::optional<qint64> postedEmployee() const { return m_postedEmployee; }
    // The store's text of the last posting that failed, while nothing has been posted since.
    QString failure() const { return m_failure; }

    // Shows the screen modally for one new row (the shell's entry function for End Of Day).
    static payrollentry::Outcome enterFor(QWidget *parent, const payrollentry::Request &request);

    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildLayout();
    void showRow();
    void setPending(bool pending);
    QDate entryDay() const;
    void refillEmployee();
    void dataBarReleased();
    bool post();
    void discardPending();

    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdClose_Click();
    void cmdTodayEarn_Click();

    RecordSet *m_records;
    DataBar *m_bar;
    QLineEdit *txtEmployeeID;
    QLineEdit *txtServiceDate;
    QLineEdit *txtTodayEarn;
    QLineEdit *txtToDateEarn;
    QLineEdit *txt50ByMonth;
    QLineEdit *txt50ByTotal;
    QLineEdit *txt60ByMonth;
    QLineEdit *txt60ByTotal;
    QLineEdit *txtFirstname;
    QPushButton *cmdAdd;
    QPushButton *cmdDelete;
    QPushButton *cmdRefresh;

    bool m_pending = false;
    std::optional<qint64> m_proposed;
    std::optional<payrollentry::Request> m_endOfDay;   // the employee and day End Of Day walks
    Currency m_previousToDate;          // the pending row's to-date before today
    std::optional<qint64> m_postedEmployee;
    QString m_failure;
};
