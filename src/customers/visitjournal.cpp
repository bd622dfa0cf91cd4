#include "visitjournal.h"

#include "storeerror.h"

#include <QSqlQuery>

namespace visitjournal {
namespace {

QSqlQuery run(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw StoreError::fromSql(query.lastError(), db);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError(), db);
    return query;
}

} // namespace

qint64 nextServiceId(QSqlDatabase db)
{
    // AUTOINCREMENT keeps the highest number ever given in sqlite_sequence, so a number is
    // not handed out twice even after the last row was deleted.
    QSqlQuery query = run(db, QStringLiteral(
        "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'Service Records'), 0), "
        "coalesce((SELECT max(ServiceID) FROM \"Service Records\"), 0)) + 1"), {});
    if (!query.next())
        throw StoreError::fromSql(query.lastError(), db);
    return query.value(0).toLongLong();
}

QDate serviceDateOf(QSqlDatabase db, qint64 serviceId)
{
    QSqlQuery query = run(db, QStringLiteral("SELECT ServiceDate FROM \"Service Records\" WHERE ServiceID = ?"),
                          {serviceId});
    if (!query.next())
        return {};
    return QDate::fromString(query.value(0).toString().left(10), Qt::ISODate);
}

void append(QSqlDatabase db, const Visit &visit)
{
    run(db, QStringLiteral("INSERT INTO \"Service Records\" (ServiceID, CustomerID, EmployeeID, ServiceDate, "
                           "NameOfService, Quantity, Cost, Count) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {visit.serviceId, visit.customerId, visit.employeeId, visit.serviceDate.toString(Qt::ISODate),
         visit.nameOfService, visit.quantity, visit.cost.toDouble(), visit.count});
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
