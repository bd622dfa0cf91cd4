#include "dialogs.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
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

    // Cancel is told apart from an empty answer; askText() still reads Cancel as empty.
    void inputBoxTellsCancelFromEmpty_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("answered");
        QTest::newRow("OK with nothing typed") << true << true;
        QTest::newRow("Cancel") << false << false;
    }
    void inputBoxTellsCancelFromEmpty()
    {
        QFETCH(bool, accept);
        QFETCH(bool, answered);
        QtDialogs dialogs;
        auto close = [accept] {
            auto box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(box);
            accept ? box->accept() : box->reject();
        };
        QTimer::singleShot(0, close);
        const std::optional<QString> answer = dialogs.askTextOrCancel(nullptr, QStringLiteral("Rate: "), QStringLiteral("Velorine"), {});
        QCOMPARE(answer.has_value(), answered);
        if (answered)
            QCOMPARE(*answer, QString());
        QTimer::singleShot(0, close);
        QCOMPARE(dialogs.askText(nullptr, QStringLiteral("Rate: "), QStringLiteral("Velorine"), {}), QString());

        ScriptedDialogs scripted;
        accept ? scripted.answerText(QString()) : scripted.answerCancel();
        QCOMPARE(askTextOrCancel(nullptr, QStringLiteral("Rate: ")).has_value(), answered);
    }

    void restoresTheQtDialogsWhenItGoes()
    {
        {
            ScriptedDialogs dialogs;
            QCOMPARE(&Dialogs::instance(), static_cast<Dialogs *>(&dialogs));
        }
        QVERIFY(dynamic_cast<QtDialogs *>(&Dialogs::instance()) != nullptr);
    }

    // A question whose Yes is the risky answer: Enter alone answers No.
    void enterAnswersNoWhereNoIsTheDefault()
    {
        QTimer::singleShot(0, [] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return);
        });
        QtDialogs dialogs;
        QCOMPARE(dialogs.message(nullptr, QStringLiteral("Post a second row?"), QStringLiteral("Velorine"),
                                 Dialogs::Buttons::YesNoDefaultNo, Dialogs::Icon::Question),
                 Dialogs::Answer::No);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
