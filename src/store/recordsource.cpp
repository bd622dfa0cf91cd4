#include "recordsource.h"

#include "catalog.h"
#include "database_p.h"
#include "dialect.h"
#include "storeerror.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <sqlite3.h>

namespace {

// A table name as written in a source: plain, in brackets or in double quotes.
QString bareName(QString name)
{
    name = name.trimmed();
    if ((name.startsWith(u'[') && name.endsWith(u']')) || (name.startsWith(u'"') && name.endsWith(u'"')))
        name = name.mid(1, name.size() - 2);
    return name;
}

// A "*" on a server stands for the book's columns, without the row number every server
// table carries (the local file hides its rowid the same way).
void spellOutStar(QSqlDatabase db, RecordSource &source)
{
    if (salon::isServer(db) && !source.table.isEmpty() && source.columns == QLatin1String("*"))
        source.columns = salon::catalog::starColumns(db, source.table);
}

} // namespace

QString quotedName(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"';
}

RecordSource RecordSource::parse(QSqlDatabase db, const QString &text, const RecordSource *known)
{
    RecordSource source;
    source.columns = QStringLiteral("*");
    const QString trimmed = text.trimmed();
    auto lookUp = [&](const QString &spelled) {
        source.spelledTable = spelled;
        if (known && !known->table.isEmpty() && known->spelledTable.compare(spelled, Qt::CaseInsensitive) == 0)
            source.table = known->table;
        else
            source.table = salon::catalog::tableNamed(db, spelled);
    };
    if (!trimmed.startsWith(QLatin1String("select"), Qt::CaseInsensitive)) {
        lookUp(bareName(trimmed));
        source.isTable = true;
        spellOutStar(db, source);
        return source;
    }
    static const QRegularExpression oneTable(
        QStringLiteral(R"(^\s*select\s+(.+?)\s+from\s+(\[[^\]]+\]|"[^"]+"|\w+)\s*(?:where\s+(.+?))?\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = oneTable.match(trimmed);
    if (match.hasMatch()) {
        lookUp(bareName(match.captured(2)));
        source.columns = match.captured(1).trimmed();
        source.where = match.captured(3).trimmed();
        spellOutStar(db, source);
    }
    return source;
}

RecordSource RecordSource::select(QSqlDatabase db, const QString &table, const QString &columns,
                                  const QString &condition, const QVariantList &values)
{
    RecordSource source;
    source.spelledTable = bareName(table);
    source.table = salon::catalog::tableNamed(db, source.spelledTable);
    source.columns = columns.trimmed().isEmpty() ? QStringLiteral("*") : columns.trimmed();
    source.where = condition.trimmed();
    source.values = values;
    spellOutStar(db, source);
    return source;
}

QVariant wholeNumberOrNull(const QVariant &value)
{
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    return value.isNull() || !ok ? QVariant() : QVariant(number);
}

QString RecordSource::text() const
{
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns, quotedName(table));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    return sql;
}

std::vector<RecordField> readFields(QSqlDatabase db, const RecordSource &source, const QString &text)
{
    QHash<QString, std::pair<QString, QString>> declared;   // lower-case column -> (name, type)
    if (!source.table.isEmpty())
        for (const salon::catalog::Column &column : salon::catalog::columns(db, source.table))
            declared.insert(column.name.toLower(), {column.name, column.type});
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString sql = source.table.isEmpty()
        ? text
        : QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(source.columns, quotedName(source.table));
    if (!query.prepare(salon::sqlFor(db, sql)) || !query.exec())
        throw StoreError::fromSql(query.lastError(), db);
    std::vector<RecordField> fields;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i) {
        RecordField field;
        field.name = record.fieldName(i);
        const auto column = declared.constFind(field.name.toLower());
        if (column != declared.constEnd()) {
            field.column = column->first;
            field.kind = fieldKindOf(column->second);
        }
        fields.push_back(field);
    }
    return fields;
}

sqlite3 *salon::internal::sqliteHandleOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(handle.constData());
    return nullptr;
}

