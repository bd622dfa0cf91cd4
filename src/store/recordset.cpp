#include "recordset.h"

#include "currency.h"
#include "database.h"
#include "dates.h"
#include "values.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>

namespace {

const QString isoDate = QStringLiteral("yyyy-MM-dd");
const QString isoDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");
constexpr int rowCacheLimit = 4096;
constexpr std::size_t prefetchLimit = 64;

QString quoted(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"';
}

// A table name as written in a source: plain, in brackets or in double quotes.
QString bareName(QString name)
{
    name = name.trimmed();
    if ((name.startsWith(u'[') && name.endsWith(u']')) || (name.startsWith(u'"') && name.endsWith(u'"')))
        name = name.mid(1, name.size() - 2);
    return name;
}

bool isNumericType(const QString &type)
{
    return type.contains(QLatin1String("INT")) || type == QLatin1String("CURRENCY") || type == QLatin1String("SINGLE")
        || type == QLatin1String("DOUBLE") || type == QLatin1String("REAL");
}

// A number from a value as a user or a screen gives it: a number, or a text in the locale's
// or the C form, with the locale's currency sign allowed.
std::optional<double> numberOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
        return value.toDouble();
    case QMetaType::Bool:
        return value.toBool() ? -1.0 : 0.0;
    default:
        break;
    }
    QString text = value.toString().trimmed();
    const QString sign = QLocale().currencySymbol();
    if (!sign.isEmpty())
        text.remove(sign);
    text = text.trimmed();
    bool ok = false;
    double number = QLocale().toDouble(text, &ok);
    if (!ok)
        number = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<QDateTime> dateOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    const QString text = value.toString().trimmed();
    for (const QString &format : {isoDate, isoDateTime, QStringLiteral("yyyy-MM-ddTHH:mm:ss")}) {
        const QDateTime dt = QDateTime::fromString(text, format);
        if (dt.isValid())
            return dt;
    }
    QDate date = fromMdyText(text);
    if (!date.isValid())
        date = QLocale().toDate(text, shortDateFormat());
    if (!date.isValid())
        date = QLocale().toDate(text, QLocale::LongFormat);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    const QDateTime dt = QLocale().toDateTime(text, QLocale::ShortFormat);
    if (dt.isValid())
        return dt;
    return std::nullopt;
}

} // namespace

RecordSet::RecordSet(QSqlDatabase db, const QString &source, QObject *parent)
    : QObject(parent), m_db(db), m_source(source)
{
    if (!m_db.isOpen())
        throw StoreError(StoreError::ObjectClosed, QStringLiteral("The database is not open."));
    m_open = true;
    parseSource();
    readFields();
    readKeys();
    m_pos = count() > 0 ? 0 : -1;
}

RecordSet::~RecordSet() = default;

void RecordSet::ensureOpen() const
{
    if (!m_open)
        throw StoreError(StoreError::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
}

QSqlQuery RecordSet::prepare(const QString &sql) const
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw StoreError::fromSql(query.lastError());
    return query;
}

QString RecordSet::quotedTable() const { return quoted(m_table); }

