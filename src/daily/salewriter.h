#pragma once
#include "currency.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// Stores one sale line of the daily ticket as a whole: the ticket cells of its Products row
// (Quantity, Discount, SalePrice), the day's numbering in Misc, the journal row, the customer's
// last visit and the technician's running totals, in one BEGIN IMMEDIATE transaction. Either
// all of it is in the file or none of it; on failure it throws StoreError and the file is as
// it was. Rows are named by their keys (record-set bookmarks); amounts are read from the file
// inside the transaction, never from what a screen shows.
namespace sale {

struct SaleLine
{
    qint64 productKey = -1;    // the Products row sold
    qint64 employeeKey = -1;   // the technician's Employee row
    qint64 customerKey = -1;   // the customer's Customers row
    qint64 quantity = 0;
    double discountRate = 0;
    QDate today;
};

struct RecordedSale
{
    qint64 serviceId = 0;
    qint64 count = 0;
    QString serviceName;
    QVariant customerId;
    Currency extended;
    Currency subTotal;       // the technician's ticket sub-total after the line
    Currency dayTotal;       // the technician's Total after the line
    double taxRate = 0;
};

RecordedSale recordSaleLine(QSqlDatabase db, const SaleLine &line);

// The ticket reset's writes: every Products row's ticket cells back to 0 and, when a
// technician is given (key >= 0), that technician's sub-total to 0; one transaction.
void clearTicketCells(QSqlDatabase db, qint64 employeeKey);

} // namespace sale
