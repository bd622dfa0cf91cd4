#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// A money amount: signed 64-bit fixed point with four decimal places.
// Conversions from double and text round to four decimals, halves to the even one.
class Currency
{
public:
    static constexpr std::int64_t scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromScaled(std::int64_t scaled) { Currency c; c.m_scaled = scaled; return c; }
    // nullopt when the value is not finite or beyond the range of the type.
    static std::optional<Currency> fromDouble(double value);
    // A number in the locale's or the C form ("12.5", "12,5", "-3"); nullopt for anything else.
    static std::optional<Currency> fromText(const QString &text);

    constexpr std::int64_t scaled() const { return m_scaled; }
    double toDouble() const { return double(m_scaled) / double(scale); }
    // The amount with up to four decimals, trailing zeros and a trailing separator dropped.
    QString text() const;

    friend constexpr Currency operator+(Currency a, Currency b) { return fromScaled(a.m_scaled + b.m_scaled); }
    friend constexpr Currency operator-(Currency a, Currency b) { return fromScaled(a.m_scaled - b.m_scaled); }
    friend constexpr Currency operator*(Currency a, std::int64_t n) { return fromScaled(a.m_scaled * n); }
    friend constexpr bool operator==(Currency a, Currency b) = default;
    friend constexpr auto operator<=>(Currency a, Currency b) = default;

private:
    std::int64_t m_scaled = 0;
};
