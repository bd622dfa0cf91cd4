#include "testhome.h"

#include "database.h"
#include "database_p.h"
#include "recordset.h"
#include "serverbook.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlField>
#include <QSqlRecord>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

const QString adminConnection = QStringLiteral("velorine-test-admin");
const QString testService = QStringLiteral("velorine-test");

// The run's cluster as scripts/test-cluster recorded it: its socket folder, or why there is
// none.
struct Cluster
{
    QString host;
    QString skipReason;
};

Cluster readCluster()
{
    const QString path = qEnvironmentVariable("VELORINE_TEST_CLUSTER");
    if (path.isEmpty())
        return {{}, QStringLiteral("VELORINE_TEST_CLUSTER names no cluster file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {{}, QStringLiteral("no test cluster was started (%1 cannot be read)").arg(path)};
    Cluster cluster;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("host="))
            cluster.host = QString::fromLocal8Bit(line.mid(5).trimmed());
        else if (line.startsWith("skip="))
            cluster.skipReason = QString::fromLocal8Bit(line.mid(5).trimmed());
    }
    if (cluster.host.isEmpty() && cluster.skipReason.isEmpty())
        cluster.skipReason = QStringLiteral("%1 names no cluster").arg(path);
    return cluster;
}

const Cluster &cluster()
{
    static const Cluster c = readCluster();
    return c;
}

// Runs before main(): a binary asked to test the server where there is none is skipped whole,
// with status 77, before any test function could fail for want of it.
[[maybe_unused]] const bool serverChecked = [] {
    if (testBackend() != Backend::Server)
        return true;
    QString reason = cluster().skipReason;
    if (reason.isEmpty() && !QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        reason = QStringLiteral("Qt's PostgreSQL driver (QPSQL) is not installed");
    if (reason.isEmpty())
        return true;
    std::printf("Server tests skipped: %s\n", qPrintable(reason));
    std::fflush(stdout);
    std::exit(77);
}();

// One connection to the cluster's maintenance database, kept while the process runs, makes
// and drops the tests' databases.
QSqlDatabase adminDb()
{
    if (QSqlDatabase::contains(adminConnection))
        return QSqlDatabase::database(adminConnection);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), adminConnection);
    db.setHostName(cluster().host);
    db.setDatabaseName(QStringLiteral("postgres"));
    db.setUserName(QStringLiteral("postgres"));
    if (!db.open())
        qFatal("cannot reach the test cluster at %s: %s", qPrintable(cluster().host),
               qPrintable(db.lastError().text()));
    if (QCoreApplication::instance())
        qAddPostRoutine([] { QSqlDatabase::removeDatabase(adminConnection); });
    return db;
}

// DDL through exec(): the driver would make a server-side prepared statement of it otherwise.
bool runAdmin(const QString &sql, QString *error)
{
    QSqlQuery query(adminDb());
    if (query.exec(sql))
        return true;
    *error = query.lastError().text();
    return false;
}

} // namespace

// Named by the test library's link options, so that every test binary links this file and
// runs the check above even when it uses nothing else from it.
extern "C" void velorine_test_backend_gate() {}

Backend testBackend()
{
    return qgetenv("VELORINE_TEST_BACKEND") == "server" ? Backend::Server : Backend::Local;
}

bool onServer()
{
    return testBackend() == Backend::Server;
}

TestHome::TestHome(Open open)
{
    m_previousHome = qgetenv("VELORINE_HOME");
    qputenv("VELORINE_HOME", m_dir.path().toLocal8Bit());
    if (onServer())
        makeServerDatabase();
    if (open == Open::No)
        return;
    if (onServer()) {
        if (auto problem = salon::initServer(m_service)) {
            m_openError = *problem;
            return;
        }
        if (auto problem = salon::useServer(m_service)) {
            m_openError = *problem;
            return;
        }
    }
    if (auto problem = salon::open())
        m_openError = *problem;
}

