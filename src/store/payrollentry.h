#pragma once
#include <QDate>
#include <QString>
#include <functional>

class QWidget;

// The door from End Of Day to the payroll book: the daily ticket cannot reach the staff
// screens, so it asks through enterPayroll(); the shell registers, at start-up, a function
// that shows the payroll entry screen modally with a new row for one employee (number and
// date filled in, the to-date taken from that employee's latest payroll row) and says how
// the desk left it.
namespace payrollentry {

struct Request
{
    qint64 employeeId = 0;
    QDate day;
};

struct Outcome
{
    enum Kind { Posted, Cancelled, Failed };
    Kind kind = Cancelled;
    QString failure;   // the store's text when a row could not be stored
};

using EntryFunction = std::function<Outcome(QWidget *parent, const Request &request)>;
void setEntryFunction(EntryFunction entry);
// Without a registered function nothing can be entered: Failed, with a text that says so.
Outcome enterPayroll(QWidget *parent, const Request &request);

} // namespace payrollentry
