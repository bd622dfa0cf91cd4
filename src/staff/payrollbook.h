#pragma once
#include "currency.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <optional>

// Look-ups in the employee and payroll books that the staff screens and End Of Day share.
// Every value enters its query bound, never as text; failures throw StoreError.
namespace payrollbook {

// The Employee row (its row key, a bookmark of a record set on the table or on
// "select * from [Employee]") of employee number `number`: the first row in book order whose
// EmployeeID is that number. nullopt when no employee has it.
std::optional<qint64> employeeRow(QSqlDatabase db, qint64 number);

// The to-date total of the employee's latest payroll row (highest RecordID); nullopt when the
// employee has no rows or that row's total is empty.
std::optional<Currency> latestToDate(QSqlDatabase db, qint64 employeeId);

// What the employee earned on the days of `today`'s month up to and including `today`, by the
// rows' dates; the row `exceptRecord` (the one being posted, when already stored) left out.
Currency earnedThisMonth(QSqlDatabase db, qint64 employeeId, QDate today, qint64 exceptRecord = -1);

// Whether an employee number may be given to the employee row `ownRow` (-1: a new employee).
// Taken when another employee has it, or when payroll rows carry it that are not `ownRow`'s
// own (a former employee's): a new hire would inherit that to-date.
enum class NumberClash { None, OtherEmployee, FormerEmployee };
NumberClash employeeNumberClash(QSqlDatabase db, qint64 number, qint64 ownRow);
QString numberClashText(NumberClash clash, qint64 number);

// Reads an employee number as typed in a box: digits only, blanks around them ignored, from 1
// to the largest number the book keeps. nullopt for anything else ("1.5", "-3", "1,000", "2e0"),
// which would otherwise be stored rounded or cut to some other employee's number.
std::optional<qint64> readEmployeeNumber(const QString &text);
// The message that refuses a number readEmployeeNumber() does not take.
QString badNumberText();

} // namespace payrollbook
