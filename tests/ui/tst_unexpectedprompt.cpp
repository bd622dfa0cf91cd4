#include "dialogs.h"
#include "scripteddialogs.h"

#include <QtTest>

// Meant to fail: the program asks a question nobody scripted.
class TestUnexpectedPrompt : public QObject
{
    Q_OBJECT

private slots:
    void unscriptedQuestionFails()
    {
        ScriptedDialogs dialogs;
        showMessage(nullptr, QStringLiteral("Nobody expects this"));
    }
};

QTEST_MAIN(TestUnexpectedPrompt)
#include "tst_unexpectedprompt.moc"
