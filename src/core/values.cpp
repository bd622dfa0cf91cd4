#include "values.h"

#include <QLocale>
#include <cfenv>
#include <cmath>
#include <limits>
#include <string>

double val(QStringView text)
{
    std::string clean;
    bool seenPoint = false;
    bool seenDigit = false;
    bool inExponent = false;
    bool exponentHasDigit = false;
    std::size_t exponentStart = 0;

    for (QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n')
            continue;
        const char ch = c.toLatin1();
        if (ch >= '0' && ch <= '9') {
            clean += ch;
            if (inExponent)
                exponentHasDigit = true;
            else
                seenDigit = true;
        } else if ((ch == '+' || ch == '-') && (clean.empty() || (inExponent && clean.size() == exponentStart + 1))) {
            clean += ch;
        } else if (ch == '.' && !seenPoint && !inExponent) {
            seenPoint = true;
            clean += ch;
        } else if ((ch == 'e' || ch == 'E' || ch == 'd' || ch == 'D') && !inExponent) {
            inExponent = true;
            exponentStart = clean.size();
            clean += 'e';
        } else {
            break;
        }
    }
    // A trailing exponent without digits ("1E", "1E-") is not part of the number.
    if (inExponent && !exponentHasDigit)
        clean.resize(exponentStart);
    if (!seenDigit)
        return 0.0;
    const double result = std::strtod(clean.c_str(), nullptr);
    return std::isfinite(result) ? result : 0.0;
}

double valPrefix(QStringView text, int count)
{
    return val(text.left(count));
}

QString numberText(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(u'e');
    if (e >= 0)
        text.replace(e, 1, u'E');
    const QString point = QLocale().decimalPoint();
    if (point != QStringLiteral("."))
        text.replace(u'.', point);
    return text;
}

std::optional<double> numberFromText(const QString &text)
{
    QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // numberText() writes exponents with a capital E in every locale.
    trimmed.replace(u'E', u'e');
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

template <typename Int>
static std::optional<Int> toIntHalfEven(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(oldMode);
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

std::optional<std::int16_t> toInt16HalfEven(double value)
{
    return toIntHalfEven<std::int16_t>(value);
}

std::optional<std::int32_t> toInt32HalfEven(double value)
{
    return toIntHalfEven<std::int32_t>(value);
}

std::optional<double> narrowRate(double rate)
{
    // Checked first: a double beyond the float range has no float to convert to.
    if (!std::isfinite(rate) || std::fabs(rate) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return QString::number(float(rate), 'g', 7).toDouble();
}
