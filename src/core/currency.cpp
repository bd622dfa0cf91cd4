#include "currency.h"

#include <QLocale>
#include <cfenv>
#include <cmath>

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

std::optional<Currency> Currency::fromText(const QString &text)
{
    QLocale locale;
    QString trimmed = text.trimmed();
    const QString sign = locale.currencySymbol();
    if (!sign.isEmpty() && trimmed.contains(sign))
        trimmed = trimmed.remove(sign).trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok)
        return std::nullopt;
    return fromDouble(value);
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
