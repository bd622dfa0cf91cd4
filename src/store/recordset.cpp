// RecordSet: opening a source, its keys and rows, moves and bookmarks.
#include "recordset.h"

#include "currency.h"
#include "database.h"
#include "database_p.h"
#include "serverbook.h"

#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <optional>

namespace {

constexpr int rowCacheLimit = 4096;
constexpr std::size_t prefetchLimit = 64;

} // namespace

LeavingRowHook::LeavingRowHook(LeavingRowHook &&other) noexcept : m_records(other.m_records), m_id(other.m_id)
{
    other.m_records = nullptr;
}

LeavingRowHook &LeavingRowHook::operator=(LeavingRowHook &&other) noexcept
{
    if (this != &other) {
        release();
        m_records = other.m_records;
        m_id = other.m_id;
        other.m_records = nullptr;
    }
    return *this;
}

void LeavingRowHook::release()
{
    if (m_records) {
        auto &hooks = m_records->m_leavingHooks;
        hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [this](const auto &hook) { return hook.first == m_id; }),
                    hooks.end());
    }
    m_records = nullptr;
}

RecordSet::RecordSet(QSqlDatabase db, const QString &source, QObject *parent)
    : QObject(parent), m_db(db), m_sourceText(source)
{
    registerCurrencyType();
    if (!m_db.isOpen())
        throw StoreError(StoreError::ObjectClosed, QStringLiteral("The database is not open."));
    m_source = RecordSource::parse(m_db, m_sourceText);
    useFields(readFields(m_db, m_source, m_sourceText));
    m_open = true;
    followReconnects();
    // The keys are read at the first use.
}

RecordSet::RecordSet(QSqlDatabase db, RecordSource source, QObject *parent)
    : QObject(parent), m_db(db), m_sourceText(source.text()), m_source(std::move(source))
{
    registerCurrencyType();
    if (!m_db.isOpen())
        throw StoreError(StoreError::ObjectClosed, QStringLiteral("The database is not open."));
    useFields(readFields(m_db, m_source, m_sourceText));
    m_open = true;
    followReconnects();
}

RecordSet::~RecordSet() = default;

void RecordSet::followReconnects()
{
    // The statements kept prepared die with a connection the server dropped.
    if (salon::isServer(m_db))
        connect(&salon::ServerSessions::instance(), &salon::ServerSessions::reopening, this, [this](const QString &name) {
            if (name == m_db.connectionName()) {
                m_rowQuery.reset();
                m_followQuery.reset();
            }
        });
}

void RecordSet::throwIfClosed() const
{
    if (!m_open)
        throw StoreError(StoreError::ObjectClosed, QStringLiteral("Object invalid or no longer set."));
}

void RecordSet::ensureOpen() const
{
    throwIfClosed();
    ensureKeys();
}

void RecordSet::ensureKeys() const
{
    if (!m_open || m_keysRead)
        return;
    auto self = const_cast<RecordSet *>(this);
    self->readKeys();
    self->m_pos = m_keys.empty() ? -1 : 0;
}

qint64 RecordSet::count() const
{
    ensureKeys();
    return qint64(m_keys.size());
}

bool RecordSet::bof() const
{
    return m_pos < 0 || count() == 0;
}

bool RecordSet::eof() const
{
    ensureKeys();
    return m_pos >= count() || count() == 0;
}

bool RecordSet::hasCurrent() const
{
    ensureKeys();
    return !m_currentDeleted && m_pos >= 0 && m_pos < count();
}

QSqlQuery RecordSet::prepare(const QString &sql) const
{
    salon::internal::reconnectIfLost(m_db);
    QSqlQuery query(m_db);
    query.setForwardOnly(!salon::isServer(m_db));
    if (!query.prepare(salon::sqlFor(m_db, sql)))
        throw StoreError::fromSql(query.lastError(), m_db);
    return query;
}