void RecordSet::parseSource()
{
    m_table.clear();
    m_columns = QStringLiteral("*");
    m_where.clear();
    m_isTable = false;
    m_indexName.clear();
    m_indexColumn.clear();
    m_orderBy = QStringLiteral("rowid");
    m_keysAscending = true;
    m_snapshotRows.clear();

    auto tableNamed = [this](const QString &name) -> QString {
        QSqlQuery query = prepare(QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name = ? COLLATE NOCASE"));
        query.addBindValue(name);
        if (!query.exec())
            throw StoreError::fromSql(query.lastError());
        return query.next() ? query.value(0).toString() : QString();
    };

    const QString text = m_source.trimmed();
    if (!text.startsWith(QLatin1String("select"), Qt::CaseInsensitive)) {
        m_table = tableNamed(bareName(text));
        if (m_table.isEmpty())
            throw StoreError(StoreError::TableNotFound,
                             QStringLiteral("The table or query '%1' could not be found.").arg(bareName(text)));
        m_isTable = true;
        return;
    }
    // A SELECT over one table: its rows are that table's rows, so they can be read by key and written.
    static const QRegularExpression oneTable(
        QStringLiteral(R"(^\s*select\s+(.+?)\s+from\s+(\[[^\]]+\]|"[^"]+"|\w+)\s*(?:where\s+(.+?))?\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = oneTable.match(text);
    if (match.hasMatch()) {
        const QString table = tableNamed(bareName(match.captured(2)));
        if (table.isEmpty())
            throw StoreError(StoreError::TableNotFound,
                             QStringLiteral("The table or query '%1' could not be found.").arg(bareName(match.captured(2))));
        m_table = table;
        m_columns = match.captured(1).trimmed();
        m_where = match.captured(3).trimmed();
    }
    // Anything else is read once as a read-only snapshot.
}

void RecordSet::readFields()
{
    m_fieldInfo.clear();
    m_fields.clear();
    m_fieldByName.clear();

    QHash<QString, QString> declared;   // lower-case column -> declared type
    QHash<QString, QString> columnName;
    if (!m_table.isEmpty()) {
        QSqlQuery info = prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"));
        info.addBindValue(m_table);
        if (!info.exec())
            throw StoreError::fromSql(info.lastError());
        while (info.next()) {
            declared.insert(info.value(0).toString().toLower(), info.value(1).toString().toUpper());
            columnName.insert(info.value(0).toString().toLower(), info.value(0).toString());
        }
    }
    const QString sql = m_table.isEmpty() ? m_source
                                          : QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(m_columns, quotedTable());
    QSqlQuery query = prepare(sql);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError());
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        Field field;
        field.name = record.fieldName(i);
        const QString key = field.name.toLower();
        if (declared.contains(key)) {
            field.column = columnName.value(key);
            field.type = declared.value(key);
        }
        m_fieldByName.insert(key, int(m_fieldInfo.size()));
        m_fieldInfo.push_back(field);
        m_fields << field.name;
    }
    if (m_table.isEmpty()) {
        // A snapshot keeps its rows; the row number is the key.
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < record.count(); ++i)
                row << query.value(i);
            m_snapshotRows.push_back(row);
        }
    }
    m_rowQuery.reset();
}

void RecordSet::readKeys()
{
    m_keys.clear();
    m_positionByKey.clear();
    m_rowCache.clear();
    m_currentKey = -1;
    if (m_table.isEmpty()) {
        if (m_snapshotRows.empty()) {
            // Re-read a snapshot by running its query again.
            QSqlQuery query = prepare(m_source);
            if (!query.exec())
                throw StoreError::fromSql(query.lastError());
            const int columns = query.record().count();
            while (query.next()) {
                QVariantList row;
                for (int i = 0; i < columns; ++i)
                    row << query.value(i);
                m_snapshotRows.push_back(row);
            }
        }
        m_keys.resize(m_snapshotRows.size());
        for (std::size_t i = 0; i < m_keys.size(); ++i)
            m_keys[i] = qint64(i);
        m_keysAscending = true;
        return;
    }
    QString sql = QStringLiteral("SELECT rowid FROM %1").arg(quotedTable());
    if (!m_where.isEmpty())
        sql += QStringLiteral(" WHERE ") + m_where;
    sql += QStringLiteral(" ORDER BY ") + m_orderBy;
    QSqlQuery query = prepare(sql);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError());
    while (query.next())
        m_keys.push_back(query.value(0).toLongLong());
    if (query.lastError().isValid())
        throw StoreError::fromSql(query.lastError(), m_db);
    m_keysAscending = m_orderBy == QLatin1String("rowid");
    if (!m_keys.empty() && m_keys.size() <= prefetchLimit)
        prefetchRows(sql);
}

