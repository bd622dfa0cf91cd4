// RecordSet's edit buffer: add-new, edit, update, cancel and delete.
#include "recordset.h"

#include "database.h"

#include <QSqlError>
#include <algorithm>

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
    QSqlQuery info = prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?) WHERE pk = 1"));
    info.addBindValue(m_source.table);
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
            QSqlQuery query = prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quotedTable(), sets.join(u", ")));
            for (const QVariant &value : values)
                query.addBindValue(value);
            query.addBindValue(key);
            if (!query.exec())
                throw StoreError::fromSql(query.lastError(), m_db);
            if (query.numRowsAffected() == 0)
                throw StoreError(StoreError::RecordDeleted, QStringLiteral("Record is deleted."));
        }
        m_rowCache.remove(key);
        m_currentKey = -1;
        m_lastModified = key;
        discardEdit();
        tookPartInTransaction();
        emit rowUpdated(m_pos);
        return;
    }

    // Add-new: store the row with the number it was shown with.
    QSqlQuery pk = prepare(QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk = 1 AND upper(type) = 'INTEGER'"));
    pk.addBindValue(m_source.table);
    if (pk.exec() && pk.next() && m_newKey.isValid()) {
        const QString keyColumn = quotedName(pk.value(0).toString());
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
        throw StoreError::fromSql(query.lastError(), m_db);
    const qint64 key = query.lastInsertId().toLongLong();
    m_lastModified = key;
    discardEdit();
    tookPartInTransaction();
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
        throw StoreError::fromSql(query.lastError(), m_db);
    m_keys.erase(m_keys.begin() + m_pos);
    m_positionByKey.clear();
    m_rowCache.remove(key);
    m_currentDeleted = true;
    tookPartInTransaction();
    emit rowRemoved(m_pos);
}

