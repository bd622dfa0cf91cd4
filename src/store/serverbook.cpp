// The books on a PostgreSQL server: the desk's choice of them, connecting as this desk, and
// making a new server's books.
#include "serverbook.h"

#include "connections.h"
#include "database_p.h"
#include "datafolder.h"
#include "dialect.h"
#include "schemaversion.h"
#include "storeerror.h"
#include "transaction.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <QSysInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>

namespace salon {
namespace {

QString choiceFile() { return dataFolder() + QStringLiteral("/server.ini"); }

bool isServiceName(const QString &service)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    return plain.match(service).hasMatch();
}

// Each server connection's desk, to open it again as the same desk after the server dropped it.
QHash<QString, QString> &deskByConnection()
{
    static QHash<QString, QString> desks;
    return desks;
}

QSet<QString> &lostConnections()
{
    static QSet<QString> lost;
    return lost;
}

// The desk's settings on a fresh session: its name, its own view of the ticket first in the
// search path. The name goes in as a value, never into a connection string. Throws StoreError.
void startSession(QSqlDatabase db, const QString &desk)
{
    runQuery(db, QStringLiteral("SELECT set_config('application_name', ?, false), set_config('velorine.desk', ?, false), "
                                "set_config('search_path', 'velorine, public', false)"),
             {QStringLiteral("velorine:") + desk, desk});
}

// Statements prepared on a dropped connection cannot be freed on the server; the driver's
// warning about each of them says nothing the desk needs.
QtMessageHandler previousHandler = nullptr;
void quietAboutFreeing(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (previousHandler && !message.startsWith(QLatin1String("Unable to free statement")))
        previousHandler(type, context, message);
}

} // namespace

namespace internal {

ServerConnection::ServerConnection(const QString &service, bool checkBooks)
{
    static int serial = 0;
    m_name = QStringLiteral("server-tool%1").arg(++serial);
    m_db = connectToServer(service, bookChoice().desk, m_name);
    if (checkBooks) {
        try {
            checkServerBooks(m_db, service);
        } catch (const StoreError &) {
            release();
            throw;
        }
    }
}

ServerConnection::~ServerConnection()
{
    release();
}

void ServerConnection::release()
{
    m_db = QSqlDatabase();
    forgetNames(m_name);
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase connectToServer(const QString &service, const QString &desk, const QString &connectionName)
{
    if (!isServiceName(service))
        throw StoreError(StoreError::CannotOpen,
                         QStringLiteral("'%1' is not a service name; use letters, digits, '.', '_' or '-'.").arg(service));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid()) {
        QSqlDatabase::removeDatabase(connectionName);
        throw StoreError(StoreError::CannotOpen,
                         QStringLiteral("The PostgreSQL driver is not installed (Debian package libqt6sql6-psql)."));
    }
    db.setConnectOptions(QStringLiteral("service=%1;connect_timeout=10").arg(service));
    // Money comes back as its exact decimal text, never through a double.
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!db.open()) {
        const QString reason = db.lastError().databaseText().trimmed().isEmpty() ? db.lastError().text()
                                                                               : db.lastError().databaseText().trimmed();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw StoreError(StoreError::ServerLost, QStringLiteral("The server cannot be reached: %1").arg(reason));
    }
    lostConnections().remove(connectionName);
    try {
        startSession(db, desk);
        learnNames(db);
    } catch (const StoreError &) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw;
    }
    deskByConnection().insert(connectionName, desk);
    return db;
}

bool reconnectIfLost(QSqlDatabase db)
{
    if (!isServer(db))
        return false;
    const QString name = db.connectionName();
    if (db.isOpen() && !lostConnections().contains(name))
        return false;   // in good health
    if (inTransaction(db) || !QSqlDatabase::contains(name))
        return false;   // the transaction fails as a whole; or closed by the program
    {
        previousHandler = qInstallMessageHandler(quietAboutFreeing);
        const auto restore = qScopeGuard([] { qInstallMessageHandler(previousHandler); });
        emit ServerSessions::instance().reopening(name);
        forgetPrepared(name);
    }
    // The same handle, opened again: every copy of it (record sets, screens) goes on working.
    db.close();
    if (!db.open()) {
        const StoreError error = StoreError::fromSql(db.lastError(), db);
        lostConnections().insert(name);
        throw error;
    }
    lostConnections().remove(name);
    try {
        startSession(db, deskByConnection().value(name, bookChoice().desk));
    } catch (const StoreError &) {
        db.close();
        throw;
    }
    emit ServerSessions::instance().reopened(name);
    return true;
}

bool isLost(const QSqlDatabase &db)
{
    return isServer(db) && (!db.isOpen() || lostConnections().contains(db.connectionName()));
}

void markLost(const QString &connectionName)
{
    lostConnections().insert(connectionName);
}