void RecordSet::prefetchRows(const QString &keySql)
{
    // A small set (one customer's visits, one employee's payroll) is read whole in one query
    // rather than row by row.
    QString sql = keySql;
    sql.replace(0, int(QStringLiteral("SELECT rowid").size()), QStringLiteral("SELECT rowid, ") + m_columns);
    QSqlQuery query = prepare(sql);
    if (!query.exec())
        return;   // the rows are read one by one when needed
    while (query.next()) {
        QVariantList row;
        row.reserve(int(m_fieldInfo.size()));
        for (int i = 0; i < int(m_fieldInfo.size()); ++i)
            row << fromStore(query.value(i + 1), m_fieldInfo[std::size_t(i)].type);
        m_rowCache.insert(query.value(0).toLongLong(), row);
    }
    // Just read: good as the first row's current values too.
    const auto first = m_rowCache.constFind(m_keys.front());
    if (first != m_rowCache.constEnd()) {
        m_currentKey = m_keys.front();
        m_currentValues = *first;
    }
}

void RecordSet::requery()
{
    ensureOpen();
    discardEdit();
    if (m_table.isEmpty())
        m_snapshotRows.clear();
    readKeys();
    m_pos = count() > 0 ? 0 : -1;
    m_currentDeleted = false;
    emit reset();
    emit currentChanged();
}

void RecordSet::setSource(const QString &source)
{
    ensureOpen();
    discardEdit();
    const QString previous = m_source;
    const QString previousTable = m_table;
    const QString previousColumns = m_columns;
    m_source = source;
    try {
        parseSource();
        // A new condition over the same table and columns (a grid following its master) keeps
        // the fields it has.
        if (m_table.isEmpty() || m_table != previousTable || m_columns != previousColumns)
            readFields();
    } catch (const StoreError &) {
        m_source = previous;
        parseSource();
        readFields();
        throw;
    }
    readKeys();
    m_pos = count() > 0 ? 0 : -1;
    m_currentDeleted = false;
    emit reset();
    emit currentChanged();
}

void RecordSet::close()
{
    discardEdit();
    m_rowQuery.reset();
    m_keys.clear();
    m_rowCache.clear();
    m_open = false;
}

// Moves ------------------------------------------------------------------------------------

void RecordSet::discardEdit()
{
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_changed.clear();
    m_newKey.clear();
}

void RecordSet::leavingRow()
{
    if (m_beforeLeavingRow)
        m_beforeLeavingRow();
}

void RecordSet::finishMove()
{
    m_currentDeleted = false;
    m_currentKey = -1;
    emit currentChanged();
}

void RecordSet::moveFirst()
{
    ensureOpen();
    leavingRow();
    discardEdit();
    m_pos = count() > 0 ? 0 : -1;
    finishMove();
}

void RecordSet::moveLast()
{
    ensureOpen();
    leavingRow();
    discardEdit();
    m_pos = count() > 0 ? count() - 1 : -1;
    finishMove();
}

void RecordSet::moveNext()
{
    ensureOpen();
    if (!m_currentDeleted && eof())
        throw StoreError(StoreError::NoCurrentRecord, QStringLiteral("No current record."));
    leavingRow();
    if (!m_currentDeleted)
        ++m_pos;
    discardEdit();
    m_pos = std::min(m_pos, count());
    finishMove();
}

void RecordSet::movePrevious()
{
    ensureOpen();
    if (bof() && !m_currentDeleted)
        throw StoreError(StoreError::NoCurrentRecord, QStringLiteral("No current record."));
    leavingRow();
    discardEdit();
    m_pos = std::max<qint64>(m_pos - 1, -1);
    finishMove();
}

void RecordSet::move(qint64 rows)
{
    ensureOpen();
    if (!hasCurrent() && !m_currentDeleted)
        throw StoreError(StoreError::NoCurrentRecord, QStringLiteral("No current record."));
    leavingRow();
    discardEdit();
    qint64 target = m_pos + rows;
    if (m_currentDeleted && rows > 0)
        --target;   // the row after a deleted one already sits at its position
    m_pos = std::clamp<qint64>(target, -1, count());
    finishMove();
}

