// The End Of Day lock on a server, and which desk holds it.
#include "endofdaylock.h"

#include "connections.h"
#include "database_p.h"
#include "dialect.h"
#include "storeerror.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>

namespace salon {

using internal::endOfDayLock;
using internal::lockClass;

EndOfDayLock::EndOfDayLock(QSqlDatabase db) : m_connection(db.connectionName())
{
    if (!isServer(db))
        return;
    const QString take = QStringLiteral("SELECT pg_try_advisory_lock(%1, %2)").arg(lockClass).arg(endOfDayLock);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QSqlQuery taken = runQuery(db, take);
        if (taken.next() && taken.value(0).toBool()) {
            m_held = true;
            return;
        }
        const QString desk = endOfDayDesk(db);
        if (!desk.isEmpty())
            throw StoreError(StoreError::Busy, QStringLiteral("End Of Day is running on desk %1.").arg(desk));
        // Only sales in progress hold it (shared, for a moment each): wait for them as a sale would.
        if (waited.elapsed() > 5000)
            throw StoreError(StoreError::Busy, QStringLiteral("Another desk is saving; nothing was stored."));
        QThread::msleep(50);
    }
}

EndOfDayLock::~EndOfDayLock()
{
    if (!m_held)
        return;
    // A connection lost meanwhile took the lock with it.
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (db.isOpen() && !internal::isLost(db))
        QSqlQuery(db).exec(QStringLiteral("SELECT pg_advisory_unlock(%1, %2)").arg(lockClass).arg(endOfDayLock));
}

QString endOfDayDesk(QSqlDatabase db)
{
    if (!isServer(db))
        return {};
    // Advisory locks are per database; a two-number key shows as classid, objid and objsubid 2.
    QSqlQuery holder = runQuery(db, QStringLiteral(
        "SELECT a.application_name FROM pg_locks l JOIN pg_stat_activity a ON a.pid = l.pid "
        "WHERE l.locktype = 'advisory' AND l.granted AND l.mode = 'ExclusiveLock' "
        "AND l.database = (SELECT oid FROM pg_database WHERE datname = current_database()) "
        "AND l.classid = %1 AND l.objid = %2 AND l.objsubid = 2 AND l.pid <> pg_backend_pid()")
        .arg(lockClass).arg(endOfDayLock));
    if (!holder.next())
        return {};
    QString name = holder.value(0).toString();
    if (name.startsWith(QLatin1String("velorine:")))
        name = name.mid(9);
    return name.isEmpty() ? QStringLiteral("(unnamed)") : name;
}

} // namespace salon
