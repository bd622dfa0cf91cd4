#pragma once
#include "currency.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>
#include <vector>

// The arithmetic of one sale line on the daily ticket, with no window and no database:
// pricing, the day's sale numbering, the running totals, reading the rate answers and the
// lines of the customer receipt. The ticket screen gathers the cells, calls these and shows
// what they return; the sale writer stores it.
namespace sale {

// PriceSaleLine: the unit price less the discount of one unit (both in currency, rounded to
// four decimals half to even), times the quantity. nullopt when the amount overflows.
struct PricedLine
{
    Currency unitPrice;
    Currency discount;    // discount amount of one unit
    Currency netUnit;
    Currency extended;    // the line's extended price
};
std::optional<PricedLine> priceSaleLine(Currency unitPrice, qint64 quantity, double discountRate);

// The day's numbering kept in Misc: while ChangeCount is 0 the running day is ChangeDate;
// a book left mid-day by an older numbering has ChangeCount 1, and its running day is the
// date of journal row MyNumber + 1. A sale's Count is its ServiceID less MyNumber.
struct DailyNumbering
{
    qint64 changeCount = 0;
    QDate changeDate;                 // invalid when empty
    std::optional<qint64> myNumber;   // nullopt when empty
};
struct NumberedSale
{
    DailyNumbering numbering;   // what Misc holds after the sale
    qint64 count = 0;
};
// NextDailyCount: the first sale of a later calendar date (or of a book with no running day)
// restarts at 1, stamps today and bases the numbering on the new row; any other sale goes on
// counting. `firstSaleOfDay` is the date of journal row MyNumber + 1, read only when
// ChangeCount is 1.
NumberedSale nextDailyCount(const DailyNumbering &misc, QDate firstSaleOfDay, QDate today, qint64 newServiceId);
// A stored day: a date, or text in the ISO or month/day/year form; invalid otherwise.
QDate storedDate(const QVariant &value);

// Running totals. The sub-total and the technician's day total are money; the ticket total
// and the receipt's tax are the plain double arithmetic the desk has always seen.
std::optional<Currency> subTotalAfter(Currency subTotal, Currency extended);
// The day total grows by the line with its tax, as money: extended × (1 + rate).
std::optional<Currency> dayTotalAfter(Currency dayTotal, Currency extended, double taxRate);
// The tax a line records: what it adds to the day total (dayTotalAfter) less its extended price.
std::optional<Currency> lineSalesTax(Currency extended, double taxRate);
double ticketTotal(Currency subTotal, double taxRate);
double saleTax(Currency subTotal, double taxRate);

// Reading the answer to a rate question: the whole answer, a decimal number with '.' or the
// locale's separator and no grouping, from 0 to 1.
enum class RateQuestion { Discount, TaxRate };
QString ratePrompt(RateQuestion question);
struct RateReading
{
    enum class Kind { Rate, Empty, Refused };
    Kind kind = Kind::Empty;
    double rate = 0;
    QString refusal;   // the message for a refused answer
};
RateReading readRate(RateQuestion question, const QString &answer, const QLocale &locale = QLocale());
// Whether a discount typed straight into the grid is a rate.
bool isRate(double value);

// The receipt: every line sold, in the three-slot look for up to three lines.
struct ReceiptLine
{
    QString service;
    Currency price;
};
struct ReceiptSlot
{
    QString service;
    QString price;
    bool visible = false;
};
// At least three slots: filled ones show their line, empty ones the placeholders "Service" and
// "Price" (only the first of them visible); a fourth line and more add slots.
std::vector<ReceiptSlot> receiptSlots(const std::vector<ReceiptLine> &lines);
struct ReceiptTotals
{
    QString subTotal;
    QString saleTax;
    QString total;
};
ReceiptTotals receiptTotals(Currency subTotal, double taxRate);

} // namespace sale
