#include "database.h"
#include "frmlogin.h"
#include "modalwatch.h"
#include "screenhelpers.h"
#include "scripteddialogs.h"
#include "shoppassword.h"
#include "testhome.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

// The shop password: how an entry is compared with the stored value (hash or legacy plain
// text), the upgrade of a legacy value, and the password dialog that asks for it.
class TestLogin : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;

    static void setStored(const QVariant &value)
    {
        QSqlQuery query(salon::employeeDb());
        query.prepare(QStringLiteral("UPDATE Misc SET password = ?"));
        query.addBindValue(value);
        QVERIFY(query.exec());
    }
    static QString stored()
    {
        QSqlQuery query(QStringLiteral("SELECT password FROM Misc"), salon::employeeDb());
        return query.next() ? query.value(0).toString() : QStringLiteral("<no row>");
    }

private slots:
    void init()
    {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
    }
    void cleanup()
    {
        frmLogin::releaseShared();
        home.reset();
    }

    void matches_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("accepted");
        const QString hashed = shoppassword::hash(QStringLiteral("salon"));
        const QString hashedEmpty = shoppassword::hash(QString());
        QTest::newRow("plain, same") << "salon" << "salon" << true;
        QTest::newRow("plain, other case") << "salon" << "Salon" << false;
        QTest::newRow("plain, trailing blank typed") << "salon" << "salon " << false;
        QTest::newRow("plain, trailing blank stored and typed") << "salon " << "salon " << true;
        QTest::newRow("plain, prefix only") << "salon" << "salo" << false;
        QTest::newRow("plain, nothing typed") << "salon" << "" << false;
        QTest::newRow("empty stored, empty typed") << "" << "" << true;
        QTest::newRow("empty stored, something typed") << "" << "x" << false;
        QTest::newRow("hash, same") << hashed << "salon" << true;
        QTest::newRow("hash, other case") << hashed << "SALON" << false;
        QTest::newRow("hash, trailing blank") << hashed << "salon " << false;
        QTest::newRow("hash, the hash itself typed") << hashed << hashed << false;
        QTest::newRow("hash of empty, empty typed") << hashedEmpty << "" << true;
        QTest::newRow("hash of empty, blank typed") << hashedEmpty << " " << false;
        QTest::newRow("non-ASCII") << QStringLiteral("café") << QStringLiteral("café") << true;
    }
    void matches()
    {
        QFETCH(QString, stored);
        QFETCH(QString, entered);
        QFETCH(bool, accepted);
        QCOMPARE(shoppassword::matches(entered, stored), accepted);
    }

    void hashesAreSaltedArgon2id()
    {
        const QString a = shoppassword::hash(QStringLiteral("salon"));
        const QString b = shoppassword::hash(QStringLiteral("salon"));
        QVERIFY(a.startsWith(QLatin1String("$argon2id$")));
        QVERIFY(a != b);
        QVERIFY(shoppassword::isHash(a));
        QVERIFY(!shoppassword::isHash(QStringLiteral("salon")));
    }

    void legacyPlainTextIsUpgradedOnFirstSuccess()
    {
        QCOMPARE(stored(), QStringLiteral("salon"));   // the seed of a new salon book
        QVERIFY(!shoppassword::check(QStringLiteral("Salon")));
        QCOMPARE(stored(), QStringLiteral("salon"));   // a failure changes nothing
        QVERIFY(shoppassword::check(QStringLiteral("salon")));
        const QString upgraded = stored();
        QVERIFY(shoppassword::isHash(upgraded));
        QVERIFY(!upgraded.contains(QLatin1String("salon")));
        QVERIFY(shoppassword::check(QStringLiteral("salon")));
        QCOMPARE(stored(), upgraded);                  // a hash is not hashed again
        QVERIFY(!shoppassword::check(QStringLiteral("salon ")));
    }

    void absentPasswordAcceptsOnlyEmpty()
    {
        setStored(QVariant());
        QVERIFY(!shoppassword::check(QStringLiteral("salon")));
        QVERIFY(shoppassword::check(QString()));
        QVERIFY(!shoppassword::check(QStringLiteral(" ")));
    }

    void changeStoresAHash()
    {
        shoppassword::change(QStringLiteral("N3w pass"));
        QVERIFY(shoppassword::isHash(stored()));
        QVERIFY(shoppassword::check(QStringLiteral("N3w pass")));
        QVERIFY(!shoppassword::check(QStringLiteral("salon")));
    }

    void dialogControls()
    {
        frmLogin login;
        QCOMPARE(login.windowTitle(), QStringLiteral("Velorine - Login"));
        auto *user = login.findChild<QLineEdit *>(QStringLiteral("txtUserName"));
        auto *password = login.findChild<QLineEdit *>(QStringLiteral("txtPassword"));
        QVERIFY(user && password);
        QCOMPARE(user->text(), frmLogin::loggedOnUser());
        QVERIFY(!user->text().isEmpty());
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QTest::keyClicks(password, QStringLiteral("ab 1"));
        QCOMPARE(password->displayText(), QStringLiteral("****"));   // a star per character
        QVERIFY(login.findChild<QPushButton *>(QStringLiteral("cmdOK"))->isDefault());
        QVERIFY(!login.ok());
    }

    void wrongTriesThenRight()
    {
        ScriptedDialogs dialogs;
        dialogs.answerMessage();
        dialogs.answerMessage();
        frmLogin login;
        auto *password = login.findChild<QLineEdit *>(QStringLiteral("txtPassword"));
        QString boxAtStart = QStringLiteral("<not shown>");
        QStringList boxAfterTries;
        ModalWatch watch([&](QWidget *modal) {
            boxAtStart = password->text();
            QTest::keyClicks(child(&login, "txtPassword"), QStringLiteral("Salon"));
            child<QPushButton>(modal, "cmdOK")->click();
            boxAfterTries << password->text();
            QTest::keyClicks(child(&login, "txtPassword"), QStringLiteral("salon "));
            QTest::keyClick(password, Qt::Key_Return);     // Enter presses the default OK
            boxAfterTries << password->text();
            QVERIFY(login.isVisible());
            QTest::keyClicks(child(&login, "txtPassword"), QStringLiteral("salon"));
            child<QPushButton>(modal, "cmdOK")->click();
        });
        QVERIFY(login.ask());
        QCOMPARE(boxAtStart, QString());
        QCOMPARE(boxAfterTries, QStringList({QString(), QString()}));
        QCOMPARE(dialogs.messageTexts(), QStringList({QStringLiteral("Invalid Password, try again!"),
                                                      QStringLiteral("Invalid Password, try again!")}));
        QCOMPARE(dialogs.last().title, QStringLiteral("Login"));
        QVERIFY(login.ok());
        QVERIFY(!login.isVisible());
    }

    void cancelGivesFalse()
    {
        ScriptedDialogs dialogs;
        frmLogin login;
        ModalWatch watch([&](QWidget *modal) {
            QTest::keyClicks(child(&login, "txtPassword"), QStringLiteral("salon"));
            child<QPushButton>(modal, "cmdCancel")->click();
        });
        QVERIFY(!login.ask());
        QVERIFY(!login.ok());
        QVERIFY(!login.isVisible());
        QCOMPARE(stored(), QStringLiteral("salon"));   // nothing checked, nothing upgraded
    }

    // The shared dialog stays loaded between uses, and its box is empty every time it shows.
    void sharedDialogStartsEmptyEachTime()
    {
        ScriptedDialogs dialogs;
        frmLogin *shared = frmLogin::shared();
        QCOMPARE(frmLogin::shared(), shared);
        auto *password = shared->findChild<QLineEdit *>(QStringLiteral("txtPassword"));
        for (int use = 0; use < 2; ++use) {
            QString boxAtStart = QStringLiteral("<not shown>");
            ModalWatch watch([&](QWidget *modal) {
                boxAtStart = password->text();
                QTest::keyClicks(child(shared, "txtPassword"), QStringLiteral("salon"));
                child<QPushButton>(modal, "cmdOK")->click();
            });
            QVERIFY(shared->ask());
            QCOMPARE(boxAtStart, QString());
            QVERIFY(!shared->isVisible());
            QCOMPARE(password->text(), QString());
        }
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
