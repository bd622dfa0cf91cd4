#pragma once
#include <QSqlDatabase>
#include <QString>
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

// Creates the missing files of the data folder, then opens the two program-wide connections.
// Returns a message naming the file and the problem when the folder cannot be used;
// nothing is overwritten or created over a file that exists.
std::optional<QString> open();
// Closes the program-wide connections (screens must have closed their record sets).
void close();
bool isOpen();

// The program-wide connections.
QSqlDatabase employeeDb();
QSqlDatabase idiomsDb();

// Opens an existing SQLite file read-write without ever creating it, under a connection name
// of its own; WAL journal and full sync. Throws StoreError when it cannot.
QSqlDatabase openExisting(const QString &path, const QString &connectionName);

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
// Rolls back when it goes without commit().
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

} // namespace salon
