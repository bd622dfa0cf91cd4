#include "endofday.h"

#include "database.h"
#include "dates.h"
#include "dialogs.h"
#include "payrollentry.h"
#include "pointer.h"
#include "storeerror.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <vector>

namespace endofday {
namespace {

struct Employee
{
    qint64 row;
    QVariant number;
    QString firstName;
};

using salon::runQuery;

std::vector<Employee> employees(QSqlDatabase db)
{
    std::vector<Employee> list;
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT rowid, EmployeeID, FirstName FROM Employee ORDER BY rowid"));
    while (query.next())
        list.push_back({query.value(0).toLongLong(), query.value(1), query.value(2).toString()});
    return list;
}

bool hasRowOn(QSqlDatabase db, qint64 number, QDate day)
{
    const QString iso = QStringLiteral("yyyy-MM-dd");
    return runQuery(db,
               QStringLiteral("SELECT 1 FROM [Payroll Records] WHERE EmployeeID = ? AND ServiceDate >= ? "
                              "AND ServiceDate < ? LIMIT 1"),
               {number, day.toString(iso), day.addDays(1).toString(iso)})
        .next();
}

QString plural(int count, const QString &one, const QString &many)
{
    return QString::number(count) + u' ' + (count == 1 ? one : many);
}

} // namespace

void clearDayTotalsInBook(QSqlDatabase db, qint64 employeeRow)
{
    runQuery(db, QStringLiteral("UPDATE Employee SET SubTotal = 0, Total = 0 WHERE rowid = ?"), {employeeRow});
}

Result walk(QWidget *parent, QDate day, const ClearDayTotals &clearDayTotals)
{
    Result result;
    QSqlDatabase db = salon::employeeDb();
    std::vector<Employee> staff;
    try {
        staff = employees(db);
    } catch (const StoreError &error) {
        result.stopReason = error.text();
    }
    std::size_t next = 0;
    if (result.stopReason.isEmpty()) {
        for (; next < staff.size(); ++next) {
            const Employee &employee = staff[next];
            bool ok = false;
            const qint64 number = employee.number.toLongLong(&ok);
            if (employee.number.isNull() || !ok) {
                ++result.left;   // without a number there is no payroll row to enter
                continue;
            }
            try {
                if (hasRowOn(db, number, day)
                    && showMessage(parent,
                                   QStringLiteral("%1 (employee %2) already has a payroll row for %3. Add another one?")
                                       .arg(employee.firstName)
                                       .arg(number)
                                       .arg(shortDateText(day)),
                                   Dialogs::Buttons::YesNoDefaultNo, Dialogs::Icon::Question)
                           != Dialogs::Answer::Yes) {
                    clearDayTotals(employee.row);
                    ++result.skipped;
                    continue;
                }
                const payrollentry::Outcome outcome = payrollentry::enterPayroll(parent, {number, day});
                if (outcome.kind == payrollentry::Outcome::Failed) {
                    result.stopReason = outcome.failure;
                    break;
                }
                if (outcome.kind == payrollentry::Outcome::Cancelled) {
                    ++result.left;
                    continue;
                }
                clearDayTotals(employee.row);
                ++result.posted;
            } catch (const StoreError &error) {
                result.stopReason = error.text();
                break;
            }
        }
        if (result.stopReason.isEmpty())
            result.finished = true;
        else
            result.left += int(staff.size() - next);
    }
    pointer::busy();
    result.backup = salon::backUpBook(day);
    pointer::normal();
    return result;
}

QString closingText(const Result &result)
{
    const QString counts = QStringLiteral("%1 posted, %2 skipped, %3 left for a later run.")
                               .arg(plural(result.posted, QStringLiteral("employee"), QStringLiteral("employees")))
                               .arg(result.skipped)
                               .arg(result.left);
    QString text = result.finished ? QStringLiteral("End Of Day is done: ") + counts
                                   : QStringLiteral("End Of Day stopped: ") + result.stopReason + u'\n' + counts;
    if (result.backup.ok())
        text += QStringLiteral("\nThe book was copied to %1.").arg(result.backup.path);
    else
        text += u'\n' + result.backup.failure;
    return text;
}

void showClosing(QWidget *parent, const Result &result)
{
    const bool clean = result.finished && result.backup.ok();
    showMessage(parent, closingText(result), Dialogs::Buttons::Ok, clean ? Dialogs::Icon::Information : Dialogs::Icon::Warning);
}

Result run(QWidget *parent, QDate day, const ClearDayTotals &clearDayTotals)
{
    const Result result = walk(parent, day, clearDayTotals);
    showClosing(parent, result);
    return result;
}

} // namespace endofday