void RecordSet::useFields(std::vector<RecordField> fields)
{
    m_fields = std::move(fields);
    m_fieldNames.clear();
    m_fieldByName.clear();
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_fieldNames << m_fields[i].name;
        m_fieldByName.insert(m_fields[i].name.toLower(), int(i));
    }
    m_rowQuery.reset();
    m_followQuery.reset();
}

// The keys of a source without a condition, in order.
QString RecordSet::rowColumns() const
{
    return salon::isServer(m_db) ? m_source.columns + QStringLiteral(", xmin::text") : m_source.columns;
}

void RecordSet::keepVersion(qint64 key, const QSqlQuery &query, int column) const
{
    if (salon::isServer(m_db))
        m_rowVersions.insert(key, query.value(column).toString());
}

QString RecordSet::keySql() const
{
    return QStringLiteral("SELECT rowid FROM %1 ORDER BY %2").arg(quotedTable(), m_orderBy);
}

void RecordSet::readKeys()
{
    salon::internal::reconnectIfLost(m_db);
    m_keys.clear();
    m_positionByKey.clear();
    m_rowCache.clear();
    m_currentKey = -1;
    m_keysRead = true;
    m_keysAscending = m_orderBy == QLatin1String("rowid");
    tookPartInTransaction();
    if (m_source.table.isEmpty()) {
        // A snapshot keeps its rows; the row number is the key.
        m_snapshotRows.clear();
        QSqlQuery query = prepare(m_sourceText);
        if (!query.exec())
            throw StoreError::fromSql(query.lastError(), m_db);
        const int columns = query.record().count();
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < columns; ++i)
                row << query.value(i);
            m_snapshotRows.push_back(row);
        }
        m_keys.resize(m_snapshotRows.size());
        for (std::size_t i = 0; i < m_keys.size(); ++i)
            m_keys[i] = qint64(i);
        return;
    }
    if (!m_source.where.isEmpty()) {
        // A condition picks few rows (one customer's visits, one employee's payroll): read
        // them with their keys in one pass, on one prepared query whatever values are bound.
        const QString sql = QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3 ORDER BY %4")
                                .arg(rowColumns(), quotedTable(), m_source.where, m_orderBy);
        if (!m_followQuery || m_followSql != sql) {
            m_followQuery = std::make_unique<QSqlQuery>(prepare(sql));
            m_followSql = sql;
        }
        if (readKeysAndRowsDirect(*m_followQuery, m_source.values))
            return;
        for (int i = 0; i < m_source.values.size(); ++i)
            m_followQuery->bindValue(i, m_source.values[i]);
        readKeysAndRows(*m_followQuery);
        return;
    }
    m_keys = readKeyColumn(m_db, keySql());
    if (!m_keys.empty() && m_keys.size() <= prefetchLimit)
        readKeysAndRows(keySql());   // a small table: its rows in one more query
}

void RecordSet::readKeysAndRows(const QString &keySql)
{
    QString sql = keySql;
    sql.replace(0, int(QStringLiteral("SELECT rowid").size()), QStringLiteral("SELECT rowid, ") + rowColumns());
    QSqlQuery query = prepare(sql);
    readKeysAndRows(query);
}

void RecordSet::readKeysAndRows(QSqlQuery &query)
{
    if (!query.exec())
        throw StoreError::fromSql(query.lastError(), m_db);
    m_keys.clear();
    const int fields = int(m_fields.size());
    while (query.next()) {
        const qint64 key = query.value(0).toLongLong();
        m_keys.push_back(key);
        if (m_keys.size() > prefetchLimit)
            continue;   // the rest are read when shown
        QVariantList row;
        row.reserve(fields);
        for (int i = 0; i < fields; ++i)
            row << fromStored(query.value(i + 1), m_fields[std::size_t(i)].kind);
        m_rowCache.insert(key, row);
        keepVersion(key, query, fields + 1);
    }
    if (query.lastError().isValid())
        throw StoreError::fromSql(query.lastError(), m_db);
    query.finish();
    useFirstRowAsCurrent();
}

