#include "appointments.h"
#include "bookcopy.h"
#include "catalog.h"
#include "connections.h"
#include "database.h"
#include "serverbook.h"
#include "serverupgrade.h"
#include "storeerror.h"
#include "testhome.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

// Moving a salon's book to a server and bringing a server's books up to date. Both need the
// server alone: this binary runs only against the test cluster.
class TestBookCopy : public QObject
{
    Q_OBJECT

    // Runs statements straight on the database of `service`, outside the program's
    // connections; the values of the last one's rows, as text.
    static QStringList onDatabase(const QString &service, const QStringList &statements)
    {
        static int serial = 0;
        const QString name = QStringLiteral("direct%1").arg(++serial);
        QStringList values;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setConnectOptions(QStringLiteral("service=") + service);
            if (!db.open())
                qFatal("cannot reach %s: %s", qPrintable(service), qPrintable(db.lastError().text()));
            for (const QString &sql : statements) {
                QSqlQuery query(db);
                if (!query.exec(sql))
                    qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
                values.clear();
                while (query.next())
                    for (int i = 0; i < query.record().count(); ++i)
                        values << (query.isNull(i) ? QStringLiteral("<null>") : query.value(i).toString());
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return values;
    }
    static QStringList onDatabase(const QString &service, const QString &sql) { return onDatabase(service, QStringList{sql}); }

    static int tablesOn(const QString &service)
    {
        return onDatabase(service, QStringLiteral("SELECT count(*) FROM information_schema.tables "
                                                  "WHERE table_schema IN ('public', 'velorine')")).value(0).toInt();
    }

    // A local book in the home's data folder, made as the program makes it and filled by `fill`.
    static void makeLocalBook(const std::function<void()> &fill)
    {
        QCOMPARE(salon::open(), std::nullopt);
        QVERIFY(!salon::isServer(salon::employeeDb()));
        fill();
        salon::close();
    }

    static void run(const QString &sql, const QVariantList &values = {})
    {
        QVERIFY2(execSql(sql, values), qPrintable(sql));
    }

    // A small salon: gaps in the row numbers, money to the fourth decimal, empty fields, text
    // dates, journals whose last numbers were deleted, a ticket in progress.
    static void fillFixture()
    {
        for (int i = 1; i <= 5; ++i)
            run(QStringLiteral("INSERT INTO Customers (CustomerID, FirstName, LastName, ServiceDate) VALUES (?, ?, ?, ?)"),
                {i, i == 2 ? QVariant() : QVariant(QStringLiteral("First%1").arg(i)), QStringLiteral("Lee%1").arg(i),
                 QStringLiteral("3/%1/2026").arg(i)});
        run(QStringLiteral("DELETE FROM Customers WHERE CustomerID IN (3, 4)"));
        const QVariantList costs{24.075, 11.2351, -0.0001, QVariant(), 999.9999};
        for (const QVariant &cost : costs)
            run(QStringLiteral("INSERT INTO [Service Records] (CustomerID, EmployeeID, ServiceDate, NameOfService, "
                               "Quantity, Cost, Count) VALUES (1, 1, '2026-03-05', 'Manicure', 1, ?, 1)"),
                {cost});
        run(QStringLiteral("UPDATE [Service Records] SET SalesTax = 1.6853 WHERE ServiceID = 1"));
        run(QStringLiteral("DELETE FROM [Service Records] WHERE ServiceID IN (2, 5)"));
        run(QStringLiteral("INSERT INTO [Payroll Records] (EmployeeID, ServiceDate, TodayEarn, ToDateEarn) "
                           "VALUES (1, '2026-03-05', 1234.5678, 0.0001)"));
        run(QStringLiteral("INSERT INTO [Payroll Records] (EmployeeID, ServiceDate, TodayEarn) VALUES (1, '2026-03-06', 2)"));
        run(QStringLiteral("DELETE FROM [Payroll Records] WHERE RecordID = 2"));
        run(QStringLiteral("INSERT INTO Employee (EmployeeID, FirstName, SubTotal, Total, SalesTaxRate) "
                           "VALUES (1, 'Ann', 12.5, 40.0001, 0.07)"));
        run(QStringLiteral("UPDATE Products SET Quantity = 2, Discount = 0.1, SalePrice = 35.982, Minutes = 45 WHERE rowid = 1"));
        run(QStringLiteral("INSERT INTO Appointments (UID, EmployeeID, CustomerID, Start, Minutes, Buffer, Status, Sequence, Changed) "
                           "VALUES ('u1', 1, 1, '2026-03-10 10:00', 45, 15, 'booked', 2, '2026-03-01T12:00:00Z')"));
        run(QStringLiteral("INSERT INTO Appointments (UID, EmployeeID, Start, Minutes) VALUES ('u2', 1, '2026-03-10 12:00', 30)"));
        run(QStringLiteral("DELETE FROM Appointments WHERE UID = 'u2'"));
        run(QStringLiteral("INSERT INTO [Appointment Services] (AppointmentID, ServiceID, ServiceName, Minutes) "
                           "VALUES (1, 1, 'Manicure', 45)"));
    }

private slots:
    void initTestCase()
    {
        useTestLocale();
        if (!onServer())
            QSKIP("these tests are about the server; they run as bookcopy_server");
    }

    // Every row arrives under its own number with its values exact; the ticket's cells stay
    // behind; new rows are numbered after the copied ones.
    void copiesTheBookRowForRow()
    {
        TestHome home(TestHome::Open::No);
        makeLocalBook(fillFixture);
        const salon::BookCopy copy = salon::copyBookTo(salon::employeeDbPath(), home.service());
        QCOMPARE(copy.problem, std::nullopt);
        const qint64 products = onDatabase(home.service(), QStringLiteral("SELECT count(*) FROM public.\"Products\""))
                                    .value(0).toLongLong();
        QVERIFY(products > 0);
        // customers, journal, payroll, employee, settings, price list, an appointment and its service
        QCOMPARE(copy.rows, 3 + 3 + 1 + 1 + 1 + products + 1 + 1);

        const QString service = home.service();
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT version FROM velorine.\"Book\"")), QStringList{"4"});
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT rowid, \"CustomerID\", \"FirstName\", \"ServiceDate\" "
                                                    "FROM public.\"Customers\" ORDER BY rowid")),
                 QStringList({"1", "1", "First1", "3/1/2026", "2", "2", "<null>", "3/2/2026", "5", "5", "First5", "3/5/2026"}));
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT \"ServiceID\", rowid, \"Cost\"::text, \"SalesTax\"::text FROM "
                                                    "public.\"Service Records\" ORDER BY rowid")),
                 QStringList({"1", "1", "24.0750", "1.6853", "3", "3", "-0.0001", "<null>", "4", "4", "<null>", "<null>"}));
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT \"RecordID\", \"TodayEarn\"::text, \"ToDateEarn\"::text, "
                                                    "\"50ByMonth\" FROM public.\"Payroll Records\"")),
                 QStringList({"1", "1234.5678", "0.0001", "<null>"}));
        // The wall-clock start arrives as it was written.
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT \"AppointmentID\", \"UID\", to_char(\"Start\", 'YYYY-MM-DD HH24:MI'), "
                                                    "\"Minutes\", \"Buffer\", \"Status\", \"Sequence\", \"Changed\" "
                                                    "FROM public.\"Appointments\"")),
                 QStringList({"1", "u1", "2026-03-10 10:00", "45", "15", "booked", "2", "2026-03-01T12:00:00Z"}));
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT \"Minutes\" FROM public.\"Products\" WHERE rowid = 1")), QStringList{"45"});
        // The book gave numbers up to 2, 5 and 2; they are never given again.
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT table_name, highest FROM velorine.\"Highest Numbers\" "
                                                    "ORDER BY table_name")),
                 QStringList({"Appointments", "2", "Payroll Records", "2", "Service Records", "5"}));
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT \"SubTotal\"::text, \"Total\"::text, \"SalesTaxRate\" "
                                                    "FROM public.\"Employee\"")),
                 QStringList({"0.0000", "40.0001", "0.07"}));
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT count(*) FROM public.\"Products\" WHERE \"Quantity\" <> 0 "
                                                    "OR \"Discount\" <> 0 OR \"SalePrice\" <> 0")),
                 QStringList{"0"});
        QCOMPARE(onDatabase(service, QStringLiteral("SELECT (SELECT count(*) FROM velorine.\"Desk Products\") + "
                                                    "(SELECT count(*) FROM velorine.\"Desk Employees\")")),
                 QStringList{"0"});

        // A desk on the copy numbers its new rows after the copied ones.
        QCOMPARE(salon::useServer(service), std::nullopt);
        QCOMPARE(salon::open(), std::nullopt);
        addCustomer(6, "Ann", "Moss");
        addRow(QStringLiteral("Service Records"), {{"CustomerID", 6}, {"Cost", 1}});
        addRow(QStringLiteral("Payroll Records"), {{"EmployeeID", 1}});
        QCOMPARE(queryValues(QStringLiteral("SELECT max(rowid) FROM Customers")), QVariantList{6});
        QCOMPARE(queryValues(QStringLiteral("SELECT max(ServiceID) FROM [Service Records]")), QVariantList{6});
        QCOMPARE(queryValues(QStringLiteral("SELECT max(RecordID) FROM [Payroll Records]")), QVariantList{3});
        salon::Booking booking;
        booking.employeeId = 1;
        booking.date = QDate(2026, 3, 10);
        booking.time = QTime(11, 0);
        booking.minutes = 30;
        QCOMPARE(salon::bookAppointment(salon::employeeDb(), booking).id, 3);
        booking.time = QTime(10, 30);   // in the copied appointment's buffer
        QVERIFY_THROWS_EXCEPTION(StoreError, salon::bookAppointment(salon::employeeDb(), booking));
        const QVariantList productIds = queryValues(QStringLiteral("SELECT max(rowid) FROM Products"));
        QVERIFY(execSql(QStringLiteral("INSERT INTO Products (ServiceName, UnitPrice) VALUES ('New', 1)")));
        QCOMPARE(queryValues(QStringLiteral("SELECT max(rowid) FROM Products")),
                 QVariantList{productIds.value(0).toLongLong() + 1});
    }

    void refusesADatabaseWithTables_data()
    {
        QTest::addColumn<QStringList>("setup");
        QTest::newRow("a table of its own") << QStringList{"CREATE TABLE public.notes (line text)"};
        QTest::newRow("books already there") << QStringList{"CREATE SCHEMA velorine", "CREATE TABLE velorine.\"Book\" (version integer)"};
    }
    void refusesADatabaseWithTables()
    {
        QFETCH(QStringList, setup);
        TestHome home(TestHome::Open::No);
        makeLocalBook(fillFixture);
        onDatabase(home.service(), setup);
        const salon::BookCopy copy = salon::copyBookTo(salon::employeeDbPath(), home.service());
        QCOMPARE(copy.problem, QStringLiteral("The database of service %1 already holds tables; nothing was written.")
                                   .arg(home.service()));
        QCOMPARE(tablesOn(home.service()), 1);
    }

    // A copy that does not add up to the book is named, and then nothing is written.
    void aDifferenceIsNamedAndNothingWritten_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("named");
        QTest::newRow("a cent more") << "UPDATE public.\"Service Records\" SET \"Cost\" = \"Cost\" + 0.01 WHERE rowid = 1"
                                     << "Service Records.Cost sums to 24.0749 in the book and 24.0849 on the server";
        QTest::newRow("a ten-thousandth less")
            << "UPDATE public.\"Payroll Records\" SET \"ToDateEarn\" = 0"
            << "Payroll Records.ToDateEarn sums to 0.0001 in the book and 0.0000 on the server";
        QTest::newRow("a row lost") << "DELETE FROM public.\"Customers\" WHERE rowid = 5"
                                    << "Customers has 3 rows in the book and 2 on the server";
    }
    void aDifferenceIsNamedAndNothingWritten()
    {
        QFETCH(QString, change);
        QFETCH(QString, named);
        TestHome home(TestHome::Open::No);
        makeLocalBook(fillFixture);
        const salon::BookCopy copy = salon::copyBookTo(salon::employeeDbPath(), home.service(), [&](QSqlDatabase server) {
            QSqlQuery query(server);
            QVERIFY2(query.exec(change), qPrintable(query.lastError().text()));
        });
        QCOMPARE(copy.problem, QStringLiteral("The copy does not match the book: %1; nothing was written.").arg(named));
        QCOMPARE(copy.rows, 0);
        QCOMPARE(tablesOn(home.service()), 0);
    }

    // SQLite keeps whatever a column is given; the server's columns do not. Such a value is
    // named with its table, column and row, and nothing is written.
    void aValueTheServerCannotKeepIsNamed_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("named");
        QTest::newRow("text for a number") << "UPDATE Customers SET CustomerID = 'seven' WHERE rowid = 5"
                                           << "The value 'seven' in Customers.CustomerID, row 5 of the book, is not a "
                                              "whole number the server can keep; nothing was written.";
        QTest::newRow("a part of a number") << "UPDATE Customers SET CustomerID = 1.5 WHERE rowid = 2"
                                            << "The value '1.5' in Customers.CustomerID, row 2 of the book, is not a "
                                               "whole number the server can keep; nothing was written.";
        QTest::newRow("beyond the server's whole numbers")
            << "UPDATE Customers SET CustomerID = 3000000000 WHERE rowid = 1"
            << "The value '3000000000' in Customers.CustomerID, row 1 of the book, is not a whole number the server "
               "can keep; nothing was written.";
        QTest::newRow("beyond a small number") << "UPDATE Misc SET count = 70000"
                                               << "The value '70000' in Misc.count, row 1 of the book, is not a whole "
                                                  "number the server can keep; nothing was written.";
        QTest::newRow("text for money") << "UPDATE [Service Records] SET Cost = 'ten dollars' WHERE ServiceID = 3"
                                        << "The value 'ten dollars' in Service Records.Cost, row 3 of the book, is not "
                                           "an amount of money the server can keep; nothing was written.";
        QTest::newRow("text for a rate") << "UPDATE Employee SET SalesTaxRate = 'seven' "
                                         << "The value 'seven' in Employee.SalesTaxRate, row 1 of the book, is not a "
                                            "number the server can keep; nothing was written.";
        QTest::newRow("bytes for text") << "UPDATE Suppliers SET Notes = x'00ff'"
                                        << "The value '<binary data>' in Suppliers.Notes, row 1 of the book, is not "
                                           "text the server can keep; nothing was written.";
    }
    void aValueTheServerCannotKeepIsNamed()
    {
        QFETCH(QString, sql);
        QFETCH(QString, named);
        TestHome home(TestHome::Open::No);
        makeLocalBook([&] {
            fillFixture();
            run(QStringLiteral("INSERT INTO Suppliers (SupplierID) VALUES ('1')"));
            run(sql);
        });
        const salon::BookCopy copy = salon::copyBookTo(salon::employeeDbPath(), home.service());
        QCOMPARE(copy.problem, named);
        QCOMPARE(tablesOn(home.service()), 0);
    }

    // Only a book of this version is copied: an older one is brought up to date by starting
    // the program on it first.
    void aBookOfAnotherVersionIsRefused_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("older") << 3 << "The file %1 is version 3 of the salon's book; start Velorine once to bring it "
                                       "up to version 4, then copy it.";
        QTest::newRow("newer") << 5 << "The file %1 is version 5 of the salon's book, made by a newer Velorine; "
                                       "this Velorine reads version 4 and older.";
    }
    void aBookOfAnotherVersionIsRefused()
    {
        QFETCH(int, version);
        QFETCH(QString, refusal);
        TestHome home(TestHome::Open::No);
        makeLocalBook([version] { run(QStringLiteral("PRAGMA user_version = %1").arg(version)); });
        const salon::BookCopy copy = salon::copyBookTo(salon::employeeDbPath(), home.service());
        QCOMPARE(copy.problem, refusal.arg(salon::employeeDbPath()));
        QCOMPARE(tablesOn(home.service()), 0);
    }

    void aMissingBookIsNamed()
    {
        TestHome home(TestHome::Open::No);
        const salon::BookCopy copy = salon::copyBookTo(salon::employeeDbPath(), home.service());
        QCOMPARE(copy.problem, QStringLiteral("Could not find file '%1'.").arg(salon::employeeDbPath()));
        QVERIFY(!QFileInfo::exists(salon::employeeDbPath()));
    }

    // Upgrading the server's books.

    void upToDateBooksAreLeftAlone()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        const salon::ServerUpgrade upgrade = salon::upgradeServer(home.service());
        QCOMPARE(upgrade.problem, std::nullopt);
        QCOMPARE(upgrade.said, QStringLiteral("The books on service %1 are up to date (version 4); nothing was changed.")
                                   .arg(home.service()));
        QVERIFY(!QFileInfo::exists(home.path() + QStringLiteral("/backups")));
    }

    // Older books get a checked copy first, then the steps past their version and the new
    // version in one transaction; the rows stay as they were.
    void olderBooksAreCopiedThenUpgraded()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        addCustomer(1, "Ann", "Lee");
        QVERIFY(execSql(QStringLiteral("UPDATE velorine.\"Book\" SET version = 2")));
        const QString counts = QStringLiteral("SELECT (SELECT count(*) FROM Customers), (SELECT count(*) FROM Products), "
                                              "(SELECT count(*) FROM Misc), (SELECT count(*) FROM Suppliers)");
        const QVariantList before = queryValues(counts);

        std::vector<int> ran;
        const std::vector<salon::UpgradeStep> steps{
            {2, [&](QSqlDatabase) { ran.push_back(2); }},
            {3, [&](QSqlDatabase db) {
                 ran.push_back(3);
                 salon::runQuery(db, QStringLiteral("INSERT INTO Suppliers (SupplierID) VALUES ('step 3')"));
             }},
            {4, [&](QSqlDatabase) { ran.push_back(4); }},
            {5, [&](QSqlDatabase) { ran.push_back(5); }},
        };
        const salon::ServerUpgrade upgrade = salon::upgradeServer(home.service(), steps);
        QCOMPARE(upgrade.problem, std::nullopt);
        QCOMPARE(ran, (std::vector<int>{3, 4}));
        QCOMPARE(queryValues(QStringLiteral("SELECT version FROM velorine.\"Book\"")), QVariantList{4});
        QCOMPARE(queryValues(QStringLiteral("SELECT SupplierID FROM Suppliers")), QVariantList{"step 3"});
        QVariantList after = before;
        after[3] = before[3].toLongLong() + 1;
        QCOMPARE(queryValues(counts), after);

        const QStringList copies = QDir(home.path() + QStringLiteral("/backups")).entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        const QString database = queryValues(QStringLiteral("SELECT current_database()")).value(0).toString();
        QVERIFY2(QRegularExpression(QStringLiteral("^%1-before-v4-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.dump$").arg(database))
                     .match(copies.value(0)).hasMatch(), qPrintable(copies.value(0)));
        const QString path = home.path() + QStringLiteral("/backups/") + copies.value(0);
        QCOMPARE(upgrade.said, QStringLiteral("The books on service %1 are brought up to version 4; the copy made before "
                                              "is %2.").arg(home.service(), path));
        QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    }

    // The program's own steps: a journal of version 2 (no recorded tax) gains the column, at
    // the end as a new book has it, and the lines sold before keep it empty; the customers'
    // numbers are indexed.
    void version2BooksGainTheRecordedTax()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        const QString columns = QStringLiteral("SELECT column_name FROM information_schema.columns WHERE table_schema = "
                                               "'public' AND table_name = 'Service Records' ORDER BY ordinal_position");
        const QVariantList newLayout = queryValues(columns);
        QCOMPARE(newLayout.last(), QVariant(QStringLiteral("SalesTax")));
        QVERIFY(execSql(QStringLiteral("ALTER TABLE [Service Records] DROP COLUMN SalesTax")));
        QVERIFY(execSql(QStringLiteral("DROP INDEX \"Customers.CustomerID\"")));
        QVERIFY(execSql(QStringLiteral("INSERT INTO [Service Records] (CustomerID, EmployeeID, ServiceDate, NameOfService, "
                                       "Quantity, Cost, Count) VALUES (1, 1, '2026-03-05', 'Manicure', 1, 24.075, 1)")));
        QVERIFY(execSql(QStringLiteral("UPDATE velorine.\"Book\" SET version = 2")));

        QCOMPARE(salon::upgradeServer(home.service()).problem, std::nullopt);
        QCOMPARE(queryValues(QStringLiteral("SELECT version FROM velorine.\"Book\"")), QVariantList{4});
        QCOMPARE(queryValues(columns), newLayout);
        QCOMPARE(queryValues(QStringLiteral("SELECT Cost, SalesTax IS NULL FROM [Service Records]")),
                 (QVariantList{24.075, true}));
        const auto index = salon::catalog::index(salon::employeeDb(), QStringLiteral("Customers"), QStringLiteral("CustomerID"));
        QVERIFY(index);
        QCOMPARE(index->column, QStringLiteral("CustomerID"));
    }

    // The program's own step 4: books of version 3 gain the appointment book, the layout a new
    // server has; the services on the price list take 30 minutes each, also through a desk's
    // view of it; the server then refuses a technician booked twice.
    void version3BooksGainTheAppointmentBook()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        const QString layout = QStringLiteral("SELECT table_schema, table_name, column_name, data_type, column_default "
                                              "FROM information_schema.columns WHERE table_schema IN ('public', 'velorine') "
                                              "ORDER BY table_schema, table_name, ordinal_position");
        const QVariantList newLayout = queryValues(layout);
        // Version 3: no appointment book, and the desk's view of the price list without minutes.
        for (const char *statement : {
                 "DROP TABLE public.\"Appointments\", public.\"Appointment Services\", public.\"Opening Hours\", "
                 "public.\"Days Off\"",
                 "DROP VIEW velorine.\"Products\"",
                 "ALTER TABLE public.\"Products\" DROP COLUMN \"Minutes\"",
                 "CREATE VIEW velorine.\"Products\" AS SELECT p.rowid, p.\"ServiceID\", p.\"ServiceName\", p.\"UnitPrice\", "
                 "CASE WHEN d.rowid IS NULL THEN p.\"Quantity\" ELSE d.\"Quantity\" END AS \"Quantity\", "
                 "CASE WHEN d.rowid IS NULL THEN p.\"Discount\" ELSE d.\"Discount\" END AS \"Discount\", "
                 "CASE WHEN d.rowid IS NULL THEN p.\"SalePrice\" ELSE d.\"SalePrice\" END::currency AS \"SalePrice\", "
                 "p.xmin AS xmin FROM public.\"Products\" p "
                 "LEFT JOIN velorine.\"Desk Products\" d ON d.rowid = p.rowid AND d.desk = velorine.desk()",
                 "CREATE TRIGGER products_write INSTEAD OF INSERT OR UPDATE OR DELETE ON velorine.\"Products\" "
                 "FOR EACH ROW EXECUTE FUNCTION velorine.products_write()",
                 "UPDATE velorine.\"Book\" SET version = 3"})
            QVERIFY2(execSql(QString::fromLatin1(statement)), statement);
        const QVariant products = queryValues(QStringLiteral("SELECT count(*) FROM Products")).value(0);

        QCOMPARE(salon::upgradeServer(home.service()).problem, std::nullopt);
        salon::close();   // a desk learns the books' names as it connects
        QCOMPARE(salon::open(), std::nullopt);
        QCOMPARE(queryValues(QStringLiteral("SELECT version FROM velorine.\"Book\"")), QVariantList{4});
        QCOMPARE(queryValues(layout), newLayout);
        QCOMPARE(queryValues(QStringLiteral("SELECT count(*) FROM Products WHERE Minutes = 30")), QVariantList{products});
        QVERIFY(execSql(QStringLiteral("INSERT INTO Products (ServiceID, ServiceName, UnitPrice) VALUES (99, 'Nail Art', 5)")));
        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Minutes = 50, Quantity = 1 WHERE ServiceID = 99")));
        QCOMPARE(queryValues(QStringLiteral("SELECT Minutes, Quantity FROM Products WHERE ServiceID = 99")), (QVariantList{50, 1}));

        salon::Booking booking;
        booking.employeeId = 1;
        booking.date = QDate(2026, 3, 10);
        booking.time = QTime(10, 0);
        booking.minutes = 60;
        QCOMPARE(salon::bookAppointment(salon::employeeDb(), booking).id, 1);
        booking.time = QTime(10, 30);
        try {
            salon::bookAppointment(salon::employeeDb(), booking);
            QFAIL("a technician was booked twice");
        } catch (const StoreError &error) {
            QCOMPARE(error.number(), int(StoreError::Clash));
        }
    }

    // A step that fails leaves the books as they were, at their old version.
    void aFailedStepChangesNothing()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QVERIFY(execSql(QStringLiteral("UPDATE velorine.\"Book\" SET version = 1")));
        const std::vector<salon::UpgradeStep> steps{
            {2, [](QSqlDatabase db) {
                 salon::runQuery(db, QStringLiteral("INSERT INTO Suppliers (SupplierID) VALUES ('half')"));
                 throw StoreError(StoreError::EngineError, QStringLiteral("The step broke."));
             }},
        };
        const salon::ServerUpgrade upgrade = salon::upgradeServer(home.service(), steps);
        QCOMPARE(upgrade.problem, QStringLiteral("The books on service %1 could not be brought up to version 4 and were "
                                                 "left as they were: The step broke.").arg(home.service()));
        QCOMPARE(queryValues(QStringLiteral("SELECT version FROM velorine.\"Book\"")), QVariantList{1});
        QCOMPARE(queryValues(QStringLiteral("SELECT count(*) FROM Suppliers")), QVariantList{0});
    }

    // While a desk runs End Of Day nothing is upgraded, and the desk is named.
    void endOfDayOnAnotherDeskStopsTheUpgrade()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QVERIFY(execSql(QStringLiteral("UPDATE velorine.\"Book\" SET version = 1")));
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("nail bar"));
            other.setConnectOptions(QStringLiteral("service=") + home.service());
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("SET application_name = 'velorine:Nail bar'")));
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("SELECT pg_advisory_lock(%1, 2)").arg(0x56454c4f)));
            const salon::ServerUpgrade upgrade = salon::upgradeServer(home.service());
            QCOMPARE(upgrade.problem, QStringLiteral("End Of Day is running on desk Nail bar; the books on service %1 "
                                                     "were left as they were.").arg(home.service()));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("nail bar"));
        QCOMPARE(queryValues(QStringLiteral("SELECT version FROM velorine.\"Book\"")), QVariantList{1});
        QVERIFY(!QFileInfo::exists(home.path() + QStringLiteral("/backups")));
    }

    void newerBooksAreRefused()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QVERIFY(execSql(QStringLiteral("UPDATE velorine.\"Book\" SET version = 5")));
        QCOMPARE(salon::upgradeServer(home.service()).problem,
                 QStringLiteral("The server's books are version 5; this program knows up to 4. Update Velorine on this desk."));
        QCOMPARE(queryValues(QStringLiteral("SELECT version FROM velorine.\"Book\"")), QVariantList{5});
    }
};

QTEST_GUILESS_MAIN(TestBookCopy)
#include "tst_bookcopy.moc"
