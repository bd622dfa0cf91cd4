#include "backup.h"
#include "database.h"
#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

// The verified copy of the book made when a day is closed.
class TestBackup : public QObject
{
    Q_OBJECT

    static constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

    static void addEmployee(int id, const QString &name)
    {
        addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id}, {QStringLiteral("FirstName"), name}});
    }

    // The first names stored in a copy, read on a connection of its own.
    static QStringList employeesIn(const QString &path)
    {
        QStringList names;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
            db.setDatabaseName(path);
            if (db.open()) {
                QSqlQuery query(QStringLiteral("SELECT FirstName FROM Employee ORDER BY rowid"), db);
                while (query.next())
                    names << query.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("copy"));
        return names;
    }

    // Overwrites bytes in the middle of a file, as a failing disk would.
    static void damage(const QString &path)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 size = file.size();
        QVERIFY(size > 16384);
        file.seek(size / 2 - 1500);
        file.write(QByteArray(3000, '\x5a'));
    }

    // Enough rows that the middle of the file holds table pages, not free space.
    static void fillBook()
    {
        QSqlQuery query(salon::employeeDb());
        QVERIFY(query.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                          "INSERT INTO Customers (CustomerID, FirstName, LastName, Notes) "
                                          "SELECT i, 'First' || i, 'Last' || i, printf('%.200c', 'x') FROM n")));
        QVERIFY(query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
    }

