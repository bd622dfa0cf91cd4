#include "database.h"
#include "dates.h"
#include "salewriter.h"
#include "testhome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QtTest>
#include <cstdio>

// Sales survive a killed program: a child process enters sale lines through the sale writer
// as fast as it can and is killed with SIGKILL at a random moment; after every kill the book
// must pass SQLite's integrity check and every sale must be whole or absent: each journal row
// has its numbering in Misc, its amount in its technician's totals, its cells in the price
// list and its date as the customer's last visit, and nothing else changed.
//
// VELORINE_CRASH_KILLS sets the number of kills (default 200); the run also stops after
// VELORINE_CRASH_SECONDS (default 50).

namespace {

const QDate firstDay(2026, 3, 2);

QStringList rows(QSqlDatabase db, const QString &sql)
{
    QStringList result;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        qFatal("query failed: %s", qPrintable(sql));
    while (query.next()) {
        QStringList cells;
        for (int i = 0; i < query.record().count(); ++i)
            cells << query.value(i).toString();
        result << cells.join(u'|');
    }
    return result;
}

QList<qint64> keys(QSqlDatabase db, const QString &table)
{
    QList<qint64> result;
    for (const QString &key : rows(db, QStringLiteral("SELECT rowid FROM %1").arg(table)))
        result << key.toLongLong();
    return result;
}

// The child: sells until killed (or, should nobody kill it, for a few seconds), printing the
// ServiceID of each committed sale.
int sellUntilKilled(const QString &folder, int day)
{
    qputenv("VELORINE_HOME", folder.toLocal8Bit());
    if (auto problem = salon::open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    QSqlDatabase db = salon::employeeDb();
    const QList<qint64> products = keys(db, QStringLiteral("Products"));
    const QList<qint64> employees = keys(db, QStringLiteral("Employee"));
    const QList<qint64> customers = keys(db, QStringLiteral("Customers"));
    const double rates[] = {0.0, 0.1, 0.125, 0.5};
    // One ticket per technician, going on from where the killed run left it.
    QMap<qint64, Currency> ticket;
    for (const QString &row : rows(db, QStringLiteral("SELECT rowid, SubTotal FROM Employee")))
        ticket[row.section(u'|', 0, 0).toLongLong()] = *Currency::fromDouble(row.section(u'|', 1, 1).toDouble());
    auto *random = QRandomGenerator::global();
    std::printf("ready\n");
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        sale::SaleLine line;
        line.productKey = products[random->bounded(int(products.size()))];
        line.employeeKey = employees[random->bounded(int(employees.size()))];
        line.customerKey = customers[random->bounded(int(customers.size()))];
        line.quantity = random->bounded(6);
        line.discountRate = rates[random->bounded(4)];
        line.today = firstDay.addDays(day);
        line.ticketSubTotal = ticket[line.employeeKey];
        const sale::RecordedSale sale = sale::recordSaleLine(db, line);
        ticket[line.employeeKey] = sale.subTotal;
        std::printf("%lld\n", sale.serviceId);
        std::fflush(stdout);
    }
    return 0;
}

Currency money(const QString &stored) { return *Currency::fromDouble(stored.toDouble()); }

} // namespace

class TestSaleCrash : public QObject
{
    Q_OBJECT

private:
    // What no sale may change.
    static QStringList untouched(QSqlDatabase db)
    {
        return rows(db, QStringLiteral("SELECT password, Name, Company, count FROM Misc"))
            + rows(db, QStringLiteral("SELECT rowid, EmployeeID, FirstName, SalesTaxRate FROM Employee"))
            + rows(db, QStringLiteral("SELECT rowid, CustomerID, FirstName, LastName FROM Customers"))
            + rows(db, QStringLiteral("SELECT rowid, ServiceID, ServiceName, UnitPrice FROM Products"));
    }

