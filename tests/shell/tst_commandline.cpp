#include "appointments.h"
#include "commandline.h"
#include "database.h"
#include "testhome.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

// The program's options run before any window system is touched: each case runs the real
// program with the xcb platform and no display, where opening a window would abort.
class TestCommandLine : public QObject
{
    Q_OBJECT

    struct Run
    {
        QProcess::ExitStatus exitStatus;
        int exitCode;
        QString output;
        QString errors;
    };

    static Run run(const QStringList &arguments, const QString &home, const QString &workingFolder = {},
                   const QStringList &extraEnvironment = {})
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &setting : extraEnvironment)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("VELORINE_HOME"), home);
        program.setProcessEnvironment(env);
        if (!workingFolder.isEmpty())
            program.setWorkingDirectory(workingFolder);
        program.start(QStringLiteral(VELORINE_EXECUTABLE), arguments);
        if (!program.waitForFinished(30000))
            return {QProcess::CrashExit, -1, {}, QStringLiteral("<did not end>")};
        return {program.exitStatus(), program.exitCode(), QString::fromLocal8Bit(program.readAllStandardOutput()),
                QString::fromLocal8Bit(program.readAllStandardError())};
    }

private slots:
    void optionsNeedNoDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errors");
        QTest::newRow("version") << QStringList{"--version"} << 0 << "Velorine 1.6.0\n" << "";
        QTest::newRow("unknown option") << QStringList{"--colour"} << 1 << "" << "Velorine: Unknown option 'colour'.\n";
        QTest::newRow("stray argument") << QStringList{"friday.txt"} << 1 << "" << "Velorine: Unexpected argument 'friday.txt'.\n";
        QTest::newRow("export without a folder") << QStringList{"--export-csv"} << 1 << ""
                                                 << "Velorine: Missing value after '--export-csv'.\n";
        // The toolkit's options are set aside, and ours still run without a display.
        QTest::newRow("version beside the toolkit's options")
            << QStringList{"-platform", "xcb", "-reverse", "--version"} << 0 << "Velorine 1.6.0\n" << "";
        QTest::newRow("unknown option beside a style") << QStringList{"-style", "Fusion", "--colour"} << 1 << ""
                                                       << "Velorine: Unknown option 'colour'.\n";
        QTest::newRow("unknown single-dash option") << QStringList{"-revers"} << 1 << ""
                                                    << "Velorine: Unknown options: r, e, e, r, s.\n";
    }
    void optionsNeedNoDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        QTemporaryDir home;
        const Run result = run(arguments, home.path());
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.output, output);
        QCOMPARE(result.errors, errors);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY(QDir(home.path()).isEmpty());   // nothing created in the data folder
    }

    void toolkitOptionsAreSetAside_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArrayList>("toolkit");
        QTest::addColumn<QByteArrayList>("own");
        QTest::newRow("style") << QByteArrayList{"-style", "Fusion"} << QByteArrayList{"-style", "Fusion"} << QByteArrayList{};
        QTest::newRow("style joined") << QByteArrayList{"-style=Fusion"} << QByteArrayList{"-style=Fusion"} << QByteArrayList{};
        QTest::newRow("reverse is no -v") << QByteArrayList{"-reverse"} << QByteArrayList{"-reverse"} << QByteArrayList{};
        QTest::newRow("stylesheet is no -h") << QByteArrayList{"-stylesheet", "desk.qss"}
                                             << QByteArrayList{"-stylesheet", "desk.qss"} << QByteArrayList{};
        QTest::newRow("session with its ID, then ours")
            << QByteArrayList{"-session", "1a2b3c", "--version"} << QByteArrayList{"-session", "1a2b3c"}
            << QByteArrayList{"--version"};
        QTest::newRow("double dash, mixed")
            << QByteArrayList{"--export-csv", "out", "--platform", "offscreen", "-widgetcount"}
            << QByteArrayList{"--platform", "offscreen", "-widgetcount"} << QByteArrayList{"--export-csv", "out"};
        QTest::newRow("our option's value that looks like theirs")
            << QByteArrayList{"--export-csv", "-reverse"} << QByteArrayList{} << QByteArrayList{"--export-csv", "-reverse"};
        QTest::newRow("the calendars' folder that looks like theirs")
            << QByteArrayList{"--export-ics", "-reverse"} << QByteArrayList{} << QByteArrayList{"--export-ics", "-reverse"};
        QTest::newRow("value missing at the end") << QByteArrayList{"-platform"} << QByteArrayList{"-platform"} << QByteArrayList{};
        QTest::newRow("after -- all is ours") << QByteArrayList{"-reverse", "--", "-reverse"} << QByteArrayList{"-reverse"}
                                              << QByteArrayList{"--", "-reverse"};
        QTest::newRow("near misses are ours")
            << QByteArrayList{"-reversed", "-platformx", "-qmljsdebugger", "reverse"} << QByteArrayList{}
            << QByteArrayList{"-reversed", "-platformx", "-qmljsdebugger", "reverse"};
        QTest::newRow("debugger takes its value joined") << QByteArrayList{"-qmljsdebugger=port:1234"}
                                                         << QByteArrayList{"-qmljsdebugger=port:1234"} << QByteArrayList{};
    }
    void toolkitOptionsAreSetAside()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArrayList, toolkit);
        QFETCH(QByteArrayList, own);
        const CommandLineSplit split = splitCommandLine(arguments);
        QCOMPARE(split.toolkit, toolkit);
        QCOMPARE(split.own, own);
    }

    // With the toolkit's options alone the desk starts, and they reach the application: the
    // platform (xcb without a display would abort), -reverse (not read as -v), a session ID,
    // a style sheet and the widget count the application prints when it ends.
    void toolkitOptionsStartTheDesk()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QSqlQuery firstRunDone(QStringLiteral("UPDATE Misc SET count = 0"), salon::employeeDb());
        QVERIFY(firstRunDone.isActive());
        const QString styleSheet = home.path() + QStringLiteral("/desk.qss");
        writeFile(styleSheet, "QPushButton { font-weight: bold; }");
        const Run result = run({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-reverse"),
                                QStringLiteral("-session"), QStringLiteral("1a2b3c"), QStringLiteral("-style"),
                                QStringLiteral("Fusion"), QStringLiteral("-stylesheet=") + styleSheet,
                                QStringLiteral("-widgetcount")},
                               home.path(), {}, {QStringLiteral("VELORINE_REPORT_FIRST_PAINT=1"),
                                                 QStringLiteral("VELORINE_DIALOGS=stderr")});
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QVERIFY2(result.output.startsWith(QStringLiteral("first-paint-ns ")), qPrintable(result.output + result.errors));
        QVERIFY2(result.errors.contains(QStringLiteral("Max widgets:")), qPrintable(result.errors));
        QCOMPARE(result.exitCode, 0);
    }

    void helpListsTheOptions()
    {
        QTemporaryDir home;
        const Run result = run({QStringLiteral("--help")}, home.path());
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.output.startsWith(QStringLiteral("Usage: ")), qPrintable(result.output));
        for (const char *option : {"-h, --help", "-v, --version", "--export-csv <folder>", "--export-ics <folder>"})
            QVERIFY2(result.output.contains(QLatin1String(option)), option);
        QCOMPARE(result.errors, QString());
    }

    // The export writes the book's tables into a folder named relative to where it was started.
    void exportWritesTheTables()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QTemporaryDir work;
        const Run result = run({QStringLiteral("--export-csv"), QStringLiteral("accounts")}, home.path(), work.path());
        const QString folder = work.filePath(QStringLiteral("accounts"));
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.errors, QString());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.output, QStringLiteral("11 tables exported into %1\n").arg(folder));
        QVERIFY(QFileInfo(folder + QStringLiteral("/Payroll Records.csv")).isFile());

        // Run again, it refuses and leaves what is there.
        const Run again = run({QStringLiteral("--export-csv"), folder}, home.path());
        QCOMPARE(again.exitCode, 1);
        QCOMPARE(again.errors, QStringLiteral("Velorine: The file %1/Employee.csv already exists; nothing was exported.\n").arg(folder));
    }

