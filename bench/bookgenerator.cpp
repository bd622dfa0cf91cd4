#include "bookgenerator.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <stdexcept>

namespace {
const QStringList lastNames = {
    QStringLiteral("Nguyen"), QStringLiteral("Smith"), QStringLiteral("Garcia"), QStringLiteral("Tran"),
    QStringLiteral("Johnson"), QStringLiteral("Lee"), QStringLiteral("Brown"), QStringLiteral("Pham"),
    QStringLiteral("Miller"), QStringLiteral("Davis"), QStringLiteral("Lopez"), QStringLiteral("Wilson")};

void run(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw std::runtime_error(query.lastError().text().toStdString());
}
} // namespace

QString generatedLastName(int n)
{
    return lastNames[n % lastNames.size()] + QString::number(n % 5000);
}

void generateBook(QSqlDatabase db, int customers, int journalRows)
{
    run(db, QStringLiteral("BEGIN"));
    QSqlQuery customer(db);
    customer.prepare(QStringLiteral("INSERT INTO Customers (CustomerID, FirstName, LastName, City, ServiceDate) "
                                    "VALUES (?, ?, ?, 'Springfield', '12/1/2026')"));
    for (int id = 1; id <= customers; ++id) {
        customer.bindValue(0, id);
        customer.bindValue(1, QStringLiteral("First%1").arg(id));
        customer.bindValue(2, generatedLastName(id));
        if (!customer.exec())
            throw std::runtime_error(customer.lastError().text().toStdString());
    }
    // Journal rows: customer ids spread by a multiplicative step so each customer's rows are scattered.
    run(db, QStringLiteral(
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
        "INSERT INTO [Service Records] (CustomerID, EmployeeID, ServiceDate, NameOfService, Quantity, Cost, Count) "
        "SELECT (x * 7919) %% %2 + 1, x %% 6 + 1, date('2020-01-01', '+' || (x / 300) || ' days'), "
        "'Manicure', 1, 15.0, x %% 300 + 1 FROM n").arg(journalRows).arg(customers).replace(QLatin1String("%%"), QLatin1String("%")));
    run(db, QStringLiteral("COMMIT"));
    run(db, QStringLiteral("ANALYZE"));
}