    // Every sale in the journal is whole, and nothing is there that is not a sale. Returns an
    // empty text when the book is sound, else what is wrong.
    static QString wholeOrAbsent(QSqlDatabase db)
    {
        if (rows(db, QStringLiteral("PRAGMA integrity_check")) != QStringList{QStringLiteral("ok")})
            return QStringLiteral("integrity check failed");

        QMap<QString, Currency> subTotal, dayTotal;      // by EmployeeID
        QMap<QString, double> rate;
        for (const QString &row : rows(db, QStringLiteral("SELECT EmployeeID, SalesTaxRate FROM Employee")))
            rate[row.section(u'|', 0, 0)] = QString::number(row.section(u'|', 1, 1).toFloat(), 'g', 7).toDouble();
        QMap<QString, QString> lastVisit;                 // by CustomerID
        QMap<QString, QString> lastCells;                 // by service name: quantity|cost
        QString day;
        qint64 base = 0, expectedCount = 0;
        for (const QString &row : rows(db, QStringLiteral("SELECT ServiceID, CustomerID, EmployeeID, ServiceDate, "
                                                          "NameOfService, Quantity, Cost, Count FROM \"Service Records\" "
                                                          "ORDER BY ServiceID"))) {
            const QStringList c = row.split(u'|');
            const qint64 id = c[0].toLongLong();
            if (c[3] != day) {
                day = c[3];
                base = id - 1;
                expectedCount = 0;
            }
            if (c[7].toLongLong() != ++expectedCount || c[7].toLongLong() != id - base)
                return QStringLiteral("row %1 is numbered %2").arg(id).arg(c[7]);
            const Currency cost = money(c[6]);
            subTotal[c[2]] = *subTotal[c[2]].plus(cost);
            dayTotal[c[2]] = *dayTotal[c[2]].plus(*Currency::fromDouble(cost.toDouble() * (1.0 + rate[c[2]])));
            lastVisit[c[1]] = mdyText(QDate::fromString(c[3], Qt::ISODate));
            lastCells[c[4]] = c[5] + u'|' + money(c[6]).text();
        }
        if (!day.isEmpty()) {
            const QStringList misc{QStringLiteral("0|%1|%2").arg(day).arg(base)};
            if (rows(db, QStringLiteral("SELECT ChangeCount, ChangeDate, MyNumber FROM Misc")) != misc)
                return QStringLiteral("Misc does not number the day %1 from %2").arg(day).arg(base);
        }
        for (const QString &row : rows(db, QStringLiteral("SELECT EmployeeID, SubTotal, Total FROM Employee"))) {
            const QString id = row.section(u'|', 0, 0);
            if (money(row.section(u'|', 1, 1)) != subTotal[id] || money(row.section(u'|', 2, 2)) != dayTotal[id])
                return QStringLiteral("technician %1 holds %2, the journal %3|%4")
                    .arg(id, row, subTotal[id].text(), dayTotal[id].text());
        }
        for (const QString &row : rows(db, QStringLiteral("SELECT CustomerID, ifnull(ServiceDate, '') FROM Customers"))) {
            const QString id = row.section(u'|', 0, 0);
            if (row.section(u'|', 1, 1) != lastVisit.value(id))
                return QStringLiteral("customer %1 last came %2, the journal says %3").arg(id, row, lastVisit.value(id));
        }
        for (const QString &row : rows(db, QStringLiteral("SELECT ServiceName, Quantity, SalePrice FROM Products"))) {
            const QString name = row.section(u'|', 0, 0);
            const QString cells = row.section(u'|', 1, 1) + u'|' + money(row.section(u'|', 2, 2)).text();
            if (cells != lastCells.value(name, QStringLiteral("0|0")))
                return QStringLiteral("product %1 holds %2, its last sale %3").arg(name, cells, lastCells.value(name));
        }
        return {};
    }

private slots:
    void salesAreWholeOrAbsentAfterKills()
    {
        TestHome home;
        QVERIFY(home.openError().isEmpty());
        QSqlDatabase db = salon::employeeDb();
        int n = 0;
        for (double taxRate : {0.07, 0.0825, 0.0})
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), ++n}, {QStringLiteral("FirstName"), QStringLiteral("Tech%1").arg(n)},
                                                {QStringLiteral("SalesTaxRate"), taxRate}});
        for (int id = 1; id <= 5; ++id)
            addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), id}, {QStringLiteral("LastName"), QStringLiteral("C%1").arg(id)}});
        QSqlQuery(db).exec(QStringLiteral("UPDATE Misc SET ChangeCount = 0, ChangeDate = '2026-03-01', MyNumber = 0"));
        const QStringList before = untouched(db);

        const int wanted = qEnvironmentVariableIsSet("VELORINE_CRASH_KILLS") ? qEnvironmentVariableIntValue("VELORINE_CRASH_KILLS") : 200;
        const qint64 budgetMs = 1000 * (qEnvironmentVariableIsSet("VELORINE_CRASH_SECONDS") ? qEnvironmentVariableIntValue("VELORINE_CRASH_SECONDS") : 50);
        QElapsedTimer clock;
        clock.start();
        int kills = 0, clean = 0;
        qint64 reported = 0;
        auto *random = QRandomGenerator::global();
        while (kills < wanted && clock.elapsed() < budgetMs) {
            QProcess child;
            // A new day every ten kills, so the numbering restarts under fire too.
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--sell"), home.path(), QString::number(kills / 10)});
            QVERIFY(child.waitForStarted());
            QVERIFY2(child.waitForReadyRead(10000), child.readAllStandardError().constData());
            QThread::usleep(random->bounded(30000));
            child.kill();
            QVERIFY(child.waitForFinished());
            ++kills;
            const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
            for (const QByteArray &line : lines)
                if (!line.isEmpty() && line != "ready")
                    reported = line.toLongLong();

            const QString fault = wholeOrAbsent(db);
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("after kill %1: %2").arg(kills).arg(fault)));
            // Committed is durable: the last sale the child reported is in the book.
            const qint64 last = rows(db, QStringLiteral("SELECT ifnull(max(ServiceID), 0) FROM \"Service Records\"")).first().toLongLong();
            QVERIFY2(last >= reported, qPrintable(QStringLiteral("sale %1 was reported but is missing").arg(reported)));
            QCOMPARE(untouched(db), before);
            ++clean;
        }
        const qint64 sales = rows(db, QStringLiteral("SELECT count(*) FROM \"Service Records\"")).first().toLongLong();
        qInfo("%d kills, %d clean checks, %lld sales in the book", kills, clean, sales);
        QVERIFY(kills >= 20);
        QVERIFY(sales > 0);
    }
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--sell") == 0) {
        QCoreApplication app(argc, argv);
        return sellUntilKilled(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    QCoreApplication app(argc, argv);
    TestSaleCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_salecrash.moc"
