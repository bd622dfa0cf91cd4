#include "dialogs.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QProcess>
#include <QtTest>

// Run only inside a child copy of this program: each function meets a question its script
// does not answer, so each must fail.
class UnscriptedPrompts : public QObject
{
    Q_OBJECT

private slots:
    void messageWithNothingScripted()
    {
        ScriptedDialogs dialogs;
        showMessage(nullptr, QStringLiteral("Nobody expects this"));
    }
    void textWhereAMessageIsScripted()
    {
        ScriptedDialogs dialogs;
        dialogs.answerMessage();
        askText(nullptr, QStringLiteral("Type a number"));
    }
};

// A question nobody scripted fails the test that meets it through the test's own failure report
// naming the question, not through a crash or a hang: the child's verdict is read in full.
class TestUnexpectedPrompt : public QObject
{
    Q_OBJECT

private slots:
    void unscriptedPromptFailsItsTest_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("failure");
        QTest::newRow("nothing scripted")
            << "messageWithNothingScripted" << R"(Unexpected message box "Nobody expects this" (script expected nothing))";
        QTest::newRow("another kind scripted")
            << "textWhereAMessageIsScripted" << R"(Unexpected input box "Type a number" (script expected message box))";
    }
    void unscriptedPromptFailsItsTest()
    {
        QFETCH(QString, function);
        QFETCH(QString, failure);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VELORINE_RUN_UNSCRIPTED"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {function});
        QVERIFY(child.waitForFinished(60000));
        const QString output = QString::fromUtf8(child.readAllStandardOutput());
        const QString errors = QString::fromUtf8(child.readAllStandardError());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit, qPrintable(errors));
        QCOMPARE(child.exitCode(), 1);   // exactly one failed test function
        const QString line = QStringLiteral("FAIL!  : UnscriptedPrompts::%1() %2").arg(function, failure);
        QVERIFY2(output.contains(line), qPrintable(output + errors));
        QVERIFY2(output.contains(QStringLiteral("Totals: 2 passed, 1 failed")), qPrintable(output));
    }
};

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (qEnvironmentVariableIsSet("VELORINE_RUN_UNSCRIPTED")) {
        UnscriptedPrompts prompts;
        return QTest::qExec(&prompts, argc, argv);
    }
    TestUnexpectedPrompt test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_unexpectedprompt.moc"
