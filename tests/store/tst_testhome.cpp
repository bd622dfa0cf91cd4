#include "testhome.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

// The test home on the server: every home gets a database of its own, empty, reachable through
// the service it names, and gone with the home.
class TestTestHome : public QObject
{
    Q_OBJECT

    // A connection of the test's own through a libpq service, removed when it goes.
    class ServiceConnection
    {
    public:
        ServiceConnection(const QString &service, const QString &name) : m_name(name)
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setConnectOptions(QStringLiteral("service=") + service);
            if (!db.open())
                m_error = db.lastError().text();
        }
        ~ServiceConnection()
        {
            QSqlDatabase::database(m_name, false).close();
            QSqlDatabase::removeDatabase(m_name);
        }
        QString error() const { return m_error; }
        QVariant value(const QString &sql) const
        {
            QSqlQuery query(QSqlDatabase::database(m_name, false));
            if (!query.exec(sql) || !query.next())
                return query.lastError().text();
            return query.value(0);
        }
        bool exec(const QString &sql) const { return QSqlQuery(QSqlDatabase::database(m_name, false)).exec(sql); }

    private:
        QString m_name;
        QString m_error;
    };

    static QString tablesInPublic()
    {
        return QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = 'public'");
    }
    static QString databasesNamed(const QString &name)
    {
        return QStringLiteral("SELECT count(*) FROM pg_database WHERE datname = '%1'").arg(name);
    }

private slots:
    void localHomeNamesNoService()
    {
        if (onServer())
            QSKIP("checks the local back end");
        TestHome home(TestHome::Open::No);
        QVERIFY(home.service().isEmpty());
        QVERIFY(!qEnvironmentVariableIsSet("PGSERVICEFILE"));
    }

    void eachHomeHasItsOwnDatabase()
    {
        if (!onServer())
            QSKIP("checks the server's test databases");
        const QByteArray serviceFileBefore = qgetenv("PGSERVICEFILE");
        QString firstDatabase;
        QString secondDatabase;
        {
            TestHome first(TestHome::Open::No);
            QCOMPARE(first.service(), QStringLiteral("velorine-test"));
            ServiceConnection toFirst(first.service(), QStringLiteral("first"));
            QVERIFY2(toFirst.error().isEmpty(), qPrintable(toFirst.error()));
            firstDatabase = toFirst.value(QStringLiteral("SELECT current_database()")).toString();
            QVERIFY2(firstDatabase.startsWith(QStringLiteral("velorine_")), qPrintable(firstDatabase));
            QCOMPARE(toFirst.value(tablesInPublic()).toInt(), 0);
            QVERIFY(toFirst.exec(QStringLiteral("CREATE TABLE \"Mark\" (\"Id\" integer)")));
            {
                TestHome second(TestHome::Open::No);
                ServiceConnection toSecond(second.service(), QStringLiteral("second"));
                QVERIFY2(toSecond.error().isEmpty(), qPrintable(toSecond.error()));
                secondDatabase = toSecond.value(QStringLiteral("SELECT current_database()")).toString();
                QVERIFY(secondDatabase != firstDatabase);
                QCOMPARE(toSecond.value(tablesInPublic()).toInt(), 0);
            }
            // The second home dropped its database and gave the service back to the first.
            QCOMPARE(toFirst.value(databasesNamed(secondDatabase)).toInt(), 0);
            ServiceConnection again(first.service(), QStringLiteral("again"));
            QCOMPARE(again.value(QStringLiteral("SELECT current_database()")).toString(), firstDatabase);
        }
        QCOMPARE(qgetenv("PGSERVICEFILE"), serviceFileBefore);
        TestHome third(TestHome::Open::No);
        ServiceConnection toThird(third.service(), QStringLiteral("third"));
        QCOMPARE(toThird.value(databasesNamed(firstDatabase)).toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTestHome)
#include "tst_testhome.moc"
