#pragma once
#include "currency.h"

#include <QString>
#include <optional>

// The figures of one day's payroll row, computed when the manager presses Enter in
// "Today's Earn". Plain arithmetic on Currency: what is posted is exactly what is stored.
namespace payroll {

struct Posting
{
    Currency todayEarn;      // the amount typed
    Currency toDate;         // the previous to-date plus today
    Currency monthSum;       // today plus this employee's earlier days of the month
    Currency fiftyByTotal;   // 50% of toDate
    Currency sixtyByTotal;   // 60% of toDate
    Currency fiftyByMonth;   // 50% of monthSum
    Currency sixtyByMonth;   // 60% of monthSum
};

// Reads a typed amount: empty is 0, otherwise a plain number in the user's locale ("1,200" in
// US English is 1200) or with '.' as the decimal point. nullopt for anything else ("$120"),
// and for an amount the book cannot keep (more than four decimals, too large).
std::optional<Currency> readAmount(const QString &text);

// The message that refuses a typed amount: why the book cannot keep it, or that it is not one.
QString refusedAmountText(const QString &text);

// `earlierThisMonth` is the sum of this employee's other rows dated this month up to today
// (see payrollbook.h). nullopt when the amount is refused or a figure to be stored is too
// large to keep; `refusal`, when given, then receives the message that says so.
std::optional<Posting> PayrollPosting(const QString &todayEarnText, Currency previousToDate,
                                      Currency earlierThisMonth, QString *refusal = nullptr);

} // namespace payroll