// Fields -----------------------------------------------------------------------------------

int RecordSet::fieldIndex(const QString &name) const
{
    return m_fieldByName.value(name.toLower(), -1);
}

void RecordSet::requireCurrent() const
{
    ensureOpen();
    if (m_currentDeleted)
        throw StoreError(StoreError::RecordDeleted, QStringLiteral("Record is deleted."));
    if (!hasCurrent())
        throw StoreError(StoreError::NoCurrentRecord, QStringLiteral("No current record."));
}

QVariant RecordSet::value(const QString &name) const
{
    const int field = fieldIndex(name);
    if (field < 0)
        throw StoreError(StoreError::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(name));
    return value(field);
}

QVariant RecordSet::value(int field) const
{
    ensureOpen();
    if (field < 0 || field >= int(m_fieldInfo.size()))
        throw StoreError(StoreError::ItemNotFound, QStringLiteral("Item not found in this collection."));
    if (m_editMode != EditMode::None)
        return m_buffer.value(field);
    requireCurrent();
    return currentRow().value(field);
}

QVariantList RecordSet::rowAt(qint64 position) const
{
    ensureOpen();
    if (position < 0 || position >= count())
        throw StoreError(StoreError::NoCurrentRecord, QStringLiteral("No current record."));
    return readRow(m_keys[std::size_t(position)]);
}

QVariantList RecordSet::currentRow() const
{
    // The current row is read afresh after every move, so that what another screen stored in
    // the meantime shows; the grid's rows come from the cache.
    const qint64 key = m_keys[std::size_t(m_pos)];
    if (m_currentKey != key) {
        m_rowCache.remove(key);
        m_currentValues = readRow(key);
        m_currentKey = key;
    }
    return m_currentValues;
}

QVariantList RecordSet::readRow(qint64 key) const
{
    if (m_table.isEmpty())
        return m_snapshotRows.at(std::size_t(key));
    const auto cached = m_rowCache.constFind(key);
    if (cached != m_rowCache.constEnd())
        return *cached;
    if (!m_rowQuery) {
        auto query = std::make_unique<QSqlQuery>(m_db);
        query->setForwardOnly(true);
        if (!query->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(m_columns, quotedTable())))
            throw StoreError::fromSql(query->lastError());
        const_cast<RecordSet *>(this)->m_rowQuery = std::move(query);
    }
    m_rowQuery->bindValue(0, key);
    if (!m_rowQuery->exec())
        throw StoreError::fromSql(m_rowQuery->lastError());
    if (!m_rowQuery->next()) {
        // No row is a deleted record; a failed read is the engine's error (a damaged file).
        const QSqlError error = m_rowQuery->lastError();
        m_rowQuery->finish();
        if (error.isValid())
            throw StoreError::fromSql(error, m_db);
        // A damaged page can lose rows without an error: in a file found damaged it is that.
        if (salon::isDamaged(salon::fileOf(m_db)))
            throw StoreError(StoreError::DamagedBook, salon::damagedText(salon::fileOf(m_db)));
        throw StoreError(StoreError::RecordDeleted, QStringLiteral("Record is deleted."));
    }
    QVariantList row;
    row.reserve(int(m_fieldInfo.size()));
    for (int i = 0; i < int(m_fieldInfo.size()); ++i)
        row << fromStore(m_rowQuery->value(i), m_fieldInfo[std::size_t(i)].type);
    m_rowQuery->finish();
    if (m_rowCache.size() >= rowCacheLimit)
        m_rowCache.clear();
    m_rowCache.insert(key, row);
    return row;
}

