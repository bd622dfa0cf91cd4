#include "otherdesks.h"

#include "connections.h"
#include "dialect.h"
#include "serverbook.h"
#include "storeerror.h"
#include "transaction.h"

#include <QSqlError>
#include <QSqlQuery>

namespace salon {
namespace {

const QString channel = QStringLiteral("velorine");

} // namespace

OtherDesks::OtherDesks()
{
    // A sale commits several times in a row at another desk: the screens re-read once.
    m_gather.setSingleShot(true);
    m_gather.setInterval(50);
    connect(&m_gather, &QTimer::timeout, this, &OtherDesks::passOn);
    // A connection opened again after the server was lost has forgotten what it listened to.
    connect(&ServerSessions::instance(), &ServerSessions::reopened, this, [this](const QString &connectionName) {
        if (connectionName == employeeDb().connectionName())
            listenOn(employeeDb());
    });
}

OtherDesks *OtherDesks::instance()
{
    static OtherDesks desks;
    return &desks;
}

bool OtherDesks::listenOn(QSqlDatabase db)
{
    QSqlDriver *driver = db.driver();
    if (!driver)
        return false;
    connect(driver, &QSqlDriver::notification, this, &OtherDesks::heard, Qt::UniqueConnection);
    return driver->subscribedToNotifications().contains(channel) || driver->subscribeToNotification(channel);
}

void OtherDesks::heard(const QString &name, QSqlDriver::NotificationSource source, const QVariant &)
{
    // This desk's own commits come back too (the server tells every listener): the screens
    // that wrote already show them.
    if (name != channel || source == QSqlDriver::SelfSource)
        return;
    if (!m_gather.isActive())
        m_gather.start();
}

void OtherDesks::passOn()
{
    // Screens re-read outside this desk's own write: what it has not committed is not shown
    // as stored, and its record sets are not moved under it.
    if (inTransaction(employeeDb())) {
        m_gather.start();
        return;
    }
    emit committed();
}

void announceCommit(QSqlDatabase db)
{
    // The payload names the desk, for whoever watches the server; desks tell their own
    // commits apart by the connection that sent them.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT pg_notify('%1', velorine.desk())").arg(channel)))
        throw StoreError::fromSql(query.lastError(), db);
}

bool listenForOtherDesks(QSqlDatabase db)
{
    if (!isServer(db))
        return false;
    return OtherDesks::instance()->listenOn(db);
}

} // namespace salon
