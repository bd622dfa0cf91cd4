#include "bookfixtures.h"
#include "database.h"
#include "frmlogin.h"
#include "frmmain.h"
#include "instancelock.h"
#include "modalwatch.h"
#include "screenhelpers.h"
#include "schemaversion.h"
#include "scripteddialogs.h"
#include "shoppassword.h"
#include "startup.h"
#include "startupcheck.h"
#include "testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
// Scripted dialogs that also note whether the splash was on screen when a message came.
class SplashWatchingDialogs : public ScriptedDialogs
{
public:
    bool splashShownAtMessage = false;
    QString splashName;
    QString messageOwner;
    Answer message(QWidget *parent, const QString &text, const QString &title, Buttons buttons, Icon icon) override
    {
        QWidget *splash = visibleTopLevel(QStringLiteral("frmSplash"));
        splashShownAtMessage = splash != nullptr;
        if (splash)
            splashName = splash->findChild<QLabel *>(QStringLiteral("lblName"))->text();
        messageOwner = parent ? parent->objectName() : QString();
        return ScriptedDialogs::message(parent, text, title, buttons, icon);
    }
};
} // namespace

// Start-up from an opened salon book to the main window: the splash, the first-run owner
// details, the single-instance refusal (also of a real second process) and the password gate.
class TestStartup : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;

    static QVariant misc(const QString &field)
    {
        return queryValues(QStringLiteral("SELECT %1 FROM Misc").arg(field)).value(0);
    }
    static void setMisc(const QString &field, const QVariant &value)
    {
        QVERIFY(execSql(QStringLiteral("UPDATE Misc SET %1 = ?").arg(field), {value}));
    }

