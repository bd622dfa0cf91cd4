#pragma once
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <optional>

// The program-wide connections to the data folder's books, the short-lived ones the searches
// use, and running statements on any of them.
namespace salon {

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

} // namespace salon
