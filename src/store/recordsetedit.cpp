// RecordSet's edit buffer: add-new, edit, update, cancel and delete.
#include "recordset.h"

#include "catalog.h"
#include "database.h"
#include "dialect.h"

#include <QSqlError>
#include <algorithm>
#include <optional>

void RecordSet::setValue(const QString &name, const QVariant &value)
{
    ensureOpen();
    const int field = fieldIndex(name);
    if (field < 0)
        throw StoreError(StoreError::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(name));
    if (m_editMode == EditMode::None)
        throw StoreError(StoreError::NotInEditMode, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    if (!isFieldUpdatable(field))
        throw StoreError(StoreError::ReadOnly, QStringLiteral("Field '%1' cannot be updated.").arg(m_fieldNames[field]));
    const RecordField &info = m_fields[std::size_t(field)];
    m_buffer[field] = fromStored(toStored(value, info), info.kind);
    m_changed[std::size_t(field)] = true;
}

QVariant RecordSet::newRowKey() const
{
    // On a server it is handed out again under the desks' write lock when the row is stored.
    if (salon::isServer(m_db))
        return salon::catalog::nextRowNumberOnServer(m_db, m_source.table);
    // The table's auto-number: the larger of its sequence and its largest key, plus one.
    QSqlQuery query = prepare(QStringLiteral(
        "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?), 0), "
        "coalesce((SELECT max(rowid) FROM %1), 0)) + 1").arg(quotedTable()));
    query.addBindValue(m_source.table);
    if (!query.exec() || !query.next()) {
        // A table without auto-number has no sqlite_sequence row, and maybe no such table.
        QSqlQuery plain = prepare(QStringLiteral("SELECT coalesce(max(rowid), 0) + 1 FROM %1").arg(quotedTable()));
        if (!plain.exec() || !plain.next())
            throw StoreError::fromSql(plain.lastError(), m_db);
        return plain.value(0).toLongLong();
    }
    return query.value(0).toLongLong();
}

QString RecordSet::rowNumberingColumn() const
{
    for (const salon::catalog::Column &column : salon::catalog::columns(m_db, m_source.table))
        if (column.numbersRows)
            return column.name;
    return {};
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
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_buffer << QVariant();
    m_changed.assign(m_fields.size(), false);

    // A table whose key is an INTEGER PRIMARY KEY numbers its rows itself: show that number now.
    const QString keyColumn = rowNumberingColumn();
    if (!keyColumn.isEmpty()) {
        m_newKey = newRowKey();
        const int field = fieldIndex(keyColumn);
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
    m_changed.assign(m_fields.size(), false);
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
    // On a server every write runs under the desks' one write lock (a new row's number is
    // the largest plus one, which must not be handed to two desks).
    std::optional<salon::Transaction> locked;
    if (salon::isServer(m_db))
        locked.emplace(m_db);

    QStringList columns;
    QVariantList values;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (!m_changed[i])
            continue;
        columns << quotedName(m_fields[i].column);
        values << toStored(m_buffer[int(i)], m_fields[i]);
    }

    if (m_editMode == EditMode::Edit) {
        const qint64 key = m_keys[std::size_t(m_pos)];
        if (!columns.isEmpty()) {
            QStringList sets;
            for (const QString &column : columns)
                sets << column + QStringLiteral(" = ?");
            const auto version = m_rowVersions.constFind(key);
            const bool checkVersion = salon::isServer(m_db) && version != m_rowVersions.constEnd();
            QSqlQuery query = prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                                          .arg(quotedTable(), sets.join(u", "),
                                               checkVersion ? QStringLiteral(" AND xmin::text = ?") : QString()));
            for (const QVariant &value : values)
                query.addBindValue(value);
            query.addBindValue(key);
            if (checkVersion)
                query.addBindValue(*version);
            if (!query.exec())
                throw StoreError::fromSql(query.lastError(), m_db);
            if (query.numRowsAffected() == 0)
                throwNotUpdated(key);
        }
        m_rowCache.remove(key);
        m_currentKey = -1;
        m_lastModified = key;
        discardEdit();
        tookPartInTransaction();
        if (locked)
            locked->commit();
        emit rowUpdated(m_pos);
        return;
    }

    // Add-new: store the row with the number it was shown with (on a server, the number is
    // taken again under the write lock: another desk may have stored a row meanwhile).
    const QString numbering = rowNumberingColumn();
    if (!numbering.isEmpty() && m_newKey.isValid()) {
        const QString keyColumn = quotedName(numbering);
        const int at = int(std::find_if(columns.begin(), columns.end(),
                                        [&](const QString &c) { return c.compare(keyColumn, Qt::CaseInsensitive) == 0; })
                           - columns.begin());
        if (at == columns.size()) {
            columns << keyColumn;
            values << (locked ? newRowKey() : m_newKey);
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
    // The server tells the new row's number in the statement itself (asking afterwards can
    // end its transaction).
    if (locked)
        sql += QStringLiteral(" RETURNING rowid");
    QSqlQuery query = prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError(), m_db);
    const qint64 key = locked ? (query.next() ? query.value(0).toLongLong() : -1) : query.lastInsertId().toLongLong();
    m_lastModified = key;
    discardEdit();
    tookPartInTransaction();
    if (locked)
        locked->commit();
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
    std::optional<salon::Transaction> locked;
    if (salon::isServer(m_db))
        locked.emplace(m_db);
    QSqlQuery query = prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quotedTable()));
    query.addBindValue(key);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError(), m_db);
    if (locked)
        locked->commit();
    m_keys.erase(m_keys.begin() + m_pos);
    m_positionByKey.clear();
    m_rowCache.remove(key);
    m_currentDeleted = true;
    tookPartInTransaction();
    emit rowRemoved(m_pos);
}


void RecordSet::throwNotUpdated(qint64 key)
{
    // No row changed: gone altogether, or (on a server) changed by another desk since it was read.
    if (salon::isServer(m_db)) {
        QSqlQuery still = prepare(QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?").arg(quotedTable()));
        still.addBindValue(key);
        if (still.exec() && still.next()) {
            m_rowCache.remove(key);
            m_rowVersions.remove(key);
            m_currentKey = -1;
            discardEdit();
            emit rowUpdated(m_pos);
            throw StoreError(StoreError::ChangedElsewhere,
                             QStringLiteral("This record was changed on another desk; its current values are shown. "
                                            "Nothing was stored."));
        }
    }
    throw StoreError(StoreError::RecordDeleted, QStringLiteral("Record is deleted."));
}
