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

// Round to the nearest integer, halves to the even one. nullopt when the value is not finite
// or does not fit the target type.
std::optional<std::int16_t> toInt16HalfEven(double value);
std::optional<std::int32_t> toInt32HalfEven(double value);
