#include "recordfield.h"

#include "currency.h"
#include "dates.h"
#include "storeerror.h"
#include "values.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <optional>
#include <utility>

namespace {

const QString isoDate = QStringLiteral("yyyy-MM-dd");
const QString isoDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// A number the program holds. Text counts only in the plain C form, whole: a locale's display
// text ("35,982") is never guessed at here.
std::optional<double> numberOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
        return value.toDouble();
    case QMetaType::Bool:
        return value.toBool() ? -1.0 : 0.0;
    case QMetaType::QString: {
        QLocale plain = QLocale::c();
        plain.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        const double number = plain.toDouble(value.toString().trimmed(), &ok);
        if (ok && std::isfinite(number))
            return number;
        return std::nullopt;
    }
    default:
        if (value.metaType() == QMetaType::fromType<Currency>())
            return value.value<Currency>().toDouble();
        return std::nullopt;
    }
}

// A date the program holds, or date text in the file's ISO form or the salon's m/d/yyyy.
std::optional<QDateTime> dateOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().isValid() ? std::optional(QDateTime(value.toDate(), QTime(0, 0))) : std::nullopt;
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().isValid() ? std::optional(value.toDateTime()) : std::nullopt;
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString().trimmed();
    for (const QString &format : {isoDate, isoDateTime, QStringLiteral("yyyy-MM-ddTHH:mm:ss")}) {
        const QDateTime dt = QDateTime::fromString(text, format);
        if (dt.isValid())
            return dt;
    }
    const QDate date = fromMdyText(text);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    return std::nullopt;
}

// The "yyyy-MM-dd" the file holds at the start of a text, read by hand: grids read many of
// these, and the general format parser costs ten times as much. Invalid when it is not one.
QDate leadingIsoDate(QStringView text)
{
    if (text.size() < 10 || text[4] != u'-' || text[7] != u'-')
        return {};
    auto number = [&](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            if (!text[i].isDigit() || text[i].unicode() > '9')
                return -1;
            value = value * 10 + (text[i].unicode() - '0');
        }
        return value;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 0 || month < 0 || day < 0)
        return {};
    return QDate(year, month, day);
}

} // namespace

FieldKind fieldKindOf(const QString &declaredType)
{
    const QString type = declaredType.toUpper();
    if (type == QLatin1String("SMALLINT"))
        return FieldKind::SmallInt;
    if (type.contains(QLatin1String("INT")))
        return FieldKind::Integer;
    if (type == QLatin1String("CURRENCY"))
        return FieldKind::Currency;
    if (type == QLatin1String("SINGLE"))
        return FieldKind::Single;
    if (type == QLatin1String("DOUBLE") || type == QLatin1String("REAL"))
        return FieldKind::Double;
    if (type == QLatin1String("DATETIME"))
        return FieldKind::Date;
    if (type == QLatin1String("TEXT"))
        return FieldKind::Text;
    return FieldKind::Other;
}

