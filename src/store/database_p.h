#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

struct sqlite3;

// What the store's database files share among themselves; nothing outside the store uses it.
namespace salon::internal {

// The file: URI of a path, for the engine's open options.
QString uriOf(const QString &path);
// A read-only connection to the SQLite file at `path` under a name of its own (starting with
// `purpose`), waiting up to 5 s for a writer. A read transaction left open ends with it, and the
// name is released on every path. It does not throw: db().isOpen() says whether it opened.
class ReadOnlyConnection
{
public:
    ReadOnlyConnection(const QString &path, const QString &purpose);
    ~ReadOnlyConnection();
    ReadOnlyConnection(const ReadOnlyConnection &) = delete;
    ReadOnlyConnection &operator=(const ReadOnlyConnection &) = delete;
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

// Runs one statement as it stands, without preparing it: a server cannot prepare BEGIN,
// COMMIT, SET, LISTEN or DDL. Throws StoreError.
void execUnprepared(QSqlDatabase db, const QString &sql);
// Runs one statement with `binds` by position. Throws StoreError.
void execOrThrow(QSqlDatabase db, const QString &sql, const QVariantList &binds = {});
// The SQLite connection under a Qt one, or null when the driver is not SQLite's.
sqlite3 *sqliteHandleOf(const QSqlDatabase &db);
// Makes the connection read-only for the rest of its life.
void stopWriting(QSqlDatabase db);

// A file built into the program (schema, seed, price list), as text. Throws StoreError.
QString resourceText(const QString &name);
// A script split into its statements; "--" lines are comments.
QStringList statements(const QString &script);
// The statements that lay out a new salon book, its tables empty. Throws StoreError.
QStringList bookSchema();
// Stores the starter price list in a new book. Throws StoreError.
void addStarterPriceList(QSqlDatabase db);

// Makes the schema, seed and readme built into the program readable.
void loadBuiltInFiles();
// The first start's files, each made from the copy built into the program. Each returns a
// message naming the file when it cannot be made.
std::optional<QString> createEmployeeBook();
std::optional<QString> createIdiomsBook();
void createReadme();

// A connection to a libpq service as desk `desk`, with the desk's settings made (its name, the
// desk's own view of the ticket first in the search path, money as exact text). Throws StoreError.
QSqlDatabase connectToServer(const QString &service, const QString &desk, const QString &connectionName);
// A connection to a libpq service for the command-line tools, as this desk, closed when it
// goes. With `checkBooks`, books this program cannot use are refused. Throws StoreError.
class ServerConnection
{
public:
    ServerConnection(const QString &service, bool checkBooks);
    ~ServerConnection();
    ServerConnection(const ServerConnection &) = delete;
    ServerConnection &operator=(const ServerConnection &) = delete;
    QSqlDatabase db() const { return m_db; }

private:
    void release();

    QString m_name;
    QSqlDatabase m_db;
};
// Opens again a server connection that the server dropped (an error said so, or it is closed),
// under the same name and as the same desk; true when it did. Outside a transaction only: one in
// progress on a lost connection is gone and must fail as a whole. What was prepared on the old
// connection is let go first (ServerSessions::reopening). Throws StoreError (ServerLost) while
// the server cannot be reached. Does nothing on the local file.
bool reconnectIfLost(QSqlDatabase db);
// Whether an error on the connection said the server was lost, and it was not opened since.
bool isLost(const QSqlDatabase &db);
void markLost(const QString &connectionName);
// Forgets the statements runPrepared keeps for a connection.
void forgetPrepared(const QString &connectionName);

// The version a server's books record, 0 when it holds none.
int serverBookVersion(QSqlDatabase db);
// Refuses books this program cannot use (none, newer, older). Throws StoreError.
void checkServerBooks(QSqlDatabase db, const QString &service);

// Forgets which files were found damaged, as a fresh open or a close does.
void forgetDamage();

} // namespace salon::internal
