#pragma once
#include <QDate>
#include <QString>
#include <QVariant>

class QWidget;

// What End Of Day asks of payroll entry, and how the desk left it.
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

} // namespace payrollentry

// A booked appointment of today checked in at the desk: the daily ticket is opened on its
// technician and customer, found by key, and reset.
namespace checkin {

struct Request
{
    qint64 employeeId = 0;
    QVariant customerId;   // null: no customer record
};

} // namespace checkin

// The doors a screen opens into ground that is not its own: the shop-password gate (the
// shell's login dialog) and payroll entry for one employee (the staff screens). The shell
// builds the one set of doors and hands it to the screens that need one when it makes them,
// so the daily ticket never includes a staff screen and the store knows no windows.
class Doors
{
public:
    virtual ~Doors() = default;

    // Shows the shop-password gate over `parent`; true when the right password was given,
    // false on Cancel.
    virtual bool askShopPassword(QWidget *parent) = 0;

    // Shows payroll entry modally over `parent` with a new row for one employee and day (the
    // number and date filled in, the to-date taken from that employee's latest payroll row).
    virtual payrollentry::Outcome enterPayroll(QWidget *parent, const payrollentry::Request &request) = 0;
};
