#include "saleline.h"

#include "dates.h"
#include "values.h"

#include <QVariant>

namespace sale {

std::optional<PricedLine> priceSaleLine(Currency unitPrice, qint64 quantity, double discountRate)
{
    const auto discount = unitPrice.timesRate(discountRate);
    const auto net = discount ? unitPrice.minus(*discount) : std::nullopt;
    const auto extended = net ? net->times(quantity) : std::nullopt;
    if (!extended)
        return std::nullopt;
    return PricedLine{unitPrice, *discount, *net, *extended};
}

NumberedSale nextDailyCount(const DailyNumbering &misc, QDate firstSaleOfDay, QDate today, qint64 newServiceId)
{
    QDate runningDay = misc.changeDate;
    if (misc.changeCount == 1 && firstSaleOfDay.isValid())
        runningDay = firstSaleOfDay;
    if (!runningDay.isValid() || today > runningDay)
        return {{0, today, newServiceId - 1}, 1};
    // The same day goes on counting; so does a clock set back, rather than restart mid-day.
    const qint64 base = misc.myNumber.value_or(0);
    return {{0, runningDay, base}, newServiceId - base};
}

QDate storedDate(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    const QString text = value.toString().trimmed();
    const QDate iso = QDate::fromString(text.left(10), Qt::ISODate);
    if (iso.isValid())
        return iso;
    return fromMdyText(text.section(u' ', 0, 0));
}

std::optional<Currency> subTotalAfter(Currency subTotal, Currency extended)
{
    return subTotal.plus(extended);
}

std::optional<Currency> dayTotalAfter(Currency dayTotal, Currency extended, double taxRate)
{
    const auto share = extended.timesRate(1.0 + taxRate);
    return share ? dayTotal.plus(*share) : std::nullopt;
}

std::optional<Currency> lineSalesTax(Currency extended, double taxRate)
{
    const auto share = extended.timesRate(1.0 + taxRate);
    return share ? share->minus(extended) : std::nullopt;
}

double ticketTotal(Currency subTotal, double taxRate)
{
    const double s = subTotal.toDouble();
    return s + taxRate * s;
}

double saleTax(Currency subTotal, double taxRate)
{
    return subTotal.toDouble() * taxRate;
}

QString ratePrompt(RateQuestion question)
{
    return question == RateQuestion::Discount
        ? QStringLiteral("Please enter Discount Rate in Decimal Number (ex.: 10% = 0.1): ")
        : QStringLiteral("Enter Sale-Tax Rate as decimal number (Ex. 0.07 = 7%): ");
}

RateReading readRate(RateQuestion question, const QString &answer, const QLocale &locale)
{
    const QString text = answer.trimmed();
    if (text.isEmpty())
        return {};
    const QString point = locale.decimalPoint();
    // A sign, digits and at most one decimal separator; nothing else (no grouping, no '%').
    QString plain;
    bool digits = false;
    bool separator = false;
    bool number = true;
    for (qsizetype i = 0; i < text.size() && number; ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            plain += c;
            digits = true;
        } else if ((c == u'-' || c == u'+') && i == 0) {
            plain += c;
        } else if (!separator && (c == u'.' || QStringView(text).mid(i).startsWith(point))) {
            separator = true;
            plain += u'.';
            if (c != u'.')
                i += point.size() - 1;
        } else {
            number = false;
        }
    }
    bool ok = false;
    const double rate = number && digits ? plain.toDouble(&ok) : 0.0;
    if (ok && isRate(rate))
        return {RateReading::Kind::Rate, rate, {}};
    const QString refusal = question == RateQuestion::Discount
        ? QStringLiteral("The discount rate must be a decimal number from 0 to 1 (ex.: 10% = %1).")
              .arg(locale.toString(0.1))
        : QStringLiteral("The sales-tax rate must be a decimal number from 0 to 1 (Ex. %1 = 7%).")
              .arg(locale.toString(0.07));
    return {RateReading::Kind::Refused, 0, refusal};
}

bool isRate(double value)
{
    return value >= 0.0 && value <= 1.0;
}

std::vector<ReceiptSlot> receiptSlots(const std::vector<ReceiptLine> &lines)
{
    std::vector<ReceiptSlot> result;
    for (const ReceiptLine &line : lines)
        result.push_back({line.service, line.price.text(), true});
    while (result.size() < 3)
        result.push_back({QStringLiteral("Service"), QStringLiteral("Price"), result.empty()});
    return result;
}

ReceiptTotals receiptTotals(Currency subTotal, double taxRate)
{
    return {subTotal.text(), numberText(saleTax(subTotal, taxRate)), numberText(ticketTotal(subTotal, taxRate))};
}

} // namespace sale
