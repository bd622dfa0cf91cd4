#include "database.h"
#include "recordset.h"
#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>
#include <unistd.h>

// The data folder: what the first start creates, and what later starts refuse to touch.
class TestDatabase : public QObject
{
    Q_OBJECT

    static QStringList names(const QString &type)
    {
        QStringList result;
        QSqlQuery query(salon::employeeDb());
        query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = '%1' ORDER BY name").arg(type));
        while (query.next())
            result << query.value(0).toString();
        return result;
    }

private slots:
    void firstStartCreatesTheFolder()
    {
        TestHome home(TestHome::Open::No);
        const QString folder = home.path() + QStringLiteral("/data");
        qputenv("VELORINE_HOME", folder.toLocal8Bit());
        QCOMPARE(salon::open(), std::nullopt);
        QCOMPARE(QFileInfo(folder).permissions() & 0x7077,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        for (const QString &file : {salon::employeeDbPath(), salon::idiomsDbPath(), salon::readmePath()}) {
            QVERIFY2(QFileInfo::exists(file), qPrintable(file));
            QCOMPARE(QFileInfo(file).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
        QVERIFY(QFileInfo(salon::readmePath()).size() > 0);
        salon::close();
    }

    void newBookHasTheTablesAndIndexes()
    {
        TestHome home;
        QVERIFY(home.openError().isEmpty());
        QCOMPARE(names(QStringLiteral("table")),
                 (QStringList{QStringLiteral("Appointment Services"), QStringLiteral("Appointments"), QStringLiteral("Customers"),
                              QStringLiteral("Days Off"), QStringLiteral("Employee"), QStringLiteral("Misc"),
                              QStringLiteral("Opening Hours"), QStringLiteral("Payroll Records"), QStringLiteral("Products"),
                              QStringLiteral("Service Records"), QStringLiteral("Suppliers"),
                              QStringLiteral("sqlite_sequence")}));
        QCOMPARE(names(QStringLiteral("index")),
                 (QStringList{QStringLiteral("Appointment Services.AppointmentID"), QStringLiteral("Appointments.CustomerID"),
                              QStringLiteral("Appointments.EmployeeID"), QStringLiteral("Appointments.Start"),
                              QStringLiteral("Customers.CustomerID"),
                              QStringLiteral("Customers.LastName"), QStringLiteral("Customers.Name"), QStringLiteral("Employee.Lastname"),
                              QStringLiteral("Payroll Records.EmployeeID"), QStringLiteral("Service Records.CustomerID"),
                              QStringLiteral("Service Records.EmployeeID"), QStringLiteral("Service Records.ServiceDate"),
                              // the unique appointment UID, weekday of the hours, and day off
                              QStringLiteral("sqlite_autoindex_Appointments_1"), QStringLiteral("sqlite_autoindex_Days Off_1"),
                              QStringLiteral("sqlite_autoindex_Opening Hours_1")}));
        QCOMPARE(names(QStringLiteral("trigger")),
                 (QStringList{QStringLiteral("Appointments.NoOverlapOnInsert"), QStringLiteral("Appointments.NoOverlapOnUpdate")}));
        QSqlQuery version(QStringLiteral("PRAGMA user_version"), salon::employeeDb());
        QVERIFY(version.next());
        QCOMPARE(version.value(0).toInt(), 4);
    }

    void newBookIsSeeded()
    {
        TestHome home;
        RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
        QCOMPARE(misc.recordCount(), qint64(1));
        QCOMPARE(misc.value(QStringLiteral("count")).toInt(), 1);
        QCOMPARE(misc.value(QStringLiteral("ChangeCount")).toInt(), 0);
        QVERIFY(misc.value(QStringLiteral("ChangeDate")).toDate().isValid());
        QCOMPARE(misc.value(QStringLiteral("password")).toString(), QStringLiteral("salon"));

        RecordSet products(salon::employeeDb(), QStringLiteral("Products"));
        QVERIFY(products.recordCount() >= 15);
        for (products.moveFirst(); !products.eof(); products.moveNext()) {
            QVERIFY(products.value(QStringLiteral("UnitPrice")).toDouble() > 0);
            QCOMPARE(products.value(QStringLiteral("Quantity")).toInt(), 0);
            QCOMPARE(products.value(QStringLiteral("Discount")).toDouble(), 0.0);
            QCOMPARE(products.value(QStringLiteral("SalePrice")).toDouble(), 0.0);
        }
        for (const QString &table : {QStringLiteral("Employee"), QStringLiteral("Customers"), QStringLiteral("Suppliers")})
            QCOMPARE(RecordSet(salon::employeeDb(), table).recordCount(), qint64(0));

        RecordSet idioms(salon::idiomsDb(), QStringLiteral("Idiom"));
        QVERIFY(idioms.recordCount() >= 1040);
        idioms.move(1038);
        QVERIFY(!idioms.value(QStringLiteral("Phrase")).toString().isEmpty());
    }

    void laterStartsKeepTheBooks()
    {
        TestHome home;
        {
            RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
            misc.edit();
            misc.setValue(QStringLiteral("Company"), QStringLiteral("Nails by Ann"));
            misc.update();
        }
        salon::close();
        QCOMPARE(salon::open(), std::nullopt);
        RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
        QCOMPARE(misc.value(QStringLiteral("Company")).toString(), QStringLiteral("Nails by Ann"));
    }

    void refusesWhatIsNotASalonBook_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("text file") << QByteArray("these are my notes, not a database\n") << "is not a Velorine database";
        QTest::newRow("other database") << QByteArray() << "the table Employee, the table Payroll Records,";
    }
    void refusesWhatIsNotASalonBook()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        TestHome home(TestHome::Open::No);
        const QString path = salon::employeeDbPath();
        if (content.isEmpty()) {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("CREATE TABLE Recipes (Name TEXT)")));
            other.close();
            other = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        const QByteArray before = fileContent(path);
        const auto problem = salon::open();
        QVERIFY(problem.has_value());
        QVERIFY2(problem->contains(path), qPrintable(*problem));
        QVERIFY2(problem->contains(message), qPrintable(*problem));
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        QVERIFY(!salon::isOpen());
    }

