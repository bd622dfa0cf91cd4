#include "gridmodel.h"

#include "boxtext.h"
#include "currency.h"
#include "dates.h"
#include "recordset.h"
#include "values.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <optional>

namespace {

bool isNumberFormat(const QString &format)
{
    return format == QLatin1String("Currency") || format == QLatin1String("General Number")
        || format == QLatin1String("Standard");
}

} // namespace

QString formatValue(const QVariant &value, const QString &format)
{
    if (value.isNull())
        return {};
    if (isNumberFormat(format)) {
        const bool isMoney = value.metaType() == QMetaType::fromType<Currency>();
        bool ok = isMoney;
        const double number = isMoney ? value.value<Currency>().toDouble() : value.toDouble(&ok);
        if (!ok)
            return value.toString();
        if (format == QLatin1String("Currency")) {
            // Cents from the exact amount: 24.075 shows as $24.08, which the double
            // 24.07499... would not.
            const auto money = isMoney ? std::optional(value.value<Currency>()) : Currency::fromDouble(number);
            if (!money)
                return numberText(number);
            return QLocale().toCurrencyString(money->roundedToCents().toDouble(), QLocale().currencySymbol(), 2);
        }
        if (format == QLatin1String("Standard"))
            return QLocale().toString(number, 'f', 2);
        return numberText(number);
    }
    if (format == QLatin1String("Short Date") || format == QLatin1String("General Date")) {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDate)
            dt = QDateTime(value.toDate(), QTime(0, 0));
        else if (value.typeId() == QMetaType::QDateTime)
            dt = value.toDateTime();
        if (!dt.isValid())
            return value.toString();
        if (format == QLatin1String("Short Date"))
            return shortDateText(dt.date());
        return generalDateText(dt);
    }
    return boxText(value);
}

GridModel::GridModel(RecordSet *records, QList<Column> columns, QObject *parent)
    : QAbstractTableModel(parent), m_records(records), m_columns(std::move(columns))
{
    if (m_columns.isEmpty())
        for (const QString &name : records->fieldNames())
            m_columns.append({name, name, {}});
    for (int i = 0; i < m_columns.size(); ++i)
        m_fields << records->fieldIndex(m_columns[i].field);
    // The rows are counted when the view first asks, so a set re-pointed before then never
    // reads its first source.

    connect(records, &RecordSet::reset, this, &GridModel::resetRows);
    connect(records, &RecordSet::rowAppended, this, [this](qint64 position) {
        if (m_rows < 0)
            return;   // not counted yet: the view will count them when it asks
        beginInsertRows({}, int(position), int(position));
        m_rows = int(m_records->recordCount());
        endInsertRows();
    });
    connect(records, &RecordSet::rowRemoved, this, [this](qint64 position) {
        if (m_rows < 0)
            return;
        takeOutRows(int(position), int(position), [this] { m_rows = int(m_records->recordCount()); });
    });
    connect(records, &RecordSet::rowUpdated, this, [this](qint64 position) {
        emit dataChanged(index(int(position), 0), index(int(position), columnCount() - 1));
    });
}

void GridModel::resetRows()
{
    beginResetModel();
    // A new source may bring other fields: look the columns up again.
    for (int i = 0; i < m_columns.size(); ++i)
        m_fields[i] = m_records->fieldIndex(m_columns[i].field);
    m_rows = m_records->isOpen() ? int(m_records->recordCount()) : 0;
    endResetModel();
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    if (m_rows < 0)
        m_rows = m_records->isOpen() ? int(m_records->recordCount()) : 0;
    return m_rows;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

int GridModel::fieldOf(int column) const
{
    return column >= 0 && column < m_fields.size() ? m_fields[column] : -1;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Column &column = m_columns[index.column()];
    if (role == Qt::TextAlignmentRole)
        return isNumberFormat(column.format) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                             : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const int field = fieldOf(index.column());
    if (field < 0)
        return {};
    try {
        const QVariant value = m_records->rowAt(index.row()).value(field);
        return role == Qt::EditRole ? value : QVariant(formatValue(value, column.format));
    } catch (const StoreError &) {
        // A row deleted elsewhere since the keys were read shows empty until the next requery.
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? QVariant(m_columns[section].caption) : QVariant();
    return section + 1;
}