QVariant RecordSet::fromStore(const QVariant &stored, const QString &type) const
{
    if (stored.isNull())
        return {};
    if (type == QLatin1String("DATETIME")) {
        const QString text = stored.toString();
        if (text.size() == 10) {
            const QDate date = QDate::fromString(text, isoDate);
            if (date.isValid())
                return date;
        }
        const QDateTime dt = QDateTime::fromString(text, isoDateTime);
        if (dt.isValid())
            return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
        return stored;
    }
    if (type.contains(QLatin1String("INT"))) {
        bool ok = false;
        const qlonglong whole = stored.toLongLong(&ok);
        if (ok && stored.typeId() != QMetaType::Double)
            return whole;
        return stored.toDouble();
    }
    if (isNumericType(type)) {
        bool ok = false;
        const double number = stored.toDouble(&ok);
        return ok ? QVariant(number) : stored;
    }
    if (type == QLatin1String("TEXT"))
        return stored.toString();
    return stored;
}

QVariant RecordSet::toStore(const QVariant &value, const Field &field) const
{
    const QString &type = field.type;
    if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
        return QVariant(QMetaType(isNumericType(type) ? QMetaType::Double : QMetaType::QString));
    auto conversionError = [&] {
        return StoreError(StoreError::ConversionError,
                          QStringLiteral("Data type conversion error: '%1' does not fit the field %2.")
                              .arg(value.toString(), field.name));
    };
    auto overflow = [&] {
        return StoreError(StoreError::NumericOverflow, QStringLiteral("Numeric field overflow in the field %1.").arg(field.name));
    };
    if (type == QLatin1String("DATETIME")) {
        const auto dt = dateOf(value);
        if (!dt)
            throw conversionError();
        return dt->time() == QTime(0, 0) ? dt->date().toString(isoDate) : dt->toString(isoDateTime);
    }
    if (isNumericType(type)) {
        const auto number = numberOf(value);
        if (!number)
            throw conversionError();
        if (type == QLatin1String("SMALLINT")) {
            const auto whole = toInt16HalfEven(*number);
            if (!whole)
                throw overflow();
            return qlonglong(*whole);
        }
        if (type.contains(QLatin1String("INT"))) {
            const auto whole = toInt32HalfEven(*number);
            if (!whole)
                throw overflow();
            return qlonglong(*whole);
        }
        if (type == QLatin1String("CURRENCY")) {
            const auto money = Currency::fromDouble(*number);
            if (!money)
                throw overflow();
            return money->toDouble();
        }
        if (type == QLatin1String("SINGLE")) {
            // Kept at single precision, as its shortest decimal text, so 0.07 reads back 0.07.
            const float narrow = float(*number);
            if (!std::isfinite(narrow))
                throw overflow();
            return QString::number(narrow, 'g', 7).toDouble();
        }
        return *number;
    }
    if (value.typeId() == QMetaType::QDate)
        return shortDateText(value.toDate());
    return value.toString();
}

bool RecordSet::isFieldUpdatable(int field) const
{
    return field >= 0 && field < int(m_fieldInfo.size()) && !m_fieldInfo[std::size_t(field)].column.isEmpty();
}

