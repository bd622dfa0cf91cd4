#include "backup.h"
#include "bookfixtures.h"
#include "database.h"
#include "salontaxrate.h"
#include "schemaversion.h"
#include "storeerror.h"
#include "testhome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <csignal>
#include <cstdio>

// The book's versions: a book of the version made so far is copied, then brought up to date;
// a newer book, or one lacking what the program reads, is refused untouched; a failed or
// killed upgrade leaves the file as it was.

namespace {

QStringList rows(QSqlDatabase db, const QString &sql)
{
    QStringList result;
    QSqlQuery query(db);
    if (!query.exec(sql))
        return {QStringLiteral("<failed> ") + sql};
    while (query.next()) {
        QStringList cells;
        for (int i = 0; i < query.record().count(); ++i)
            cells << (query.value(i).isNull() ? QStringLiteral("<null>") : query.value(i).toString());
        result << cells.join(u'|');
    }
    return result;
}

// The whole layout of a book, as the engine keeps it.
QStringList layoutOf(QSqlDatabase db)
{
    return rows(db, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name"));
}

QStringList layoutOf(const QString &path)
{
    const QString name = QStringLiteral("layout");
    QStringList layout;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        layout = layoutOf(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return layout;
}

QStringList backups()
{
    return QDir(salon::backupFolder()).entryList(QDir::Files, QDir::Name);
}

// A step that fails part-way, after the real steps have run in the same transaction.
salon::UpgradeStep failingStep()
{
    return {salon::bookVersion, [](QSqlDatabase db) {
                salon::runQuery(db, QStringLiteral("UPDATE Customers SET Notes = 'changed'"));
                salon::runQuery(db, QStringLiteral("INSERT INTO NoSuchTable VALUES (1)"));
            }};
}

// The child of the killed-upgrade test: brings the book up to date and is killed just before
// the upgrade would commit, after it has changed enough rows to spill them into the log.
int upgradeUntilKilled(const QString &folder)
{
    qputenv("VELORINE_HOME", folder.toLocal8Bit());
    std::vector<salon::UpgradeStep> steps = salon::upgradeSteps();
    steps.push_back({salon::bookVersion, [](QSqlDatabase db) {
                         salon::runQuery(db, QStringLiteral("PRAGMA cache_size = 10"));
                         salon::runQuery(db, QStringLiteral("UPDATE Customers SET Notes = Notes || 'changed'"));
                         std::fflush(stdout);
                         std::raise(SIGKILL);
                     }});
    if (auto problem = salon::prepareBook(salon::employeeDbPath(), steps))
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
    return 1;   // not reached when killed
}

} // namespace

class TestSchemaVersion : public QObject
{
    Q_OBJECT

private slots:
    // A book of the version made so far: copied first, then brought to the new layout, which
    // is the layout a new book has, with every row kept.
    void olderBookIsCopiedThenBroughtUpToDate()
    {
        TestHome fresh;
        const QStringList newLayout = layoutOf(salon::employeeDb());
        salon::close();

        TestHome home(TestHome::Open::No);
        const QString path = salon::employeeDbPath();
        makeVersion1Book(path);
        runOnBook(path, QStringLiteral("INSERT INTO Employee (EmployeeID, FirstName) VALUES (1, 'Ann');"
                                       "INSERT INTO \"Service Records\" (CustomerID, EmployeeID, ServiceDate, NameOfService, Cost, Count) "
                                       "VALUES (7, 1, '2026-03-02', 'Manicure', 15, 1)"));
        const QStringList oldLayout = layoutOf(path);

        QCOMPARE(salon::open(), std::nullopt);
        QSqlDatabase db = salon::employeeDb();
        QCOMPARE(rows(db, QStringLiteral("PRAGMA user_version")), QStringList(QString::number(salon::bookVersion)));
        QCOMPARE(layoutOf(db), newLayout);
        QCOMPARE(rows(db, QStringLiteral("SELECT EmployeeID, FirstName FROM Employee")), QStringList(QStringLiteral("1|Ann")));
        QCOMPARE(rows(db, QStringLiteral("SELECT ServiceID, NameOfService, SalesTax FROM \"Service Records\"")),
                 QStringList(QStringLiteral("1|Manicure|<null>")));   // sold before tax was recorded
        // The journal is found by day and by technician through its indexes.
        QVERIFY(rows(db, QStringLiteral("EXPLAIN QUERY PLAN SELECT * FROM \"Service Records\" WHERE ServiceDate = '2026-03-02'"))
                    .join(u' ').contains(QLatin1String("Service Records.ServiceDate")));
        QVERIFY(rows(db, QStringLiteral("EXPLAIN QUERY PLAN SELECT * FROM \"Service Records\" WHERE EmployeeID = 1"))
                    .join(u' ').contains(QLatin1String("Service Records.EmployeeID")));
        // And a journal line's customer by number.
        QVERIFY(rows(db, QStringLiteral("EXPLAIN QUERY PLAN SELECT * FROM Customers WHERE CustomerID = 7"))
                    .join(u' ').contains(QLatin1String("Customers.CustomerID")));

        // The copy is the book as it was, under a name the day copies never take.
        const QStringList copies = backups();
        QCOMPARE(copies.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^Employee-before-v%1-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.db$").arg(salon::bookVersion))
                     .match(copies.first()).hasMatch(),
                 qPrintable(copies.first()));
        const QString copy = salon::backupFolder() + u'/' + copies.first();
        QCOMPARE(salon::checkCopy(copy), QString());
        QCOMPARE(userVersionOf(copy), 0);
        QCOMPARE(layoutOf(copy), oldLayout);
        QCOMPARE(QFileInfo(copy).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

        // Up to date now: the next start copies nothing more.
        db = QSqlDatabase();
        salon::close();
        QCOMPARE(salon::open(), std::nullopt);
        QCOMPARE(backups(), copies);
    }

    // A book of version 3 gains the appointment book, and the services already on its price
    // list take 30 minutes each; the store then refuses a technician booked twice.
    void version3BookGainsTheAppointmentBook()
    {
        TestHome fresh;
        const QStringList newLayout = layoutOf(salon::employeeDb());
        salon::close();

        TestHome home(TestHome::Open::No);
        const QString path = salon::employeeDbPath();
        makeVersion1Book(path);
        runOnBook(path, QStringLiteral(
            "CREATE INDEX \"Service Records.ServiceDate\" ON \"Service Records\" (ServiceDate);"
            "CREATE INDEX \"Service Records.EmployeeID\" ON \"Service Records\" (EmployeeID);"
            "ALTER TABLE \"Service Records\" ADD COLUMN SalesTax CURRENCY;"
            "INSERT INTO Products (ServiceID, ServiceName, UnitPrice, Quantity, Discount, SalePrice) VALUES (1, 'Manicure', 15, 0, 0, 0);"
            "INSERT INTO Products (ServiceID, ServiceName, UnitPrice, Quantity, Discount, SalePrice) VALUES (2, 'Pedicure', 25, 0, 0, 0);"
            "PRAGMA user_version = 3"));
        QCOMPARE(userVersionOf(path), 3);

        QCOMPARE(salon::open(), std::nullopt);
        QSqlDatabase db = salon::employeeDb();
        QCOMPARE(rows(db, QStringLiteral("PRAGMA user_version")), QStringList(QString::number(salon::bookVersion)));
        QCOMPARE(layoutOf(db), newLayout);
        QCOMPARE(rows(db, QStringLiteral("SELECT ServiceName, Minutes FROM Products ORDER BY rowid")),
                 QStringList({QStringLiteral("Manicure|30"), QStringLiteral("Pedicure|30")}));
        QCOMPARE(rows(db, QStringLiteral("SELECT count(*) FROM Appointments")), QStringList("0"));
        const QString insert = QStringLiteral("INSERT INTO Appointments (UID, EmployeeID, Start, Minutes) VALUES ('%1', 1, '%2', 60)");
        QVERIFY(QSqlQuery(db).exec(insert.arg(QStringLiteral("a"), QStringLiteral("2026-03-10 10:00"))));
        QSqlQuery clash(db);
        QVERIFY(!clash.exec(insert.arg(QStringLiteral("b"), QStringLiteral("2026-03-10 10:30"))));
        QCOMPARE(StoreError::fromSql(clash.lastError(), db).number(), int(StoreError::Clash));
        QVERIFY(QSqlQuery(db).exec(insert.arg(QStringLiteral("c"), QStringLiteral("2026-03-10 11:00"))));
    }

    // Employee rows stored without a rate take the salon's rate when the other rows agree on
    // one; otherwise nothing is guessed. The copy keeps the rows as they were.
    void emptyTaxRatesTakeTheSalonRate_data()
    {
        QTest::addColumn<QVariantList>("rates");
        QTest::addColumn<QStringList>("mended");
        const QVariant none{};
        QTest::newRow("one rate, one row without") << QVariantList{0.07, none} << QStringList{"0.07", "0.07"};
        QTest::newRow("empty text is no rate") << QVariantList{0.07, QString(""), 0.07} << QStringList{"0.07", "0.07", "0.07"};
        QTest::newRow("blank text is no rate") << QVariantList{QString(" "), 0.0825} << QStringList{"0.0825", "0.0825"};
        QTest::newRow("zero is a rate") << QVariantList{0.0, none} << QStringList{"0", "0"};
        QTest::newRow("same rate at single precision")
            << QVariantList{double(0.07f), 0.07, none} << QStringList{QVariant(double(0.07f)).toString(), "0.07", "0.07"};
        QTest::newRow("rates disagree") << QVariantList{0.07, 0.08, none} << QStringList{"0.07", "0.08", "<null>"};
        QTest::newRow("no rate anywhere") << QVariantList{none, QString("")} << QStringList{"<null>", ""};
        QTest::newRow("a text that is no rate") << QVariantList{QString("seven"), 0.07, none}
                                                << QStringList{"seven", "0.07", "<null>"};
    }
    void emptyTaxRatesTakeTheSalonRate()
    {
        QFETCH(QVariantList, rates);
        QFETCH(QStringList, mended);
        TestHome home(TestHome::Open::No);
        const QString path = salon::employeeDbPath();
        makeVersion1Book(path);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            for (int i = 0; i < rates.size(); ++i) {
                QSqlQuery insert(db);
                insert.prepare(QStringLiteral("INSERT INTO Employee (EmployeeID, SalesTaxRate) VALUES (?, ?)"));
                insert.addBindValue(i + 1);
                insert.addBindValue(rates[i]);
                QVERIFY(insert.exec());
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fill"));
        const QString stored = QStringLiteral("SELECT SalesTaxRate FROM Employee ORDER BY EmployeeID");
        const QStringList asStored = [&] {
            QStringList result;
            const QString name = QStringLiteral("before");
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                db.setDatabaseName(path);
                db.open();
                result = rows(db, stored);
            }
            QSqlDatabase::removeDatabase(name);
            return result;
        }();

        QCOMPARE(salon::open(), std::nullopt);
        QCOMPARE(rows(salon::employeeDb(), stored), mended);
        // Mended after the copy was made: the copy holds the rows as they were.
        const QStringList copies = backups();
        QCOMPARE(copies.size(), 1);
        const QString name = QStringLiteral("copy");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(salon::backupFolder() + u'/' + copies.first());
            QVERIFY(db.open());
            QCOMPARE(rows(db, stored), asStored);
        }
        QSqlDatabase::removeDatabase(name);
    }

    // The rule on its own, as a new employee row will use it.
    void salonTaxRateIsTheOneRateTheRowsShare_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QVariant>("rate");
        QTest::newRow("no employees") << QString() << QVariant();
        QTest::newRow("shared") << "(0.07), (0.07), (NULL)" << QVariant(0.07);
        QTest::newRow("zero shared") << "(0), ('')" << QVariant(0.0);
        QTest::newRow("differ") << "(0.07), (0.06)" << QVariant();
        QTest::newRow("only empty") << "(NULL), ('')" << QVariant();
    }
    void salonTaxRateIsTheOneRateTheRowsShare()
    {
        QFETCH(QString, rows);
        QFETCH(QVariant, rate);
        TestHome home;
        if (!rows.isEmpty())
            QVERIFY(QSqlQuery(salon::employeeDb()).exec(QStringLiteral("INSERT INTO Employee (SalesTaxRate) VALUES ") + rows));
        const std::optional<double> found = salon::salonTaxRate(salon::employeeDb());
        QCOMPARE(found.has_value(), rate.isValid());
        if (found)
            QCOMPARE(*found, rate.toDouble());
    }

    // A book from a newer program is refused, named with both versions, and nothing is
    // written: no log, no copy, no change.
    void newerBookIsRefusedUntouched()
    {
        TestHome home(TestHome::Open::No);
        QCOMPARE(salon::open(), std::nullopt);
        salon::close();
        const QString path = salon::employeeDbPath();
        runOnBook(path, QStringLiteral("PRAGMA user_version = %1").arg(salon::bookVersion + 1));
        const QByteArray before = fileContent(path);

        const std::optional<QString> problem = salon::open();
        QCOMPARE(problem, QStringLiteral("The file %1 is version %2 of the salon's book, made by a newer Velorine; "
                                         "this Velorine reads version %3 and older.")
                              .arg(path).arg(salon::bookVersion + 1).arg(salon::bookVersion));
        QVERIFY(!salon::isOpen());
        QCOMPARE(fileContent(path), before);
        QVERIFY(!QFileInfo::exists(path + QStringLiteral("-wal")));
        QVERIFY(!QFileInfo::exists(path + QStringLiteral("-shm")));
        QVERIFY(!QFileInfo::exists(salon::backupFolder()));
    }

    // A book lacking a table or column the program reads is refused at once (rather than
    // failing at the first sale), naming the file and what is missing; neither the file nor a
    // log left beside it is changed, and an older book is not copied or upgraded.
    void bookLackingWhatTheProgramReadsIsRefused_data()
    {
        QTest::addColumn<bool>("versionOne");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("inLog");
        QTest::addColumn<QString>("missing");
        const QString dropColumn = QStringLiteral("ALTER TABLE Misc DROP COLUMN ChangeCount");
        const QString missingColumn = QStringLiteral("the column Misc.ChangeCount is missing.");
        QTest::newRow("a column") << false << dropColumn << false << missingColumn;
        QTest::newRow("a column, dropped in a log left by a crash") << false << dropColumn << true << missingColumn;
        QTest::newRow("a column of an older book") << true << dropColumn << false << missingColumn;
        QTest::newRow("a column of an older book, in a log") << true << dropColumn << true << missingColumn;
        QTest::newRow("a table and a column")
            << false << QStringLiteral("DROP TABLE Suppliers; ALTER TABLE \"Service Records\" DROP COLUMN Count") << false
            << QStringLiteral("the column Service Records.Count and the table Suppliers are missing.");
    }
    void bookLackingWhatTheProgramReadsIsRefused()
    {
        QFETCH(bool, versionOne);
        QFETCH(QString, change);
        QFETCH(bool, inLog);
        QFETCH(QString, missing);
        TestHome home(TestHome::Open::No);
        const QString path = salon::employeeDbPath();
        const QString log = path + QStringLiteral("-wal");
        if (versionOne) {
            makeVersion1Book(path);
        } else {
            QCOMPARE(salon::open(), std::nullopt);
            salon::close();
        }
        if (inLog)
            leaveInLog(path, change);
        else
            runOnBook(path, change);
        const QByteArray before = fileContent(path);
        const QByteArray logBefore = fileContent(log);

        const std::optional<QString> problem = salon::open();
        QVERIFY(problem.has_value());
        QCOMPARE(*problem, QStringLiteral("The file %1 is not a Velorine database: %2").arg(path, missing));
        QVERIFY(!salon::isOpen());
        QCOMPARE(fileContent(path), before);
        QCOMPARE(fileContent(log), logBefore);
        QVERIFY(!QFileInfo::exists(salon::backupFolder()));
    }

    // An upgrade step that fails rolls back the whole upgrade and says so; the file is
    // byte for byte as it was (also when a crash had left committed work in its log), and the
    // next start brings it up to date.
    void failedUpgradeLeavesTheBookAsItWas_data()
    {
        QTest::addColumn<bool>("inLog");
        QTest::newRow("closed book") << false;
        QTest::newRow("log left by a crash") << true;
    }
    void failedUpgradeLeavesTheBookAsItWas()
    {
        QFETCH(bool, inLog);
        TestHome home(TestHome::Open::No);
        const QString path = salon::employeeDbPath();
        const QString log = path + QStringLiteral("-wal");
        makeVersion1Book(path);
        const QString customer = QStringLiteral("INSERT INTO Customers (CustomerID, LastName, Notes) VALUES (1, 'Lee', 'kept')");
        if (inLog)
            leaveInLog(path, customer);
        else
            runOnBook(path, customer);
        const QByteArray before = fileContent(path);
        const QByteArray logBefore = fileContent(log);

        std::vector<salon::UpgradeStep> steps = salon::upgradeSteps();
        steps.push_back(failingStep());
        const std::optional<QString> problem = salon::prepareBook(path, steps);
        QVERIFY(problem.has_value());
        QVERIFY2(problem->startsWith(QStringLiteral("The file %1 could not be brought up to version %2 and was left as it was: ")
                                         .arg(path).arg(salon::bookVersion)),
                 qPrintable(*problem));
        QVERIFY2(problem->contains(QLatin1String("NoSuchTable")), qPrintable(*problem));
        QCOMPARE(fileContent(path), before);
        QCOMPARE(fileContent(log), logBefore);

        QCOMPARE(salon::open(), std::nullopt);
        QCOMPARE(rows(salon::employeeDb(), QStringLiteral("PRAGMA user_version")), QStringList(QString::number(salon::bookVersion)));
        QCOMPARE(rows(salon::employeeDb(), QStringLiteral("SELECT Notes FROM Customers")), QStringList(QStringLiteral("kept")));
    }

    // No copy, no upgrade, no start; the book is not touched.
    void failedCopyMeansNoUpgrade()
    {
        TestHome home(TestHome::Open::No);
        const QString path = salon::employeeDbPath();
        makeVersion1Book(path);
        const QByteArray before = fileContent(path);
        writeFile(salon::backupFolder(), "a file where the folder should be");

        const std::optional<QString> problem = salon::open();
        QVERIFY(problem.has_value());
        QVERIFY2(problem->contains(salon::backupFolder()), qPrintable(*problem));
        QVERIFY2(problem->endsWith(QStringLiteral("The file %1 was left as it was: it is brought up to version %2 only once "
                                                  "a copy of it is made.")
                                       .arg(path).arg(salon::bookVersion)),
                 qPrintable(*problem));
        QVERIFY(!salon::isOpen());
        QCOMPARE(fileContent(path), before);
        QVERIFY(!QFileInfo::exists(path + QStringLiteral("-wal")));
        QCOMPARE(userVersionOf(path), 0);
    }

    // A real kill in the middle of the upgrade transaction, after it has written to the log:
    // the file is byte for byte as it was, and the next start upgrades it.
    void killedUpgradeLeavesTheBookAndTheNextStartUpgrades()
    {
        TestHome home(TestHome::Open::No);
        const QString path = salon::employeeDbPath();
        makeVersion1Book(path);
        runOnBook(path, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                       "INSERT INTO Customers (CustomerID, LastName, Notes) "
                                       "SELECT i, 'Lee' || i, printf('%.300c', 'x') FROM n"));
        const QByteArray before = fileContent(path);

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--upgrade-until-killed"), home.path()});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY2(child.readAllStandardError().isEmpty(), "the child failed before it was killed");
        QVERIFY2(QFileInfo(path + QStringLiteral("-wal")).size() > 0, "the upgrade wrote nothing before the kill");
        QCOMPARE(fileContent(path), before);

        QCOMPARE(salon::open(), std::nullopt);
        QSqlDatabase db = salon::employeeDb();
        QCOMPARE(rows(db, QStringLiteral("PRAGMA user_version")), QStringList(QString::number(salon::bookVersion)));
        QCOMPARE(rows(db, QStringLiteral("PRAGMA integrity_check")), QStringList(QStringLiteral("ok")));
        QCOMPARE(rows(db, QStringLiteral("SELECT count(*) FROM Customers WHERE Notes LIKE '%changed'")), QStringList("0"));
        QCOMPARE(rows(db, QStringLiteral("SELECT count(*) FROM Customers")), QStringList("3000"));
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--upgrade-until-killed") == 0) {
        QCoreApplication app(argc, argv);
        return upgradeUntilKilled(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestSchemaVersion test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_schemaversion.moc"