private:
    // A small journal: a technician with an employee row and one without, a line sold before
    // tax was recorded, a service that looks like a formula, and a line after the period.
    static void fillJournal()
    {
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 1}, {"FirstName", "Kim"}, {"LastName", "Park"}});
        addCustomer(1, "Ann", "Lee");
        addCustomer(2, "Bo", QVariant());
        const QString insert = QStringLiteral("INSERT INTO [Service Records] (CustomerID, EmployeeID, ServiceDate, "
                                              "NameOfService, Quantity, Cost, Count, SalesTax) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        QVERIFY(execSql(insert, {1, 1, "2026-03-01", "Manicure", 1, 24.075, 1, 1.6853}));
        QVERIFY(execSql(insert, {1, 1, "2026-03-01T10:00:00", "=Polish", 1, 10, 2, 0.7}));
        QVERIFY(execSql(insert, {2, 2, "2026-03-02", "Manicure", 2, 30, 1, QVariant()}));
        QVERIFY(execSql(insert, {1, 1, "2026-04-01", "Manicure", 1, 5, 1, 0.35}));
    }

private slots:

    void reportsAreWrittenAsCsv_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("csv");
        QTest::newRow("technician") << QStringList{"technician"}
            << "EmployeeID,Technician,Lines,Quantity,Net,Tax,Gross,Untaxed lines,50% share,60% share\r\n"
               "1,Kim Park,2,2,34.0750,2.3853,36.4603,0,17.0375,20.4450\r\n"
               "2,,1,2,30.0000,0.0000,,1,15.0000,18.0000\r\n"
               "Total,,3,4,64.0750,2.3853,,1,32.0375,38.4450\r\n";
        QTest::newRow("service") << QStringList{"service"}
            << "Service,Lines,Quantity,Net,Tax,Gross,Untaxed lines,50% share,60% share\r\n"
               "'=Polish,1,1,10.0000,0.7000,10.7000,0,5.0000,6.0000\r\n"
               "Manicure,2,3,54.0750,1.6853,,1,27.0375,32.4450\r\n"
               "Total,3,4,64.0750,2.3853,,1,32.0375,38.4450\r\n";
        QTest::newRow("technician-service") << QStringList{"technician-service"}
            << "EmployeeID,Technician,Service,Lines,Quantity,Net,Tax,Gross,Untaxed lines,50% share,60% share\r\n"
               "1,Kim Park,'=Polish,1,1,10.0000,0.7000,10.7000,0,5.0000,6.0000\r\n"
               "1,Kim Park,Manicure,1,1,24.0750,1.6853,25.7603,0,12.0375,14.4450\r\n"
               "2,,Manicure,1,2,30.0000,0.0000,,1,15.0000,18.0000\r\n"
               "Total,,,3,4,64.0750,2.3853,,1,32.0375,38.4450\r\n";
        QTest::newRow("day") << QStringList{"day"}
            << "ServiceDate,EmployeeID,Count,Customer,Service,Quantity,Net,Tax\r\n"
               "2026-03-01,1,1,Ann Lee,Manicure,1,24.0750,1.6853\r\n"
               "2026-03-01,1,2,Ann Lee,'=Polish,1,10.0000,0.7000\r\n"
               "2026-03-02,2,1,Bo,Manicure,2,30.0000,\r\n"
               "Total,,,,,4,64.0750,2.3853\r\n";
        QTest::newRow("one technician") << QStringList{"technician", "--employee", "2"}
            << "EmployeeID,Technician,Lines,Quantity,Net,Tax,Gross,Untaxed lines,50% share,60% share\r\n"
               "2,,1,2,30.0000,0.0000,,1,15.0000,18.0000\r\n"
               "Total,,1,2,30.0000,0.0000,,1,15.0000,18.0000\r\n";
    }
    void reportsAreWrittenAsCsv()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, csv);
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        fillJournal();
        QTemporaryDir work;
        const QStringList arguments = QStringList{"--report"} + options
            + QStringList{"--from", "2026-03-01", "--to", "2026-03-31", "--csv", "march.csv"};
        const Run result = run(arguments, home.path(), work.path());
        QCOMPARE(result.errors, QString());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(fileContent(work.filePath(QStringLiteral("march.csv"))), csv.toUtf8());

        // Never over a file that is there.
        const Run again = run(arguments, home.path(), work.path());
        QCOMPARE(again.exitCode, 1);
        QCOMPARE(again.errors, QStringLiteral("Velorine: The file %1 already exists; nothing was written.\n")
                                   .arg(work.filePath(QStringLiteral("march.csv"))));
    }

    // Without --csv the report is printed with its columns aligned.
    void reportIsPrintedAligned()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        fillJournal();
        const Run result = run({"--report", "technician", "--from", "2026-03-01", "--to", "2026-03-31"}, home.path());
        QCOMPARE(result.errors, QString());
        QCOMPARE(result.exitCode, 0);
        const QStringList lines = result.output.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[0].startsWith(QLatin1String("EmployeeID  Technician")), qPrintable(lines[0]));
        QVERIFY2(lines[3].startsWith(QLatin1String("Total")), qPrintable(lines[3]));
        // The net of each row ends where its heading does.
        const qsizetype netEnd = lines[0].indexOf(QLatin1String("Net")) + 3;
        for (const char *net : {"34.0750", "30.0000", "64.0750"}) {
            const QString line = *std::find_if(lines.begin(), lines.end(), [net](const QString &l) { return l.contains(QLatin1String(net)); });
            QCOMPARE(line.indexOf(QLatin1String(net)) + 7, netEnd);
        }
    }

    void badReportOptionsAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("to before from") << QStringList{"--report", "day", "--from", "2026-03-02", "--to", "2026-03-01"}
                                        << "The report's last day (--to 2026-03-01) is before its first (--from 2026-03-02).";
        QTest::newRow("no to") << QStringList{"--report", "day", "--from", "2026-03-02"}
                               << "A report needs --from and --to as dates written YYYY-MM-DD.";
        QTest::newRow("not a date") << QStringList{"--report", "day", "--from", "2026-02-30", "--to", "2026-03-01"}
                                    << "A report needs --from and --to as dates written YYYY-MM-DD.";
        QTest::newRow("unknown grouping") << QStringList{"--report", "month", "--from", "2026-03-01", "--to", "2026-03-01"}
                                          << "Unknown report 'month': use technician, service, technician-service or day.";
        QTest::newRow("employee not a number") << QStringList{"--report", "day", "--from", "2026-03-01", "--to", "2026-03-01",
                                                              "--employee", "Kim"}
                                               << "--employee needs a technician's number, not 'Kim'.";
    }
    void badReportOptionsAreRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        const Run result = run(arguments, home.path());
        QCOMPARE(result.output, QString());
        QCOMPARE(result.errors, QStringLiteral("Velorine: ") + error + u'\n');
        QCOMPARE(result.exitCode, 1);
    }

    // An empty folder name is refused; it never means the folder the export was started in.
    void exportRefusesAnEmptyFolderName_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("empty value") << QStringList{"--export-csv", ""};
        QTest::newRow("empty joined value") << QStringList{"--export-csv="};
        QTest::newRow("calendars, empty value") << QStringList{"--export-ics", ""};
        QTest::newRow("calendars, empty joined value") << QStringList{"--export-ics=", "--from", "2026-03-01"};
    }
    void exportRefusesAnEmptyFolderName()
    {
        QFETCH(QStringList, arguments);
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QTemporaryDir work;
        const Run result = run(arguments, home.path(), work.path());
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.errors, QStringLiteral("Velorine: No folder was named for the export; nothing was exported.\n"));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.output, QString());
        QVERIFY(QDir(work.path()).isEmpty());
    }

    void exportSaysWhyItsFolderCannotBeMade()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QTemporaryDir work;
        writeFile(work.filePath(QStringLiteral("accounts")), "notes");
        const Run result = run({QStringLiteral("--export-csv"), QStringLiteral("accounts")}, home.path(), work.path());
        QCOMPARE(result.errors, QStringLiteral("Velorine: The folder %1 cannot be created: it is a file.\n")
                                    .arg(work.filePath(QStringLiteral("accounts"))));
        QCOMPARE(result.exitCode, 1);
    }

    // Without --from and --to the calendars hold today and the next 90 days, every technician
    // gets one, and a second run writes nothing over them.
    void calendarsCoverTheNextNinetyDays()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 1}, {"FirstName", "Kim"}, {"LastName", "Park"}});
        addRow(QStringLiteral("Employee"), {{"EmployeeID", 2}, {"FirstName", "Lou"}, {"LastName", "Ng"}});
        const QDate today = QDate::currentDate();
        QStringList inside, outside;
        for (const auto &[day, time] : {std::pair(today.addDays(-1), QTime(23, 45)), std::pair(today, QTime(0, 0)),
                                        std::pair(today.addDays(90), QTime(23, 0)), std::pair(today.addDays(91), QTime(0, 0))}) {
            salon::Booking booking;
            booking.employeeId = 1;
            booking.date = day;
            booking.time = time;
            booking.minutes = 15;
            const QString uid = salon::bookAppointment(salon::employeeDb(), booking).uid;
            (day < today || day > today.addDays(90) ? outside : inside) << uid;
        }
        QTemporaryDir work;
        const Run result = run({QStringLiteral("--export-ics"), QStringLiteral("phones")}, home.path(), work.path());
        const QString folder = work.filePath(QStringLiteral("phones"));
        QCOMPARE(result.errors, QString());
        QCOMPARE(result.output, QStringLiteral("2 calendars from %1 to %2 exported into %3\n")
                                    .arg(today.toString(Qt::ISODate), today.addDays(90).toString(Qt::ISODate), folder));
        QCOMPARE(result.exitCode, 0);
        const QByteArray kim = fileContent(folder + QStringLiteral("/technician-1.ics")).replace("\r\n ", "");
        for (const QString &uid : inside)
            QVERIFY2(kim.contains("UID:" + uid.toLatin1() + "@velorine"), qPrintable(uid));
        for (const QString &uid : outside)
            QVERIFY2(!kim.contains(uid.toLatin1()), qPrintable(uid));
        QCOMPARE(kim.count("BEGIN:VEVENT"), 2);
        const QByteArray lou = fileContent(folder + QStringLiteral("/technician-2.ics"));
        QVERIFY2(lou.startsWith("BEGIN:VCALENDAR\r\n") && !lou.contains("BEGIN:VEVENT"), lou.constData());

        const Run again = run({QStringLiteral("--export-ics"), folder}, home.path());
        QCOMPARE(again.exitCode, 1);
        QCOMPARE(again.errors, QStringLiteral("Velorine: The file %1/technician-1.ics already exists; nothing was exported.\n")
                                   .arg(folder));
        QCOMPARE(fileContent(folder + QStringLiteral("/technician-1.ics")).replace("\r\n ", ""), kim);
    }

    void badCalendarOptionsAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("to before from") << QStringList{"--from", "2026-03-02", "--to", "2026-03-01"}
                                        << "The calendars' last day (--to 2026-03-01) is before their first (--from 2026-03-02).";
        QTest::newRow("to before today") << QStringList{"--to", "2000-01-01"}
                                         << QStringLiteral("The calendars' last day (--to 2000-01-01) is before their first (--from %1).")
                                                .arg(QDate::currentDate().toString(Qt::ISODate));
        QTest::newRow("no such day") << QStringList{"--from", "2026-02-30"}
                                     << "--from needs a date written YYYY-MM-DD, not '2026-02-30'.";
        QTest::newRow("the desk's date form") << QStringList{"--from", "2026-03-01", "--to", "3/31/2026"}
                                              << "--to needs a date written YYYY-MM-DD, not '3/31/2026'.";
        QTest::newRow("no leading zeros") << QStringList{"--from", "2026-3-1"}
                                          << "--from needs a date written YYYY-MM-DD, not '2026-3-1'.";
    }
    void badCalendarOptionsAreRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        QTemporaryDir work;
        const Run result = run(QStringList{"--export-ics", "phones"} + arguments, home.path(), work.path());
        QCOMPARE(result.output, QString());
        QCOMPARE(result.errors, QStringLiteral("Velorine: ") + error + u'\n');
        QCOMPARE(result.exitCode, 1);
        QVERIFY(QDir(work.path()).isEmpty());
    }

    void exportWithoutABookNamesIt()
    {
        QTemporaryDir home;
        const Run result = run({QStringLiteral("--export-csv"), home.filePath(QStringLiteral("out"))}, home.path());
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.errors, QStringLiteral("Velorine: Could not find file '%1/Employee.db'.\n").arg(home.path()));
        QVERIFY(QDir(home.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
