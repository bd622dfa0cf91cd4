#include "currency.h"

#include <QLocale>
#include <cfenv>
#include <cmath>
#include <limits>

std::optional<Currency> Currency::fromDouble(double value)
{
    const double scaledValue = value * double(scale);
    // The type holds about ±922 337 203 685 477.5807.
    if (!std::isfinite(scaledValue) || std::fabs(scaledValue) >= 9.2233720368547e18)
        return std::nullopt;
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(scaledValue);
    std::fesetround(oldMode);
    return fromScaled(static_cast<std::int64_t>(rounded));
}

namespace {

// The decimals a number written in `locale` carries, trailing zeros not counted and an
// exponent taken into account ("1.50" has 1, "5e-5" has 5).
int decimalsOf(QStringView text, const QLocale &locale)
{
    qsizetype exponentAt = -1;
    qsizetype exponentLength = 1;
    const QString exponential = locale.exponential();
    for (qsizetype i = 0; i < text.size() && exponentAt < 0; ++i) {
        if (text[i] == u'e' || text[i] == u'E') {
            exponentAt = i;
        } else if (!exponential.isEmpty() && text.mid(i).startsWith(exponential, Qt::CaseInsensitive)) {
            exponentAt = i;
            exponentLength = exponential.size();
        }
    }
    int exponent = 0;
    if (exponentAt >= 0) {
        const QStringView power = text.mid(exponentAt + exponentLength);
        bool ok = false;
        exponent = locale.toInt(power, &ok);
        if (!ok)
            exponent = QLocale::c().toInt(power, &ok);
    }
    const QStringView mantissa = exponentAt < 0 ? text : text.left(exponentAt);
    const QString point = locale.decimalPoint();
    const qsizetype pointAt = point.isEmpty() ? -1 : mantissa.indexOf(point);
    // The digits in writing order, and how many of them stand after the point.
    QList<int> digits;
    int decimals = 0;
    for (qsizetype i = 0; i < mantissa.size(); ++i) {
        const int digit = mantissa[i].digitValue();
        if (digit < 0)
            continue;
        digits.append(digit);
        if (pointAt >= 0 && i > pointAt)
            ++decimals;
    }
    while (!digits.isEmpty() && digits.last() == 0) {
        digits.removeLast();
        --decimals;
    }
    return decimals - exponent;
}

} // namespace

std::optional<Currency> Currency::fromStored(const QVariant &stored)
{
    if (stored.isNull())
        return Currency();
    if (stored.metaType() == QMetaType::fromType<Currency>())
        return stored.value<Currency>();
    if (stored.typeId() == QMetaType::QString) {
        if (const auto exact = fromDecimalText(stored.toString()))
            return exact;
    }
    bool ok = false;
    const double value = stored.toDouble(&ok);
    return ok ? fromDouble(value) : std::nullopt;
}

std::optional<Currency> Currency::fromDecimalText(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if ((whole.isEmpty() && fraction.isEmpty()) || fraction.size() > 4)
        return std::nullopt;
    std::int64_t scaled = 0;
    auto addDigit = [&scaled](QChar c) {
        if (c < u'0' || c > u'9' || scaled > (std::numeric_limits<std::int64_t>::max() - 9) / 10)
            return false;
        scaled = scaled * 10 + (c.unicode() - u'0');
        return true;
    };
    for (QChar c : whole)
        if (!addDigit(c))
            return std::nullopt;
    for (qsizetype i = 0; i < 4; ++i)
        if (!addDigit(i < fraction.size() ? fraction[i] : QChar(u'0')))
            return std::nullopt;
    return fromScaled(negative ? -scaled : scaled);
}

MoneyReading Currency::readNumber(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return {};
    const QString quoted = u'"' + trimmed + u'"';
    if (std::fabs(value) >= double(storableLimit))
        return {std::nullopt, tooLargeText(quoted)};
    if (decimalsOf(trimmed, locale) > 4)
        return {std::nullopt, tooPreciseText(trimmed)};
    const auto amount = fromDouble(value);
    if (!amount || !amount->isStorable())
        return {std::nullopt, tooLargeText(quoted)};
    return {amount, {}};
}