bool isTextDateField(const QString &table, const QString &field)
{
    static const std::pair<QLatin1String, QLatin1String> textDates[] = {
        {QLatin1String("Customers"), QLatin1String("ServiceDate")},
        {QLatin1String("Employee"), QLatin1String("Birthdate")},
        {QLatin1String("Employee"), QLatin1String("DateHired")},
        {QLatin1String("Employee"), QLatin1String("DateQuit")}};
    for (const auto &[t, f] : textDates)
        if (table.compare(t, Qt::CaseInsensitive) == 0 && field.compare(f, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isNumericKind(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Integer: case FieldKind::SmallInt: case FieldKind::Currency: case FieldKind::Single:
    case FieldKind::Double:
        return true;
    default:
        return false;
    }
}

QVariant fromStored(const QVariant &stored, FieldKind kind)
{
    if (stored.isNull())
        return {};
    switch (kind) {
    case FieldKind::Date: {
        // The fixed ISO forms, read without a format parser: grids read many of these.
        const QString text = stored.toString();
        const QDate date = leadingIsoDate(text);
        if (date.isValid() && text.size() == 10)
            return date;
        if (date.isValid() && text.size() == 19 && text[10] == u' ') {
            const QTime time = QTime::fromString(QStringView(text).mid(11), Qt::ISODate);
            if (time.isValid())
                return time == QTime(0, 0) ? QVariant(date) : QVariant(QDateTime(date, time));
        }
        return stored;
    }
    case FieldKind::Integer:
    case FieldKind::SmallInt: {
        bool ok = false;
        const qlonglong whole = stored.toLongLong(&ok);
        if (ok && stored.typeId() != QMetaType::Double)
            return whole;
        return stored.toDouble();
    }
    case FieldKind::Currency: {
        const auto money = Currency::fromStored(stored);
        return money ? QVariant::fromValue(*money) : stored;
    }
    case FieldKind::Single:
    case FieldKind::Double: {
        bool ok = false;
        const double number = stored.toDouble(&ok);
        return ok ? QVariant(number) : stored;
    }
    case FieldKind::Text:
        return stored.toString();
    case FieldKind::Other:
        break;
    }
    return stored;
}

QVariant toStored(const QVariant &value, const RecordField &field)
{
    const FieldKind kind = field.kind;
    if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
        return QVariant(QMetaType(isNumericKind(kind) ? QMetaType::Double : QMetaType::QString));
    const bool isMoney = value.metaType() == QMetaType::fromType<Currency>();
    auto conversionError = [&] {
        const QString shown = isMoney ? value.value<Currency>().plainText() : value.toString();
        return StoreError(StoreError::ConversionError,
                          QStringLiteral("Data type conversion error: '%1' does not fit the field %2.").arg(shown, field.name));
    };
    auto overflow = [&] {
        return StoreError(StoreError::NumericOverflow, QStringLiteral("Numeric field overflow in the field %1.").arg(field.name));
    };
    // Money the book could not give back exactly is refused, never rounded on its way in.
    auto keptMoney = [&](std::optional<Currency> money) {
        if (!money)
            throw overflow();
        if (!money->isStorable())
            throw StoreError(StoreError::NumericOverflow,
                             Currency::tooLargeText(QStringLiteral("The amount for %1").arg(field.name)));
        return money->toDouble();
    };
    if (kind == FieldKind::Date) {
        const auto dt = dateOf(value);
        if (!dt)
            throw conversionError();
        return dt->time() == QTime(0, 0) ? dt->date().toString(isoDate) : dt->toString(isoDateTime);
    }
    if (isNumericKind(kind)) {
        if (kind == FieldKind::Currency && isMoney)
            return keptMoney(value.value<Currency>());
        if (kind == FieldKind::Currency && value.typeId() == QMetaType::QString) {
            // Text is an amount written out: more decimals than the book keeps is refused.
            QLocale plain = QLocale::c();
            plain.setNumberOptions(QLocale::RejectGroupSeparator);
            const MoneyReading reading = Currency::readNumber(value.toString(), plain);
            if (!reading.refusal.isEmpty())
                throw StoreError(StoreError::ConversionError, reading.refusal);
            if (!reading.amount)
                throw conversionError();
            return keptMoney(reading.amount);
        }
        const auto number = numberOf(value);
        if (!number)
            throw conversionError();
        switch (kind) {
        case FieldKind::SmallInt: {
            const auto whole = toInt16HalfEven(*number);
            if (!whole)
                throw overflow();
            return qlonglong(*whole);
        }
        case FieldKind::Integer: {
            const auto whole = toInt32HalfEven(*number);
            if (!whole)
                throw overflow();
            return qlonglong(*whole);
        }
        case FieldKind::Currency:
            return keptMoney(Currency::fromDouble(*number));
        case FieldKind::Single: {
            const auto rate = narrowRate(*number);
            if (!rate)
                throw overflow();
            return *rate;
        }
        default:
            return *number;
        }
    }
    // Text fields keep dates in the salon's own m/d/yyyy form, whatever the desk's locale.
    if (value.typeId() == QMetaType::QDate)
        return mdyText(value.toDate());
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime moment = value.toDateTime();
        if (moment.time() == QTime(0, 0))
            return mdyText(moment.date());
        return mdyText(moment.date()) + u' ' + QLocale::c().toString(moment.time(), QStringLiteral("h:mm:ss AP"));
    }
    if (isMoney)
        return value.value<Currency>().plainText();
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}
