#include "payrollposting.h"

#include <QLocale>

namespace payroll {
namespace {

// Sums stay well inside the 64-bit range; anything near its edge is refused, not wrapped.
std::optional<Currency> add(Currency a, Currency b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a.scaled(), b.scaled(), &sum))
        return std::nullopt;
    return Currency::fromScaled(sum);
}

} // namespace

std::optional<Currency> readAmount(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return Currency();
    // A plain number: the locale's own form (its grouping allowed), else '.' as the decimal
    // point. No currency sign, no trailing letters.
    bool ok = false;
    double value = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        return std::nullopt;
    return Currency::fromDouble(value);
}

QString refusedAmountText(const QString &text)
{
    return QStringLiteral("\"%1\" is not an amount. Please type today's earnings as a plain number, for example %2.")
        .arg(text.trimmed(), QLocale().toString(45.5, 'f', 2));
}

Currency percentOf(Currency amount, int percent)
{
    const __int128 product = __int128(amount.scaled()) * percent;
    __int128 quotient = product / 100;
    const __int128 remainder = product % 100;
    // Round the remainder half to even, on the magnitude.
    const __int128 twice = (remainder < 0 ? -remainder : remainder) * 2;
    const int direction = product < 0 ? -1 : 1;
    if (twice > 100 || (twice == 100 && (quotient % 2 != 0)))
        quotient += direction;
    return Currency::fromScaled(std::int64_t(quotient));
}

std::optional<Posting> PayrollPosting(const QString &todayEarnText, Currency previousToDate, Currency earlierThisMonth)
{
    const auto today = readAmount(todayEarnText);
    if (!today)
        return std::nullopt;
    const auto toDate = add(previousToDate, *today);
    const auto monthSum = add(earlierThisMonth, *today);
    if (!toDate || !monthSum)
        return std::nullopt;
    Posting posting;
    posting.todayEarn = *today;
    posting.toDate = *toDate;
    posting.monthSum = *monthSum;
    posting.fiftyByTotal = percentOf(*toDate, 50);
    posting.sixtyByTotal = percentOf(*toDate, 60);
    posting.fiftyByMonth = percentOf(*monthSum, 50);
    posting.sixtyByMonth = percentOf(*monthSum, 60);
    return posting;
}

} // namespace payroll
