// Upgrading a server's books: under the End Of Day lock, a checked dump first, then the steps
// and the new version in one transaction.
#include "serverupgrade.h"

#include "backup.h"
#include "connections.h"
#include "database_p.h"
#include "endofdaylock.h"
#include "storeerror.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <optional>

namespace salon {
namespace {

using internal::lockClass;
using internal::writeLock;

void applySteps(QSqlDatabase db, int version, const std::vector<UpgradeStep> &steps)
{
    internal::execUnprepared(db, QStringLiteral("BEGIN ISOLATION LEVEL READ COMMITTED"));
    try {
        // No desk writes while the books change under it.
        internal::execUnprepared(db, QStringLiteral("SET LOCAL lock_timeout = '5s'"));
        internal::execUnprepared(db, QStringLiteral("SELECT pg_advisory_xact_lock(%1, %2)").arg(lockClass).arg(writeLock));
        for (const UpgradeStep &step : steps)
            if (step.version > version && step.version <= bookVersion)
                step.apply(db);
        runQuery(db, QStringLiteral("UPDATE velorine.\"Book\" SET version = ?"), {bookVersion});
        internal::execUnprepared(db, QStringLiteral("COMMIT"));
    } catch (const StoreError &) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

} // namespace

const std::vector<UpgradeStep> &serverUpgradeSteps()
{
    // Books are made on a server at version 2 and later, so the steps start at 3.
    static const std::vector<UpgradeStep> steps{
        // Each sale line records the tax it charged; lines sold before keep it empty.
        {3, [](QSqlDatabase db) {
             internal::execUnprepared(db, QStringLiteral("ALTER TABLE \"Service Records\" ADD COLUMN \"SalesTax\" currency"));
         }},
        // The appointment book, each service's length on the price list, and the customers
        // indexed by number so the day sheet finds each line's customer at once.
        {4, [](QSqlDatabase db) {
             internal::execUnprepared(db, internal::resourceText(QStringLiteral("server-upgrade-4.sql")));
             QSqlQuery there = runQuery(db, QStringLiteral("SELECT to_regclass('public.\"Customers.CustomerID\"') IS NOT NULL"));
             if (!there.next() || !there.value(0).toBool())
                 internal::execUnprepared(db, QStringLiteral("CREATE INDEX \"Customers.CustomerID\" ON \"Customers\" (\"CustomerID\")"));
         }},
    };
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
        std::optional<EndOfDayLock> lock;
        try {
            lock.emplace(db);
        } catch (const StoreError &error) {
            const QString desk = endOfDayDesk(db);
            result.problem = desk.isEmpty() ? error.text()
                                            : QStringLiteral("End Of Day is running on desk %1; the books on service %2 "
                                                             "were left as they were.").arg(desk, service);
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
