#include "salewriter.h"

#include "database.h"
#include "dates.h"
#include "saleline.h"
#include "salontaxrate.h"
#include "storeerror.h"
#include "values.h"
#include "visitjournal.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace sale {
namespace {

QSqlQuery &run(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    return salon::runPrepared(db, sql, values);
}

// Writes that must reach exactly one row: a row deleted meanwhile fails the sale.
void runOnOneRow(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    if (run(db, sql, values).numRowsAffected() != 1)
        throw StoreError(StoreError::RecordDeleted, QStringLiteral("Record is deleted."));
}

// The values of one row, read and let go at once.
QSqlRecord rowOf(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery &query = run(db, sql, values);
    if (!query.next()) {
        query.finish();
        throw StoreError(StoreError::RecordDeleted, QStringLiteral("Record is deleted."));
    }
    const QSqlRecord row = query.record();
    query.finish();
    return row;
}

// A money field as stored; empty is 0. What is not an amount fails the sale rather than count as 0.
Currency money(const QVariant &stored, const char *field)
{
    const auto amount = Currency::fromStored(stored);
    if (!amount)
        throw StoreError(StoreError::ConversionError,
                         QStringLiteral("Data type conversion error: '%1' does not fit the field %2.")
                             .arg(stored.toString(), QLatin1String(field)));
    return *amount;
}

// An amount to be stored must be one the book keeps exactly; `what` names it for the desk.
Currency storable(std::optional<Currency> amount, const char *what)
{
    if (!amount || !amount->isStorable())
        throw StoreError(StoreError::NumericOverflow,
                         Currency::tooLargeText(QLatin1String(what)) + QStringLiteral(" The sale was not recorded."));
    return *amount;
}

} // namespace

RecordedSale recordSaleLine(QSqlDatabase db, const SaleLine &line)
{
    RecordedSale sale;
    {
        salon::Transaction transaction(db);

        const QSqlRecord product = rowOf(
            db, QStringLiteral("SELECT ServiceName, UnitPrice FROM Products WHERE rowid = ?"), {line.productKey});
        sale.serviceName = product.value(0).toString();
        // A journal line must say what was sold.
        if (sale.serviceName.trimmed().isEmpty())
            throw StoreError(StoreError::ValueRequired,
                             QStringLiteral("This service has no name; name it on the price list first."));
        const auto priced = priceSaleLine(money(product.value(1), "UnitPrice"), line.quantity, line.discountRate);
        sale.extended = storable(priced ? std::optional(priced->extended) : std::nullopt, "The extended price of this line");
        runOnOneRow(db, QStringLiteral("UPDATE Products SET Quantity = ?, Discount = ?, SalePrice = ? WHERE rowid = ?"),
                    {line.quantity, line.discountRate, sale.extended.toDouble(), line.productKey});

        const QSqlRecord technician = rowOf(
            db, QStringLiteral("SELECT EmployeeID, Total, SalesTaxRate FROM Employee WHERE rowid = ?"),
            {line.employeeKey});
        const QVariant employeeId = technician.value(0);
        const Currency dayTotal = money(technician.value(1), "Total");
        // An empty rate is no number to tax with: the sale would go out tax-free.
        if (salon::isNoTaxRate(technician.value(2)))
            throw StoreError(StoreError::ConversionError, noTaxRateText());
        const std::optional<double> rate = narrowRate(technician.value(2).toDouble());
        if (!rate)
            throw StoreError(StoreError::ConversionError, noTaxRateText());
        sale.taxRate = *rate;

        const QSqlRecord customer = rowOf(db, QStringLiteral("SELECT CustomerID FROM Customers WHERE rowid = ?"),
                                          {line.customerKey});
        sale.customerId = customer.value(0);

        // The day's numbering.
        QSqlQuery &miscQuery = run(db, QStringLiteral("SELECT rowid, ChangeCount, ChangeDate, MyNumber FROM Misc "
                                                      "ORDER BY rowid LIMIT 1"));
        if (!miscQuery.next()) {
            miscQuery.finish();
            throw StoreError(StoreError::NoCurrentRecord, QStringLiteral("No current record."));
        }
        const QSqlRecord miscRow = miscQuery.record();
        miscQuery.finish();
        const qint64 miscKey = miscRow.value(0).toLongLong();
        DailyNumbering misc;
        misc.changeCount = miscRow.value(1).toLongLong();
        misc.changeDate = storedDate(miscRow.value(2));
        if (!miscRow.value(3).isNull())
            misc.myNumber = miscRow.value(3).toLongLong();
        const QDate firstSale = misc.changeCount == 1
            ? visitjournal::serviceDateOf(db, misc.myNumber.value_or(0) + 1) : QDate();
        sale.serviceId = visitjournal::nextServiceId(db);
        const NumberedSale numbered = nextDailyCount(misc, firstSale, line.today, sale.serviceId);
        sale.count = numbered.count;
        runOnOneRow(db, QStringLiteral("UPDATE Misc SET ChangeCount = ?, ChangeDate = ?, MyNumber = ? WHERE rowid = ?"),
                    {numbered.numbering.changeCount, numbered.numbering.changeDate.toString(Qt::ISODate),
                     numbered.numbering.myNumber.value_or(0), miscKey});

        // Cost + SalesTax is exactly what the line adds to the technician's day total.
        const Currency salesTax = storable(lineSalesTax(sale.extended, sale.taxRate), "The sales tax of this line");
        visitjournal::append(db, {sale.serviceId, sale.customerId, employeeId, line.today, sale.serviceName,
                                  line.quantity, sale.extended, sale.count, salesTax});

        // The customer's last visit, in the month/day/year text the book keeps dates in.
        runOnOneRow(db, QStringLiteral("UPDATE Customers SET ServiceDate = ? WHERE rowid = ?"),
                    {mdyText(line.today), line.customerKey});

        sale.subTotal = storable(subTotalAfter(line.ticketSubTotal, sale.extended), "The sub-total of this ticket");
        sale.dayTotal = storable(dayTotalAfter(dayTotal, sale.extended, sale.taxRate), "The technician's day total");
        runOnOneRow(db, QStringLiteral("UPDATE Employee SET SubTotal = ?, Total = ? WHERE rowid = ?"),
                    {sale.subTotal.toDouble(), sale.dayTotal.toDouble(), line.employeeKey});

        transaction.commit();
    }
    visitjournal::announce(sale.customerId);
    return sale;
}

QString noTaxRateText()
{
    return QStringLiteral("No sales tax rate is set for this technician. Set it with Tax Rate on the price list.");
}

void clearTicketCells(QSqlDatabase db, const QList<qint64> &employeeKeys)
{
    salon::Transaction transaction(db);
    run(db, QStringLiteral("UPDATE Products SET SalePrice = 0, Discount = 0, Quantity = 0"));
    for (qint64 key : employeeKeys)
        if (key >= 0)
            run(db, QStringLiteral("UPDATE Employee SET SubTotal = 0 WHERE rowid = ?"), {key});
    transaction.commit();
}

} // namespace sale
