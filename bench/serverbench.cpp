#include "serverbench.h"

#include "bookcopy.h"
#include "database.h"
#include "dates.h"
#include "dialect.h"
#include "salewriter.h"
#include "screens.h"
#include "serverbook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double screenGoalMs = 250;
constexpr double memoryGoalMb = 100;
constexpr double saleGoalRatio = 1.5;
const QString service = QStringLiteral("velorine-bench");

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The tests' throw-away cluster, started for the bench and stopped when this goes.
class Cluster
{
public:
    explicit Cluster(const QString &infoFile) : m_info(infoFile) {}
    ~Cluster()
    {
        if (m_started)
            QProcess::execute(script(), {QStringLiteral("stop"), m_info});
    }
    Cluster(const Cluster &) = delete;
    Cluster &operator=(const Cluster &) = delete;

    // The socket folder, or empty with `why` saying why there is none.
    QString start(QString *why)
    {
        if (!QFileInfo(script()).isExecutable()) {
            *why = QStringLiteral("%1 is missing").arg(script());
            return {};
        }
        QProcess process;
        process.start(script(), {QStringLiteral("start"), m_info});
        if (!process.waitForFinished(180000) || process.exitCode() != 0) {
            *why = QStringLiteral("the cluster did not start: %1")
                       .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed().section(u'\n', -1));
            return {};
        }
        m_started = true;
        QFile file(m_info);
        file.open(QIODevice::ReadOnly);
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.startsWith("host="))
                return QString::fromLocal8Bit(line.mid(5).trimmed());
            if (line.startsWith("skip="))
                *why = QString::fromLocal8Bit(line.mid(5).trimmed());
        }
        return {};
    }

private:
    static QString script() { return QStringLiteral(VELORINE_SOURCE_DIR "/scripts/test-cluster"); }

    QString m_info;
    bool m_started = false;
};

