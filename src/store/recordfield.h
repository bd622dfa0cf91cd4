#pragma once
#include <QString>
#include <QVariant>

// What a field of the salon's books holds, from the column's declared type, and how its
// values travel between the file and the program.
//
// In the program a value is typed: a whole number (qlonglong), a double, a Currency for money,
// a QDate or QDateTime, a QString; null is an empty field. In the file, money is a REAL with
// four decimals (an amount it could not give back exactly is refused: Currency::isStorable),
// dates are ISO text and a date written into a text field is m/d/yyyy.
// Text a person typed is read by the forms layer, in the locale it was shown in, before it
// gets here: the store takes text for a number only in the plain C form ("24.075").
enum class FieldKind { Text, Integer, SmallInt, Currency, Single, Double, Date, Other };

FieldKind fieldKindOf(const QString &declaredType);
// The text fields that hold a date as m/d/yyyy (a customer's last visit, an employee's
// birthdate, hire and leaving dates); names compared without regard to case.
bool isTextDateField(const QString &table, const QString &field);
bool isNumericKind(FieldKind kind);

struct RecordField
{
    QString name;     // as the source names it
    QString column;   // table column it writes to; empty when computed
    FieldKind kind = FieldKind::Other;
};

// A stored value as the program reads it.
QVariant fromStored(const QVariant &stored, FieldKind kind);
// A program value as the file keeps it. Throws StoreError (conversion error, overflow).
QVariant toStored(const QVariant &value, const RecordField &field);
