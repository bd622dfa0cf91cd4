#pragma once
#include <QLocale>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

struct MoneyReading;

// A money amount: signed 64-bit fixed point with four decimal places.
// Conversions from double and text round to four decimals, halves to the even one.
// Arithmetic is checked: a result beyond the range of the type is nullopt, never wrapped.
// Record sets hand money fields out as a QVariant holding a Currency; such a variant also
// converts to double and to its text (call registerCurrencyType() once, the store does).
class Currency
{
public:
    static constexpr std::int64_t scale = 10000;
    // The book keeps money as a double, which holds four decimals exactly only below 2^38;
    // amounts are kept well inside that, below this many whole units either way.
    static constexpr std::int64_t storableLimit = 100'000'000'000;

    constexpr Currency() = default;
    static constexpr Currency fromScaled(std::int64_t scaled) { Currency c; c.m_scaled = scaled; return c; }
    // nullopt when the value is not finite or beyond the range of the type.
    static std::optional<Currency> fromDouble(double value);
    // A money field as the book hands it out: empty is 0, a number or a Currency is read as
    // money, and decimal text (a server's exact numeric, "-12.3400") digit by digit, never
    // through a double; nullopt for anything else (text that is not a number, more than four
    // decimals, a value beyond the range).
    static std::optional<Currency> fromStored(const QVariant &stored);
    // Plain decimal text: an optional sign, digits, and at most four decimals after a point.
    static std::optional<Currency> fromDecimalText(QStringView text);

    // A plain number written in `locale` (group separators as its number options allow),
    // refused when it has more than four decimals or is not below storableLimit.
    static MoneyReading readNumber(const QString &text, const QLocale &locale);
    // An amount as text() or a person writes it in the user's locale ("12.5" in the US,
    // "12,5" in Germany; the locale's currency sign allowed). Group separators are refused, so
    // "35.982" on a German desk is not taken for 35982.
    static MoneyReading readTyped(const QString &text);
    // readTyped()'s amount; nullopt for anything else.
    static std::optional<Currency> fromText(const QString &text);

    // The messages that refuse an amount; `what` names it ("The sub-total of this sale").
    static QString tooLargeText(const QString &what);
    static QString tooPreciseText(const QString &typed);

    constexpr std::int64_t scaled() const { return m_scaled; }
    double toDouble() const { return double(m_scaled) / double(scale); }
    // Whether the book keeps the amount exactly: its magnitude is below storableLimit.
    constexpr bool isStorable() const
    {
        return m_scaled > -storableLimit * scale && m_scaled < storableLimit * scale;
    }
    // The amount with up to four decimals, trailing zeros and a trailing separator dropped,
    // in the locale's decimal separator.
    QString text() const;
    // The same in the C form ("24.075"), for files and query texts.
    QString plainText() const;
    // All four decimals in the C form ("24.0750", "-0.5000"), as exported files write money.
    QString fixedText() const;
    // To whole cents, halves away from zero, as the "Currency" display format shows money.
    Currency roundedToCents() const;

    std::optional<Currency> plus(Currency other) const;
    std::optional<Currency> minus(Currency other) const;
    std::optional<Currency> times(std::int64_t factor) const;
    // The amount times a rate or factor (a discount rate, 1 + the tax rate) in double
    // arithmetic, rounded to four decimals, halves to the even one.
    std::optional<Currency> timesRate(double rate) const;
    // `percent` percent of the amount, exact, rounded to four decimals, halves to the even one.
    std::optional<Currency> percent(int percent) const;

    friend constexpr bool operator==(Currency a, Currency b) = default;
    friend constexpr auto operator<=>(Currency a, Currency b) = default;

private:
    QString textWith(QChar decimalPoint) const;

    std::int64_t m_scaled = 0;
};

// What reading a typed amount found: the amount, or nothing with `refusal` saying why the
// book cannot keep it. Both empty means the text is not a number at all, which each screen
// says in its own words.
struct MoneyReading
{
    std::optional<Currency> amount;
    QString refusal;
};

inline std::optional<Currency> Currency::fromText(const QString &text)
{
    return readTyped(text).amount;
}

Q_DECLARE_METATYPE(Currency)

// Lets a QVariant holding a Currency answer toDouble() and toString(). Safe to call often.
void registerCurrencyType();
