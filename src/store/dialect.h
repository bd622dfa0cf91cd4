#pragma once
#include <QSqlDatabase>
#include <QString>

// The two kinds of books and the one SQL the program writes for both. Statements are written
// for the local file (names plain or in [brackets], SQLite's functions); on a server they are
// turned into PostgreSQL's spelling on their way to the driver, so callers never branch on
// the back end for plain reads and writes.
namespace salon {

// Whether a connection is to the PostgreSQL server rather than the local file.
bool isServer(const QSqlDatabase &db);

// `sql` as the connection's engine reads it: unchanged on the local file; on a server,
// [Name] and the book's mixed-case names in double quotes (PostgreSQL folds plain names to
// lower case) and SQLite's ifnull() as coalesce(). String literals and quoted names are
// left as they stand.
QString sqlFor(const QSqlDatabase &db, const QString &sql);

// Every mixed-case table and column name of the server's books, read once per connection
// when it opens (a name missing here would fold to lower case and not be found).
void learnNames(const QSqlDatabase &db);
// Forgets what learnNames read for a connection that closes.
void forgetNames(const QString &connectionName);

// The translation itself, for a given set of names (what sqlFor does on a server).
QString toServerSql(const QString &sql, const QSet<QString> &names);

} // namespace salon
