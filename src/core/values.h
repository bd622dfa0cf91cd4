#pragma once
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Val of a text: the leading numeric value. Blanks, tabs and line feeds are ignored wherever
// they stand, '.' is the decimal point, an exponent after E or D is accepted, reading stops at
// the first other character; empty or non-numeric text gives 0.
double val(QStringView text);

// Val of the first `count` characters of a text (several inputs are cut before they are read).
double valPrefix(QStringView text, int count);

// The general text of a double: up to 15 significant digits, the locale's decimal separator,
// no grouping, no trailing zeros, exponent form (1E+15, 1E-05) for very large and small values.
QString numberText(double value);
// Reads back a number as numberText() shows it in the user's locale (group separators refused,
// so a German "35.982" is not 35982); nullopt for anything else. Unlike val(), never reads a
// leading part of the text.
std::optional<double> numberFromText(const QString &text);

// Round to the nearest integer, halves to the even one. nullopt when the value is not finite
// or does not fit the target type.
std::optional<std::int16_t> toInt16HalfEven(double value);
std::optional<std::int32_t> toInt32HalfEven(double value);

// A rate (discount, sales tax) as the book keeps it: in single precision, taken back as its
// shortest decimal text, so a typed 0.07 reads 0.07 again. nullopt when the rate is not
// finite or beyond single precision.
std::optional<double> narrowRate(double rate);
