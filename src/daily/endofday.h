#pragma once
#include "backup.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Doors;
class QWidget;

// End Of Day: closes the business day for every employee, in book order. For each one the
// payroll entry screen opens (through the doors the shell hands the ticket) with a new row for
// that employee's number and the day. An employee who already has a payroll row of that day is
// asked about first (No, the default, skips the employee). The employee's day totals are
// cleared once the book holds the posted row (that employee's, for that day) or the employee
// was deliberately skipped; a cancelled entry leaves them for a later run. Employees who share
// one number are neither entered nor cleared, and the closing message names them. A store failure stops the walk. Finished or stopped, the book is then copied to a
// verified backup, and the closing message says how the walk ended. On a server one desk at a
// time runs the walk (salon::EndOfDayLock); another desk is refused and nothing is done there.
namespace endofday {

struct SharedNumber
{
    qint64 number = 0;
    QStringList names;   // first names, in book order
};

struct Result
{
    int posted = 0;
    int skipped = 0;
    int left = 0;         // cancelled, or not reached because the walk stopped
    bool finished = false;
    QString refused;      // why End Of Day did not start at all (another desk runs it)
    QString stopReason;   // the store's text when the walk stopped
    std::vector<SharedNumber> sharedNumbers;   // their employees are counted as left
    salon::BackupResult backup;
};

// Clears one employee's running sub-total and day total (its Employee row key). Throws StoreError.
using ClearDayTotals = std::function<void(qint64 employeeRow)>;

// The day totals cleared in the book itself, for a caller with nothing on screen to update.
void clearDayTotalsInBook(QSqlDatabase db, qint64 employeeRow);

// The walk and the backup, without the closing message.
Result walk(QWidget *parent, QDate day, Doors &doors, const ClearDayTotals &clearDayTotals);
QString closingText(const Result &result);
// The closing message: information when all went well, a warning otherwise.
void showClosing(QWidget *parent, const Result &result);
// The walk, the backup and the closing message.
Result run(QWidget *parent, QDate day, Doors &doors, const ClearDayTotals &clearDayTotals);

} // namespace endofday
