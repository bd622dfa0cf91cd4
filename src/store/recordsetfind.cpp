// RecordSet's finds by criterion, indexes and seeks.
#include "recordset.h"

#include "catalog.h"

#include <QSet>
#include <QSqlError>
#include <algorithm>
#include <optional>

void RecordSet::find(const QString &criterion, const QVariantList &values, bool forward, qint64 startAfter)
{
    ensureOpen();
    if (m_source.table.isEmpty())
        throw StoreError(StoreError::NotSupported, QStringLiteral("Operation is not supported for this type of object."));
    QString inner = QStringLiteral("SELECT rowid AS velorine_key, %1 FROM %2").arg(m_source.columns, quotedTable());
    if (!m_source.where.isEmpty())
        inner += QStringLiteral(" WHERE ") + m_source.where;
    const QString outer = QStringLiteral("SELECT velorine_key FROM (%1) AS found WHERE (%2)").arg(inner, criterion);

    qint64 found = -1;
    if (m_keysAscending) {
        // Keys run upwards: ask the store for the nearest match on the wanted side. A match
        // that is not among this set's keys (added since they were read) moves the bound past
        // itself, so every retry looks strictly further on.
        std::optional<qint64> boundKey;
        if (startAfter >= 0 && startAfter < count())
            boundKey = m_keys[std::size_t(startAfter)];
        for (;;) {
            QString sql = outer;
            if (boundKey)
                sql += forward ? QStringLiteral(" AND velorine_key > ?") : QStringLiteral(" AND velorine_key < ?");
            sql += forward ? QStringLiteral(" ORDER BY velorine_key LIMIT 1") : QStringLiteral(" ORDER BY velorine_key DESC LIMIT 1");
            QSqlQuery query = prepare(sql);
            for (const QVariant &value : m_source.values)
                query.addBindValue(value);
            for (const QVariant &value : values)
                query.addBindValue(value);
            if (boundKey)
                query.addBindValue(*boundKey);
            if (!query.exec())
                throw StoreError::fromSql(query.lastError(), m_db);
            if (!query.next())
                break;
            const qint64 key = query.value(0).toLongLong();
            const qint64 position = positionOf(key);
            if (position >= 0) {
                found = position;
                break;
            }
            boundKey = key;
        }
    } else {
        QSqlQuery query = prepare(outer);
        for (const QVariant &value : m_source.values)
            query.addBindValue(value);
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            throw StoreError::fromSql(query.lastError(), m_db);
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
    throwIfClosed();
    if (!m_source.isTable)
        throw StoreError(StoreError::NotSupported, QStringLiteral("Operation is not supported for this type of object."));
    const std::optional<salon::catalog::Index> index = salon::catalog::index(m_db, m_source.table, name);
    if (!index)
        throw StoreError(StoreError::NotAnIndex, QStringLiteral("'%1' is not an index in this table.").arg(name));
    m_indexName = name;
    m_indexColumn = index->column;
    m_indexNoCase = index->noCase;
    m_orderBy = quotedName(m_indexColumn) + (m_indexNoCase ? QStringLiteral(" COLLATE NOCASE") : QString())
        + QStringLiteral(", rowid");
    startOver();
}

void RecordSet::seek(const QVariant &value)
{
    ensureOpen();
    if (!m_source.isTable)
        throw StoreError(StoreError::NotSupported, QStringLiteral("Operation is not supported for this type of object."));
    if (m_indexColumn.isEmpty())
        throw StoreError(StoreError::NoCurrentIndex, QStringLiteral("Operation invalid without a current index."));
    const QString collate = m_indexNoCase ? QStringLiteral(" COLLATE NOCASE") : QString();
    QSqlQuery query = prepare(QStringLiteral("SELECT rowid FROM %1 WHERE %2 = ?%3 ORDER BY %4 LIMIT 1")
                                  .arg(quotedTable(), quotedName(m_indexColumn), collate, m_orderBy));
    query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError(), m_db);
    const qint64 key = query.next() ? query.value(0).toLongLong() : -1;
    m_noMatch = key < 0 || positionOf(key) < 0;
    if (!m_noMatch) {
        leavingRow();
        discardEdit();
        m_pos = positionOf(key);
        finishMove();
    }
}
