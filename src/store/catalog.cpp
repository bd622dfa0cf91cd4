#include "catalog.h"

#include "connections.h"
#include "dialect.h"
#include "recordsource.h"
#include "storeerror.h"

#include <QSqlQuery>

namespace salon::catalog {
namespace {

// A server column's type as the local file declares it: the book's domains carry the names.
QString declaredType(const QString &domain, const QString &dataType)
{
    if (!domain.isEmpty())
        return domain.toUpper();
    if (dataType == QLatin1String("integer") || dataType == QLatin1String("bigint"))
        return QStringLiteral("INTEGER");
    if (dataType == QLatin1String("double precision"))
        return QStringLiteral("DOUBLE");
    if (dataType == QLatin1String("real"))
        return QStringLiteral("SINGLE");
    // The appointment book's wall-clock times.
    if (dataType == QLatin1String("timestamp without time zone"))
        return QStringLiteral("TIMESTAMP");
    return dataType.toUpper();
}

} // namespace

QString tableNamed(QSqlDatabase db, const QString &name)
{
    const QString sql = isServer(db)
        ? QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = 'public' "
                         "AND lower(table_name) = lower(?)")
        : QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name = ? COLLATE NOCASE");
    QSqlQuery query = runQuery(db, sql, {name});
    const QString found = query.next() ? query.value(0).toString() : QString();
    if (found.isEmpty())
        throw StoreError(StoreError::TableNotFound, QStringLiteral("The table or query '%1' could not be found.").arg(name));
    return found;
}

QStringList tables(QSqlDatabase db)
{
    const QString sql = isServer(db)
        ? QStringLiteral("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                         "WHERE n.nspname = 'public' AND c.relkind = 'r' ORDER BY c.oid")
        : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                         "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    QSqlQuery query = runQuery(db, sql);
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

std::vector<Column> columns(QSqlDatabase db, const QString &table)
{
    std::vector<Column> found;
    if (isServer(db)) {
        // The column a row number is generated from is the key that numbers the rows. Read from
        // the system catalogs: information_schema takes tens of milliseconds per table, and
        // every record set asks on opening.
        QSqlQuery query = runQuery(db, QStringLiteral(
            "SELECT a.attname, CASE WHEN t.typtype = 'd' THEN t.typname ELSE '' END, "
            "  format_type(CASE WHEN t.typtype = 'd' THEN t.typbasetype ELSE a.atttypid END, NULL), "
            "  EXISTS (SELECT 1 FROM pg_attribute r JOIN pg_attrdef d ON d.adrelid = r.attrelid AND d.adnum = r.attnum "
            "          WHERE r.attrelid = c.oid AND r.attname = 'rowid' AND r.attgenerated = 's' "
            "          AND pg_get_expr(d.adbin, d.adrelid) = '\"' || a.attname || '\"') "
            "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace AND n.nspname = 'public' "
            "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
            "JOIN pg_type t ON t.oid = a.atttypid "
            "WHERE c.relname = ? AND c.relkind IN ('r', 'v', 'p') AND a.attname <> 'rowid' ORDER BY a.attnum"), {table});
        while (query.next())
            found.push_back({query.value(0).toString(), declaredType(query.value(1).toString(), query.value(2).toString()),
                             query.value(3).toBool()});
        return found;
    }
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"), {table});
    while (query.next()) {
        const QString type = query.value(1).toString().toUpper();
        found.push_back({query.value(0).toString(), type, query.value(2).toInt() == 1 && type == QLatin1String("INTEGER")});
    }
    // Only a lone INTEGER PRIMARY KEY is the row's number.
    int keys = 0;
    QSqlQuery pk = runQuery(db, QStringLiteral("SELECT count(*) FROM pragma_table_info(?) WHERE pk > 0"), {table});
    if (pk.next())
        keys = pk.value(0).toInt();
    if (keys != 1)
        for (Column &column : found)
            column.numbersRows = false;
    return found;
}

QString starColumns(QSqlDatabase db, const QString &table)
{
    QStringList names;
    for (const Column &column : columns(db, table))
        names << quotedName(column.name);
    return names.join(u',');
}

qint64 nextRowNumberOnServer(QSqlDatabase db, const QString &table)
{
    QSqlQuery &query = runPrepared(db, QStringLiteral(
        "SELECT greatest(coalesce((SELECT highest FROM velorine.\"Highest Numbers\" WHERE table_name = ?), 0), "
        "coalesce((SELECT max(rowid) FROM %1), 0)) + 1").arg(quotedName(table)), {table});
    if (!query.next())
        throw StoreError::fromSql(query.lastError(), db);
    const qint64 next = query.value(0).toLongLong();
    query.finish();
    return next;
}

std::optional<Index> index(QSqlDatabase db, const QString &table, const QString &name)
{
    if (isServer(db)) {
        QSqlQuery query = runQuery(db, QStringLiteral(
            "SELECT coalesce(a.attname, ''), coalesce(co.collname, '') "
            "FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid JOIN pg_class t ON t.oid = x.indrelid "
            "JOIN pg_namespace n ON n.oid = t.relnamespace AND n.nspname = 'public' "
            "LEFT JOIN pg_attribute a ON a.attrelid = t.oid AND a.attnum = x.indkey[0] "
            "LEFT JOIN pg_collation co ON co.oid = x.indcollation[0] "
            "WHERE lower(t.relname) = lower(?) AND (lower(i.relname) = lower(?) OR lower(i.relname) = lower(?))"),
            {table, table + u'.' + name, name});
        if (!query.next())
            return std::nullopt;
        return Index{query.value(0).toString(), query.value(1).toString() == QLatin1String("nocase")};
    }
    // Index names are kept as "<table>.<name>" in the file, as the file shares one index namespace.
    QSqlQuery query = runQuery(db, QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ? COLLATE NOCASE "
        "AND (name = ? COLLATE NOCASE OR name = ? COLLATE NOCASE)"), {table, table + u'.' + name, name});
    if (!query.next())
        return std::nullopt;
    QSqlQuery columns = runQuery(db, QStringLiteral(
        "SELECT name, coll FROM pragma_index_xinfo(?) WHERE key = 1 ORDER BY seqno"), {query.value(0).toString()});
    if (!columns.next())
        return std::nullopt;
    return Index{columns.value(0).toString(),
                 columns.value(1).toString().compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0};
}

} // namespace salon::catalog
