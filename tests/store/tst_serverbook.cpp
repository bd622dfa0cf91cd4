#include "catalog.h"
#include "database.h"
#include "database_p.h"
#include "recordset.h"
#include "schemaversion.h"
#include "serverbook.h"
#include "testhome.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

// A desk's books on the server: making them, choosing them, refusing what this program cannot
// use, and each desk's own ticket beside the shared books.
class TestServerBook : public QObject
{
    Q_OBJECT

    // A second desk on the same books, for as long as it lives.
    class OtherDesk
    {
    public:
        explicit OtherDesk(const QString &service, const QString &desk = QStringLiteral("other desk"))
            : m_db(salon::internal::connectToServer(service, desk, QStringLiteral("other desk")))
        {
        }
        ~OtherDesk()
        {
            salon::forgetNames(QStringLiteral("other desk"));
            m_db.close();
            m_db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("other desk"));
        }
        QSqlDatabase db() const { return m_db; }
        QVariantList values(const QString &sql) const
        {
            QSqlQuery query = salon::runQuery(m_db, sql);
            QVariantList found;
            while (query.next())
                found << plainValue(query, 0);
            return found;
        }

    private:
        QSqlDatabase m_db;
    };

private slots:
    void madeOnlyInAnEmptyDatabase()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QCOMPARE(salon::initServer(home.service()),
                 std::optional(QStringLiteral("The database of service %1 already holds tables; nothing was written.").arg(home.service())));
        // The first start's rows: the settings row and the starter price list.
        QCOMPARE(queryValues(QStringLiteral("SELECT count(*), min(password) FROM Misc")), (QVariantList{1, QStringLiteral("salon")}));
        QCOMPARE(queryValues(QStringLiteral("SELECT ServiceName, UnitPrice FROM Products ORDER BY rowid LIMIT 1")),
                 (QVariantList{QStringLiteral("Manicure"), 15.0}));
    }

    // The server's book has the local book's tables and columns, with the same declared types.
    void sameLayoutAsTheLocalBook()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QSqlDatabase local = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("local layout"));
        local.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(local.open());
        for (const QString &statement : salon::internal::bookSchema())
            salon::runQuery(local, statement);
        QStringList localTables = salon::catalog::tables(local);
        QStringList serverTables = salon::catalog::tables(salon::employeeDb());
        localTables.sort();
        serverTables.sort();
        QCOMPARE(serverTables, localTables);
        for (const QString &table : localTables) {
            QStringList localColumns;
            QStringList serverColumns;
            for (const auto &column : salon::catalog::columns(local, table))
                localColumns << column.name + u' ' + column.type + (column.numbersRows ? QStringLiteral(" numbers rows") : QString());
            for (const auto &column : salon::catalog::columns(salon::employeeDb(), table))
                serverColumns << column.name + u' ' + column.type + (column.numbersRows ? QStringLiteral(" numbers rows") : QString());
            QCOMPARE(serverColumns, localColumns);
        }
        // And its indexes, on the same first column.
        QSqlQuery indexes = salon::runQuery(local, QStringLiteral("SELECT tbl_name, name FROM sqlite_master "
                                                                  "WHERE type = 'index' AND name NOT LIKE 'sqlite_%'"));
        int indexCount = 0;
        while (indexes.next()) {
            const QString table = indexes.value(0).toString();
            const QString name = indexes.value(1).toString();
            const auto localIndex = salon::catalog::index(local, table, name);
            const auto serverIndex = salon::catalog::index(salon::employeeDb(), table, name);
            QVERIFY2(serverIndex, qPrintable(name));
            QCOMPARE(serverIndex->column, localIndex->column);
            ++indexCount;
        }
        QVERIFY(indexCount >= 8);
        indexes = QSqlQuery();
        local.close();
        local = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("local layout"));
    }

    void choosingAServerChecksItsBooks_data()
    {
        QTest::addColumn<int>("version");   // 0: no books at all
        QTest::addColumn<QString>("refusal");
        QTest::newRow("no books") << 0 << "The service %1 holds no Velorine books; make them with --init-server or --copy-book-to.";
        QTest::newRow("newer books") << salon::bookVersion + 1
                                     << QStringLiteral("The server's books are version %1; this program knows up to %2. "
                                                       "Update Velorine on this desk.").arg(salon::bookVersion + 1).arg(salon::bookVersion);
        QTest::newRow("older books") << salon::bookVersion - 1
                                     << QStringLiteral("The server's books are version %1; this program needs version %2. "
                                                       "Bring them up to date with velorine --upgrade-server %3.")
                                            .arg(salon::bookVersion - 1).arg(salon::bookVersion).arg(QStringLiteral("%1"));
        QTest::newRow("books of this version") << salon::bookVersion << QString();
    }
    void choosingAServerChecksItsBooks()
    {
        QFETCH(int, version);
        QFETCH(QString, refusal);
        TestHome home(TestHome::Open::No);
        if (version > 0) {
            QCOMPARE(salon::initServer(home.service()), std::nullopt);
            OtherDesk server(home.service());
            salon::runQuery(server.db(), QStringLiteral("UPDATE velorine.\"Book\" SET version = ?"), {version});
        }
        const auto problem = salon::useServer(home.service());
        QCOMPARE(problem.value_or(QString()), refusal.isEmpty() ? QString() : refusal.arg(home.service()));
        QCOMPARE(salon::bookChoice().service, refusal.isEmpty() ? home.service() : QString());
        // A refused server leaves no local book behind either.
        QVERIFY(!QFileInfo::exists(salon::employeeDbPath()));
        QCOMPARE(salon::useLocal(), std::nullopt);
        QVERIFY(!salon::bookChoice().onServer());
    }

    void serviceNamesAreNamesOnly()
    {
        TestHome home(TestHome::Open::No);
        QCOMPARE(salon::useServer(QStringLiteral("x host=elsewhere")),
                 std::optional(QStringLiteral("'x host=elsewhere' is not a service name; use letters, digits, '.', '_' or '-'.")));
    }

    void deskNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << "Front desk" << "Front desk";
        QTest::newRow("blanks around") << "  Nail bar " << "Nail bar";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("control character") << "a\tb" << "";
        QTest::newRow("too long") << QString(41, u'x') << "";
    }
    void deskNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        TestHome home(TestHome::Open::No);
        const auto problem = salon::setDeskName(name);
        QCOMPARE(problem.has_value(), stored.isEmpty());
        if (!stored.isEmpty())
            QCOMPARE(salon::bookChoice().desk, stored);
    }

    // Two desks under one name would share one ticket.
    void aDeskNameIsUsedOnce()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        const QString service = home.service();
        const QString desk = salon::bookChoice().desk;
        OtherDesk sameName(service, desk);
        salon::close();
        QCOMPARE(salon::open(), std::optional(QStringLiteral("Another desk named %1 is connected to the server; give this desk "
                                                             "another name with --desk-name.").arg(desk)));
        QVERIFY(!salon::isOpen());
    }

    // Each desk sells on its own ticket; the day total is shared and exact.
    void eachDeskHasItsOwnTicket()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), 1}, {QStringLiteral("SubTotal"), 0}, {QStringLiteral("Total"), 0}});
        OtherDesk other(home.service());
        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Quantity = 2, Discount = 0.1, SalePrice = 35.982 WHERE rowid = 1")));
        QVERIFY(execSql(QStringLiteral("UPDATE Employee SET SubTotal = 35.982, Total = 38.5007")));
        salon::runQuery(other.db(), QStringLiteral("UPDATE Products SET Quantity = 1, SalePrice = 15 WHERE rowid = 2"));
        salon::runQuery(other.db(), QStringLiteral("UPDATE Employee SET SubTotal = 15, Total = Total + 16.05"));

        QCOMPARE(queryValues(QStringLiteral("SELECT Quantity, SalePrice FROM Products WHERE rowid IN (1, 2) ORDER BY rowid")),
                 (QVariantList{2, 35.982, 0, 0.0}));
        QCOMPARE(other.values(QStringLiteral("SELECT Quantity FROM Products WHERE rowid IN (1, 2) ORDER BY rowid")), (QVariantList{0, 1}));
        QCOMPARE(queryValues(QStringLiteral("SELECT SubTotal, Total FROM Employee")), (QVariantList{35.982, 54.5507}));
        QCOMPARE(other.values(QStringLiteral("SELECT SubTotal FROM Employee")), QVariantList{15.0});

        // A ticket reset on one desk leaves the other's lines and sub-total alone.
        salon::runQuery(other.db(), QStringLiteral("UPDATE Products SET SalePrice = 0, Discount = 0, Quantity = 0"));
        salon::runQuery(other.db(), QStringLiteral("UPDATE Employee SET SubTotal = 0"));
        QCOMPARE(queryValues(QStringLiteral("SELECT Quantity, SalePrice FROM Products WHERE rowid = 1")), (QVariantList{2, 35.982}));
        QCOMPARE(queryValues(QStringLiteral("SELECT SubTotal, Total FROM Employee")), (QVariantList{35.982, 54.5507}));
        // The shared rows keep their ticket columns at 0.
        QCOMPARE(queryValues(QStringLiteral("SELECT sum(Quantity), sum(SalePrice) FROM public.Products")), (QVariantList{0, 0.0}));
    }

    // An update over another desk's newer one is refused and the newer values are shown.
    void noLostUpdates()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        addCustomer(1, QStringLiteral("Ann"), QStringLiteral("Lee"));
        RecordSet customers(salon::employeeDb(), QStringLiteral("Customers"));
        QCOMPARE(customers.value(QStringLiteral("LastName")).toString(), QStringLiteral("Lee"));
        OtherDesk other(home.service());
        salon::runQuery(other.db(), QStringLiteral("UPDATE Customers SET LastName = 'Lim'"));
        customers.edit();
        customers.setValue(QStringLiteral("LastName"), QStringLiteral("Law"));
        try {
            customers.update();
            QFAIL("an update over another desk's was stored");
        } catch (const StoreError &error) {
            QCOMPARE(error.text(),
                     QStringLiteral("This record was changed on another desk; its current values are shown. Nothing was stored."));
        }
        QCOMPARE(customers.value(QStringLiteral("LastName")).toString(), QStringLiteral("Lim"));
        QCOMPARE(queryValues(QStringLiteral("SELECT LastName FROM Customers")), QVariantList{QStringLiteral("Lim")});
        // Read again, the row can be changed.
        customers.edit();
        customers.setValue(QStringLiteral("LastName"), QStringLiteral("Law"));
        customers.update();
        QCOMPARE(other.values(QStringLiteral("SELECT LastName FROM Customers")), QVariantList{QStringLiteral("Law")});
        // A row deleted on the other desk is the usual deleted record.
        salon::runQuery(other.db(), QStringLiteral("DELETE FROM Customers"));
        try {
            customers.edit();
            customers.setValue(QStringLiteral("LastName"), QStringLiteral("Lane"));
            customers.update();
            QFAIL("a deleted row was updated");
        } catch (const StoreError &error) {
            QCOMPARE(error.text(), QStringLiteral("Record is deleted."));
        }
    }
};

QTEST_GUILESS_MAIN(TestServerBook)
#include "tst_serverbook.moc"
