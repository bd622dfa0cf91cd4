#include "dialogs.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
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

    // Save As for a file never written over: a name that exists is told and asked again, not
    // offered for replacing; a new name is given back.
    void aNewFileIsAskedAgainForAnExistingName()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString existing = folder.filePath(QStringLiteral("week.ics"));
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QStringList seen;
        // Each modal window in turn: the file dialog given the existing name, the message, the
        // file dialog again given a new one.
        const QStringList answers{existing, QString(), folder.filePath(QStringLiteral("fresh"))};
        std::function<void(int)> answer = [&](int step) {
            QTRY_VERIFY(QApplication::activeModalWidget());
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                seen << box->text();
                box->accept();
            } else if (auto *files = qobject_cast<QFileDialog *>(modal)) {
                seen << QStringLiteral("file dialog");
                files->selectFile(answers[step]);
                static_cast<QDialog *>(files)->accept();   // the dialog's own checks run
            }
            if (step + 1 < answers.size())
                QTimer::singleShot(0, [&answer, step] { answer(step + 1); });
        };
        QTimer::singleShot(0, [&answer] { answer(0); });
        QtDialogs dialogs;
        const QString chosen = dialogs.saveNewFileName(nullptr, QStringLiteral("Export Calendar File"), folder.path(),
                                                       QStringLiteral("Calendar files (*.ics)"), QStringLiteral("ics"));
        QCOMPARE(chosen, folder.filePath(QStringLiteral("fresh.ics")));
        QCOMPARE(seen, (QStringList{QStringLiteral("file dialog"),
                                    QDir::toNativeSeparators(existing) + QStringLiteral(" already exists; choose another name."),
                                    QStringLiteral("file dialog")}));
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
