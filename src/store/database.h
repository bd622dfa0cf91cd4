#pragma once
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

// The salon's data folder and its files: Employee.db (the books), idioms.db (the sayings)
// and readme.txt. The first start creates whatever is missing from the schema and seed built
// into the program; every other open refuses to create a file.
namespace salon {

// $VELORINE_HOME when set, else the per-user application data folder.
QString dataFolder();
QString employeeDbPath();
QString idiomsDbPath();
QString readmePath();

// Creates the data folder, readable by the user alone, when it is missing; nothing else.
std::optional<QString> prepareDataFolder();

// Creates the missing files of the data folder, checks the book and brings an older one up to
// date (schemaversion.h), then opens the two program-wide connections.
// A leftover -wal or -shm of a missing file is moved aside (renamed, kept) before the file is
// made, so an old log is never replayed onto a new book.
// Returns a message naming the file and the problem when the folder cannot be used;
// nothing is overwritten or created over a file that exists.
std::optional<QString> open();
// Closes the program-wide connections (screens must have closed their record sets).
void close();
bool isOpen();

// The owner's name and salon as the book holds them, read without writing or creating
// anything; empty when the book cannot be read. For a copy that is about to be refused.
struct OwnerNames
{
    QString name;
    QString company;
};
OwnerNames peekOwnerNames();

// Checks the whole file (the engine's quick check) on a connection of its own, so it may run
// on any thread. Returns nothing when the file is sound, else what the engine found.
std::optional<QString> checkFile(const QString &path);

// A damaged file: every connection to it stops writing (those of this thread now, later ones
// when they open), and the damage listener hears of it once. Call on the interface thread.
void markDamaged(const QString &path, const QString &detail);
bool isDamaged(const QString &path);
// What a store error says about a damaged file.
QString damagedText(const QString &path);
// Told the first time a file is found damaged (a path and what was found).
void setDamageListener(std::function<void(const QString &path, const QString &detail)> listener);
// The file a connection is on.
QString fileOf(const QSqlDatabase &db);

// The program-wide connections.
QSqlDatabase employeeDb();
QSqlDatabase idiomsDb();

// Opens an existing SQLite file read-write without ever creating it, under a connection name
// of its own; WAL journal and full sync. Throws StoreError when it cannot.
QSqlDatabase openExisting(const QString &path, const QString &connectionName);

// A query prepared afresh with `values` bound by position, run forward only. Throws StoreError.
QSqlQuery runQuery(QSqlDatabase db, const QString &sql, const QVariantList &values = {});

// A statement prepared once per connection and kept for work that runs on every sale, run with
// `values` bound by position. A SELECT's caller calls finish() once it has read, so no read stays
// open. A statement whose connection was closed and opened again is prepared afresh.
// Throws StoreError.
QSqlQuery &runPrepared(QSqlDatabase db, const QString &sql, const QVariantList &values = {});

// A short-lived connection to Employee.db, as the searches use; closed when it goes.
class ShortConnection
{
public:
    ShortConnection();
    ~ShortConnection();
    ShortConnection(const ShortConnection &) = delete;
    ShortConnection &operator=(const ShortConnection &) = delete;
    QSqlDatabase db() const;

private:
    QString m_name;
};

// BEGIN IMMEDIATE ... COMMIT around a user action that writes several rows; nests.
// Rolls back when it goes without commit(). An inner one that goes without commit() dooms the
// outer one: its commit() then rolls everything back and throws StoreError. Record sets that
// wrote inside a rolled-back transaction re-read their rows.
class Transaction
{
public:
    explicit Transaction(QSqlDatabase db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    QString m_connection;
    bool m_done = false;
};

// Whether a transaction is open on the connection.
bool inTransaction(const QSqlDatabase &db);
// Inside an open transaction: runs `reread` if that transaction is rolled back, unless `owner`
// has gone by then. Outside one it does nothing.
void onRollback(const QSqlDatabase &db, QObject *owner, std::function<void()> reread);

} // namespace salon
