#pragma once
#include "currency.h"

#include <QDate>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// The sales journal (Service Records) as the daily ticket writes it: one row per sale line,
// appended inside the caller's transaction. After its commit the caller announces the
// customer, so an open visiting report shows the new row; a sale that was rolled back is never
// announced and leaves nothing to show.
namespace visitjournal {

struct Visit
{
    qint64 serviceId = 0;     // from nextServiceId(), in the same transaction
    QVariant customerId;
    QVariant employeeId;
    QDate serviceDate;
    QString nameOfService;
    qint64 quantity = 0;
    Currency cost;
    qint64 count = 0;         // the sale's number within its day
    Currency salesTax;        // the tax the line charged
};

// The number the next appended row gets: the journal's auto-number, never reused.
// Read it inside the transaction that appends, so no other writer can take it.
qint64 nextServiceId(QSqlDatabase db);
// The service date of a journal row; an invalid date when there is no such row or date.
QDate serviceDateOf(QSqlDatabase db, qint64 serviceId);
// Appends the row (values bound). Throws StoreError.
void append(QSqlDatabase db, const Visit &visit);

// Tells screens that rows were committed for a customer.
class Notifier : public QObject
{
    Q_OBJECT
public:
    static Notifier &instance();

signals:
    void visitsAdded(const QVariant &customerId);
};

// Called by the writer once its transaction has committed.
void announce(const QVariant &customerId);

} // namespace visitjournal
