#include "dialogs.h"
#include "scripteddialogs.h"

#include <QtTest>

// The scripted seam answers in order and records what the program showed.
class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void answersInOrderAndRecords()
    {
        ScriptedDialogs dialogs;
        dialogs.answerText(QStringLiteral("7"));
        dialogs.answerMessage(Dialogs::Answer::No);
        QCOMPARE(askText(nullptr, QStringLiteral("Please enter a number: ")), QStringLiteral("7"));
        QCOMPARE(showMessage(nullptr, QStringLiteral("Sure?"), Dialogs::Buttons::YesNo), Dialogs::Answer::No);
        QCOMPARE(dialogs.shown().size(), 2);
        QCOMPARE(dialogs.shown()[0].title, QStringLiteral("Velorine"));
        QCOMPARE(dialogs.promptTexts(), QStringList{QStringLiteral("Please enter a number: ")});
        QCOMPARE(dialogs.last().buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(dialogs.pending(), 0);
    }

    void restoresTheQtDialogsWhenItGoes()
    {
        {
            ScriptedDialogs dialogs;
            QCOMPARE(&Dialogs::instance(), static_cast<Dialogs *>(&dialogs));
        }
        QVERIFY(dynamic_cast<QtDialogs *>(&Dialogs::instance()) != nullptr);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
