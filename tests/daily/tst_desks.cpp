#include "database.h"
#include "endofday.h"
#include "recordset.h"
#include "saleline.h"
#include "salewriter.h"
#include "scripteddialogs.h"
#include "serverbook.h"
#include "storeerror.h"
#include "testdoors.h"
#include "testhome.h"
#include "values.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QtTest>
#include <cstdio>
#include <memory>
#include <unistd.h>

// Several desks on one server at once, each a process of its own: this binary, run with
// --desk NAME FOLDER SERVICE, is one desk, opened as the program opens one (its own data
// folder holding its choice of server and its name). It answers one line per command on stdin:
//   sell EMPLOYEE PRODUCT CUSTOMER QUANTITY DISCOUNT   one sale line (row keys)
//   batch N          N sale lines in a fixed pattern over two technicians, then "done"
//   hang             a sale line left uncommitted, "hanging", then nothing until killed
//   endofday         End Of Day (the payroll door cannot open here)
// A sale answers "sold SERVICEID COUNT EMPLOYEE PRODUCT QUANTITY DISCOUNT" or "refused TEXT".

namespace {

const QDate day(2026, 3, 10);
const double discounts[] = {0.0, 0.1, 0.125};

QList<qint64> keysOf(const QString &table)
{
    QList<qint64> keys;
    for (const QVariant &key : queryValues(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(table)))
        keys << key.toLongLong();
    return keys;
}

void reply(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// The child's commands, on the open desk.
void answerCommands(const QString &name)
{
    QSqlDatabase db = salon::employeeDb();
    const QList<qint64> employees = keysOf(QStringLiteral("Employee"));
    const QList<qint64> products = keysOf(QStringLiteral("Products"));
    const QList<qint64> customers = keysOf(QStringLiteral("Customers"));
    QMap<qint64, Currency> ticket;   // this desk's sub-total per technician
    const auto sell = [&](qint64 employee, qint64 product, qint64 customer, qint64 quantity, double discount) {
        try {
            const sale::RecordedSale sold =
                sale::recordSaleLine(db, {product, employee, customer, quantity, discount, day, ticket[employee]});
            ticket[employee] = sold.subTotal;
            reply(QStringLiteral("sold %1 %2 %3 %4 %5 %6").arg(sold.serviceId).arg(sold.count).arg(employee).arg(product)
                      .arg(quantity).arg(discount));
            return true;
        } catch (const StoreError &error) {
            reply(QStringLiteral("refused ") + error.text());
            return false;
        }
    };
    reply(QStringLiteral("ready"));
    QTextStream in(stdin);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        const QStringList word = line.split(u' ');
        if (word[0] == QLatin1String("sell")) {
            sell(word[1].toLongLong(), word[2].toLongLong(), word[3].toLongLong(), word[4].toLongLong(), word[5].toDouble());
        } else if (word[0] == QLatin1String("batch")) {
            const int seed = name.at(0).unicode();
            for (int i = 0; i < word[1].toInt(); ++i)
                if (!sell(employees[i % 2], products[(seed + 7 * i) % products.size()], customers[i % customers.size()],
                          1 + i % 3, discounts[i % 3]))
                    break;
            reply(QStringLiteral("done"));
        } else if (word[0] == QLatin1String("hang")) {
            salon::Transaction open(db);
            sell(employees[0], products[0], customers[0], 2, 0.0);
            reply(QStringLiteral("hanging"));
            for (;;)
                QThread::sleep(1);
        } else if (word[0] == QLatin1String("endofday")) {
            TestDoors doors;
            const endofday::Result result = endofday::walk(nullptr, day, doors, [db](qint64 row) {
                endofday::clearDayTotalsInBook(db, row);
            });
            reply(result.refused.isEmpty() ? QStringLiteral("ran") : QStringLiteral("refused ") + result.refused);
        }
    }
}

// The child: one desk.
int runDesk(const QString &name, const QString &folder, const QString &service)
{
    qputenv("VELORINE_HOME", folder.toLocal8Bit());
    std::optional<QString> problem = salon::setDeskName(name);
    if (!problem)
        problem = salon::useServer(service);
    if (!problem)
        problem = salon::open();
    if (problem) {
        reply(QStringLiteral("failed ") + *problem);
        return 1;
    }
    answerCommands(name);
    salon::close();
    return 0;
}

// A desk process, seen from the test.
class Desk
{
public:
    Desk(const QString &name, const QString &folder, const QString &service) : m_name(name)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--desk"), name, folder, service});
    }
    ~Desk()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }
    const QString &name() const { return m_name; }
    void send(const QString &command)
    {
        m_process.write(command.toUtf8() + '\n');
        m_process.waitForBytesWritten();
    }
    // The next line the desk says; empty when it said nothing within the time.
    QString next(int timeoutMs = 20000)
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_process.canReadLine() && waited.elapsed() < timeoutMs)
            m_process.waitForReadyRead(qMax(1, int(timeoutMs - waited.elapsed())));
        return m_process.canReadLine() ? QString::fromUtf8(m_process.readLine()).trimmed() : QString();
    }
    QString ask(const QString &command, int timeoutMs = 20000)
    {
        send(command);
        return next(timeoutMs);
    }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QString m_name;
    QProcess m_process;
};

