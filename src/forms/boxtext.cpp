#include "boxtext.h"

#include "currency.h"
#include "dates.h"
#include "storeerror.h"
#include "values.h"

#include <QDate>
#include <QDateTime>

QString boxText(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().text();
    switch (value.typeId()) {
    case QMetaType::QDate:
        return shortDateText(value.toDate());
    case QMetaType::QDateTime:
        return generalDateText(value.toDateTime());
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble());
    default:
        return value.toString();
    }
}

QVariant boxValue(const QString &text, FieldKind kind, const QString &field)
{
    if (kind == FieldKind::Text || kind == FieldKind::Other)
        return text;
    if (text.trimmed().isEmpty())
        return {};
    auto refuse = [&] {
        return StoreError(StoreError::ConversionError,
                          QStringLiteral("Data type conversion error: '%1' does not fit the field %2.").arg(text.trimmed(), field));
    };
    switch (kind) {
    case FieldKind::Currency: {
        const MoneyReading money = Currency::readTyped(text);
        if (!money.refusal.isEmpty())
            throw StoreError(StoreError::ConversionError, money.refusal);
        if (!money.amount)
            throw refuse();
        return QVariant::fromValue(*money.amount);
    }
    case FieldKind::Date: {
        const QDateTime moment = fromGeneralDateText(text);
        if (!moment.isValid())
            throw refuse();
        return moment.time() == QTime(0, 0) ? QVariant(moment.date()) : QVariant(moment);
    }
    default: {
        const auto number = numberFromText(text);
        if (!number)
            throw refuse();
        return *number;
    }
    }
}
