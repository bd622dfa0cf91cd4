#pragma once
#include "currency.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// Stores one sale line of the daily ticket as a whole: the ticket cells of its Products row
// (Quantity, Discount, SalePrice), the day's numbering in Misc, the journal row, the customer's
// last visit and the technician's running totals, in one BEGIN IMMEDIATE transaction. Either
// all of it is in the file or none of it; on failure it throws StoreError and the file is as
// it was. Rows are named by their keys (record-set bookmarks); prices and the day total are
// read from the file inside the transaction, never from what a screen shows. The sub-total a
// line adds to is the ticket's own, handed in by the screen: the technician's stored SubTotal
// is written from it and never read, so an earlier ticket can never leak into this one.
//
// A technician with no sales-tax rate (an empty SalesTaxRate; 0 is a rate) cannot sell: the
// line is refused (StoreError with noTaxRateText()) and nothing is written.
namespace sale {

struct SaleLine
{
    qint64 productKey = -1;    // the Products row sold
    qint64 employeeKey = -1;   // the technician's Employee row
    qint64 customerKey = -1;   // the customer's Customers row
    qint64 quantity = 0;
    double discountRate = 0;
    QDate today;
    Currency ticketSubTotal{};   // the ticket's sub-total before this line
};

struct RecordedSale
{
    qint64 serviceId = 0;
    qint64 count = 0;
    QString serviceName;
    QVariant customerId;
    Currency extended;
    Currency subTotal;       // the ticket's sub-total after the line
    Currency dayTotal;       // the technician's Total after the line
    double taxRate = 0;
};

RecordedSale recordSaleLine(QSqlDatabase db, const SaleLine &line);

// The refusal of a sale by a technician with no sales-tax rate.
QString noTaxRateText();

// The ticket reset's writes: every Products row's ticket cells back to 0 and the sub-total of
// each technician given (Employee row keys; the one the ending ticket was for and the one
// the new ticket is for) to 0; one transaction.
void clearTicketCells(QSqlDatabase db, const QList<qint64> &employeeKeys);

} // namespace sale