// What one sold line was, as a desk reported it.
struct Sold
{
    QString desk;
    qint64 serviceId, count, employee, product, quantity;
    double discount;
};

std::optional<Sold> soldLine(const QString &desk, const QString &line)
{
    const QStringList w = line.split(u' ');
    if (w.size() != 7 || w[0] != QLatin1String("sold"))
        return std::nullopt;
    return Sold{desk, w[1].toLongLong(), w[2].toLongLong(), w[3].toLongLong(), w[4].toLongLong(), w[5].toLongLong(),
                w[6].toDouble()};
}

QString sellCommand(qint64 employee, qint64 product, qint64 customer, qint64 quantity = 1, double discount = 0)
{
    return QStringLiteral("sell %1 %2 %3 %4 %5").arg(employee).arg(product).arg(customer).arg(quantity).arg(discount);
}

Currency money(const QVariant &stored) { return Currency::fromStored(stored).value_or(Currency::fromScaled(-1)); }

// Runs the cluster script or pg_ctl for the test's own cluster; as root, pg_ctl runs as postgres.
bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    if (program.endsWith(QLatin1String("pg_ctl")) && geteuid() == 0)
        tool.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + arguments);
    else
        tool.start(program, arguments);
    return tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

const QString pgCtl = QStringLiteral("/usr/lib/postgresql/15/bin/pg_ctl");

} // namespace

