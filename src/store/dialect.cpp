#include "dialect.h"

#include "storeerror.h"

#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace salon {
namespace {

QHash<QString, BookNames> &namesByConnection()
{
    static QHash<QString, BookNames> names;
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

void BookNames::add(const QString &name)
{
    QStringList &spellings = m_byLowerCase[name.toLower()];
    if (!spellings.contains(name))
        spellings << name;
}

QString BookNames::spelling(const QString &written) const
{
    const auto found = m_byLowerCase.constFind(written.toLower());
    if (found == m_byLowerCase.constEnd())
        return {};
    if (found->contains(written))
        return written;
    // Names are compared without regard to case, as the local file does, unless the book
    // spells two names alike but for case.
    return found->size() == 1 ? found->constFirst() : QString();
}

QString toServerSql(const QString &sql, const BookNames &names)
{
    QString out;
    out.reserve(sql.size() + 32);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        if (c == u'\'') {
            i = copyQuoted(sql, i, out);
        } else if (c == u'[' && !out.isEmpty() && (continuesName(out.back()) || out.back() == u')' || out.back() == u']')) {
            // An array subscript (indkey[0]), not a name.
            out += c;
            ++i;
        } else if (c == u'"' || c == u'[') {
            const qsizetype close = sql.indexOf(c == u'[' ? u']' : u'"', i + 1);
            if (close < 0 || (c == u'"' && close + 1 < sql.size() && sql[close + 1] == u'"')) {
                if (c == u'[') {
                    out += QStringView(sql).mid(i);
                    break;
                }
                i = copyQuoted(sql, i, out);
                continue;
            }
            const QString written = sql.mid(i + 1, close - i - 1);
            const QString known = names.spelling(written);
            out += u'"' + QString(known.isEmpty() ? written : known).replace(u'"', QLatin1String("\"\"")) + u'"';
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
            // A name right before "(" is a function (count(*) beside a column named Count),
            // unless written exactly as the book spells a table or column.
            const bool call = end < sql.size() && sql[end] == u'(';
            QString known = names.spelling(word);
            if (call && known != word)
                known.clear();
            if (!known.isEmpty() && known != known.toLower())
                out += u'"' + known + u'"';
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
    // Tables, views and their columns in both the book's and the desk's schema, from the system
    // catalogs (information_schema is several times slower, and every connection asks).
    if (!query.exec(QStringLiteral(
            "SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE n.nspname IN ('public', 'velorine') AND c.relkind IN ('r', 'v', 'f', 'p') "
            "UNION SELECT a.attname FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
            "JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE n.nspname IN ('public', 'velorine') AND c.relkind IN ('r', 'v', 'f', 'p') "
            "AND a.attnum > 0 AND NOT a.attisdropped")))
        throw StoreError::fromSql(query.lastError(), db);
    BookNames names;
    while (query.next())
        names.add(query.value(0).toString());
    namesByConnection().insert(db.connectionName(), names);
}

void forgetNames(const QString &connectionName)
{
    namesByConnection().remove(connectionName);
}

} // namespace salon