void RecordSet::setValue(const QString &name, const QVariant &value)
{
    ensureOpen();
    const int field = fieldIndex(name);
    if (field < 0)
        throw StoreError(StoreError::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(name));
    if (m_editMode == EditMode::None)
        throw StoreError(StoreError::NotInEditMode, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    if (!isFieldUpdatable(field))
        throw StoreError(StoreError::ReadOnly, QStringLiteral("Field '%1' cannot be updated.").arg(m_fields[field]));
    const Field &info = m_fieldInfo[std::size_t(field)];
    m_buffer[field] = fromStore(toStore(value, info), info.type);
    m_changed[std::size_t(field)] = true;
}

// Editing ----------------------------------------------------------------------------------

QVariant RecordSet::newRowKey() const
{
    // The table's auto-number: the larger of its sequence and its largest key, plus one.
    QSqlQuery query = prepare(QStringLiteral(
        "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?), 0), "
        "coalesce((SELECT max(rowid) FROM %1), 0)) + 1").arg(quotedTable()));
    query.addBindValue(m_table);
    if (!query.exec() || !query.next()) {
        // A table without auto-number has no sqlite_sequence row, and maybe no such table.
        QSqlQuery plain = prepare(QStringLiteral("SELECT coalesce(max(rowid), 0) + 1 FROM %1").arg(quotedTable()));
        if (!plain.exec() || !plain.next())
            throw StoreError::fromSql(plain.lastError());
        return plain.value(0).toLongLong();
    }
    return query.value(0).toLongLong();
}

void RecordSet::addNew()
{
    ensureOpen();
    if (!isUpdatable())
        throw StoreError(StoreError::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    leavingRow();
    discardEdit();
    m_editMode = EditMode::AddNew;
    m_buffer = QVariantList();
    for (std::size_t i = 0; i < m_fieldInfo.size(); ++i)
        m_buffer << QVariant();
    m_changed.assign(m_fieldInfo.size(), false);

    // A table whose key is an INTEGER PRIMARY KEY numbers its rows itself: show that number now.
    QSqlQuery info = prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?) WHERE pk = 1"));
    info.addBindValue(m_table);
    if (info.exec() && info.next() && info.value(1).toString().toUpper() == QLatin1String("INTEGER")) {
        m_newKey = newRowKey();
        const int field = fieldIndex(info.value(0).toString());
        if (field >= 0)
            m_buffer[field] = m_newKey;
    }
}

void RecordSet::edit()
{
    requireCurrent();
    if (!isUpdatable())
        throw StoreError(StoreError::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    m_buffer = currentRow();
    m_changed.assign(m_fieldInfo.size(), false);
    m_editMode = EditMode::Edit;
}

void RecordSet::cancelUpdate()
{
    ensureOpen();
    discardEdit();
}

void RecordSet::update()
{
    ensureOpen();
    if (m_editMode == EditMode::None)
        throw StoreError(StoreError::NotInEditMode, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));

    QStringList columns;
    QVariantList values;
    for (std::size_t i = 0; i < m_fieldInfo.size(); ++i) {
        if (!m_changed[i])
            continue;
        columns << quoted(m_fieldInfo[i].column);
        values << toStore(m_buffer[int(i)], m_fieldInfo[i]);
    }

    if (m_editMode == EditMode::Edit) {
        const qint64 key = m_keys[std::size_t(m_pos)];
        if (!columns.isEmpty()) {
            QStringList sets;
            for (const QString &column : columns)
                sets << column + QStringLiteral(" = ?");
            QSqlQuery query = prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quotedTable(), sets.join(u", ")));
            for (const QVariant &value : values)
                query.addBindValue(value);
            query.addBindValue(key);
            if (!query.exec())
                throw StoreError::fromSql(query.lastError());
            if (query.numRowsAffected() == 0)
                throw StoreError(StoreError::RecordDeleted, QStringLiteral("Record is deleted."));
        }
        m_rowCache.remove(key);
        m_currentKey = -1;
        m_lastModified = key;
        discardEdit();
        emit rowUpdated(m_pos);
        return;
    }

    // Add-new: store the row with the number it was shown with.
    QSqlQuery pk = prepare(QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk = 1 AND upper(type) = 'INTEGER'"));
    pk.addBindValue(m_table);
    if (pk.exec() && pk.next() && m_newKey.isValid()) {
        const QString keyColumn = quoted(pk.value(0).toString());
        const int at = int(std::find_if(columns.begin(), columns.end(),
                                        [&](const QString &c) { return c.compare(keyColumn, Qt::CaseInsensitive) == 0; })
                           - columns.begin());
        if (at == columns.size()) {
            columns << keyColumn;
            values << m_newKey;
        }
    }
    QString sql;
    if (columns.isEmpty()) {
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quotedTable());
    } else {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(quotedTable(), columns.join(u", "), marks.join(u", "));
    }
    QSqlQuery query = prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError());
    const qint64 key = query.lastInsertId().toLongLong();
    m_lastModified = key;
    discardEdit();
    if (m_keysAscending) {
        // New rows join the end of the set, as the store numbers them upwards.
        const bool wasPastEnd = m_pos >= count();
        m_keys.push_back(key);
        if (wasPastEnd && count() > 1)
            m_pos = count();   // stays past the end
        emit rowAppended(count() - 1);
    } else {
        const qint64 current = hasCurrent() ? m_keys[std::size_t(m_pos)] : -1;
        readKeys();
        m_pos = current >= 0 ? positionOf(current) : m_pos;
        emit reset();
    }
}

