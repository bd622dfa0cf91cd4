#include "salebench.h"

#include "database.h"
#include "dates.h"
#include "salewriter.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

qint64 firstKey(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    query.exec(sql);
    return query.next() ? query.value(0).toLongLong() : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

void benchSaleLine(QSqlDatabase db)
{
    // A technician to sell for (the generated book has none; a reused one keeps it).
    if (firstKey(db, QStringLiteral("SELECT rowid FROM Employee WHERE EmployeeID = 1")) < 0)
        QSqlQuery(db).exec(QStringLiteral("INSERT INTO Employee (EmployeeID, FirstName, SubTotal, Total, SalesTaxRate) "
                                          "VALUES (1, 'Bench', 0, 0, 0.07)"));
    const qint64 employee = firstKey(db, QStringLiteral("SELECT rowid FROM Employee WHERE EmployeeID = 1"));
    const qint64 customer = firstKey(db, QStringLiteral("SELECT rowid FROM Customers WHERE CustomerID = 500"));
    const qint64 product = firstKey(db, QStringLiteral("SELECT rowid FROM Products ORDER BY rowid"));
    const QDate today = QDate::currentDate();
    const sale::SaleLine line{product, employee, customer, 2, 0.1, today};

    // The same writes as one plain transaction, statements prepared once.
    QSqlQuery begin(db), commit(db), cells(db), misc(db), journal(db), visit(db), totals(db), nextId(db);
    begin.prepare(QStringLiteral("BEGIN IMMEDIATE"));
    commit.prepare(QStringLiteral("COMMIT"));
    cells.prepare(QStringLiteral("UPDATE Products SET Quantity = ?, Discount = ?, SalePrice = ? WHERE rowid = ?"));
    nextId.prepare(QStringLiteral("SELECT seq + 1 FROM sqlite_sequence WHERE name = 'Service Records'"));
    misc.prepare(QStringLiteral("UPDATE Misc SET ChangeCount = 0, ChangeDate = ?, MyNumber = MyNumber WHERE rowid = 1"));
    journal.prepare(QStringLiteral("INSERT INTO \"Service Records\" (ServiceID, CustomerID, EmployeeID, ServiceDate, "
                                   "NameOfService, Quantity, Cost, Count) VALUES (?, 500, 1, ?, 'Bench', 2, 35.982, 1)"));
    visit.prepare(QStringLiteral("UPDATE Customers SET ServiceDate = ? WHERE rowid = ?"));
    totals.prepare(QStringLiteral("UPDATE Employee SET SubTotal = SubTotal + 35.982, Total = Total + 38.5007 WHERE rowid = ?"));
    auto plainSale = [&] {
        begin.exec();
        cells.addBindValue(2);
        cells.addBindValue(0.1);
        cells.addBindValue(35.982);
        cells.addBindValue(product);
        cells.exec();
        nextId.exec();
        nextId.next();
        const qint64 id = nextId.value(0).toLongLong();
        nextId.finish();
        misc.addBindValue(today.toString(Qt::ISODate));
        misc.exec();
        journal.addBindValue(id);
        journal.addBindValue(today.toString(Qt::ISODate));
        journal.exec();
        visit.addBindValue(mdyText(today));
        visit.addBindValue(customer);
        visit.exec();
        totals.addBindValue(employee);
        totals.exec();
        commit.exec();
    };

    // Interleaved, so both meet the same disk; the median of each.
    std::vector<double> ours, plain;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        sale::recordSaleLine(db, line);
        ours.push_back(double(timer.nsecsElapsed()) / 1000.0);
        timer.restart();
        plainSale();
        plain.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    const double a = median(ours), b = median(plain);
    std::printf("%-48s %10.1f us  plain %10.1f us  ratio %6.2f\n", "sale line (durable commit) vs plain transaction", a,
                b, a / b);
}
