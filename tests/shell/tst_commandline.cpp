#include "testhome.h"

#include <QDir>
#include <QProcess>
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

    static Run run(const QStringList &arguments, const QString &home, const QString &workingFolder = {})
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
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

    void helpListsTheOptions()
    {
        QTemporaryDir home;
        const Run result = run({QStringLiteral("--help")}, home.path());
        QCOMPARE(result.exitStatus, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.output.startsWith(QStringLiteral("Usage: ")), qPrintable(result.output));
        for (const char *option : {"-h, --help", "-v, --version", "--export-csv <folder>"})
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
        QCOMPARE(result.output, QStringLiteral("7 tables exported into %1\n").arg(folder));
        QVERIFY(QFileInfo(folder + QStringLiteral("/Payroll Records.csv")).isFile());

        // Run again, it refuses and leaves what is there.
        const Run again = run({QStringLiteral("--export-csv"), folder}, home.path());
        QCOMPARE(again.exitCode, 1);
        QCOMPARE(again.errors, QStringLiteral("Velorine: The file %1/Employee.csv already exists; nothing was exported.\n").arg(folder));
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