class TestDesks : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    QList<qint64> employees, products, customers;

    // This process is desk "front" on a fresh book with two technicians and four customers.
    void openFront()
    {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        salon::close();
        QVERIFY(!salon::setDeskName(QStringLiteral("front")));
        QVERIFY(!salon::open());
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 1}, {QStringLiteral("FirstName"), QStringLiteral("Ivy")},
                                            {QStringLiteral("SalesTaxRate"), 0.0825}});
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 2}, {QStringLiteral("FirstName"), QStringLiteral("Max")},
                                            {QStringLiteral("SalesTaxRate"), 0.07}});
        for (int id = 1; id <= 4; ++id)
            addCustomer(id, QStringLiteral("Ann"), QStringLiteral("Lee%1").arg(id));
        QVERIFY(execSql(QStringLiteral("UPDATE Misc SET ChangeCount = 0, ChangeDate = '2026-03-09', MyNumber = 0")));
        employees = keysOf(QStringLiteral("Employee"));
        products = keysOf(QStringLiteral("Products"));
        customers = keysOf(QStringLiteral("Customers"));
        QVERIFY(products.size() >= 3);
    }

    std::unique_ptr<Desk> startDesk(const QString &name)
    {
        const QString folder = home->path() + u'/' + name;
        auto desk = std::make_unique<Desk>(name, folder, home->service());
        const QString ready = desk->next();
        if (ready != QLatin1String("ready"))
            qWarning("desk %s: %s", qPrintable(name), qPrintable(ready));
        return ready == QLatin1String("ready") ? std::move(desk) : nullptr;
    }

    // The extended price and the share of the day total of a line, as the sale routine has them.
    struct Priced
    {
        Currency extended, share;
    };
    Priced priced(const Sold &line)
    {
        const QVariantList stored = queryValues(QStringLiteral("SELECT p.UnitPrice, e.SalesTaxRate FROM Products p, Employee e "
                                                               "WHERE p.rowid = %1 AND e.rowid = %2").arg(line.product).arg(line.employee));
        const Currency extended = sale::priceSaleLine(money(stored[0]), line.quantity, line.discount)->extended;
        return {extended, *extended.timesRate(1.0 + *narrowRate(stored[1].toDouble()))};
    }

    // The technicians' day totals as the book holds them, by row key.
    QMap<qint64, QString> dayTotals()
    {
        QMap<qint64, QString> totals;
        const QVariantList values = queryValues(QStringLiteral("SELECT rowid, Total FROM Employee"));
        for (qsizetype i = 0; i + 1 < values.size(); i += 2)
            totals[values[i].toLongLong()] = money(values[i + 1]).text();
        return totals;
    }

    // Every desk's ticket cells: "desk product quantity discount price" and "desk employee subtotal".
    static QStringList ticketCells()
    {
        QStringList cells;
        const QVariantList products = queryValues(QStringLiteral(
            "SELECT desk, rowid, Quantity, Discount, SalePrice FROM velorine.\"Desk Products\" "
            "WHERE Quantity <> 0 ORDER BY desk, rowid"));
        for (qsizetype i = 0; i + 4 < products.size(); i += 5)
            cells << QStringLiteral("%1 %2 %3 %4 %5").arg(products[i].toString(), products[i + 1].toString(), products[i + 2].toString())
                         .arg(products[i + 3].toDouble()).arg(money(products[i + 4]).text());
        const QVariantList employees = queryValues(QStringLiteral(
            "SELECT desk, rowid, SubTotal FROM velorine.\"Desk Employees\" WHERE SubTotal <> 0 ORDER BY desk, rowid"));
        for (qsizetype i = 0; i + 2 < employees.size(); i += 3)
            cells << QStringLiteral("%1 %2 %3").arg(employees[i].toString(), employees[i + 1].toString(), money(employees[i + 2]).text());
        return cells;
    }

    // The cells each desk's own lines leave: a product holds the desk's last line of it, a
    // technician the sum of the desk's lines.
    QStringList expectedCells(const QList<Sold> &lines)
    {
        QMap<QString, QString> productCells;
        QMap<QString, Currency> subTotals;
        for (const Sold &line : lines) {
            const Currency extended = priced(line).extended;
            const QString key = QStringLiteral("%1 %2").arg(line.desk).arg(line.product, 20, 10, QChar(u'0'));
            productCells[key] = QStringLiteral("%1 %2 %3 %4 %5").arg(line.desk).arg(line.product).arg(line.quantity)
                                    .arg(line.discount).arg(extended.text());
            const QString employee = QStringLiteral("%1 %2").arg(line.desk).arg(line.employee, 20, 10, QChar(u'0'));
            subTotals[employee] = *subTotals[employee].plus(extended);
        }
        QStringList cells = productCells.values();
        for (auto it = subTotals.cbegin(); it != subTotals.cend(); ++it)
            cells << QStringLiteral("%1 %2 %3").arg(it.key().section(u' ', 0, 0)).arg(it.key().section(u' ', 1).toLongLong())
                         .arg(it->text());
        return cells;
    }