bool makeDatabase(const QString &host)
{
    const QString name = QStringLiteral("bench-admin");
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(host);
        db.setDatabaseName(QStringLiteral("postgres"));
        db.setUserName(QStringLiteral("postgres"));
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(QStringLiteral("CREATE DATABASE velorine_bench TEMPLATE template0"));
            if (!ok)
                say(QStringLiteral("server lines skipped: %1").arg(query.lastError().text()));
        } else {
            say(QStringLiteral("server lines skipped: %1").arg(db.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

qint64 firstKey(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    query.exec(salon::sqlFor(db, sql));
    return query.next() ? query.value(0).toLongLong() : -1;
}

// One sale line by the ticket's writer against the same statements, prepared once, in one
// plain transaction under the same lock, through the same driver and socket.
void saleLine(QSqlDatabase db)
{
    // A technician to sell for (the generated book has none unless the local bench added one).
    if (firstKey(db, QStringLiteral("SELECT rowid FROM Employee ORDER BY rowid")) < 0)
        QSqlQuery(db).exec(salon::sqlFor(db, QStringLiteral("INSERT INTO Employee (EmployeeID, FirstName, SubTotal, Total, "
                                                            "SalesTaxRate) VALUES (1, 'Bench', 0, 0, 0.07)")));
    const qint64 employee = firstKey(db, QStringLiteral("SELECT rowid FROM Employee ORDER BY rowid"));
    const qint64 customer = firstKey(db, QStringLiteral("SELECT rowid FROM Customers WHERE CustomerID = 500"));
    const qint64 product = firstKey(db, QStringLiteral("SELECT rowid FROM Products ORDER BY rowid"));
    const qint64 misc = firstKey(db, QStringLiteral("SELECT rowid FROM Misc ORDER BY rowid"));
    if (employee < 0 || customer < 0 || product < 0 || misc < 0) {
        say(QStringLiteral("server sale line skipped: the copied book lacks a technician, customer 500 or a product"));
        return;
    }
    const QDate today = QDate::currentDate();
    const sale::SaleLine line{product, employee, customer, 2, 0.1, today};

    auto prepared = [&db](const QString &sql) {
        auto query = std::make_unique<QSqlQuery>(db);
        if (!query->prepare(salon::sqlFor(db, sql)))
            say(QStringLiteral("server sale: %1").arg(query->lastError().text()));
        return query;
    };
    auto productRow = prepared(QStringLiteral("SELECT ServiceName, UnitPrice FROM Products WHERE rowid = ?"));
    auto cells = prepared(QStringLiteral("UPDATE Products SET Quantity = ?, Discount = ?, SalePrice = ? WHERE rowid = ?"));
    auto technician = prepared(QStringLiteral("SELECT EmployeeID, Total, SalesTaxRate FROM Employee WHERE rowid = ?"));
    auto customerRow = prepared(QStringLiteral("SELECT CustomerID FROM Customers WHERE rowid = ?"));
    auto miscRow = prepared(QStringLiteral("SELECT rowid, ChangeCount, ChangeDate, MyNumber FROM Misc ORDER BY rowid LIMIT 1"));
    auto nextId = prepared(QStringLiteral(
        "SELECT greatest(coalesce((SELECT highest FROM velorine.\"Highest Numbers\" WHERE table_name = ?), 0), "
        "coalesce((SELECT max(rowid) FROM \"Service Records\"), 0)) + 1"));
    auto numbering = prepared(QStringLiteral("UPDATE Misc SET ChangeCount = ?, ChangeDate = ?, MyNumber = ? WHERE rowid = ?"));
    auto journal = prepared(QStringLiteral("INSERT INTO \"Service Records\" (ServiceID, CustomerID, EmployeeID, ServiceDate, "
                                           "NameOfService, Quantity, Cost, Count) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    auto visit = prepared(QStringLiteral("UPDATE Customers SET ServiceDate = ? WHERE rowid = ?"));
    auto totals = prepared(QStringLiteral("UPDATE Employee SET SubTotal = ?, Total = ? WHERE rowid = ?"));
    QSqlQuery direct(db);
    auto exec = [](QSqlQuery &query, const QVariantList &values) {
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        if (!query.exec())
            say(QStringLiteral("server sale: %1").arg(query.lastError().text()));
        query.next();
    };
    const QString isoToday = today.toString(Qt::ISODate);
    auto plainSale = [&] {
        direct.exec(QStringLiteral("BEGIN ISOLATION LEVEL READ COMMITTED"));
        direct.exec(QStringLiteral("SET LOCAL lock_timeout = '5s'"));
        direct.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 1)").arg(0x56454c4f));
        exec(*productRow, {product});
        exec(*cells, {2, 0.1, 35.982, product});
        exec(*technician, {employee});
        exec(*customerRow, {customer});
        exec(*miscRow, {});
        exec(*nextId, {QStringLiteral("Service Records")});
        const qint64 id = nextId->value(0).toLongLong();
        exec(*numbering, {2, isoToday, id - 1, misc});
        exec(*journal, {id, 500, 1, isoToday, QStringLiteral("Bench"), 2, 35.982, 1});
        exec(*visit, {mdyText(today), customer});
        exec(*totals, {35.982, 38.5007, employee});
        direct.exec(QStringLiteral("COMMIT"));
    };

    std::vector<double> ours, plain;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        try {
            sale::recordSaleLine(db, line);
        } catch (const std::exception &error) {
            say(QStringLiteral("server sale line failed: %1").arg(QString::fromUtf8(error.what())));
            return;
        }
        ours.push_back(double(timer.nsecsElapsed()) / 1000.0);
        timer.restart();
        plainSale();
        plain.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    const double a = median(ours), b = median(plain);
    std::printf("%-48s %10.1f us  plain %10.1f us  ratio %6.2f  %s\n", "server: sale line vs plain transaction", a, b,
                a / b, a / b <= saleGoalRatio ? "ok" : "OVER");
    std::fflush(stdout);
}

void screens()
{
    // As in the program, the main window is up before any screen opens.
    {
        QWidget mainWindowStandIn;
        mainWindowStandIn.show();
        QCoreApplication::processEvents();
    }
    for (const BenchScreen &screen : benchScreens()) {
        const ScreenTiming timing = timeScreen(screen);
        const double first = timing.firstMs;
        const double best = timing.bestMs;
        const double memory = timing.residentMb;
        const bool ok = first <= screenGoalMs && memory <= memoryGoalMb;
        std::printf("server: open %-32s first %7.1f ms  best %7.1f ms  resident %6.1f MB  %s\n", qPrintable(screen.name),
                    first, best, memory, ok ? "ok" : "OVER");
        std::fflush(stdout);
    }
    std::printf("server: program resident at the end: %.1f MB (goal %.0f MB)\n", residentMb(), memoryGoalMb);
}

} // namespace

void runServerLines(const QString &program, const QString &booksRoot)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(program, {QStringLiteral("--server"), booksRoot});
    if (!child.waitForStarted() || !child.waitForFinished(3600 * 1000))
        say(QStringLiteral("server lines: the bench's server part did not finish"));
}

int serverLinesMain(const QString &bookFolder)
{
    QTemporaryDir work;
    Cluster cluster(work.filePath(QStringLiteral("cluster.info")));
    QString why;
    const QString host = cluster.start(&why);
    if (host.isEmpty()) {
        say(QStringLiteral("server lines skipped: %1").arg(why));
        return 0;
    }
    if (!makeDatabase(host))
        return 0;
    const QString serviceFile = work.filePath(QStringLiteral("pg_service.conf"));
    QFile file(serviceFile);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("[%1]\nhost=%2\ndbname=velorine_bench\nuser=postgres\n").arg(service, host).toLocal8Bit());
    file.close();
    qputenv("PGSERVICEFILE", serviceFile.toLocal8Bit());

    QElapsedTimer timer;
    timer.start();
    const salon::BookCopy copy = salon::copyBookTo(bookFolder + QStringLiteral("/Employee.db"), service);
    if (copy.problem) {
        say(QStringLiteral("server lines skipped: the copy failed: %1").arg(*copy.problem));
        return 0;
    }
    say(QStringLiteral("server: %1 rows copied to a new cluster in %2 s (checked row counts and money sums)")
            .arg(copy.rows)
            .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1));

    // A server desk of its own: its data folder holds the choice of the service.
    qputenv("VELORINE_HOME", work.filePath(QStringLiteral("desk")).toLocal8Bit());
    if (auto problem = salon::useServer(service)) {
        say(QStringLiteral("server lines skipped: %1").arg(*problem));
        return 0;
    }
    if (auto problem = salon::open()) {
        say(QStringLiteral("server lines skipped: %1").arg(*problem));
        return 0;
    }
    say(QStringLiteral("server: resident after opening the books: %1 MB").arg(residentMb(), 0, 'f', 1));
    screens();
    saleLine(salon::employeeDb());
    salon::close();
    return 0;
}
