#include "payrollposting.h"

#include <QLocale>

namespace payroll {
namespace {

// A typed amount as the locale writes it (its grouping allowed), else with '.' as the decimal
// point. No currency sign, no trailing letters.
MoneyReading readTyped(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {Currency(), {}};
    const MoneyReading reading = Currency::readNumber(trimmed, QLocale());
    if (reading.amount || !reading.refusal.isEmpty())
        return reading;
    return Currency::readNumber(trimmed, QLocale::c());
}

} // namespace

std::optional<Currency> readAmount(const QString &text)
{
    return readTyped(text).amount;
}

QString refusedAmountText(const QString &text)
{
    const QString refusal = readTyped(text).refusal;
    if (!refusal.isEmpty())
        return refusal;
    return QStringLiteral("\"%1\" is not an amount. Please type today's earnings as a plain number, for example %2.")
        .arg(text.trimmed(), QLocale().toString(45.5, 'f', 2));
}

std::optional<Posting> PayrollPosting(const QString &todayEarnText, Currency previousToDate, Currency earlierThisMonth,
                                      QString *refusal)
{
    auto refuse = [&](const QString &message) -> std::optional<Posting> {
        if (refusal)
            *refusal = message;
        return std::nullopt;
    };
    const auto today = readAmount(todayEarnText);
    if (!today)
        return refuse(refusedAmountText(todayEarnText));
    const auto toDate = previousToDate.plus(*today);
    const auto monthSum = earlierThisMonth.plus(*today);
    const auto fiftyByTotal = toDate ? toDate->percent(50) : std::nullopt;
    const auto sixtyByTotal = toDate ? toDate->percent(60) : std::nullopt;
    const auto fiftyByMonth = monthSum ? monthSum->percent(50) : std::nullopt;
    const auto sixtyByMonth = monthSum ? monthSum->percent(60) : std::nullopt;
    // Every figure stored must be one the book keeps exactly, or nothing is posted.
    const std::pair<const std::optional<Currency> &, const char *> stored[] = {
        {toDate, "The to-date total"},
        {fiftyByTotal, "The 50% commission of the to-date total"},
        {sixtyByTotal, "The 60% commission of the to-date total"},
        {fiftyByMonth, "The 50% commission of the month"},
        {sixtyByMonth, "The 60% commission of the month"},
    };
    for (const auto &[figure, name] : stored)
        if (!figure || !figure->isStorable())
            return refuse(Currency::tooLargeText(QLatin1String(name)) + QStringLiteral(" Nothing was posted."));
    Posting posting;
    posting.todayEarn = *today;
    posting.toDate = *toDate;
    posting.monthSum = *monthSum;
    posting.fiftyByTotal = *fiftyByTotal;
    posting.sixtyByTotal = *sixtyByTotal;
    posting.fiftyByMonth = *fiftyByMonth;
    posting.sixtyByMonth = *sixtyByMonth;
    return posting;
}

} // namespace payroll