private slots:
    void cleanup()
    {
        home.reset();
    }

    // Four desks sell 50 lines each at once; a fifth may be killed while its sale is open.
    void salesFromDesksAtOnce_data()
    {
        QTest::addColumn<bool>("killOne");
        QTest::newRow("four desks") << false;
        QTest::newRow("a fifth killed in the middle of its sale") << true;
    }
    void salesFromDesksAtOnce()
    {
        QFETCH(bool, killOne);
        openFront();
        QList<Sold> sold;
        std::unique_ptr<Desk> victim;
        if (killOne) {
            victim = startDesk(QStringLiteral("doomed"));
            QVERIFY(victim);
            for (int i = 0; i < 2; ++i) {
                const auto line = soldLine(victim->name(), victim->ask(sellCommand(employees[i], products[i], customers[i], 3, 0.1)));
                QVERIFY(line);
                sold << *line;
            }
            QCOMPARE(victim->ask(QStringLiteral("hang")).left(5), QStringLiteral("sold "));
            QCOMPARE(victim->next(), QStringLiteral("hanging"));
        }
        std::vector<std::unique_ptr<Desk>> desks;
        for (const QString &name : {QStringLiteral("nails"), QStringLiteral("hair"), QStringLiteral("spa"), QStringLiteral("door")}) {
            desks.push_back(startDesk(name));
            QVERIFY(desks.back());
        }
        for (const auto &desk : desks)
            desk->send(QStringLiteral("batch 50"));
        if (killOne) {
            // The others now wait for the write lock the open sale holds.
            QThread::msleep(500);
            victim->kill();
        }
        for (const auto &desk : desks) {
            for (QString line = desk->next(); line != QLatin1String("done"); line = desk->next()) {
                const auto parsed = soldLine(desk->name(), line);
                QVERIFY2(parsed, qPrintable(desk->name() + QStringLiteral(": ") + line));
                sold << *parsed;
            }
        }
        QCOMPARE(sold.size(), killOne ? 202 : 200);

        // One day's numbering without gap or repeat, and the journal holds exactly the sales.
        const QVariantList journal = queryValues(QStringLiteral("SELECT ServiceID, Count, Cost FROM [Service Records] ORDER BY Count"));
        QCOMPARE(journal.size(), sold.size() * 3);
        QMap<qint64, Sold> byId;
        for (const Sold &line : sold)
            byId.insert(line.serviceId, line);
        QCOMPARE(byId.size(), sold.size());
        for (qsizetype i = 0; i < sold.size(); ++i) {
            QCOMPARE(journal[3 * i + 1].toLongLong(), qint64(i + 1));
            const qint64 id = journal[3 * i].toLongLong();
            QVERIFY2(byId.contains(id), qPrintable(QStringLiteral("journal row %1 was not reported sold").arg(id)));
            QCOMPARE(byId[id].count, qint64(i + 1));
            QCOMPARE(money(journal[3 * i + 2]).text(), priced(byId[id]).extended.text());
        }

        // Each day total is the exact sum of its lines' shares, whichever desk sold them.
        QMap<qint64, QString> expected;
        QMap<qint64, Currency> sums;
        for (const Sold &line : sold)
            sums[line.employee] = *sums[line.employee].plus(priced(line).share);
        for (auto it = sums.cbegin(); it != sums.cend(); ++it)
            expected[it.key()] = it->text();
        QCOMPARE(dayTotals(), expected);

        // Each desk's ticket cells hold its own lines only.
        QCOMPARE(ticketCells(), expectedCells(sold));
    }

    // Two desks edit one customer: the second desk's update is refused and shows the first's.
    void editOfARowChangedOnAnotherDesk_data()
    {
        QTest::addColumn<bool>("deleteIt");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QVariantList>("shown");
        QTest::newRow("changed") << false << QStringLiteral("This record was changed on another desk; its current values are "
                                                            "shown. Nothing was stored.")
                                 << QVariantList{QStringLiteral("Stone")};
        QTest::newRow("deleted") << true << QStringLiteral("Record is deleted.") << QVariantList{};
    }
    void editOfARowChangedOnAnotherDesk()
    {
        QFETCH(bool, deleteIt);
        QFETCH(QString, message);
        QFETCH(QVariantList, shown);
        openFront();
        RecordSet front(salon::employeeDb(), QStringLiteral("Customers"));
        QCOMPARE(front.value(QStringLiteral("LastName")).toString(), QStringLiteral("Lee1"));
        {
            const salon::ShortConnection other;
            RecordSet otherDesk(other.db(), QStringLiteral("Customers"));
            QCOMPARE(otherDesk.value(QStringLiteral("LastName")).toString(), QStringLiteral("Lee1"));
            if (deleteIt) {
                otherDesk.remove();
            } else {
                otherDesk.edit();
                otherDesk.setValue(QStringLiteral("LastName"), QStringLiteral("Stone"));
                otherDesk.update();
            }
        }
        front.edit();
        front.setValue(QStringLiteral("LastName"), QStringLiteral("Moss"));
        try {
            front.update();
            QFAIL("the update went through");
        } catch (const StoreError &error) {
            QCOMPARE(error.text(), message);
        }
        if (!deleteIt)
            QCOMPARE(front.value(QStringLiteral("LastName")).toString(), QStringLiteral("Stone"));
        QCOMPARE(queryValues(QStringLiteral("SELECT LastName FROM Customers WHERE CustomerID = 1")), shown);
    }

    // While one desk runs End Of Day another desk can neither run it nor sell (it waits, then
    // is refused); the other desk's ticket is left alone, and its next sale after the day
    // closed starts the new day total, so none is lost.
    void endOfDayOnOneDeskWhileAnotherSells()
    {
        openFront();
        auto nails = startDesk(QStringLiteral("nails"));
        QVERIFY(nails);
        QList<Sold> before;
        for (int i = 0; i < 2; ++i) {
            const auto line = soldLine(QStringLiteral("nails"), nails->ask(sellCommand(employees[i], products[i], customers[i], 2)));
            QVERIFY(line);
            before << *line;
        }
        const sale::RecordedSale own = sale::recordSaleLine(salon::employeeDb(), {products[2], employees[0], customers[2], 1, 0.0, day, {}});

        ScriptedDialogs dialogs;
        TestDoors doors;
        QStringList refusals;
        qint64 waitedMs = 0;
        doors.entry = [&](const payrollentry::Request &request) {
            const auto post = [&] {
                addRow(QStringLiteral("Payroll Records"), {{QStringLiteral("EmployeeID"), request.employeeId},
                                                            {QStringLiteral("ServiceDate"), request.day}, {QStringLiteral("TodayEarn"), 1}});
            };
            if (request.employeeId != 1) {
                post();
            } else {
                refusals << nails->ask(QStringLiteral("endofday"));
                // The posting goes through while the other desk's sale waits.
                QElapsedTimer waited;
                waited.start();
                nails->send(sellCommand(employees[0], products[0], customers[0]));
                QThread::msleep(300);
                post();
                refusals << nails->next();
                waitedMs = waited.elapsed();
            }
            return payrollentry::Outcome{payrollentry::Outcome::Posted, {}};
        };
        const endofday::Result result = endofday::walk(nullptr, day, doors, [](qint64 row) {
            endofday::clearDayTotalsInBook(salon::employeeDb(), row);
        });
        QVERIFY(result.finished);
        QCOMPARE(result.posted, 2);
        QCOMPARE(refusals, (QStringList{QStringLiteral("refused End Of Day is running on desk front."),
                                        QStringLiteral("refused End Of Day is running on desk front; nothing was stored.")}));
        QVERIFY2(waitedMs >= 4500, qPrintable(QString::number(waitedMs)));
        QCOMPARE(dayTotals(), (QMap<qint64, QString>{{employees[0], QStringLiteral("0")}, {employees[1], QStringLiteral("0")}}));
        // This desk's sub-totals are cleared; the other desk's ticket is its own.
        QCOMPARE(ticketCells().filter(QRegularExpression(QStringLiteral("^\\S+ \\S+ \\S+$"))), expectedCells(before).mid(2));

        const auto after = soldLine(QStringLiteral("nails"), nails->ask(sellCommand(employees[0], products[0], customers[0])));
        QVERIFY(after);
        QCOMPARE(dayTotals().value(employees[0]), priced(*after).share.text());
        QCOMPARE(queryValues(QStringLiteral("SELECT Count FROM [Service Records] ORDER BY ServiceID")),
                 (QVariantList{1, 2, 3, 4}));
        QCOMPARE(own.count, 3);
    }

    // The server stops under a desk and starts again: the sale in flight and the action during
    // the outage fail and store nothing; the next action after the restart works, with the
    // statements and record sets the desk had before.
    void serverStoppedAndStartedUnderADesk()
    {
        // A cluster of its own: the run's shared one serves tests running beside this one.
        QTemporaryDir dir;
        const QString info = dir.filePath(QStringLiteral("cluster.info"));
        QVERIFY(runTool(QStringLiteral(VELORINE_SOURCE_DIR "/scripts/test-cluster"), {QStringLiteral("start"), info}));
        const auto stopCluster = qScopeGuard([&] {
            salon::close();
            runTool(QStringLiteral(VELORINE_SOURCE_DIR "/scripts/test-cluster"), {QStringLiteral("stop"), info});
        });
        QFile infoFile(info);
        QVERIFY(infoFile.open(QIODevice::ReadOnly));
        const QString host = QString::fromUtf8(infoFile.readAll()).trimmed().section(u'=', 1);
        QVERIFY(!host.isEmpty());
        const QStringList startArgs{QStringLiteral("start"), QStringLiteral("-w"), QStringLiteral("-s"), QStringLiteral("-D"), host + QStringLiteral("/data"),
                                    QStringLiteral("-l"), host + QStringLiteral("/server.log"), QStringLiteral("-o"),
                                    QStringLiteral("-k %1 -c listen_addresses= -c fsync=off").arg(host)};
        const QStringList stopArgs{QStringLiteral("stop"), QStringLiteral("-w"), QStringLiteral("-s"), QStringLiteral("-D"),
                                   host + QStringLiteral("/data"), QStringLiteral("-m"), QStringLiteral("fast")};

        const QString serviceFile = dir.filePath(QStringLiteral("pg_service.conf"));
        writeFile(serviceFile, QStringLiteral("[salon]\nhost=%1\ndbname=postgres\nuser=postgres\n").arg(host).toUtf8());
        const QByteArray previousServiceFile = qgetenv("PGSERVICEFILE");
        const QByteArray previousHome = qgetenv("VELORINE_HOME");
        qputenv("PGSERVICEFILE", serviceFile.toLocal8Bit());
        qputenv("VELORINE_HOME", dir.filePath(QStringLiteral("home")).toLocal8Bit());
        const auto restoreEnvironment = qScopeGuard([&] {
            qputenv("PGSERVICEFILE", previousServiceFile);
            qputenv("VELORINE_HOME", previousHome);
        });
        QCOMPARE(salon::initServer(QStringLiteral("salon")).value_or(QString()), QString());
        QCOMPARE(salon::setDeskName(QStringLiteral("front")).value_or(QString()), QString());
        QCOMPARE(salon::useServer(QStringLiteral("salon")).value_or(QString()), QString());
        QCOMPARE(salon::open().value_or(QString()), QString());
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 1}, {QStringLiteral("SalesTaxRate"), 0.05}});
        addCustomer(1, QStringLiteral("Ann"), QStringLiteral("Lee"));
        QSqlDatabase db = salon::employeeDb();
        const sale::SaleLine line{keysOf(QStringLiteral("Products")).first(), keysOf(QStringLiteral("Employee")).first(),
                                  keysOf(QStringLiteral("Customers")).first(), 1, 0.0, day, {}};
        sale::recordSaleLine(db, line);
        // A record set with its row statement prepared before the outage.
        RecordSet customers(db, QStringLiteral("Customers"));
        customers.refreshRow(customers.bookmark());
        QCOMPARE(customers.value(QStringLiteral("FirstName")).toString(), QStringLiteral("Ann"));

        // The store's text of what an action failed with.
        const auto failure = [](const std::function<void()> &action) {
            try {
                action();
            } catch (const StoreError &error) {
                return error.text();
            }
            return QStringLiteral("no failure");
        };
        {
            // An edit in flight when the server goes.
            salon::Transaction inFlight(db);
            salon::runQuery(db, QStringLiteral("UPDATE Customers SET FirstName = 'Half'"));
            QVERIFY(runTool(pgCtl, stopArgs));
            QCOMPARE(failure([&] { inFlight.commit(); }),
                     QStringLiteral("The server cannot be reached: terminating connection due to administrator command. "
                                    "Nothing was stored."));
        }
        const QRegularExpression unreachable(QStringLiteral("^The server cannot be reached: connection to server .*\\. Nothing was stored\\.$"));
        QVERIFY2(unreachable.match(failure([&] { sale::recordSaleLine(db, line); })).hasMatch(), "the sale");
        QVERIFY2(unreachable.match(failure([&] { customers.requery(); })).hasMatch(), "the record set");

        QVERIFY(runTool(pgCtl, startArgs));
        const sale::RecordedSale next = sale::recordSaleLine(db, line);
        QCOMPARE(next.count, 2);
        QCOMPARE(queryValues(QStringLiteral("SELECT Count FROM [Service Records] ORDER BY ServiceID")), (QVariantList{1, 2}));
        customers.requery();
        QCOMPARE(customers.value(QStringLiteral("FirstName")).toString(), QStringLiteral("Ann"));
        customers.edit();
        customers.setValue(QStringLiteral("FirstName"), QStringLiteral("Bea"));
        customers.update();
        QCOMPARE(customers.value(QStringLiteral("FirstName")).toString(), QStringLiteral("Bea"));
        QCOMPARE(queryValues(QStringLiteral("SELECT FirstName FROM Customers")), QVariantList{QStringLiteral("Bea")});
        QCOMPARE(queryValues(QStringLiteral("SELECT current_setting('application_name')")),
                 QVariantList{QStringLiteral("velorine:front")});

        // Restarted while the desk stood idle: the next sale finds the connection gone before it
        // sent anything, and goes through on a new one.
        QVERIFY(runTool(pgCtl, stopArgs));
        QVERIFY(runTool(pgCtl, startArgs));
        QCOMPARE(sale::recordSaleLine(db, line).count, 3);
    }
};

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--desk") == 0) {
        QApplication app(argc, argv);
        return runDesk(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    QApplication app(argc, argv);
    TestDesks test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desks.moc"