namespace {

// A statement run straight on SQLite; failures go through the one conversion of SQL errors
// into store errors.
class DirectStatement
{
public:
    DirectStatement(QSqlDatabase db, sqlite3_stmt *statement) : m_db(db), m_statement(statement) {}
    // Prepares `sql`; finalized when it goes.
    DirectStatement(QSqlDatabase db, sqlite3 *connection, const QString &sql) : m_db(db), m_owned(true)
    {
        const QByteArray text = sql.toUtf8();
        const int code = sqlite3_prepare_v2(connection, text.constData(), int(text.size()), &m_statement, nullptr);
        if (code != SQLITE_OK) {
            sqlite3_finalize(m_statement);
            throw failure(code, connection);
        }
    }
    ~DirectStatement()
    {
        if (m_owned)
            sqlite3_finalize(m_statement);
        else
            sqlite3_reset(m_statement);   // ends its read at once, also when a row throws
    }
    DirectStatement(const DirectStatement &) = delete;
    DirectStatement &operator=(const DirectStatement &) = delete;

    sqlite3_stmt *get() const { return m_statement; }
    // The next row: true on a row, false at the end.
    bool step()
    {
        const int code = sqlite3_step(m_statement);
        if (code == SQLITE_ROW)
            return true;
        if (code != SQLITE_DONE)
            throw failure(code, sqlite3_db_handle(m_statement));
        return false;
    }
private:
    StoreError failure(int code, sqlite3 *connection) const
    {
        return StoreError::fromSql(QSqlError(QStringLiteral("Unable to read the rows"),
                                             QString::fromUtf8(sqlite3_errmsg(connection)),
                                             QSqlError::StatementError, QString::number(code)),
                                   m_db);
    }

    QSqlDatabase m_db;
    sqlite3_stmt *m_statement = nullptr;
    bool m_owned = false;
};

// One value bound to a placeholder as QSqlQuery would bind it.
void bindDirect(sqlite3_stmt *statement, int index, const QVariant &value)
{
    if (value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::Bool:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(statement, index, value.toDouble());
        return;
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

} // namespace

QVariant DirectRow::value(int column) const
{
    auto statement = static_cast<sqlite3_stmt *>(m_statement);
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_NULL:
        return {};
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                                 sqlite3_column_bytes(statement, column));
    }
}

qint64 DirectRow::integer(int column) const
{
    return sqlite3_column_int64(static_cast<sqlite3_stmt *>(m_statement), column);
}

bool readRowsDirect(QSqlDatabase db, QSqlQuery &prepared, const QVariantList &values,
                    const std::function<void(const DirectRow &row)> &row)
{
    // The statement stays Qt's (finalized when the connection closes); only running it and
    // turning its columns into values is done here.
    const QVariant handle = prepared.result() ? prepared.result()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0)
        return false;
    sqlite3_stmt *raw = *static_cast<sqlite3_stmt *const *>(handle.constData());
    if (!raw)
        return false;
    sqlite3_reset(raw);
    DirectStatement statement(db, raw);
    for (int i = 0; i < values.size(); ++i)
        bindDirect(raw, i + 1, values[i]);
    const DirectRow current(raw);
    while (statement.step())
        row(current);
    return true;
}

std::vector<qint64> readKeyColumn(QSqlDatabase db, const QString &sql)
{
    std::vector<qint64> keys;
    sqlite3 *connection = salon::internal::sqliteHandleOf(db);
    if (!connection) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.prepare(salon::sqlFor(db, sql)) || !query.exec())
            throw StoreError::fromSql(query.lastError(), db);
        while (query.next())
            keys.push_back(query.value(0).toLongLong());
        if (query.lastError().isValid())
            throw StoreError::fromSql(query.lastError(), db);
        return keys;
    }
    DirectStatement statement(db, connection, sql);
    while (statement.step())
        keys.push_back(sqlite3_column_int64(statement.get(), 0));
    return keys;
}
