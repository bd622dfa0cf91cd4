#include "dialect.h"

#include "storeerror.h"

#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace salon {
namespace {

QHash<QString, QSet<QString>> &namesByConnection()
{
    static QHash<QString, QSet<QString>> names;
    return names;
}

bool startsName(QChar c) { return c.isLetter() || c == u'_'; }
bool continuesName(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

// Copies a quoted stretch that starts at `at` (a string literal or a quoted name), doubled
// quotes included; returns the position after it.
qsizetype copyQuoted(const QString &sql, qsizetype at, QString &out)
{
    const QChar quote = sql[at];
    qsizetype end = at + 1;
    while (end < sql.size()) {
        if (sql[end] == quote) {
            if (end + 1 < sql.size() && sql[end + 1] == quote) {
                end += 2;
                continue;
            }
            ++end;
            break;
        }
        ++end;
    }
    out += QStringView(sql).mid(at, end - at);
    return end;
}

} // namespace

bool isServer(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

QString toServerSql(const QString &sql, const QSet<QString> &names)
{
    QString out;
    out.reserve(sql.size() + 32);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            i = copyQuoted(sql, i, out);
        } else if (c == u'[') {
            const qsizetype close = sql.indexOf(u']', i + 1);
            if (close < 0) {
                out += QStringView(sql).mid(i);
                break;
            }
            out += u'"' + sql.mid(i + 1, close - i - 1).replace(u'"', QLatin1String("\"\"")) + u'"';
            i = close + 1;
        } else if (c == u'-' && i + 1 < sql.size() && sql[i + 1] == u'-') {
            const qsizetype end = sql.indexOf(u'\n', i);
            out += QStringView(sql).mid(i, end < 0 ? sql.size() - i : end - i);
            i = end < 0 ? sql.size() : end;
        } else if (c.isDigit()) {
            // A number, or a name that starts with digits ("50ByMonth") written bare.
            qsizetype end = i;
            while (end < sql.size() && (continuesName(sql[end]) || sql[end] == u'.'))
                ++end;
            out += QStringView(sql).mid(i, end - i);
            i = end;
        } else if (startsName(c)) {
            qsizetype end = i + 1;
            while (end < sql.size() && continuesName(sql[end]))
                ++end;
            const QString word = sql.mid(i, end - i);
            if (names.contains(word))
                out += u'"' + word + u'"';
            else if (word.compare(QLatin1String("ifnull"), Qt::CaseInsensitive) == 0)
                out += QLatin1String("coalesce");
            else
                out += word;
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString sqlFor(const QSqlDatabase &db, const QString &sql)
{
    if (!isServer(db))
        return sql;
    return toServerSql(sql, namesByConnection().value(db.connectionName()));
}

void learnNames(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    // Tables, views and their columns in both the book's and the desk's schema; a name the
    // server would fold to something else needs its quotes.
    if (!query.exec(QStringLiteral(
            "SELECT table_name FROM information_schema.tables WHERE table_schema IN ('public', 'velorine') "
            "UNION SELECT column_name FROM information_schema.columns WHERE table_schema IN ('public', 'velorine')")))
        throw StoreError::fromSql(query.lastError(), db);
    QSet<QString> names;
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (name != name.toLower())
            names.insert(name);
    }
    namesByConnection().insert(db.connectionName(), names);
}

void forgetNames(const QString &connectionName)
{
    namesByConnection().remove(connectionName);
}

} // namespace salon
