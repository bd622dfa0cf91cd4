// The calculator window forwards button captions and shows the readout.
#include "frmcalculator.h"
#include "screenhelpers.h"
#include "scripteddialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class tst_frmCalculator : public QObject
{
    Q_OBJECT
private slots:
    void buttonsCarryCaptions();
    void clicksDriveTheReadout();
    void divideByZeroShowsWarning();
    void reopeningResets();

private:
    static QString readout(frmCalculator &w) { return w.findChild<QLabel *>("Readout")->text(); }
};

void tst_frmCalculator::buttonsCarryCaptions()
{
    frmCalculator w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Calculator"));
    for (int i = 0; i < 10; ++i) {
        auto *b = w.findChild<QPushButton *>(QStringLiteral("Number%1").arg(i));
        QVERIFY(b);
        QCOMPARE(b->text(), QString::number(i));
        QCOMPARE(b->property("Index").toInt(), i);
    }
    const QStringList ops{"/", "+", "X", "-", "="};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("Operator%1").arg(i))->text(), ops[i]);
    QCOMPARE(w.findChild<QPushButton *>("Decimal")->text(), QStringLiteral("."));
    QCOMPARE(w.findChild<QPushButton *>("Percent")->text(), QStringLiteral("%"));
    QCOMPARE(w.findChild<QPushButton *>("Cancel")->text(), QStringLiteral("C"));
    QCOMPARE(w.findChild<QPushButton *>("CancelEntry")->text(), QStringLiteral("CE"));
    QCOMPARE(readout(w), QStringLiteral("0."));
}

void tst_frmCalculator::clicksDriveTheReadout()
{
    frmCalculator w;
    w.show();
    click(&w, "Cancel");
    click(&w, "Number7");
    QCOMPARE(readout(w), QStringLiteral("7."));
    click(&w, "Operator1"); // +
    click(&w, "Number3");
    click(&w, "Operator4"); // =
    QCOMPARE(readout(w), QStringLiteral("10"));
    click(&w, "Number5");
    click(&w, "Number0");
    click(&w, "Percent");
    QCOMPARE(readout(w), QStringLiteral("0.5"));
}

void tst_frmCalculator::divideByZeroShowsWarning()
{
    ScriptedDialogs dialogs;
    dialogs.answerMessage(Dialogs::Answer::Ok);
    frmCalculator w;
    w.show();
    click(&w, "Cancel");
    click(&w, "Number9");
    click(&w, "Operator0"); // /
    click(&w, "Number0");
    click(&w, "Operator4"); // =
    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral("Can't divide by zero")});
    QCOMPARE(dialogs.last().title, QStringLiteral("Calculator"));
    QCOMPARE(dialogs.last().icon, Dialogs::Icon::Warning);
    QCOMPARE(dialogs.last().buttons, Dialogs::Buttons::Ok);
    QCOMPARE(readout(w), QStringLiteral("9."));
}

void tst_frmCalculator::reopeningResets()
{
    frmCalculator w;
    w.show();
    click(&w, "Number4");
    QCOMPARE(readout(w), QStringLiteral("4."));
    w.show(); // brought to front: no reset
    QCOMPARE(readout(w), QStringLiteral("4."));
    w.close();
    w.show();
    QCOMPARE(readout(w), QStringLiteral("0."));
}

QTEST_MAIN(tst_frmCalculator)
#include "tst_frmcalculator.moc"