void RecordSet::remove()
{
    requireCurrent();
    if (!isUpdatable())
        throw StoreError(StoreError::ReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
    discardEdit();
    const qint64 key = m_keys[std::size_t(m_pos)];
    QSqlQuery query = prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quotedTable()));
    query.addBindValue(key);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError());
    m_keys.erase(m_keys.begin() + m_pos);
    m_positionByKey.clear();
    m_rowCache.remove(key);
    m_currentDeleted = true;
    emit rowRemoved(m_pos);
}

// Bookmarks --------------------------------------------------------------------------------

qint64 RecordSet::bookmark() const
{
    requireCurrent();
    return m_keys[std::size_t(m_pos)];
}

qint64 RecordSet::positionOf(qint64 key) const
{
    if (m_keysAscending) {
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
        return it != m_keys.end() && *it == key ? qint64(it - m_keys.begin()) : -1;
    }
    if (m_positionByKey.isEmpty())
        for (std::size_t i = 0; i < m_keys.size(); ++i)
            m_positionByKey.insert(m_keys[i], qint64(i));
    return m_positionByKey.value(key, -1);
}

void RecordSet::moveToBookmark(qint64 bookmark)
{
    ensureOpen();
    const qint64 position = positionOf(bookmark);
    if (position < 0)
        throw StoreError(StoreError::InvalidBookmark, QStringLiteral("Not a valid bookmark."));
    leavingRow();
    discardEdit();
    // Writing the row being left may have re-read the keys.
    m_pos = positionOf(bookmark);
    finishMove();
}

// Finds and seeks --------------------------------------------------------------------------

void RecordSet::find(const QString &criterion, const QVariantList &values, bool forward, qint64 startAfter)
{
    ensureOpen();
    if (m_table.isEmpty())
        throw StoreError(StoreError::NotSupported, QStringLiteral("Operation is not supported for this type of object."));
    QString inner = QStringLiteral("SELECT rowid AS velorine_key, %1 FROM %2").arg(m_columns, quotedTable());
    if (!m_where.isEmpty())
        inner += QStringLiteral(" WHERE ") + m_where;
    const QString outer = QStringLiteral("SELECT velorine_key FROM (%1) WHERE (%2)").arg(inner, criterion);

    qint64 found = -1;
    if (m_keysAscending) {
        // Keys run upwards: ask the store for the nearest match on the wanted side.
        qint64 bound = startAfter;
        for (;;) {
            QString sql = outer;
            const bool bounded = bound >= 0 && bound < count();
            if (bounded)
                sql += forward ? QStringLiteral(" AND velorine_key > ?") : QStringLiteral(" AND velorine_key < ?");
            sql += forward ? QStringLiteral(" ORDER BY velorine_key LIMIT 1") : QStringLiteral(" ORDER BY velorine_key DESC LIMIT 1");
            QSqlQuery query = prepare(sql);
            for (const QVariant &value : values)
                query.addBindValue(value);
            if (bounded)
                query.addBindValue(m_keys[std::size_t(bound)]);
            if (!query.exec())
                throw StoreError::fromSql(query.lastError());
            if (!query.next())
                break;
            const qint64 key = query.value(0).toLongLong();
            const qint64 position = positionOf(key);
            if (position >= 0) {
                found = position;
                break;
            }
            // A row added since the keys were read is not part of this set: look past it.
            bound = forward ? std::upper_bound(m_keys.begin(), m_keys.end(), key) - m_keys.begin() - 1
                            : std::lower_bound(m_keys.begin(), m_keys.end(), key) - m_keys.begin();
            if (bound < 0 || bound >= count())
                break;
        }
    } else {
        QSqlQuery query = prepare(outer);
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            throw StoreError::fromSql(query.lastError());
        QSet<qint64> matches;
        while (query.next())
            matches.insert(query.value(0).toLongLong());
        if (forward) {
            for (qint64 i = startAfter + 1; i < count(); ++i)
                if (matches.contains(m_keys[std::size_t(i)])) { found = i; break; }
        } else {
            for (qint64 i = (startAfter < 0 || startAfter > count() ? count() : startAfter) - 1; i >= 0; --i)
                if (matches.contains(m_keys[std::size_t(i)])) { found = i; break; }
        }
    }
    m_noMatch = found < 0;
    if (!m_noMatch) {
        const qint64 key = m_keys[std::size_t(found)];
        leavingRow();
        discardEdit();
        m_pos = positionOf(key);
        finishMove();
    }
}

