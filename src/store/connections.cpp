// Connections and statements: opening the books for the program's use, the short-lived
// connections of the searches, and running queries and kept prepared statements on them.
#include "connections.h"

#include "damage.h"
#include "database_p.h"
#include "datafolder.h"
#include "dialect.h"
#include "otherdesks.h"
#include "schemaversion.h"
#include "serverbook.h"
#include "storeerror.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>
#include <map>
#include <memory>

namespace salon {

namespace internal {

QString uriOf(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

void execOrThrow(QSqlDatabase db, const QString &sql, const QVariantList &binds)
{
    QSqlQuery query(db);
    if (!query.prepare(sqlFor(db, sql)))
        throw StoreError::fromSql(query.lastError());
    for (const QVariant &value : binds)
        query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError());
}

ReadOnlyConnection::ReadOnlyConnection(const QString &path, const QString &purpose)
    : m_name(purpose + u'-' + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(uriOf(path) + QStringLiteral("?mode=ro"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    db.open();
}

ReadOnlyConnection::~ReadOnlyConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) {
            // Ends a read transaction if one is open; nothing was written to undo.
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_name);
}

void execUnprepared(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw StoreError::fromSql(query.lastError(), db);
}

void stopWriting(QSqlDatabase db)
{
    QSqlQuery(db).exec(QStringLiteral("PRAGMA query_only = 1"));
}

} // namespace internal

namespace {

using internal::execOrThrow;
using internal::uriOf;

const QString employeeConnection = QStringLiteral("salon");
const QString idiomsConnection = QStringLiteral("idioms");

void setPragmas(QSqlDatabase db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        throw StoreError::fromSql(query.lastError());
    if (!query.next())
        throw StoreError(StoreError::NotADatabase, QStringLiteral("The file cannot be opened as a database."));
    execOrThrow(db, QStringLiteral("PRAGMA synchronous=FULL"));
}

// Opens an existing file without changing a byte of it: read-write, never created.
QSqlDatabase openUnchanged(const QString &path, const QString &connectionName)
{
    if (!QFileInfo(path).isFile())
        throw StoreError(StoreError::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    // mode=rw: a file that went missing is reported, never silently replaced by an empty one.
    db.setDatabaseName(uriOf(path) + QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        throw StoreError::fromSql(db.lastError(), db);
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        throw StoreError::fromSql(probe.lastError(), db);
    return db;
}

// Whether the file is there for reading and writing, said in the user's words when it is not.
std::optional<QString> checkUsable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return QStringLiteral("The file %1 is not a file Velorine can open.").arg(path);
    if (!info.isReadable())
        return QStringLiteral("The file %1 cannot be read: permission denied.").arg(path);
    if (!info.isWritable())
        return QStringLiteral("The file %1 is read-only; Velorine must be able to write to it.").arg(path);
    return std::nullopt;
}

// Opens a file that was checked (and brought up to date) for the program's use.
std::optional<QString> openFile(const QString &path, const QString &connection)
{
    if (auto problem = checkUsable(path))
        return problem;
    try {
        setPragmas(openUnchanged(path, connection));
    } catch (const StoreError &error) {
        if (QSqlDatabase::contains(connection)) {
            QSqlDatabase::database(connection, false).close();
            QSqlDatabase::removeDatabase(connection);
        }
        if (error.number() == StoreError::NotADatabase || error.number() == StoreError::DamagedBook)
            return QStringLiteral("The file %1 is damaged or is not a Velorine database.").arg(path);
        return QStringLiteral("The file %1 cannot be opened: %2").arg(path, error.text());
    }
    return std::nullopt;
}

} // namespace

QSqlDatabase openExisting(const QString &path, const QString &connectionName)
{
    try {
        QSqlDatabase db = openUnchanged(path, connectionName);
        setPragmas(db);
        if (isDamaged(path))
            internal::stopWriting(db);
        return db;
    } catch (const StoreError &) {
        // The handle above is gone by now, so the name can be released cleanly.
        if (QSqlDatabase::contains(connectionName)) {
            QSqlDatabase::database(connectionName, false).close();
            QSqlDatabase::removeDatabase(connectionName);
        }
        throw;
    }
}

namespace {

// A server desk: the books on the server, the sayings and the readme in the data folder.
std::optional<QString> openOnServer(const BookChoice &choice)
{
    try {
        QSqlDatabase db = openServer(choice.service, choice.desk, employeeConnection);
        // Two desks under one name would share one ticket.
        QSqlQuery others = runQuery(db, QStringLiteral(
            "SELECT count(*) FROM pg_stat_activity WHERE application_name = ? AND pid <> pg_backend_pid() "
            "AND datname = current_database()"),
            {QStringLiteral("velorine:") + choice.desk});
        if (others.next() && others.value(0).toLongLong() > 0) {
            close();
            return QStringLiteral("Another desk named %1 is connected to the server; give this desk another name "
                                  "with --desk-name.").arg(choice.desk);
        }
        // Without it the screens only miss other desks' work until they are opened again.
        listenForOtherDesks(db);
    } catch (const StoreError &error) {
        close();
        return error.text();
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> open()
{
    internal::loadBuiltInFiles();
    internal::forgetDamage();
    if (auto problem = prepareDataFolder())
        return problem;
    const BookChoice choice = bookChoice();

    // The salon's book is made, or checked and brought up to date, before anything else is
    // written: a book that cannot be used leaves the folder as it was.
    if (!choice.onServer()) {
        if (!QFileInfo::exists(employeeDbPath()))
            if (auto problem = internal::createEmployeeBook())
                return problem;
        if (auto problem = checkUsable(employeeDbPath()))
            return problem;
        if (auto problem = prepareBook(employeeDbPath()))
            return problem;
    }

    if (!QFileInfo::exists(idiomsDbPath()))
        if (auto problem = internal::createIdiomsBook())
            return problem;
    if (!QFileInfo::exists(readmePath()))
        internal::createReadme();
    if (auto problem = checkUsable(idiomsDbPath()))
        return problem;
    if (auto problem = checkNeeds(idiomsDbPath(), idiomsBookNeeds()))
        return problem;

    if (choice.onServer()) {
        if (auto problem = openOnServer(choice))
            return problem;
    } else if (auto problem = openFile(employeeDbPath(), employeeConnection)) {
        return problem;
    }
    if (auto problem = openFile(idiomsDbPath(), idiomsConnection)) {
        close();
        return problem;
    }
    return std::nullopt;
}

OwnerNames peekOwnerNames()
{
    OwnerNames names;
    if (!QFileInfo(employeeDbPath()).isFile())
        return names;
    const QString name = QStringLiteral("peek");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(uriOf(employeeDbPath()) + QStringLiteral("?mode=ro"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT Name, Company FROM Misc")) && query.next()) {
                names.name = query.value(0).toString();
                names.company = query.value(1).toString();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return names;
}

QString fileOf(const QSqlDatabase &db)
{
    QString name = db.databaseName();
    if (name.startsWith(QLatin1String("file:"))) {
        name = name.left(name.indexOf(u'?') < 0 ? name.size() : name.indexOf(u'?'));
        name = QUrl(name).toLocalFile();
    }
    return QDir::cleanPath(name);
}

void close()
{
    internal::forgetDamage();
    for (const QString &name : {employeeConnection, idiomsConnection}) {
        forgetNames(name);
        if (QSqlDatabase::contains(name)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }
}

bool isOpen()
{
    return QSqlDatabase::contains(employeeConnection) && QSqlDatabase::database(employeeConnection, false).isOpen();
}

QSqlDatabase employeeDb() { return QSqlDatabase::database(employeeConnection, false); }
QSqlDatabase idiomsDb() { return QSqlDatabase::database(idiomsConnection, false); }

ShortConnection::ShortConnection()
{
    static int serial = 0;
    m_name = QStringLiteral("search%1").arg(++serial);
    // Either releases the name itself when it fails.
    if (isServer(employeeDb())) {
        const BookChoice choice = bookChoice();
        internal::connectToServer(choice.service, choice.desk, m_name);
    } else {
        openExisting(employeeDbPath(), m_name);
    }
}

ShortConnection::~ShortConnection()
{
    forgetNames(m_name);
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase ShortConnection::db() const { return QSqlDatabase::database(m_name, false); }

namespace {

struct PreparedStatement
{
    QPointer<QSqlDriver> driver;   // null once its connection went
    std::unique_ptr<QSqlQuery> query;
};

// Per thread, as connections are: keyed by connection name and statement text.
std::map<std::pair<QString, QString>, PreparedStatement> &preparedStatements()
{
    thread_local std::map<std::pair<QString, QString>, PreparedStatement> statements;
    return statements;
}

} // namespace

void internal::forgetPrepared(const QString &connectionName)
{
    auto &statements = preparedStatements();
    for (auto it = statements.begin(); it != statements.end();)
        it = it->first.first == connectionName ? statements.erase(it) : std::next(it);
}

QSqlQuery runQuery(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    internal::reconnectIfLost(db);
    QSqlQuery query(db);
    // A server's forward-only result is lost when the next statement runs: read it whole there.
    query.setForwardOnly(!isServer(db));
    if (!query.prepare(sqlFor(db, sql)))
        throw StoreError::fromSql(query.lastError(), db);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError(), db);
    return query;
}

QSqlQuery &runPrepared(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    internal::reconnectIfLost(db);
    PreparedStatement &entry = preparedStatements()[{db.connectionName(), sql}];
    if (!entry.query || entry.driver != db.driver()) {
        auto query = std::make_unique<QSqlQuery>(db);
        query->setForwardOnly(!isServer(db));
        if (!query->prepare(sqlFor(db, sql)))
            throw StoreError::fromSql(query->lastError(), db);
        entry.query = std::move(query);
        entry.driver = db.driver();
    }
    QSqlQuery &query = *entry.query;
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec()) {
        const StoreError error = StoreError::fromSql(query.lastError(), db);
        entry.query.reset();   // prepared again next time, in case the connection was reopened
        throw error;
    }
    return query;
}

} // namespace salon
