#pragma once
#include "recordfield.h"

#include <QString>
#include <QVariant>

// What a bound box shows for a field's value, and reading the box back: the one place where
// the binding layer turns values into text and text into values, in the user's locale.

// Dates in the short date form (a date and time in the general form), numbers in the general
// form, money with up to four decimals, nothing for an empty field.
QString boxText(const QVariant &value);

// The value of a box's text for a field of `kind`, read the way boxText() writes it: a text
// field takes the text as it stands; in other fields empty text is an empty field. Throws
// StoreError (a conversion error naming `field`) when the text is not such a value, or
// (saying why) when it is money the book cannot keep exactly.
QVariant boxValue(const QString &text, FieldKind kind, const QString &field);