int serverBookVersion(QSqlDatabase db)
{
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT to_regclass('velorine.\"Book\"') IS NOT NULL"));
    if (!query.next() || !query.value(0).toBool())
        return 0;
    QSqlQuery version = runQuery(db, QStringLiteral("SELECT version FROM velorine.\"Book\""));
    return version.next() ? version.value(0).toInt() : 0;
}

void checkServerBooks(QSqlDatabase db, const QString &service)
{
    const int version = serverBookVersion(db);
    if (version == 0)
        throw StoreError(StoreError::TableNotFound,
                         QStringLiteral("The service %1 holds no Velorine books; make them with --init-server or "
                                        "--copy-book-to.").arg(service));
    if (version > bookVersion)
        throw StoreError(StoreError::CannotOpen, QStringLiteral("The server's books are version %1; this program knows up "
                                                                "to %2. Update Velorine on this desk.")
                                                     .arg(version).arg(bookVersion));
    if (version < bookVersion)
        throw StoreError(StoreError::CannotOpen, QStringLiteral("The server's books are version %1; this program needs "
                                                                "version %2. Bring them up to date with "
                                                                "velorine --upgrade-server %3.")
                                                     .arg(version).arg(bookVersion).arg(service));
}

} // namespace internal

BookChoice bookChoice()
{
    QSettings settings(choiceFile(), QSettings::IniFormat);
    BookChoice choice;
    choice.service = settings.value(QStringLiteral("service")).toString();
    choice.desk = settings.value(QStringLiteral("desk")).toString();
    if (choice.desk.isEmpty())
        choice.desk = QSysInfo::machineHostName();
    return choice;
}

std::optional<QString> useServer(const QString &service)
{
    if (auto problem = prepareDataFolder())
        return problem;
    try {
        internal::ServerConnection server(service, true);
    } catch (const StoreError &error) {
        return error.text();
    }
    QSettings settings(choiceFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("service"), service);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QStringLiteral("The choice cannot be stored in %1.").arg(choiceFile());
    return std::nullopt;
}

std::optional<QString> useLocal()
{
    QSettings settings(choiceFile(), QSettings::IniFormat);
    settings.remove(QStringLiteral("service"));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QStringLiteral("The choice cannot be stored in %1.").arg(choiceFile());
    return std::nullopt;
}

std::optional<QString> setDeskName(const QString &name)
{
    const QString desk = name.trimmed();
    static const QRegularExpression printable(QStringLiteral("^[^\\x00-\\x1f\\x7f]{1,40}$"));
    if (!printable.match(desk).hasMatch())
        return QStringLiteral("A desk name is 1 to 40 characters, without control characters.");
    if (auto problem = prepareDataFolder())
        return problem;
    QSettings settings(choiceFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("desk"), desk);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QStringLiteral("The choice cannot be stored in %1.").arg(choiceFile());
    return std::nullopt;
}

std::optional<QString> initServer(const QString &service)
{
    internal::loadBuiltInFiles();
    try {
        internal::ServerConnection server(service, false);
        QSqlDatabase db = server.db();
        QSqlQuery tables = runQuery(db, QStringLiteral("SELECT count(*) FROM information_schema.tables "
                                                       "WHERE table_schema IN ('public', 'velorine')"));
        if (!tables.next() || tables.value(0).toLongLong() > 0)
            return QStringLiteral("The database of service %1 already holds tables; nothing was written.").arg(service);
        internal::execUnprepared(db, QStringLiteral("BEGIN"));
        try {
            internal::execUnprepared(db, internal::resourceText(QStringLiteral("server-schema.sql")));
            runQuery(db, QStringLiteral("INSERT INTO velorine.\"Book\" (version) VALUES (?)"), {bookVersion});
            learnNames(db);
            // The settings row of a new salon, dated by this desk's calendar.
            runQuery(db, QStringLiteral("INSERT INTO Misc (password, Name, Company, Address, City, State, Zip, Phone, "
                                        "count, ChangeCount, ChangeDate, MyNumber) "
                                        "VALUES ('salon', '', '', '', '', '', '', '', 1, 0, ?, 0)"),
                     {QDate::currentDate().toString(Qt::ISODate)});
            internal::addStarterPriceList(db);
            internal::execUnprepared(db, QStringLiteral("COMMIT"));
        } catch (const StoreError &) {
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    } catch (const StoreError &error) {
        return error.text();
    }
    return std::nullopt;
}

QSqlDatabase openServer(const QString &service, const QString &desk, const QString &connectionName)
{
    QSqlDatabase db = internal::connectToServer(service, desk, connectionName);
    try {
        internal::checkServerBooks(db, service);
    } catch (const StoreError &) {
        forgetNames(connectionName);
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw;
    }
    return db;
}

ServerSessions &ServerSessions::instance()
{
    static ServerSessions sessions;
    return sessions;
}

} // namespace salon
