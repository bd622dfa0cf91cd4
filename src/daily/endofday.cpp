#include "endofday.h"

#include "database.h"
#include "dates.h"
#include "dialogs.h"
#include "doors.h"
#include "endofdaylock.h"
#include "pointer.h"
#include "storeerror.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cmath>
#include <map>
#include <optional>
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

// The employee's number as stored: a whole number of 1 or more, else none.
std::optional<qint64> numberOf(const QVariant &stored)
{
    if (stored.isNull())
        return std::nullopt;
    bool ok = false;
    const double number = stored.toDouble(&ok);
    if (!ok || number < 1 || number != std::floor(number) || number > 2147483647.0)
        return std::nullopt;
    return qint64(number);
}

qint64 rowsOn(QSqlDatabase db, qint64 number, QDate day)
{
    const QString iso = QStringLiteral("yyyy-MM-dd");
    QSqlQuery query = runQuery(db,
                               QStringLiteral("SELECT count(*) FROM [Payroll Records] WHERE EmployeeID = ? AND ServiceDate >= ? "
                                              "AND ServiceDate < ?"),
                               {number, day.toString(iso), day.addDays(1).toString(iso)});
    return query.next() ? query.value(0).toLongLong() : 0;
}

QString namesText(const QStringList &names)
{
    if (names.size() < 2)
        return names.join(QString());
    return QStringList(names.mid(0, names.size() - 1)).join(QStringLiteral(", ")) + QStringLiteral(" and ") + names.last();
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

Result walk(QWidget *parent, QDate day, Doors &doors, const ClearDayTotals &clearDayTotals)
{
    Result result;
    QSqlDatabase db = salon::employeeDb();
    std::optional<salon::EndOfDayLock> oneDeskAtATime;
    try {
        oneDeskAtATime.emplace(db);
    } catch (const StoreError &error) {
        result.refused = error.text();
        return result;
    }
    std::vector<Employee> staff;
    try {
        staff = employees(db);
    } catch (const StoreError &error) {
        result.stopReason = error.text();
    }
    // A number two employees share cannot tell whose payroll row is whose: neither is posted.
    std::map<qint64, QStringList> holders;
    for (const Employee &employee : staff)
        if (const auto number = numberOf(employee.number))
            holders[*number] << employee.firstName;
    for (const auto &[number, names] : holders)
        if (names.size() > 1)
            result.sharedNumbers.push_back({number, names});
    std::size_t next = 0;
    if (result.stopReason.isEmpty()) {
        for (; next < staff.size(); ++next) {
            const Employee &employee = staff[next];
            const auto found = numberOf(employee.number);
            if (!found || holders[*found].size() > 1) {
                ++result.left;   // without a number of its own there is no payroll row to enter
                continue;
            }
            const qint64 number = *found;
            try {
                const qint64 rowsBefore = rowsOn(db, number, day);
                if (rowsBefore > 0
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
                const payrollentry::Outcome outcome = doors.enterPayroll(parent, {number, day});
                if (outcome.kind == payrollentry::Outcome::Failed) {
                    result.stopReason = outcome.failure;
                    break;
                }
                // Posted counts only when the book holds a new row of this employee for this day.
                if (outcome.kind == payrollentry::Outcome::Cancelled || rowsOn(db, number, day) <= rowsBefore) {
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
    // The copy is one consistent snapshot: sales on other desks need not wait for it.
    oneDeskAtATime.reset();
    {
        const pointer::Busy busy;
        result.backup = salon::backUpBook(day);
    }
    return result;
}

QString closingText(const Result &result)
{
    if (!result.refused.isEmpty())
        return result.refused;
    const QString counts = QStringLiteral("%1 posted, %2 skipped, %3 left for a later run.")
                               .arg(plural(result.posted, QStringLiteral("employee"), QStringLiteral("employees")))
                               .arg(result.skipped)
                               .arg(result.left);
    QString text = result.finished ? QStringLiteral("End Of Day is done: ") + counts
                                   : QStringLiteral("End Of Day stopped: ") + result.stopReason + u'\n' + counts;
    for (const SharedNumber &shared : result.sharedNumbers)
        text += QStringLiteral("\nNumber %1 is shared by %2: %3 posted and the day totals were kept. "
                               "Give each employee a number of their own on the employee screen.")
                    .arg(shared.number)
                    .arg(namesText(shared.names), shared.names.size() == 2 ? QStringLiteral("neither was")
                                                                             : QStringLiteral("none of them was"));
    if (result.backup.ok())
        text += QStringLiteral("\nThe book was copied to %1.").arg(result.backup.path);
    else
        text += u'\n' + result.backup.failure;
    return text;
}

void showClosing(QWidget *parent, const Result &result)
{
    const bool clean = result.finished && result.backup.ok() && result.sharedNumbers.empty();
    showMessage(parent, closingText(result), Dialogs::Buttons::Ok, clean ? Dialogs::Icon::Information : Dialogs::Icon::Warning);
}

Result run(QWidget *parent, QDate day, Doors &doors, const ClearDayTotals &clearDayTotals)
{
    const Result result = walk(parent, day, doors, clearDayTotals);
    showClosing(parent, result);
    return result;
}

} // namespace endofday
