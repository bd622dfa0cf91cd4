#include "visitjournal.h"

#include "catalog.h"
#include "database.h"
#include "storeerror.h"

#include <QSqlQuery>

namespace visitjournal {
namespace {

QSqlQuery &run(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    return salon::runPrepared(db, sql, values);
}

} // namespace

qint64 nextServiceId(QSqlDatabase db)
{
    if (salon::isServer(db))
        return salon::catalog::nextRowNumberOnServer(db, QStringLiteral("Service Records"));
    // AUTOINCREMENT keeps the highest number ever given in sqlite_sequence, so a number is
    // not handed out twice even after the last row was deleted.
    QSqlQuery &query = run(db, QStringLiteral(
        "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'Service Records'), 0), "
        "coalesce((SELECT max(ServiceID) FROM \"Service Records\"), 0)) + 1"), {});
    if (!query.next()) {
        const StoreError error = StoreError::fromSql(query.lastError(), db);
        query.finish();
        throw error;
    }
    const qint64 next = query.value(0).toLongLong();
    query.finish();
    return next;
}

QDate serviceDateOf(QSqlDatabase db, qint64 serviceId)
{
    QSqlQuery &query = run(db, QStringLiteral("SELECT ServiceDate FROM \"Service Records\" WHERE ServiceID = ?"),
                           {serviceId});
    const QString stored = query.next() ? query.value(0).toString() : QString();
    query.finish();
    if (stored.isEmpty())
        return {};
    return QDate::fromString(stored.left(10), Qt::ISODate);
}

void append(QSqlDatabase db, const Visit &visit)
{
    run(db, QStringLiteral("INSERT INTO \"Service Records\" (ServiceID, CustomerID, EmployeeID, ServiceDate, "
                           "NameOfService, Quantity, Cost, Count, SalesTax) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {visit.serviceId, visit.customerId, visit.employeeId, visit.serviceDate.toString(Qt::ISODate),
         visit.nameOfService, visit.quantity, visit.cost.toDouble(), visit.count, visit.salesTax.toDouble()});
}

Notifier &Notifier::instance()
{
    static Notifier notifier;
    return notifier;
}

void announce(const QVariant &customerId)
{
    emit Notifier::instance().visitsAdded(customerId);
}

} // namespace visitjournal
