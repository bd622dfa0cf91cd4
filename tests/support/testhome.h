#pragma once
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <initializer_list>
#include <utility>

// The books a test binary runs on, read from VELORINE_TEST_BACKEND ("server", else the local
// file), so that one binary covers both. On the server the binary uses the run's throw-away
// cluster that VELORINE_TEST_CLUSTER describes; where there is none it exits with status 77
// (skipped) before any test runs.
enum class Backend { Local, Server };
Backend testBackend();
// For a test of what only the local file has (its bytes, its log, damage on disk), to QSKIP.
bool onServer();

// A throw-away data folder for one test: VELORINE_HOME points at it while it lives, and,
// unless asked otherwise, the salon's files are created and opened in it. On the server it
// also makes a fresh database, reachable as service() through a service file that
// PGSERVICEFILE names while the home lives, and drops the database at the end.
// Open::No leaves the folder (and the empty database) with nothing created or opened.
class TestHome
{
public:
    enum class Open { Yes, No };
    explicit TestHome(Open open = Open::Yes);
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString path() const { return m_dir.path(); }
    // The message the opening gave, empty when it succeeded.
    QString openError() const { return m_openError; }
    // The libpq service naming this home's database; empty on the local back end.
    QString service() const { return m_service; }

private:
    void makeServerDatabase();

    QTemporaryDir m_dir;
    QByteArray m_previousHome;
    QString m_openError;
    QString m_service;
    QString m_database;
    QByteArray m_previousServiceFile;
    bool m_hadServiceFile = false;
};

// A second desk on the server books of the open test home: a connection of its own under
// another desk name, writing as every desk does, in a transaction that tells the other desks
// when it commits. Server only.
class OtherDesk
{
public:
    explicit OtherDesk(const QString &desk = QStringLiteral("desk-b"));
    ~OtherDesk();
    OtherDesk(const OtherDesk &) = delete;
    OtherDesk &operator=(const OtherDesk &) = delete;
    // Runs one statement (written as for the local file) and commits it. Throws StoreError.
    void write(const QString &sql, const QVariantList &values = {});

private:
    QString m_connection;
};

// Tests read dates and numbers in one fixed locale (US English) unless they set another.
void useTestLocale();

// Stores one row in a table of the open salon book, e.g.
// addRow("Customers", {{"CustomerID", 1}, {"FirstName", "Ann"}, {"LastName", "Lee"}}).
void addRow(const QString &table, std::initializer_list<std::pair<QString, QVariant>> fields);
// A customer with a number and a name (a null part stays empty in the book).
void addCustomer(const QVariant &id, const QVariant &firstName, const QVariant &lastName);
// An employee (a technician) with a number and a name.
void addEmployee(const QVariant &id, const QVariant &firstName, const QVariant &lastName);
// Every column of every row a query of the open salon book gives, in order.
QVariantList queryValues(const QString &sql);
// A column of the row a query stands on; numbers a server gives as exact text read as doubles.
QVariant plainValue(const QSqlQuery &query, int column);
// Runs a statement (written as for the local file) on the open salon book, `values` bound by
// position; false when it fails.
bool execSql(const QString &sql, const QVariantList &values = {});
// The rows a table of the open salon book holds.
qint64 rowCount(const QString &table);

// The bytes of a file ("<missing>" when it cannot be read), and writing them.
QByteArray fileContent(const QString &path);
void writeFile(const QString &path, const QByteArray &content);

// Fills the open salon book with `count` customers carrying long notes, so that the book
// spans many pages (about 1 MB for 3,000).
void addManyCustomers(int count);
// Overwrites `length` bytes in the middle of a file, as damage on disk would.
void overwriteMiddle(const QString &path, int length);