private slots:
    void init() { useTestLocale(); }

    void copyIsWrittenAndVerified()
    {
        TestHome home;
        addEmployee(1, QStringLiteral("Ann"));
        const salon::BackupResult result = salon::backUpBook(QDate(2026, 3, 5));
        QVERIFY2(result.ok(), qPrintable(result.failure));
        QCOMPARE(result.path, home.path() + QStringLiteral("/backups/Employee-2026-03-05.db"));
        QCOMPARE(employeesIn(result.path), QStringList{QStringLiteral("Ann")});
        QCOMPARE(salon::checkCopy(result.path), QString());
        QCOMPARE(QFileInfo(result.path).permissions() & 0x7077, ownerOnly);
        QCOMPARE(QFileInfo(salon::backupFolder()).permissions() & 0x7077, ownerOnly | QFileDevice::ExeOwner);
        // Nothing but the copy is left in the folder.
        QCOMPARE(QDir(salon::backupFolder()).entryList(QDir::Files), QStringList{QStringLiteral("Employee-2026-03-05.db")});
    }

    void secondCopyOfTheDayReplacesTheFirst()
    {
        TestHome home;
        addEmployee(1, QStringLiteral("Ann"));
        QVERIFY(salon::backUpBook(QDate(2026, 3, 5)).ok());
        addEmployee(2, QStringLiteral("Bea"));
        const salon::BackupResult second = salon::backUpBook(QDate(2026, 3, 5));
        QVERIFY2(second.ok(), qPrintable(second.failure));
        QCOMPARE(employeesIn(second.path), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bea")}));
        QCOMPARE(QDir(salon::backupFolder()).entryList(QDir::Files).size(), 1);
    }

    void keepsTheLastThirtyDays()
    {
        TestHome home;
        QVERIFY(QDir().mkpath(salon::backupFolder()));
        // 31 earlier days (January 2026) and a file of the user's own that is not a day copy.
        for (int day = 1; day <= 31; ++day)
            writeFile(salon::backupFolder() + u'/' + salon::backupFileName(QDate(2026, 1, day)), "old");
        writeFile(salon::backupFolder() + QStringLiteral("/notes.txt"), "mine");
        QVERIFY(salon::backUpBook(QDate(2026, 2, 1)).ok());
        const QStringList left = QDir(salon::backupFolder()).entryList({QStringLiteral("Employee-*.db")}, QDir::Files, QDir::Name);
        QCOMPARE(left.size(), 30);
        QCOMPARE(left.first(), QStringLiteral("Employee-2026-01-03.db"));
        QCOMPARE(left.last(), QStringLiteral("Employee-2026-02-01.db"));
        QVERIFY(QFileInfo::exists(salon::backupFolder() + QStringLiteral("/notes.txt")));
    }

    // Copies dated after the day closed (a clock that ran ahead, copies brought in) never push
    // out the copy just made; the oldest of the others go.
    void copyJustMadeIsKeptAmongLaterCopies()
    {
        TestHome home;
        addEmployee(1, QStringLiteral("Ann"));
        QVERIFY(QDir().mkpath(salon::backupFolder()));
        for (int day = 1; day <= 30; ++day)
            writeFile(salon::backupFolder() + u'/' + salon::backupFileName(QDate(2027, 1, day)), "later");
        const salon::BackupResult result = salon::backUpBook(QDate(2026, 3, 5));
        QVERIFY2(result.ok(), qPrintable(result.failure));
        QCOMPARE(employeesIn(result.path), QStringList{QStringLiteral("Ann")});
        const QStringList left = QDir(salon::backupFolder()).entryList({QStringLiteral("Employee-*.db")}, QDir::Files, QDir::Name);
        QCOMPARE(left.size(), 30);
        QCOMPARE(left.first(), QStringLiteral("Employee-2026-03-05.db"));
        QCOMPARE(left.at(1), QStringLiteral("Employee-2027-01-02.db"));
    }

    // A backup killed part-way leaves its temporary copy and SQLite's journal of it; the next
    // backup clears them, whatever process made them, and leaves other files alone.
    void leftoversOfACutShortBackupAreRemoved()
    {
        TestHome home;
        QVERIFY(QDir().mkpath(salon::backupFolder()));
        const QString folder = salon::backupFolder() + u'/';
        const QStringList leftovers = {"Employee-2026-03-04.db.part4242", "Employee-2026-03-04.db.part4242-journal",
                                       "Employee-2026-02-27.db.part17", "Employee-2026-03-05.db.part99"};
        for (const QString &name : leftovers)
            writeFile(folder + name, QByteArray(8192, 'x'));
        writeFile(folder + QStringLiteral("Employee-2026-03-04.db"), "an earlier day's copy");
        writeFile(folder + QStringLiteral("notes.part1"), "mine");
        const salon::BackupResult result = salon::backUpBook(QDate(2026, 3, 5));
        QVERIFY2(result.ok(), qPrintable(result.failure));
        QCOMPARE(QDir(salon::backupFolder()).entryList(QDir::Files, QDir::Name),
                 (QStringList{"Employee-2026-03-04.db", "Employee-2026-03-05.db", "notes.part1"}));
    }

    void damagedCopyIsReported()
    {
        TestHome home;
        fillBook();
        const salon::BackupResult result = salon::backUpBook(QDate(2026, 3, 5));
        QVERIFY(result.ok());
        damage(result.path);
        QVERIFY(!salon::checkCopy(result.path).isEmpty());
    }

    void damagedBookGivesNoCopy()
    {
        TestHome home;
        fillBook();
        damage(salon::employeeDbPath());
        const salon::BackupResult result = salon::backUpBook(QDate(2026, 3, 5));
        QVERIFY(!result.ok());
        QVERIFY2(result.failure.startsWith(QStringLiteral("The backup")), qPrintable(result.failure));
        QVERIFY(result.path.isEmpty());
        // Neither a day copy nor a half-made one is left behind.
        QCOMPARE(QDir(salon::backupFolder()).entryList(QDir::Files), QStringList());
    }

    void unusableFolderIsReported()
    {
        TestHome home;
        writeFile(salon::backupFolder(), "a file where the folder should be");
        const salon::BackupResult result = salon::backUpBook(QDate(2026, 3, 5));
        QVERIFY(!result.ok());
        QVERIFY2(result.failure.contains(salon::backupFolder()), qPrintable(result.failure));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