MoneyReading Currency::readTyped(const QString &text)
{
    QLocale locale;
    QString trimmed = text.trimmed();
    const QString sign = locale.currencySymbol();
    if (!sign.isEmpty() && trimmed.contains(sign))
        trimmed = trimmed.remove(sign).trimmed();
    if (trimmed.isEmpty())
        return {};
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    return readNumber(trimmed, locale);
}

QString Currency::tooLargeText(const QString &what)
{
    return QStringLiteral("%1 is too large: amounts of money must stay below %2.")
        .arg(what, QLocale().toString(qlonglong(storableLimit)));
}

QString Currency::tooPreciseText(const QString &typed)
{
    return QStringLiteral("\"%1\" has more than four decimals: amounts of money are kept to four decimals.")
        .arg(typed.trimmed());
}

std::optional<Currency> Currency::plus(Currency other) const
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(m_scaled, other.m_scaled, &sum))
        return std::nullopt;
    return fromScaled(sum);
}

std::optional<Currency> Currency::minus(Currency other) const
{
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(m_scaled, other.m_scaled, &difference))
        return std::nullopt;
    return fromScaled(difference);
}

std::optional<Currency> Currency::times(std::int64_t factor) const
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(m_scaled, factor, &product))
        return std::nullopt;
    return fromScaled(product);
}

std::optional<Currency> Currency::timesRate(double rate) const
{
    return fromDouble(toDouble() * rate);
}

std::optional<Currency> Currency::percent(int percent) const
{
    const __int128 product = __int128(m_scaled) * percent;
    __int128 quotient = product / 100;
    const __int128 remainder = product % 100;
    // Round the remainder half to even, on the magnitude.
    const __int128 twice = (remainder < 0 ? -remainder : remainder) * 2;
    const int direction = product < 0 ? -1 : 1;
    if (twice > 100 || (twice == 100 && (quotient % 2 != 0)))
        quotient += direction;
    if (quotient > std::numeric_limits<std::int64_t>::max() || quotient < std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return fromScaled(std::int64_t(quotient));
}

QString Currency::textWith(QChar decimalPoint) const
{
    const bool negative = m_scaled < 0;
    // Work on the magnitude as unsigned so that the smallest value does not overflow.
    const std::uint64_t magnitude = negative ? std::uint64_t(0) - std::uint64_t(m_scaled) : std::uint64_t(m_scaled);
    QString result = QString::number(magnitude / scale);
    QString decimals = QStringLiteral("%1").arg(magnitude % scale, 4, 10, QLatin1Char('0'));
    while (decimals.endsWith(u'0'))
        decimals.chop(1);
    if (!decimals.isEmpty())
        result += decimalPoint + decimals;
    if (negative)
        result.prepend(u'-');
    return result;
}

QString Currency::text() const
{
    const QString point = QLocale().decimalPoint();
    return textWith(point.isEmpty() ? QChar(u'.') : point.front());
}

QString Currency::plainText() const
{
    return textWith(u'.');
}

QString Currency::fixedText() const
{
    // The magnitude as unsigned, so the most negative amount has one too.
    const std::uint64_t magnitude = m_scaled < 0 ? 0 - std::uint64_t(m_scaled) : std::uint64_t(m_scaled);
    return QStringLiteral("%1%2.%3")
        .arg(m_scaled < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / std::uint64_t(scale))
        .arg(magnitude % std::uint64_t(scale), 4, 10, QLatin1Char('0'));
}

Currency Currency::roundedToCents() const
{
    constexpr std::int64_t cent = scale / 100;
    const std::int64_t remainder = m_scaled % cent;
    std::int64_t whole = m_scaled - remainder;
    if (2 * remainder >= cent)
        whole += cent;
    else if (2 * remainder <= -cent)
        whole -= cent;
    return fromScaled(whole);
}

void registerCurrencyType()
{
    static const bool registered = [] {
        QMetaType::registerConverter<Currency, double>(&Currency::toDouble);
        QMetaType::registerConverter<Currency, QString>(&Currency::text);
        return true;
    }();
    (void)registered;
}