void RecordSet::findFirst(const QString &criterion, const QVariantList &values)
{
    find(criterion, values, true, -1);
}

void RecordSet::findLast(const QString &criterion, const QVariantList &values)
{
    find(criterion, values, false, count());
}

void RecordSet::findNext(const QString &criterion, const QVariantList &values)
{
    find(criterion, values, true, m_currentDeleted ? m_pos - 1 : m_pos);
}

void RecordSet::findPrevious(const QString &criterion, const QVariantList &values)
{
    find(criterion, values, false, m_pos < 0 ? -1 : m_pos);
}

void RecordSet::setIndex(const QString &name)
{
    ensureOpen();
    if (!m_isTable)
        throw StoreError(StoreError::NotSupported, QStringLiteral("Operation is not supported for this type of object."));
    // Index names are kept as "<table>.<name>" in the file, as the file shares one index namespace.
    QSqlQuery query = prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ? COLLATE NOCASE "
        "AND (name = ? COLLATE NOCASE OR name = ? COLLATE NOCASE)"));
    query.addBindValue(m_table);
    query.addBindValue(m_table + u'.' + name);
    query.addBindValue(name);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError());
    if (!query.next())
        throw StoreError(StoreError::NotAnIndex, QStringLiteral("'%1' is not an index in this table.").arg(name));
    const QString sqliteName = query.value(0).toString();

    QSqlQuery columns = prepare(QStringLiteral("SELECT name, coll FROM pragma_index_xinfo(?) WHERE key = 1 ORDER BY seqno"));
    columns.addBindValue(sqliteName);
    if (!columns.exec() || !columns.next())
        throw StoreError(StoreError::NotAnIndex, QStringLiteral("'%1' is not an index in this table.").arg(name));
    m_indexName = name;
    m_indexColumn = columns.value(0).toString();
    m_indexNoCase = columns.value(1).toString().compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0;
    m_orderBy = quoted(m_indexColumn) + (m_indexNoCase ? QStringLiteral(" COLLATE NOCASE") : QString())
        + QStringLiteral(", rowid");
    discardEdit();
    readKeys();
    m_pos = count() > 0 ? 0 : -1;
    m_currentDeleted = false;
    emit reset();
    emit currentChanged();
}

void RecordSet::seek(const QVariant &value)
{
    ensureOpen();
    if (!m_isTable)
        throw StoreError(StoreError::NotSupported, QStringLiteral("Operation is not supported for this type of object."));
    if (m_indexColumn.isEmpty())
        throw StoreError(StoreError::NoCurrentIndex, QStringLiteral("Operation invalid without a current index."));
    const QString collate = m_indexNoCase ? QStringLiteral(" COLLATE NOCASE") : QString();
    QSqlQuery query = prepare(QStringLiteral("SELECT rowid FROM %1 WHERE %2 = ?%3 ORDER BY %4 LIMIT 1")
                                  .arg(quotedTable(), quoted(m_indexColumn), collate, m_orderBy));
    query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError());
    const qint64 key = query.next() ? query.value(0).toLongLong() : -1;
    m_noMatch = key < 0 || positionOf(key) < 0;
    if (!m_noMatch) {
        leavingRow();
        discardEdit();
        m_pos = positionOf(key);
        finishMove();
    }
}
