#pragma once
#include <QMetaType>
#include <QString>
#include <cstdint>
#include <optional>

// A money amount: signed 64-bit fixed point with four decimal places.
// Conversions from double and text round to four decimals, halves to the even one.
// Record sets hand money fields out as a QVariant holding a Currency; such a variant also
// converts to double and to its text (call registerCurrencyType() once, the store does).
class Currency
{
public:
    static constexpr std::int64_t scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromScaled(std::int64_t scaled) { Currency c; c.m_scaled = scaled; return c; }
    // nullopt when the value is not finite or beyond the range of the type.
    static std::optional<Currency> fromDouble(double value);
    // An amount as text() or a person writes it in the user's locale ("12.5" in the US,
    // "12,5" in Germany; the locale's currency sign allowed). Group separators are refused, so
    // "35.982" on a German desk is not taken for 35982; nullopt for anything else.
    static std::optional<Currency> fromText(const QString &text);

    constexpr std::int64_t scaled() const { return m_scaled; }
    double toDouble() const { return double(m_scaled) / double(scale); }
    // The amount with up to four decimals, trailing zeros and a trailing separator dropped,
    // in the locale's decimal separator.
    QString text() const;
    // The same in the C form ("24.075"), for files and query texts.
    QString plainText() const;
    // To whole cents, halves away from zero, as the "Currency" display format shows money.
    Currency roundedToCents() const;

    friend constexpr Currency operator+(Currency a, Currency b) { return fromScaled(a.m_scaled + b.m_scaled); }
    friend constexpr Currency operator-(Currency a, Currency b) { return fromScaled(a.m_scaled - b.m_scaled); }
    friend constexpr Currency operator*(Currency a, std::int64_t n) { return fromScaled(a.m_scaled * n); }
    friend constexpr bool operator==(Currency a, Currency b) = default;
    friend constexpr auto operator<=>(Currency a, Currency b) = default;

private:
    QString textWith(QChar decimalPoint) const;

    std::int64_t m_scaled = 0;
};

Q_DECLARE_METATYPE(Currency)

// Lets a QVariant holding a Currency answer toDouble() and toString(). Safe to call often.
void registerCurrencyType();
