#include "payrollbook.h"

#include "database.h"
#include "storeerror.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace payrollbook {
namespace {

using salon::runQuery;

// EmployeeID is a 32-bit whole number in the book.
constexpr qint64 largestNumber = 2147483647;

Currency money(const QVariant &stored)
{
    return Currency::fromStored(stored).value_or(Currency());
}

// Dates are stored as ISO text ("2026-03-05", with " hh:mm:ss" when a time was given), so a
// day's rows are those from the day's text up to, not including, the next day's.
QString isoDay(QDate day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

std::optional<qint64> employeeRow(QSqlDatabase db, qint64 number)
{
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT rowid FROM Employee WHERE EmployeeID = ? ORDER BY rowid LIMIT 1"),
                          {number});
    if (!query.next())
        return std::nullopt;
    return query.value(0).toLongLong();
}

std::optional<Currency> latestToDate(QSqlDatabase db, qint64 employeeId)
{
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT ToDateEarn FROM [Payroll Records] WHERE EmployeeID = ? "
                                             "ORDER BY RecordID DESC LIMIT 1"),
                          {employeeId});
    if (!query.next() || query.value(0).isNull())
        return std::nullopt;
    return money(query.value(0));
}

Currency earnedThisMonth(QSqlDatabase db, qint64 employeeId, QDate today, qint64 exceptRecord)
{
    const QDate first(today.year(), today.month(), 1);
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT TodayEarn FROM [Payroll Records] WHERE EmployeeID = ? "
                                             "AND ServiceDate >= ? AND ServiceDate < ? AND RecordID <> ?"),
                          {employeeId, isoDay(first), isoDay(today.addDays(1)), exceptRecord});
    Currency sum;
    // Each row is added as the exact amount it holds, not as a sum of doubles.
    while (query.next()) {
        const auto next = sum.plus(money(query.value(0)));
        if (!next)
            throw StoreError(StoreError::NumericOverflow, Currency::tooLargeText(QStringLiteral("This month's earnings")));
        sum = *next;
    }
    return sum;
}

NumberClash employeeNumberClash(QSqlDatabase db, qint64 number, qint64 ownRow)
{
    if (runQuery(db, QStringLiteral("SELECT 1 FROM Employee WHERE EmployeeID = ? AND rowid <> ? LIMIT 1"), {number, ownRow})
            .next())
        return NumberClash::OtherEmployee;
    // The employee's own payroll rows carry the number it has now; any other rows with this
    // number belong to someone who has left.
    QSqlQuery own = runQuery(db, QStringLiteral("SELECT EmployeeID FROM Employee WHERE rowid = ?"), {ownRow});
    if (own.next() && !own.value(0).isNull() && own.value(0).toLongLong() == number)
        return NumberClash::None;
    if (runQuery(db, QStringLiteral("SELECT 1 FROM [Payroll Records] WHERE EmployeeID = ? LIMIT 1"), {number}).next())
        return NumberClash::FormerEmployee;
    return NumberClash::None;
}

QString numberClashText(NumberClash clash, qint64 number)
{
    switch (clash) {
    case NumberClash::OtherEmployee:
        return QStringLiteral("Employee number %1 is already used by another employee. Please choose another number.")
            .arg(number);
    case NumberClash::FormerEmployee:
        return QStringLiteral("Employee number %1 still carries the payroll records of a former employee. "
                              "Please choose another number.")
            .arg(number);
    case NumberClash::None:
        break;
    }
    return {};
}

std::optional<qint64> readEmployeeNumber(const QString &text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 10)
        return std::nullopt;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const qint64 number = digits.toLongLong();
    if (number < 1 || number > largestNumber)
        return std::nullopt;
    return number;
}

QString badNumberText()
{
    return QStringLiteral("Please type the employee number as a whole number from 1 to %1, in digits only.").arg(largestNumber);
}

} // namespace payrollbook
