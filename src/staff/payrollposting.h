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
// US English is 1200) or with '.' as the decimal point. nullopt for anything else ("$120").
std::optional<Currency> readAmount(const QString &text);

// The message that refuses a typed amount.
QString refusedAmountText(const QString &text);

// `earlierThisMonth` is the sum of this employee's other rows dated this month up to today
// (see payrollbook.h). nullopt when the amount is refused or the sums leave the money range.
std::optional<Posting> PayrollPosting(const QString &todayEarnText, Currency previousToDate,
                                      Currency earlierThisMonth);

// `amount` times `percent` / 100, rounded to four decimals, halves to the even one.
Currency percentOf(Currency amount, int percent);

} // namespace payroll