bool RecordSet::readKeysAndRowsDirect(QSqlQuery &prepared, const QVariantList &bound)
{
    m_keys.clear();
    const int fields = int(m_fields.size());
    const bool read = readRowsDirect(m_db, prepared, bound, [&](const DirectRow &values) {
        const qint64 key = values.integer(0);
        m_keys.push_back(key);
        if (m_keys.size() > prefetchLimit)
            return;   // the rest are read when shown
        QVariantList row;
        row.reserve(fields);
        for (int i = 0; i < fields; ++i)
            row << fromStored(values.value(i + 1), m_fields[std::size_t(i)].kind);
        m_rowCache.insert(key, row);
    });
    if (read)
        useFirstRowAsCurrent();
    return read;
}

void RecordSet::useFirstRowAsCurrent()
{
    // Just read: good as the first row's current values too.
    if (m_keys.empty())
        return;
    const auto first = m_rowCache.constFind(m_keys.front());
    if (first != m_rowCache.constEnd()) {
        m_currentKey = m_keys.front();
        m_currentValues = *first;
    }
}

void RecordSet::startOver()
{
    discardEdit();
    readKeys();
    m_pos = count() > 0 ? 0 : -1;
    m_currentDeleted = false;
    emit reset();
    emit currentChanged();
}

void RecordSet::requery()
{
    throwIfClosed();
    startOver();
}

void RecordSet::setSource(const QString &source)
{
    throwIfClosed();
    RecordSource parsed = RecordSource::parse(m_db, source, &m_source);
    // A new condition over the same table and columns keeps the fields it has.
    if (!parsed.sameRowsAs(m_source))
        useFields(readFields(m_db, parsed, source));
    m_source = std::move(parsed);
    m_sourceText = source;
    startOver();
}

void RecordSet::setSource(RecordSource source)
{
    throwIfClosed();
    const QString text = source.text();
    if (!source.sameRowsAs(m_source))
        useFields(readFields(m_db, source, text));
    m_source = std::move(source);
    m_sourceText = text;
    startOver();
}

void RecordSet::repoint(const QVariantList &values)
{
    throwIfClosed();
    m_source.values = values;
    startOver();
}

void RecordSet::close()
{
    discardEdit();
    m_rowQuery.reset();
    m_followQuery.reset();
    m_keys.clear();
    m_rowCache.clear();
    m_open = false;
}

void RecordSet::tookPartInTransaction()
{
    if (salon::inTransaction(m_db))
        salon::onRollback(m_db, this, [this] { rereadAfterRollback(); });
}

void RecordSet::reread()
{
    if (!m_open || !m_keysRead || m_editMode != EditMode::None)
        return;
    rereadAfterRollback();
}

void RecordSet::rereadAfterRollback()
{
    // What the set wrote or read inside the transaction is gone from the file: read the rows
    // again, staying on the same row where it still exists.
    if (!m_open)
        return;
    discardEdit();
    const qint64 current = m_keysRead && m_pos >= 0 && m_pos < qint64(m_keys.size()) && !m_currentDeleted
        ? m_keys[std::size_t(m_pos)] : -1;
    const qint64 previous = m_pos;
    // A connection the server dropped is opened again at the next action, which reads the rows.
    if (salon::internal::isLost(m_db)) {
        m_keysRead = false;
        m_rowCache.clear();
        m_currentKey = -1;
        return;
    }
    try {
        readKeys();
    } catch (const StoreError &) {
        m_keysRead = false;   // read at the next use
        throw;
    }
    qint64 position = current >= 0 ? positionOf(current) : -1;
    if (position < 0 && !m_keys.empty())
        position = std::clamp<qint64>(previous, 0, count() - 1);
    m_pos = position;
    m_currentDeleted = false;
    if (m_lastModified >= 0 && positionOf(m_lastModified) < 0)
        m_lastModified = -1;
    emit reset();
    emit currentChanged();
}

// Moves ------------------------------------------------------------------------------------

LeavingRowHook RecordSet::onLeavingRow(std::function<void()> hook)
{
    m_leavingHooks.emplace_back(++m_lastHookId, std::move(hook));
    return LeavingRowHook(this, m_lastHookId);
}