void TestHome::makeServerDatabase()
{
    static int made = 0;
    m_database = QStringLiteral("velorine_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    QString error;
    if (!runAdmin(QStringLiteral("CREATE DATABASE \"%1\" TEMPLATE template0").arg(m_database), &error))
        qFatal("cannot create the test database %s: %s", qPrintable(m_database), qPrintable(error));

    const QString serviceFile = m_dir.filePath(QStringLiteral("pg_service.conf"));
    QFile file(serviceFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        qFatal("cannot write %s", qPrintable(serviceFile));
    file.write(QStringLiteral("[%1]\nhost=%2\ndbname=%3\nuser=postgres\n")
                   .arg(testService, cluster().host, m_database)
                   .toLocal8Bit());
    file.close();

    m_hadServiceFile = qEnvironmentVariableIsSet("PGSERVICEFILE");
    m_previousServiceFile = qgetenv("PGSERVICEFILE");
    qputenv("PGSERVICEFILE", serviceFile.toLocal8Bit());
    m_service = testService;
}

TestHome::~TestHome()
{
    salon::close();
    if (!m_database.isEmpty()) {
        QString error;
        if (!runAdmin(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(m_database), &error))
            qWarning("cannot drop the test database %s: %s", qPrintable(m_database), qPrintable(error));
        if (m_hadServiceFile)
            qputenv("PGSERVICEFILE", m_previousServiceFile);
        else
            qunsetenv("PGSERVICEFILE");
    }
    if (m_previousHome.isEmpty())
        qunsetenv("VELORINE_HOME");
    else
        qputenv("VELORINE_HOME", m_previousHome);
}

OtherDesk::OtherDesk(const QString &desk) : m_connection(QStringLiteral("other desk ") + desk)
{
    salon::internal::connectToServer(salon::bookChoice().service, desk, m_connection);
}

OtherDesk::~OtherDesk()
{
    salon::forgetNames(m_connection);
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

void OtherDesk::write(const QString &sql, const QVariantList &values)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    salon::Transaction transaction(db);
    salon::runQuery(db, sql, values);
    transaction.commit();
}

void useTestLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void addRow(const QString &table, std::initializer_list<std::pair<QString, QVariant>> fields)
{
    RecordSet rows(salon::employeeDb(), table);
    rows.addNew();
    for (const auto &[name, value] : fields)
        rows.setValue(name, value);
    rows.update();
}

void addCustomer(const QVariant &id, const QVariant &firstName, const QVariant &lastName)
{
    addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), id}, {QStringLiteral("FirstName"), firstName},
                                         {QStringLiteral("LastName"), lastName}});
}

void addEmployee(const QVariant &id, const QVariant &firstName, const QVariant &lastName)
{
    addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id}, {QStringLiteral("FirstName"), firstName},
                                        {QStringLiteral("LastName"), lastName}});
}

QVariant plainValue(const QSqlQuery &query, int column)
{
    const QVariant value = query.value(column);
    // A server hands numeric columns out as exact text; tests compare them as numbers.
    if (onServer() && value.typeId() == QMetaType::QString
        && query.record().field(column).metaType().id() == QMetaType::Double)
        return value.toDouble();
    return value;
}

QVariantList queryValues(const QString &sql)
{
    QSqlQuery query(salon::employeeDb());
    QVariantList result;
    if (!query.exec(salon::sqlFor(salon::employeeDb(), sql)))
        qFatal("query failed: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    while (query.next())
        for (int i = 0; i < query.record().count(); ++i)
            result << plainValue(query, i);
    return result;
}

bool execSql(const QString &sql, const QVariantList &values)
{
    QSqlDatabase db = salon::employeeDb();
    QSqlQuery query(db);
    // A server cannot prepare DDL or transaction statements: those run as they are.
    if (values.isEmpty())
        return query.exec(salon::sqlFor(db, sql));
    if (!query.prepare(salon::sqlFor(db, sql)))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

qint64 rowCount(const QString &table)
{
    return RecordSet(salon::employeeDb(), table).recordCount();
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void addManyCustomers(int count)
{
    QSqlQuery query(salon::employeeDb());
    query.prepare(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
        "INSERT INTO Customers (CustomerID, FirstName, LastName, Notes) "
        "SELECT i, 'Ann', 'Lee' || i, printf('%.300c', 'x') FROM n"));
    query.addBindValue(count);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
}

void overwriteMiddle(const QString &path, int length)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek((file.size() - length) / 2));
    QByteArray noise(length, '\0');
    for (int i = 0; i < length; ++i)
        noise[i] = char((i * 151 + 17) & 0xff);
    QCOMPARE(file.write(noise), qint64(length));
}
