#include "appointments.h"
#include "database.h"
#include "testhome.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

// The server's command-line tools, run as the real program without a display: each says what
// it did in one line on stdout with status 0, or why not on stderr with status 1.
class TestServerTools : public QObject
{
    Q_OBJECT

    struct Run
    {
        int exitCode;
        QString output;
        QString errors;
    };

    // The program on this home's data folder; the service file the home made is passed on.
    static Run run(const QStringList &arguments, const QString &home)
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("VELORINE_HOME"), home);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(VELORINE_EXECUTABLE), arguments);
        if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit)
            return {-1, {}, QStringLiteral("<did not end>")};
        return {program.exitCode(), QString::fromLocal8Bit(program.readAllStandardOutput()),
                QString::fromLocal8Bit(program.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        if (!onServer())
            QSKIP("these tools are about the server; they run as servertools_server");
    }

    void copyBookTo()
    {
        TestHome home(TestHome::Open::No);
        QCOMPARE(salon::open(), std::nullopt);
        addCustomer(1, "Ann", "Lee");
        const QVariantList counts = queryValues(QStringLiteral(
            "SELECT (SELECT count(*) FROM Customers) + (SELECT count(*) FROM Products) + (SELECT count(*) FROM Misc)"));
        salon::close();

        const Run copied = run({QStringLiteral("--copy-book-to"), home.service()}, home.path());
        QCOMPARE(copied.errors, QString());
        QCOMPARE(copied.output, QStringLiteral("%1 rows copied to service %2.\n").arg(counts.value(0).toLongLong()).arg(home.service()));
        QCOMPARE(copied.exitCode, 0);

        const Run again = run({QStringLiteral("--copy-book-to"), home.service()}, home.path());
        QCOMPARE(again.output, QString());
        QCOMPARE(again.errors, QStringLiteral("Velorine: The database of service %1 already holds tables; nothing was "
                                              "written.\n").arg(home.service()));
        QCOMPARE(again.exitCode, 1);
    }

    void upgradeServer()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        const Run current = run({QStringLiteral("--upgrade-server"), home.service()}, home.path());
        QCOMPARE(current.errors, QString());
        QCOMPARE(current.output, QStringLiteral("The books on service %1 are up to date (version 4); nothing was changed.\n")
                                     .arg(home.service()));
        QCOMPARE(current.exitCode, 0);

        QVERIFY(execSql(QStringLiteral("ALTER TABLE [Service Records] DROP COLUMN SalesTax")));
        QVERIFY(execSql(QStringLiteral("UPDATE velorine.\"Book\" SET version = 2")));
        const Run upgraded = run({QStringLiteral("--upgrade-server"), home.service()}, home.path());
        QCOMPARE(upgraded.errors, QString());
        const QStringList copies = QDir(home.path() + QStringLiteral("/backups")).entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(upgraded.output, QStringLiteral("The books on service %1 are brought up to version 4; the copy made "
                                                 "before is %2/backups/%3.\n").arg(home.service(), home.path(), copies.value(0)));
        QCOMPARE(upgraded.exitCode, 0);
        QCOMPARE(queryValues(QStringLiteral("SELECT version FROM velorine.\"Book\"")), QVariantList{4});

        const Run unknown = run({QStringLiteral("--upgrade-server"), QStringLiteral("no-such-service")}, home.path());
        QCOMPARE(unknown.output, QString());
        QVERIFY2(unknown.errors.startsWith(QStringLiteral("Velorine: The server cannot be reached: ")), qPrintable(unknown.errors));
        QCOMPARE(unknown.exitCode, 1);
    }

    // A server desk's report reads the server's journal, money exact to the fourth decimal.
    void reportReadsTheServersJournal()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        const QString insert = QStringLiteral("INSERT INTO [Service Records] (CustomerID, EmployeeID, ServiceDate, "
                                              "NameOfService, Quantity, Cost, Count, SalesTax) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        QVERIFY(execSql(insert, {1, 1, "2026-03-31T23:59:59", "Manicure", 1, 24.075, 1, 1.6853}));
        QVERIFY(execSql(insert, {1, 1, "2026-04-01", "Manicure", 1, 5, 1, 0.35}));
        const Run result = run({QStringLiteral("--report"), QStringLiteral("service"), QStringLiteral("--from"),
                                QStringLiteral("2026-03-31"), QStringLiteral("--to"), QStringLiteral("2026-03-31")},
                               home.path());
        QCOMPARE(result.errors, QString());
        QCOMPARE(result.exitCode, 0);
        const QStringList lines = result.output.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[1].simplified(), QStringLiteral("Manicure 1 1 24.0750 1.6853 25.7603 0 12.0375 14.4450"));
        QCOMPARE(lines[2].simplified(), QStringLiteral("Total 1 1 24.0750 1.6853 25.7603 0 12.0375 14.4450"));
    }

    // A server desk's calendars are read from the server's appointment book.
    void calendarsReadTheServersBook()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 4}, {"FirstName", "Kim"}, {"LastName", "Park"}});
        salon::Booking booking;
        booking.employeeId = 4;
        booking.date = QDate(2026, 3, 31);
        booking.time = QTime(9, 0);
        booking.minutes = 30;
        const QString uid = salon::bookAppointment(salon::employeeDb(), booking).uid;
        const QString folder = home.path() + QStringLiteral("/phones");
        const Run result = run({QStringLiteral("--export-ics"), folder, QStringLiteral("--from"), QStringLiteral("2026-03-31"),
                                QStringLiteral("--to"), QStringLiteral("2026-03-31")},
                               home.path());
        QCOMPARE(result.errors, QString());
        QCOMPARE(result.output, QStringLiteral("1 calendar from 2026-03-31 to 2026-03-31 exported into %1\n").arg(folder));
        QCOMPARE(result.exitCode, 0);
        const QByteArray file = fileContent(folder + QStringLiteral("/technician-4.ics")).replace("\r\n ", "");
        QVERIFY2(file.contains("UID:" + uid.toLatin1() + "@velorine"), file.constData());
    }
};

QTEST_GUILESS_MAIN(TestServerTools)
#include "tst_servertools.moc"
