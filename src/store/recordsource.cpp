#include "recordsource.h"

#include "storeerror.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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

QString tableNamed(QSqlDatabase db, const QString &name)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name = ? COLLATE NOCASE")))
        throw StoreError::fromSql(query.lastError(), db);
    query.addBindValue(name);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError(), db);
    const QString found = query.next() ? query.value(0).toString() : QString();
    if (found.isEmpty())
        throw StoreError(StoreError::TableNotFound, QStringLiteral("The table or query '%1' could not be found.").arg(name));
    return found;
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
            source.table = tableNamed(db, spelled);
    };
    if (!trimmed.startsWith(QLatin1String("select"), Qt::CaseInsensitive)) {
        lookUp(bareName(trimmed));
        source.isTable = true;
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
        static const QRegularExpression endsInNumber(QStringLiteral(R"(^(.*=)\s*(-?\d{1,18})$)"),
                                                     QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch number = endsInNumber.match(source.where);
        if (number.hasMatch()) {
            source.whereTemplate = number.captured(1) + QStringLiteral(" ?");
            source.whereValue = number.captured(2).toLongLong();
        }
    }
    return source;
}

std::vector<RecordField> readFields(QSqlDatabase db, const RecordSource &source, const QString &text)
{
    QHash<QString, std::pair<QString, QString>> declared;   // lower-case column -> (name, type)
    if (!source.table.isEmpty()) {
        QSqlQuery info(db);
        info.setForwardOnly(true);
        if (!info.prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?)")))
            throw StoreError::fromSql(info.lastError(), db);
        info.addBindValue(source.table);
        if (!info.exec())
            throw StoreError::fromSql(info.lastError(), db);
        while (info.next())
            declared.insert(info.value(0).toString().toLower(), {info.value(0).toString(), info.value(1).toString()});
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString sql = source.table.isEmpty()
        ? text
        : QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(source.columns, quotedName(source.table));
    if (!query.prepare(sql) || !query.exec())
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

std::vector<qint64> readKeyColumn(QSqlDatabase db, const QString &sql)
{
    std::vector<qint64> keys;
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    sqlite3 *connection = nullptr;
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        connection = *static_cast<sqlite3 *const *>(handle.constData());
    if (!connection) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.prepare(sql) || !query.exec())
            throw StoreError::fromSql(query.lastError(), db);
        while (query.next())
            keys.push_back(query.value(0).toLongLong());
        if (query.lastError().isValid())
            throw StoreError::fromSql(query.lastError(), db);
        return keys;
    }
    // Failures go through the one conversion of SQL errors into store errors.
    auto failure = [&](int code) {
        return StoreError::fromSql(QSqlError(QStringLiteral("Unable to read the rows"),
                                             QString::fromUtf8(sqlite3_errmsg(connection)),
                                             QSqlError::StatementError, QString::number(code)),
                                   db);
    };
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *statement = nullptr;
    int code = sqlite3_prepare_v2(connection, text.constData(), int(text.size()), &statement, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_finalize(statement);
        throw failure(code);
    }
    while ((code = sqlite3_step(statement)) == SQLITE_ROW)
        keys.push_back(sqlite3_column_int64(statement, 0));
    sqlite3_finalize(statement);
    if (code != SQLITE_DONE)
        throw failure(code);
    return keys;
}