void RecordSet::leavingRow()
{
    // A listener may go while others run: call only those still registered.
    std::vector<int> ids;
    for (const auto &hook : m_leavingHooks)
        ids.push_back(hook.first);
    for (int id : ids) {
        const auto it = std::find_if(m_leavingHooks.begin(), m_leavingHooks.end(),
                                     [id](const auto &hook) { return hook.first == id; });
        if (it != m_leavingHooks.end()) {
            const std::function<void()> hook = it->second;
            hook();
        }
    }
}

void RecordSet::discardEdit()
{
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_changed.clear();
    m_newKey.clear();
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

// Fields and rows --------------------------------------------------------------------------

int RecordSet::fieldIndex(const QString &name) const
{
    return m_fieldByName.value(name.toLower(), -1);
}

FieldKind RecordSet::fieldKind(int field) const
{
    return field >= 0 && field < int(m_fields.size()) ? m_fields[std::size_t(field)].kind : FieldKind::Other;
}

bool RecordSet::isFieldUpdatable(int field) const
{
    return field >= 0 && field < int(m_fields.size()) && !m_fields[std::size_t(field)].column.isEmpty();
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
    if (field < 0 || field >= int(m_fields.size()))
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

void RecordSet::refreshRow(qint64 key)
{
    ensureOpen();
    m_rowCache.remove(key);
    if (m_currentKey == key)
        m_currentKey = -1;
    const qint64 position = positionOf(key);
    if (position >= 0)
        emit rowUpdated(position);
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
    if (m_source.table.isEmpty())
        return m_snapshotRows.at(std::size_t(key));
    const auto cached = m_rowCache.constFind(key);
    if (cached != m_rowCache.constEnd())
        return *cached;
    const auto keep = [this, key](QVariantList row) {
        if (m_rowCache.size() >= rowCacheLimit)
            m_rowCache.clear();
        m_rowCache.insert(key, row);
        return row;
    };
    salon::internal::reconnectIfLost(m_db);
    if (!m_rowQuery) {
        const_cast<RecordSet *>(this)->m_rowQuery = std::make_unique<QSqlQuery>(
            prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(rowColumns(), quotedTable())));
    }
    std::optional<QVariantList> found;
    const bool direct = readRowsDirect(m_db, *m_rowQuery, {key}, [&](const DirectRow &values) {
        QVariantList row;
        row.reserve(int(m_fields.size()));
        for (int i = 0; i < int(m_fields.size()); ++i)
            row << fromStored(values.value(i), m_fields[std::size_t(i)].kind);
        found = std::move(row);
    });
    if (direct) {
        if (!found)
            throwNoRow();
        return keep(*found);
    }
    m_rowQuery->bindValue(0, key);
    if (!m_rowQuery->exec())
        throw StoreError::fromSql(m_rowQuery->lastError(), m_db);
    if (!m_rowQuery->next()) {
        // No row is a deleted record; a failed read is the engine's error (a damaged file).
        const QSqlError error = m_rowQuery->lastError();
        m_rowQuery->finish();
        if (error.isValid())
            throw StoreError::fromSql(error, m_db);
        throwNoRow();
    }
    QVariantList row;
    row.reserve(int(m_fields.size()));
    for (int i = 0; i < int(m_fields.size()); ++i)
        row << fromStored(m_rowQuery->value(i), m_fields[std::size_t(i)].kind);
    keepVersion(key, *m_rowQuery, int(m_fields.size()));
    m_rowQuery->finish();
    return keep(row);
}

void RecordSet::throwNoRow() const
{
    // A damaged page can lose rows without an error: in a file found damaged it is that.
    if (salon::isDamaged(salon::fileOf(m_db)))
        throw StoreError(StoreError::DamagedBook, salon::damagedText(salon::fileOf(m_db)));
    throw StoreError(StoreError::RecordDeleted, QStringLiteral("Record is deleted."));
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
