#pragma once
#include <QSqlDatabase>
#include <QHash>
#include <QString>
#include <QStringList>

// The two kinds of books and the one SQL the program writes for both. Statements are written
// for the local file (names plain or in [brackets], SQLite's functions); on a server they are
// turned into PostgreSQL's spelling on their way to the driver, so callers never branch on
// the back end for plain reads and writes.
namespace salon {

// Whether a connection is to the PostgreSQL server rather than the local file.
bool isServer(const QSqlDatabase &db);

// `sql` as the connection's engine reads it: unchanged on the local file; on a server, the
// book's names (plain, [bracketed] or quoted, in any case, as the local file allows) in double
// quotes and the book's own spelling (PostgreSQL folds plain names to lower case and compares
// quoted ones exactly), and SQLite's ifnull() as coalesce(). String literals stay as they are.
QString sqlFor(const QSqlDatabase &db, const QString &sql);

// Every mixed-case table and column name of the server's books, read once per connection
// when it opens (a name missing here would fold to lower case and not be found).
void learnNames(const QSqlDatabase &db);
// Forgets what learnNames read for a connection that closes.
void forgetNames(const QString &connectionName);

// The table and column names of a server's books.
class BookNames
{
public:
    void add(const QString &name);
    // The book's spelling of a name written in any case; empty when the book has no such
    // name, or spells two alike but for case and `written` is neither.
    QString spelling(const QString &written) const;

private:
    QHash<QString, QStringList> m_byLowerCase;
};

// The translation itself, for given names (what sqlFor does on a server).
QString toServerSql(const QString &sql, const BookNames &names);

} // namespace salon
