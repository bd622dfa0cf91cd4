// Upgrading a server's books: under the End Of Day lock, a checked dump first, then the steps
// and the new version in one transaction.
#include "serverupgrade.h"

#include "backup.h"
#include "connections.h"
#include "database_p.h"
#include "storeerror.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

namespace salon {
namespace {

// The desks' advisory locks on a server: class "VELO"; End Of Day holds the second for its
// whole run (a session lock), and so does an upgrade.
constexpr int lockClass = 0x56454c4f;
constexpr int endOfDayLock = 2;
constexpr int writeLock = 1;

void execDirect(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw StoreError::fromSql(query.lastError(), db);
}

// The desk holding the End Of Day lock, by the name it connected with.
QString endOfDayHolder(QSqlDatabase db)
{
    QSqlQuery query = runQuery(db, QStringLiteral(
        "SELECT a.application_name FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid "
        "WHERE l.locktype = 'advisory' AND l.granted AND l.classid = ? AND l.objid = ? AND l.objsubid = 2 "
        "AND l.database = (SELECT oid FROM pg_database WHERE datname = current_database())"),
        {lockClass, endOfDayLock});
    QString name = query.next() ? query.value(0).toString() : QString();
    if (name.startsWith(QLatin1String("velorine:")))
        name = name.mid(9);
    return name.isEmpty() ? QStringLiteral("(unknown)") : name;
}

// Holds the End Of Day lock while it lives; false from held() when another desk has it.
class EndOfDayLock
{
public:
    explicit EndOfDayLock(QSqlDatabase db) : m_db(db)
    {
        QSqlQuery query = runQuery(db, QStringLiteral("SELECT pg_try_advisory_lock(%1, %2)").arg(lockClass).arg(endOfDayLock));
        m_held = query.next() && query.value(0).toBool();
    }
    ~EndOfDayLock()
    {
        if (m_held)
            QSqlQuery(m_db).exec(QStringLiteral("SELECT pg_advisory_unlock(%1, %2)").arg(lockClass).arg(endOfDayLock));
    }
    EndOfDayLock(const EndOfDayLock &) = delete;
    EndOfDayLock &operator=(const EndOfDayLock &) = delete;
    bool held() const { return m_held; }

private:
    QSqlDatabase m_db;
    bool m_held = false;
};

void applySteps(QSqlDatabase db, int version, const std::vector<UpgradeStep> &steps)
{
    execDirect(db, QStringLiteral("BEGIN ISOLATION LEVEL READ COMMITTED"));
    try {
        // No desk writes while the books change under it.
        execDirect(db, QStringLiteral("SET LOCAL lock_timeout = '5s'"));
        execDirect(db, QStringLiteral("SELECT pg_advisory_xact_lock(%1, %2)").arg(lockClass).arg(writeLock));
        for (const UpgradeStep &step : steps)
            if (step.version > version && step.version <= bookVersion)
                step.apply(db);
        runQuery(db, QStringLiteral("UPDATE velorine.\"Book\" SET version = ?"), {bookVersion});
        execDirect(db, QStringLiteral("COMMIT"));
    } catch (const StoreError &) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

} // namespace

const std::vector<UpgradeStep> &serverUpgradeSteps()
{
    static const std::vector<UpgradeStep> steps{};
    return steps;
}

QString beforeServerUpgradeFileName(const QString &database, int version, const QDateTime &when)
{
    return QStringLiteral("%1-before-v%2-%3.dump").arg(database).arg(version).arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

ServerUpgrade upgradeServer(const QString &service, const std::vector<UpgradeStep> &steps)
{
    ServerUpgrade result;
    try {
        internal::ServerConnection connection(service, false);
        QSqlDatabase db = connection.db();
        const int before = internal::serverBookVersion(db);
        if (before == 0 || before > bookVersion) {
            internal::checkServerBooks(db, service);   // says why
        } else if (before == bookVersion) {
            result.said = QStringLiteral("The books on service %1 are up to date (version %2); nothing was changed.")
                              .arg(service)
                              .arg(bookVersion);
            return result;
        }
        EndOfDayLock lock(db);
        if (!lock.held()) {
            result.problem = QStringLiteral("End Of Day is running on desk %1; the books on service %2 were left as "
                                            "they were.").arg(endOfDayHolder(db), service);
            return result;
        }
        // Another desk may have brought them up to date while this one waited.
        const int version = internal::serverBookVersion(db);
        if (version == bookVersion) {
            result.said = QStringLiteral("The books on service %1 are up to date (version %2); nothing was changed.")
                              .arg(service)
                              .arg(bookVersion);
            return result;
        }
        const QString copyName = beforeServerUpgradeFileName(serverDatabaseName(db), bookVersion, QDateTime::currentDateTime());
        const BackupResult copy = dumpServer(service, copyName);
        if (!copy.ok()) {
            result.problem = QStringLiteral("%1 The books on service %2 were left as they were: they are brought up to "
                                            "version %3 only once a copy of them is made.")
                                 .arg(copy.failure, service)
                                 .arg(bookVersion);
            return result;
        }
        try {
            applySteps(db, version, steps);
        } catch (const StoreError &error) {
            result.problem = QStringLiteral("The books on service %1 could not be brought up to version %2 and were left "
                                            "as they were: %3")
                                 .arg(service)
                                 .arg(bookVersion)
                                 .arg(error.text());
            return result;
        }
        result.said = QStringLiteral("The books on service %1 are brought up to version %2; the copy made before is %3.")
                          .arg(service)
                          .arg(bookVersion)
                          .arg(copy.path);
    } catch (const StoreError &error) {
        result.problem = error.text();
    }
    return result;
}

} // namespace salon