private slots:
    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
    }
    void cleanup() { home.reset(); }

    void firstRunAsksOwnerDetailsOnce()
    {
        setMisc(QStringLiteral("Name"), QStringLiteral("Old Owner"));
        QCOMPARE(misc(QStringLiteral("count")).toInt(), 1);

        struct AtDialog
        {
            bool seen = false;
            QString splashName, splashCompany;
            int countInBook = -1;
            bool mainWindowExists = true;
            QString owner;
        } at;
        ModalWatch watch([&](QWidget *modal) {
            at.seen = modal->objectName() == QLatin1String("frmPersonalize");
            at.owner = modal->parentWidget() ? modal->parentWidget()->objectName() : QString();
            QWidget *splash = visibleTopLevel(QStringLiteral("frmSplash"));
            if (splash) {
                at.splashName = splash->findChild<QLabel *>(QStringLiteral("lblName"))->text();
                at.splashCompany = splash->findChild<QLabel *>(QStringLiteral("lblCo"))->text();
            }
            at.countInBook = misc(QStringLiteral("count")).toInt();
            at.mainWindowExists = visibleTopLevel(QStringLiteral("frmMain")) != nullptr;
            typeInto(modal, "txtName", QStringLiteral("Ann Lee"));
            typeInto(modal, "txtCompany", QStringLiteral("Polished Nails"));
            typeInto(modal, "txtAddress", QStringLiteral("1 Main St"));
            typeInto(modal, "txtCity", QStringLiteral("Springfield"));
            typeInto(modal, "txtState", QStringLiteral("OR"));
            typeInto(modal, "txtZip", QStringLiteral("97477"));
            typeInto(modal, "txtPhone", QStringLiteral("555-0100"));
            modal->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        int status = -1;
        Desk desk = startUp(status);
        frmMain *window = desk.window.get();
        QVERIFY(window);
        QCOMPARE(status, 0);
        QVERIFY(at.seen);
        QCOMPARE(at.owner, QStringLiteral("frmSplash"));   // opens over the splash, not behind it
        QCOMPARE(at.splashName, QStringLiteral("Old Owner"));   // the splash came first, with the stored name
        QCOMPARE(at.splashCompany, QString());
        QCOMPARE(at.countInBook, 0);                           // cleared before the dialog
        QVERIFY(!at.mainWindowExists);

        QVERIFY(window->isVisible());
        QVERIFY(!visibleTopLevel(QStringLiteral("frmSplash")));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Label12"))->text(), QStringLiteral("Polished Nails"));
        const QStringList fields{"Name", "Company", "Address", "City", "State", "Zip", "Phone"};
        QStringList stored;
        for (const QString &field : fields)
            stored << misc(field).toString();
        QCOMPARE(stored, QStringList({"Ann Lee", "Polished Nails", "1 Main St", "Springfield", "OR", "97477", "555-0100"}));
        desk = {};

        // The next start goes straight to the main window.
        auto again = std::make_shared<bool>(false);
        ModalWatch watchAgain([](QWidget *modal) { modal->close(); }, again);
        desk = startUp(status);
        window = desk.window.get();
        QVERIFY(window);
        QTest::qWait(50);
        QVERIFY(!*again);
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Label12"))->text(), QStringLiteral("Polished Nails"));
    }

    void closeBoxOnOwnerDetailsStillCountsAsDone_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("storedCompany");
        QTest::newRow("nothing typed") << QString() << QStringLiteral("Old Salon");
        QTest::newRow("a change is kept") << QStringLiteral("New Salon") << QStringLiteral("New Salon");
    }
    void closeBoxOnOwnerDetailsStillCountsAsDone()
    {
        QFETCH(QString, typed);
        QFETCH(QString, storedCompany);
        setMisc(QStringLiteral("Company"), QStringLiteral("Old Salon"));
        ModalWatch watch([typed](QWidget *modal) {
            if (!typed.isEmpty())
                typeInto(modal, "txtCompany", typed);
            modal->close();
        });
        int status = -1;
        Desk desk = startUp(status);
        frmMain *window = desk.window.get();
        QVERIFY(window);
        QCOMPARE(misc(QStringLiteral("count")).toInt(), 0);
        QCOMPARE(misc(QStringLiteral("Company")).toString(), storedCompany);
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("Label12"))->text(), storedCompany);
    }

    void otherCountValuesSkipTheDialog_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("0") << 0;
        QTest::newRow("2") << 2;
        QTest::newRow("-1") << -1;
    }
    void otherCountValuesSkipTheDialog()
    {
        QFETCH(int, count);
        setMisc(QStringLiteral("count"), count);
        auto seen = std::make_shared<bool>(false);
        ModalWatch watch([](QWidget *modal) { modal->close(); }, seen);
        int status = -1;
        Desk desk = startUp(status);
        frmMain *window = desk.window.get();
        QVERIFY(window);
        QTest::qWait(50);
        QVERIFY(!*seen);
        QCOMPARE(misc(QStringLiteral("count")).toInt(), count);
    }

    void secondCopyIsRefusedAfterItsSplash_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("books in use") << 0;
        QTest::newRow("first copy still at its first run") << 1;
    }
    void secondCopyIsRefusedAfterItsSplash()
    {
        QFETCH(int, count);
        setMisc(QStringLiteral("count"), count);
        setMisc(QStringLiteral("Name"), QStringLiteral("Ann Lee"));
        InstanceLock firstCopy;
        QCOMPARE(firstCopy.acquire(), InstanceLock::Result::Acquired);
        SplashWatchingDialogs dialogs;
        dialogs.answerMessage();
        auto asked = std::make_shared<bool>(false);
        ModalWatch watch([](QWidget *modal) { modal->close(); }, asked);
        int status = 0;
        Desk desk = startUp(status);
        frmMain *window = desk.window.get();
        QVERIFY(!window);
        QCOMPARE(status, 1);
        QCOMPARE(dialogs.messageTexts(), QStringList(frmMain::programName() + QStringLiteral("already running!")));
        QCOMPARE(frmMain::programName(), QStringLiteral("tst_startup"));
        QCOMPARE(dialogs.last().title, QStringLiteral("Warning"));
        QCOMPARE(dialogs.last().buttons, Dialogs::Buttons::Ok);
        QVERIFY(dialogs.splashShownAtMessage);
        QCOMPARE(dialogs.splashName, QStringLiteral("Ann Lee"));
        QCOMPARE(dialogs.messageOwner, QStringLiteral("frmSplash"));   // kept above the splash
        QVERIFY(!visibleTopLevel(QStringLiteral("frmSplash")));
        QVERIFY(!visibleTopLevel(QStringLiteral("frmMain")));
        QVERIFY(!*asked);                                              // no owner details
        QCOMPARE(misc(QStringLiteral("count")).toInt(), count);       // the first copy's flag stays
    }

    // The started desk keeps the lock, not just its window: it is held while the desk runs and
    // let go of once the desk is.
    void runningDeskHoldsTheLock()
    {
        setMisc(QStringLiteral("count"), 0);
        int status = -1;
        Desk desk = startUp(status);
        QVERIFY(desk.window);
        QCOMPARE(InstanceLock().acquire(), InstanceLock::Result::HeldByAnother);
        desk.window.reset();
        QCOMPARE(InstanceLock().acquire(), InstanceLock::Result::HeldByAnother);
        desk = {};
        QCOMPARE(InstanceLock().acquire(), InstanceLock::Result::Acquired);
    }

    // Two copies started together on a new folder: the one without the lock makes nothing.
    void secondCopyOnANewFolderWritesNothing()
    {
        home.reset();
        home = std::make_unique<TestHome>(TestHome::Open::No);
        InstanceLock firstCopy;
        QCOMPARE(firstCopy.acquire(), InstanceLock::Result::Acquired);
        SplashWatchingDialogs dialogs;
        dialogs.answerMessage();
        int status = 0;
        QVERIFY(!startUp(status).window);
        QCOMPARE(status, 1);
        QCOMPARE(dialogs.messageTexts(), QStringList(frmMain::programName() + QStringLiteral("already running!")));
        QCOMPARE(QDir(home->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList(QStringLiteral("velorine.lock")));
    }

    // The real program, started a second time on a data folder whose lock is held.
    void secondProcessIsRefused()
    {
        setMisc(QStringLiteral("count"), 0);
        setMisc(QStringLiteral("Company"), QStringLiteral("First Copy Salon"));
        InstanceLock firstCopy;
        QCOMPARE(firstCopy.acquire(), InstanceLock::Result::Acquired);
        QFile lockFile(InstanceLock::lockPath());
        QVERIFY(lockFile.open(QIODevice::ReadOnly));
        const QByteArray lockBefore = lockFile.readAll();
        lockFile.close();

        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELORINE_HOME"), home->path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("VELORINE_DIALOGS"), QStringLiteral("stderr"));
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(VELORINE_EXECUTABLE), {});
        QVERIFY(second.waitForFinished(30000));
        const QString errors = QString::fromLocal8Bit(second.readAllStandardError());
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 1);
        QVERIFY2(errors.contains(QLatin1String("Warning: velorinealready running!\n")), qPrintable(errors));
        QCOMPARE(errors.count(QLatin1String("Warning:")), 1);

        // The first copy's lock and books are as they were.
        QCOMPARE(InstanceLock().acquire(), InstanceLock::Result::HeldByAnother);
        QVERIFY(lockFile.open(QIODevice::ReadOnly));
        QCOMPARE(lockFile.readAll(), lockBefore);
        QCOMPARE(misc(QStringLiteral("count")).toInt(), 0);
        QCOMPARE(misc(QStringLiteral("Company")).toString(), QStringLiteral("First Copy Salon"));
    }

    void unusableDataFolderIsReported()
    {
        QTemporaryDir dir;
        const QString notAFolder = dir.path() + QStringLiteral("/file");
        QFile file(notAFolder);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELORINE_HOME"), notAFolder);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("VELORINE_DIALOGS"), QStringLiteral("stderr"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(VELORINE_EXECUTABLE), {});
        QVERIFY(program.waitForFinished(30000));
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY(program.exitCode() != 0);
        QVERIFY2(errors.contains(QStringLiteral("Velorine: The data folder %1 is not a folder.").arg(notAFolder)),
                 qPrintable(errors));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
    }

    // Only a living copy holds the lock: whatever a lock file left behind holds, it keeps
    // nobody out, and it ends up readable by the user alone.
    void leftLockFileKeepsNobodyOut_data()
    {
        QTest::addColumn<QByteArray>("content");
        QProcess gone;
        gone.start(QStringLiteral("/bin/true"), {});
        gone.waitForFinished();
        const QByteArray deadPid = QByteArray::number(gone.processId());   // surely ended
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbled") << QByteArray("\x01\xff\xfe lock?\n\n\n");
        QTest::newRow("run that died") << deadPid + "\nvelorine\n" + host + "\n";
        QTest::newRow("our own pid, another host") << QByteArray::number(QCoreApplication::applicationPid()) + "\nvelorine\nfront-desk-pc\n";
    }
    void leftLockFileKeepsNobodyOut()
    {
        QFETCH(QByteArray, content);
        writeFile(InstanceLock::lockPath(), content);
        QVERIFY(QFile::setPermissions(InstanceLock::lockPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                  | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        InstanceLock lock;
        QCOMPARE(lock.acquire(), InstanceLock::Result::Acquired);
        QCOMPARE(QFileInfo(InstanceLock::lockPath()).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void lockIsHeldForTheRunOnly()
    {
        auto first = std::make_unique<InstanceLock>();
        QCOMPARE(first->acquire(), InstanceLock::Result::Acquired);
        InstanceLock second;
        QCOMPARE(second.acquire(), InstanceLock::Result::HeldByAnother);
        first.reset();
        QCOMPARE(second.acquire(), InstanceLock::Result::Acquired);
    }

    void lockThatCannotBeTakenSaysWhy()
    {
        QVERIFY(QDir().mkpath(InstanceLock::lockPath()));   // a folder where the file belongs
        InstanceLock lock;
        QCOMPARE(lock.acquire(), InstanceLock::Result::Failed);
        QCOMPARE(lock.failureText(), QStringLiteral("The lock file %1 cannot be opened: Is a directory.").arg(InstanceLock::lockPath()));

        ScriptedDialogs dialogs;
        dialogs.answerMessage();
        int status = 0;
        QVERIFY(!startUp(status).window);
        QCOMPARE(status, 1);
        QCOMPARE(dialogs.messageTexts(), QStringList(lock.failureText()));
    }

    // The lock file is never followed through a link nor taken when it is not the user's own
    // plain file: the target keeps its mode, nothing is made outside the data folder, and the
    // start ends with a message naming the lock file.
    void lockFileThatIsNotOwnPlainFileIsRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to a file elsewhere") << "link";
        QTest::newRow("dangling link") << "dangling";
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("another user's file") << "foreign";
    }
    void lockFileThatIsNotOwnPlainFileIsRefused()
    {
        QFETCH(QString, kind);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("system.conf"));
        const QString lockPath = InstanceLock::lockPath();
        if (kind == QLatin1String("link") || kind == QLatin1String("dangling")) {
            if (kind == QLatin1String("link")) {
                writeFile(target, "keep me");
                QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                          | QFileDevice::ReadGroup | QFileDevice::ReadOther));
            }
            QVERIFY(QFile::link(target, lockPath));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(lockPath).constData(), 0600), 0);
        } else {
            if (::geteuid() != 0)
                QSKIP("only the superuser can give a file to another user");
            writeFile(lockPath, QByteArray());
            QCOMPARE(::chown(QFile::encodeName(lockPath).constData(), 65534, 65534), 0);
        }

        const QString refusal = QStringLiteral("The lock file %1 is not a plain file of your own, so Velorine "
                                               "will not use it. Remove it and start again.").arg(lockPath);
        InstanceLock lock;
        QCOMPARE(lock.acquire(), InstanceLock::Result::Failed);
        QCOMPARE(lock.failureText(), refusal);
        ScriptedDialogs dialogs;
        dialogs.answerMessage();
        int status = 0;
        QVERIFY(!startUp(status).window);
        QCOMPARE(status, 1);
        QCOMPARE(dialogs.messageTexts(), QStringList(refusal));

        if (kind == QLatin1String("link")) {
            QCOMPARE(fileContent(target), QByteArray("keep me"));
            QCOMPARE(QFileInfo(target).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                   | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        }
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 kind == QLatin1String("link") ? QStringList{QStringLiteral("system.conf")} : QStringList());
    }

    // A damaged book is found after the main window is up, said once, shown on the window,
    // and written no more.
    void damagedBookIsReportedAfterStart()
    {
        setMisc(QStringLiteral("count"), 0);
        addManyCustomers(3000);
        salon::close();
        overwriteMiddle(salon::employeeDbPath(), 3000);
        QCOMPARE(salon::open(), std::nullopt);

        ScriptedDialogs dialogs;
        dialogs.answerMessage();
        int status = -1;
        Desk desk = startUp(status);
        frmMain *window = desk.window.get();
        QVERIFY(window);
        auto *check = window->findChild<StartupCheck *>(QStringLiteral("startupCheck"));
        QVERIFY(check);
        QTRY_VERIFY(check->isFinished());
        QTRY_COMPARE(dialogs.messageTexts().size(), 1);
        const QString path = QDir::toNativeSeparators(salon::employeeDbPath());
        QVERIFY2(dialogs.messageTexts().first().startsWith(QStringLiteral("The file %1 is damaged.\n\nVelorine stores nothing more in it.").arg(path)),
                 qPrintable(dialogs.messageTexts().first()));
        QCOMPARE(dialogs.last().icon, Dialogs::Icon::Critical);
        auto *note = window->findChild<QLabel *>(QStringLiteral("lblBookDamaged"));
        QVERIFY(note->isVisible());
        QVERIFY(note->text().contains(path));
        QVERIFY(salon::isDamaged(salon::employeeDbPath()));
        QVERIFY(!QSqlQuery(salon::employeeDb()).exec(QStringLiteral("UPDATE Misc SET Company = 'x'")));
        desk = {};
        salon::setDamageListener(nullptr);
    }

    // An older book is brought up to date by the copy of the program that holds the lock, and
    // by no other: a second copy leaves it as it is.
    void olderBookIsUpgradedOnlyUnderTheLock()
    {
        home.reset();
        home = std::make_unique<TestHome>(TestHome::Open::No);
        const QString path = salon::employeeDbPath();
        makeVersion1Book(path);
        const QByteArray before = fileContent(path);
        {
            InstanceLock firstCopy;
            QCOMPARE(firstCopy.acquire(), InstanceLock::Result::Acquired);
            ScriptedDialogs dialogs;
            dialogs.answerMessage();
            int status = 0;
            QVERIFY(!startUp(status).window);
            QCOMPARE(dialogs.messageTexts(), QStringList(frmMain::programName() + QStringLiteral("already running!")));
            QCOMPARE(fileContent(path), before);
            QVERIFY(!QFileInfo::exists(home->path() + QStringLiteral("/backups")));
        }
        ScriptedDialogs dialogs;   // fails the test on any message
        int status = -1;
        Desk desk = startUp(status);
        frmMain *window = desk.window.get();
        QVERIFY(window);
        QCOMPARE(status, 0);
        QSqlQuery version(QStringLiteral("PRAGMA user_version"), salon::employeeDb());
        QVERIFY(version.next());
        QCOMPARE(version.value(0).toInt(), salon::bookVersion);
        QCOMPARE(QDir(home->path() + QStringLiteral("/backups")).entryList(QDir::Files).size(), 1);
        desk = {};
    }

    // A book from a newer program stops the start, named with both versions, and is not written.
    void newerBookStopsTheStart()
    {
        salon::close();
        const QString path = salon::employeeDbPath();
        runOnBook(path, QStringLiteral("PRAGMA user_version = 7"));
        const QByteArray before = fileContent(path);
        ScriptedDialogs dialogs;
        dialogs.answerMessage();
        int status = 0;
        QVERIFY(!startUp(status).window);
        QCOMPARE(status, 1);
        QCOMPARE(dialogs.messageTexts(),
                 QStringList(QStringLiteral("The file %1 is version 7 of the salon's book, made by a newer Velorine; "
                                            "this Velorine reads version 4 and older.")
                                 .arg(path)));
        QCOMPARE(dialogs.last().icon, Dialogs::Icon::Critical);
        QVERIFY(!visibleTopLevel(QStringLiteral("frmMain")));
        QCOMPARE(fileContent(path), before);
    }

    void soundBookIsCheckedQuietly()
    {
        setMisc(QStringLiteral("count"), 0);
        ScriptedDialogs dialogs;   // fails the test on any message
        int status = -1;
        Desk desk = startUp(status);
        frmMain *window = desk.window.get();
        QVERIFY(window);
        auto *check = window->findChild<StartupCheck *>(QStringLiteral("startupCheck"));
        QTRY_VERIFY(check->isFinished());
        QVERIFY(!window->findChild<QLabel *>(QStringLiteral("lblBookDamaged"))->isVisible());
        QVERIFY(!salon::isDamaged(salon::employeeDbPath()));
    }

    // The program's icon comes once the main window has painted, off the start-up's path.
    void programIconFollowsTheFirstPaint()
    {
        setMisc(QStringLiteral("count"), 0);
        QApplication::setWindowIcon(QIcon());
        int status = -1;
        Desk desk = startUp(status);
        QVERIFY(desk.window);
        QTRY_VERIFY(!QApplication::windowIcon().isNull());
        QCOMPARE(desk.window->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    }

    void passwordGateShowsTheSharedLogin()
    {
        setMisc(QStringLiteral("count"), 0);
        int status = -1;
        Desk desk = startUp(status);
        frmMain *window = desk.window.get();
        QVERIFY(window);
        ScriptedDialogs dialogs;
        QWidget *asked = nullptr;
        ModalWatch watch([&](QWidget *modal) {
            asked = modal;
            QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("txtPassword")), QStringLiteral("salon"));
            modal->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        QVERIFY(window->doors().askShopPassword(window));
        QCOMPARE(asked, frmLogin::shared());
        ModalWatch watchCancel([&](QWidget *modal) { modal->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click(); });
        QVERIFY(!window->doors().askShopPassword(window));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