    void refusesAReadOnlyOrUnreadableFile_data()
    {
        QTest::addColumn<int>("permissions");
        QTest::addColumn<QString>("message");
        QTest::newRow("read-only") << int(QFileDevice::ReadOwner) << "is read-only";
        QTest::newRow("unreadable") << int(QFileDevice::WriteOwner) << "cannot be read";
    }
    void refusesAReadOnlyOrUnreadableFile()
    {
        QFETCH(int, permissions);
        QFETCH(QString, message);
        if (geteuid() == 0)
            QSKIP("file permissions do not bind the superuser");
        TestHome home;
        salon::close();
        QVERIFY(QFile::setPermissions(salon::employeeDbPath(), QFileDevice::Permissions(permissions)));
        const auto problem = salon::open();
        QVERIFY(problem.has_value());
        QVERIFY2(problem->contains(message), qPrintable(*problem));
        QFile::setPermissions(salon::employeeDbPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void laterOpensNeverCreateAFile()
    {
        TestHome home;
        salon::close();
        QVERIFY(QFile::remove(salon::employeeDbPath()));
        QVERIFY_THROWS_EXCEPTION(StoreError, salon::ShortConnection());
        QVERIFY_THROWS_EXCEPTION(StoreError, salon::openExisting(salon::employeeDbPath(), QStringLiteral("late")));
        QVERIFY(!QFileInfo::exists(salon::employeeDbPath()));
    }

    // A leftover log of a book that is gone must not be replayed onto the new one.
    void leftoverLogOfAMissingBookIsMovedAside()
    {
        QByteArray wal, shm;
        {
            TestHome other;
            QSqlQuery(salon::employeeDb()).exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
            addRow(QStringLiteral("Customers"), {{"CustomerID", 1}, {"LastName", "Old"}});
            QVERIFY(QSqlQuery(salon::employeeDb()).exec(QStringLiteral("UPDATE Misc SET Company = 'Old Salon', count = 0")));
            wal = fileContent(salon::employeeDbPath() + QStringLiteral("-wal"));
            shm = fileContent(salon::employeeDbPath() + QStringLiteral("-shm"));
            QVERIFY(wal.size() > 4096);
        }
        TestHome home(TestHome::Open::No);
        writeFile(salon::employeeDbPath() + QStringLiteral("-wal"), wal);
        writeFile(salon::employeeDbPath() + QStringLiteral("-shm"), shm);

        QCOMPARE(salon::open(), std::nullopt);
        QCOMPARE(salon::checkFile(salon::employeeDbPath()), std::nullopt);
        RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
        QCOMPARE(misc.value(QStringLiteral("count")).toInt(), 1);
        QCOMPARE(misc.value(QStringLiteral("Company")).toString(), QString());
        QCOMPARE(RecordSet(salon::employeeDb(), QStringLiteral("Customers")).recordCount(), qint64(0));
        // Kept, under a new name.
        const QStringList aside = QDir(home.path()).entryList({QStringLiteral("Employee.db-*.leftover-*")}, QDir::Files, QDir::Name);
        QCOMPARE(aside.size(), 2);
        QCOMPARE(fileContent(home.path() + u'/' + aside.filter(QStringLiteral("-wal.")).value(0)), wal);
        QCOMPARE(fileContent(home.path() + u'/' + aside.filter(QStringLiteral("-shm.")).value(0)), shm);
    }

    // A book half-built by another start is not this start's to remove.
    void newBookIsBuiltUnderANameOfItsOwn()
    {
        TestHome home(TestHome::Open::No);
        const QString others = salon::employeeDbPath() + QStringLiteral(".new");
        writeFile(others, "another start's half-built book");
        QCOMPARE(salon::open(), std::nullopt);
        QCOMPARE(fileContent(others), QByteArray("another start's half-built book"));
        QCOMPARE(QDir(home.path()).entryList({QStringLiteral("*.new")}, QDir::Files), QStringList(QStringLiteral("Employee.db.new")));
    }

    void wholeFileCheck()
    {
        TestHome home;
        addManyCustomers(3000);
        QCOMPARE(salon::checkFile(salon::employeeDbPath()), std::nullopt);
        salon::close();
        QVERIFY(QFileInfo(salon::employeeDbPath()).size() > 1000000);
        overwriteMiddle(salon::employeeDbPath(), 3000);
        const auto problem = salon::checkFile(salon::employeeDbPath());
        QVERIFY(problem.has_value());
        QVERIFY(!problem->isEmpty());
    }

    // The engine's corrupt and not-a-database codes say the file is damaged and name it.
    void engineErrorsAreNumbered_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("number");
        QTest::newRow("corrupt") << "database disk image is malformed" << "11" << int(StoreError::DamagedBook);
        QTest::newRow("not a database") << "file is not a database" << "26" << int(StoreError::DamagedBook);
        QTest::newRow("missing table") << "no such table: Tips" << "1" << int(StoreError::TableNotFound);
        QTest::newRow("read-only file") << "attempt to write a readonly database" << "8" << int(StoreError::ReadOnly);
    }
    void engineErrorsAreNumbered()
    {
        QFETCH(QString, text);
        QFETCH(QString, code);
        QFETCH(int, number);
        TestHome home;
        const StoreError error = StoreError::fromSql(QSqlError(QStringLiteral("Unable to fetch row"), text,
                                                               QSqlError::ConnectionError, code),
                                                     salon::employeeDb());
        QCOMPARE(error.number(), number);
        const bool damaged = number == StoreError::DamagedBook;
        QCOMPARE(salon::isDamaged(salon::employeeDbPath()), damaged);
        if (damaged)
            QCOMPARE(error.text(), salon::damagedText(salon::employeeDbPath()));
        QVERIFY2(!damaged || error.text().contains(salon::employeeDbPath()), qPrintable(error.text()));
    }

    // Rows lost in a damaged page read as damage once the check has found it (never as
    // "Record is deleted."), and from then on nothing is written to the file.
    void damagedBookIsNamedAndNotWritten()
    {
        TestHome home;
        addManyCustomers(3000);
        salon::close();
        overwriteMiddle(salon::employeeDbPath(), 3000);
        QCOMPARE(salon::open(), std::nullopt);
        QStringList heard;
        salon::setDamageListener([&](const QString &path, const QString &) { heard << path; });
        const auto problem = salon::checkFile(salon::employeeDbPath());
        QVERIFY(problem.has_value());
        salon::markDamaged(salon::employeeDbPath(), *problem);
        QCOMPARE(heard, QStringList(salon::employeeDbPath()));

        QSet<int> numbers;
        QString text;
        RecordSet customers(salon::employeeDb(), QStringLiteral("Customers"));
        // Where the damage lands decides whether reading the keys or a row meets it first.
        try {
            for (customers.moveFirst(); !customers.eof(); customers.moveNext()) {
                try {
                    customers.value(QStringLiteral("Notes"));
                } catch (const StoreError &error) {
                    numbers << error.number();
                    text = error.text();
                }
            }
        } catch (const StoreError &error) {
            numbers << error.number();
            text = error.text();
        }
        QCOMPARE(numbers, QSet<int>{StoreError::DamagedBook});
        QCOMPARE(text, QStringLiteral("The file %1 is damaged; Velorine stores nothing more in it.").arg(salon::employeeDbPath()));

        const QByteArray book = fileContent(salon::employeeDbPath());
        const QByteArray log = fileContent(salon::employeeDbPath() + QStringLiteral("-wal"));
        try {
            addRow(QStringLiteral("Suppliers"), {{"SupplierName", "Polish Co"}});
            QFAIL("a row was stored in a damaged book");
        } catch (const StoreError &error) {
            QCOMPARE(error.number(), int(StoreError::DamagedBook));
        }
        {
            salon::ShortConnection search;   // a connection opened later refuses too
            QVERIFY(!QSqlQuery(search.db()).exec(QStringLiteral("INSERT INTO Suppliers (SupplierName) VALUES ('Polish Co')")));
        }
        salon::setDamageListener(nullptr);
        QCOMPARE(fileContent(salon::employeeDbPath()), book);
        QCOMPARE(fileContent(salon::employeeDbPath() + QStringLiteral("-wal")), log);
        QCOMPARE(heard.size(), 1);   // told once
    }

    // Statements kept prepared between sales follow the book: a new book on a connection of the
    // same name is read afresh, and each run binds its own values.
    void preparedStatementFollowsTheBook()
    {
        const QString count = QStringLiteral("SELECT count(*) FROM Customers WHERE CustomerID >= ?");
        auto countFrom = [&](int first) {
            QSqlQuery &query = salon::runPrepared(salon::employeeDb(), count, {first});
            const int found = query.next() ? query.value(0).toInt() : -1;
            query.finish();
            return found;
        };
        {
            TestHome home;
            addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), 1}});
            addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), 2}});
            QCOMPARE(countFrom(1), 2);
            QCOMPARE(countFrom(2), 1);
        }
        TestHome home;
        QCOMPARE(countFrom(1), 0);
    }

    void transactionKeepsAllOrNothing()
    {
        TestHome home;
        {
            salon::Transaction transaction(salon::employeeDb());
            RecordSet journal(salon::employeeDb(), QStringLiteral("Service Records"));
            journal.addNew();
            journal.setValue(QStringLiteral("CustomerID"), 1);
            journal.update();
            // Leaves without commit: the row must not stay.
        }
        QCOMPARE(RecordSet(salon::employeeDb(), QStringLiteral("Service Records")).recordCount(), qint64(0));
        {
            salon::Transaction transaction(salon::employeeDb());
            RecordSet journal(salon::employeeDb(), QStringLiteral("Service Records"));
            journal.addNew();
            journal.update();
            transaction.commit();
        }
        QCOMPARE(RecordSet(salon::employeeDb(), QStringLiteral("Service Records")).recordCount(), qint64(1));
    }

    // A sale writes through several routines, each with its own Transaction: one part that
    // gives up must undo the whole, and no screen may go on showing what was undone.
    void anInnerRollbackUndoesTheWholeAndSetsReread_data()
    {
        QTest::addColumn<bool>("innerCommits");
        QTest::newRow("inner left without commit") << false;
        QTest::newRow("inner committed") << true;
    }
    void anInnerRollbackUndoesTheWholeAndSetsReread()
    {
        QFETCH(bool, innerCommits);
        TestHome home;
        addRow(QStringLiteral("Customers"), {{QStringLiteral("CustomerID"), 1}, {QStringLiteral("FirstName"), QStringLiteral("Ann")}});
        RecordSet journal(salon::employeeDb(), QStringLiteral("Service Records"));
        RecordSet customers(salon::employeeDb(), QStringLiteral("Customers"));
        QSignalSpy resets(&journal, &RecordSet::reset);
        {
            salon::Transaction outer(salon::employeeDb());
            journal.addNew();
            journal.setValue(QStringLiteral("CustomerID"), 1);
            journal.update();
            QCOMPARE(journal.recordCount(), qint64(1));
            {
                salon::Transaction inner(salon::employeeDb());
                customers.edit();
                customers.setValue(QStringLiteral("FirstName"), QStringLiteral("Changed"));
                customers.update();
                if (innerCommits)
                    inner.commit();
            }
            if (innerCommits) {
                outer.commit();
            } else {
                try {
                    outer.commit();
                    QFAIL("the outer commit succeeded");
                } catch (const StoreError &e) {
                    QCOMPARE(e.number(), int(StoreError::TransactionRolledBack));
                }
            }
        }
        const qint64 stored = innerCommits ? 1 : 0;
        QCOMPARE(RecordSet(salon::employeeDb(), QStringLiteral("Service Records")).recordCount(), stored);
        QCOMPARE(journal.recordCount(), stored);
        QCOMPARE(resets.size(), innerCommits ? 0 : 1);
        QCOMPARE(customers.value(QStringLiteral("FirstName")).toString(),
                 innerCommits ? QStringLiteral("Changed") : QStringLiteral("Ann"));
        // The connection is free for the next action.
        QVERIFY(!salon::inTransaction(salon::employeeDb()));
        salon::Transaction next(salon::employeeDb());
        next.commit();
    }

    // A connection that fails to open leaves no name behind, whatever step failed.
    void aFailedOpenReleasesItsConnection_data()
    {
        QTest::addColumn<QByteArray>("content");   // empty: no file at all
        QTest::newRow("missing file") << QByteArray();
        QTest::newRow("not a database") << QByteArray("these are the salon's notes, not its book\n").repeated(100);
    }
    void aFailedOpenReleasesItsConnection()
    {
        QFETCH(QByteArray, content);
        TestHome home;
        const QStringList before = QSqlDatabase::connectionNames();
        const QString path = home.path() + QStringLiteral("/Other.db");
        if (!content.isEmpty())
            writeFile(path, content);
        QVERIFY_THROWS_EXCEPTION(StoreError, salon::openExisting(path, QStringLiteral("other")));
        QCOMPARE(QSqlDatabase::connectionNames(), before);
        QVERIFY(!QSqlDatabase::contains(QStringLiteral("other")));

        // The searches' short-lived connection, on a book that went missing.
        QVERIFY(QFile::rename(salon::employeeDbPath(), salon::employeeDbPath() + QStringLiteral(".away")));
        QVERIFY_THROWS_EXCEPTION(StoreError, salon::ShortConnection());
        QCOMPARE(QSqlDatabase::connectionNames(), before);
        QVERIFY(QFile::rename(salon::employeeDbPath() + QStringLiteral(".away"), salon::employeeDbPath()));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
