// Every edge case of the calculator as one row: the keys pressed (captions separated by blanks),
// the readout that must follow and the warnings raised on the way.
#include "calculatorengine.h"

#include <QTest>

class tst_CalculatorEngine : public QObject
{
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void startStateAfterReset();
};

static QString nines(int count) { return QString(count, u'9'); }
// A number typed digit by digit, as keys.
static QString typed(const QString &digits)
{
    QStringList keys;
    for (QChar c : digits)
        keys << QString(c);
    return keys.join(u' ');
}

void tst_CalculatorEngine::keys_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("readout");
    QTest::addColumn<QStringList>("warnings");
    const QStringList none;
    const QStringList divZero{QStringLiteral("Can't divide by zero")};
    const QStringList overflow{QStringLiteral("Overflow")};

    // Load and digits
    QTest::newRow("load shows 0.") << "" << "0." << none;
    QTest::newRow("first digit 7") << "7" << "7." << none;
    QTest::newRow("digit inserted before separator") << "7 8" << "78." << none;
    QTest::newRow("digits after the point are appended") << "3 . 1" << "3.1" << none;
    QTest::newRow("leading zeros stay") << "0 5" << "05." << none;
    QTest::newRow("negative entry grows") << "- 5 3" << "-53." << none;
    QTest::newRow("many digits, no limit") << "1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8" << "123456789012345678." << none;

    // Minus at start
    QTest::newRow("minus at start") << "-" << "-0." << none;
    QTest::newRow("second minus changes nothing") << "- -" << "-0." << none;
    QTest::newRow("minus then 5") << "- 5" << "-5." << none;
    QTest::newRow("minus then 5 after two minus") << "- - 5" << "-5." << none;
    QTest::newRow("other operator at start does nothing") << "+" << "0." << none;
    QTest::newRow("plus after start minus keeps NEG") << "- +" << "-0." << none;
    QTest::newRow("negative first operand") << "- 5 + 3 =" << "-2" << none;

    // Decimal point
    QTest::newRow("point 5") << ". 5" << "0.5" << none;
    QTest::newRow("minus point 5") << "- . 5" << "-0.5" << none;
    QTest::newRow("point twice changes nothing") << ". ." << "0." << none;
    QTest::newRow("point twice within an entry") << "5 . . 2" << "5.2" << none;
    QTest::newRow("point after operator starts 0.") << "5 + . 5 =" << "5.5" << none;

    // Operators and chaining
    QTest::newRow("first operator keeps readout") << "5 +" << "5." << none;
    QTest::newRow("chain shows result at next operator") << "5 + 3 X" << "8" << none;
    QTest::newRow("chain continues") << "5 + 3 X 2 =" << "16" << none;
    QTest::newRow("minus after plus negates second operand") << "5 + - 3 =" << "2" << none;
    QTest::newRow("minus after equals is ordinary") << "5 + 3 = - 2 =" << "6" << none;
    QTest::newRow("minus right after equals shows result") << "5 + 3 = -" << "8" << none;
    QTest::newRow("new number after equals starts anew") << "5 + 3 = 2 + 1 =" << "3" << none;
    QTest::newRow("subtract") << "9 - 4 =" << "5" << none;
    QTest::newRow("multiply") << "6 X 7 =" << "42" << none;
    QTest::newRow("divide") << "7 / 2 =" << "3.5" << none;
    QTest::newRow("one third 15 digits") << "1 / 3 =" << "0.333333333333333" << none;
    QTest::newRow("small result in exponent form") << "1 / 1 0 0 0 0 0 =" << "1E-05" << none;
    QTest::newRow("large result in exponent form") << "1 5 0 0 0 0 0 0 0 X 1 0 0 0 0 0 0 0 0 =" << "1.5E+16" << none;
    QTest::newRow("percent of exponent text") << "1 / 1 0 0 0 0 0 = %" << "1E-07" << none;

    // Division by zero
    QTest::newRow("divide by zero keeps captured text") << "9 / 0 =" << "9." << divZero;
    QTest::newRow("divide by zero after computation") << "2 X 4 / 0 =" << "8" << divZero;
    QTest::newRow("8 / 0 = keeps text") << "8 / 0 =" << "8." << divZero;
    QTest::newRow("divide by minus zero") << "9 / - 0 =" << "9." << divZero;
    QTest::newRow("divide by 0.000") << "9 / 0 . 0 0 0 =" << "9." << divZero;
    QTest::newRow("after divide by zero pending is the key") << "9 / 0 + 1 =" << "10" << divZero;

    // Percent
    QTest::newRow("200 + 5 % =") << "2 0 0 + 5 % =" << "10" << none;
    QTest::newRow("200 - 5 % =") << "2 0 0 - 5 % =" << "10" << none;
    QTest::newRow("200 X 5 % =") << "2 0 0 X 5 % =" << "10" << none;
    QTest::newRow("200 / 5 % =") << "2 0 0 / 5 % =" << "10" << none;
    QTest::newRow("50 %") << "5 0 %" << "0.5" << none;
    QTest::newRow("5 % gives 0.05") << "5 %" << "0.05" << none;
    QTest::newRow("percent at start becomes first operand") << "5 % + 1 =" << "1.05" << none;
    QTest::newRow("percent of last result") << "3 + 4 = 5 0 % =" << "3.5" << none;
    QTest::newRow("after percent at count 2 nothing computes") << "2 0 0 + 5 % 3 + 4 =" << "4." << none;
    QTest::newRow("inert until C") << "2 0 0 + 5 % 3 + 4 = 6 X 2 =" << "2." << none;
    QTest::newRow("C revives") << "2 0 0 + 5 % 3 + 4 = C 2 + 3 =" << "5" << none;
    QTest::newRow("percent twice lifts count to 3") << "2 0 0 + 5 % % 1 + 1 =" << "1." << none;

    // Clear entry and clear
    QTest::newRow("CE keeps operand and operator") << "5 + 9 CE 3 =" << "8" << none;
    QTest::newRow("CE shows 0.") << "5 + 9 CE" << "0." << none;
    // The operator after CE takes the readout "0." as the first operand (Operator step 3, case 1).
    QTest::newRow("CE then minus at count 1 takes 0. as operand") << "5 + CE - 3 =" << "-3" << none;
    QTest::newRow("C shows 0.") << "5 + 3 C" << "0." << none;
    QTest::newRow("C drops pending operation") << "5 + 3 C 2 =" << "2." << none;
    QTest::newRow("C then minus") << "5 + 3 = C -" << "-0." << none;

    // Left to the implementer: an operand that is only "-"
    QTest::newRow("minus only: operator ignored") << "5 + - +" << "-" << none;
    QTest::newRow("minus only: equals ignored") << "5 + - =" << "-" << none;
    QTest::newRow("minus only: second minus ignored") << "5 + - -" << "-" << none;
    QTest::newRow("minus only: percent ignored") << "5 + - %" << "-" << none;
    QTest::newRow("minus only: digit completes operand") << "5 + - + 3 =" << "2" << none;
    QTest::newRow("minus only: after equals press") << "5 + - = 3 =" << "2" << none;
    QTest::newRow("minus only: CE recovers") << "5 + - CE 4 =" << "9" << none;

    // Left to the implementer: overflow and invalid results
    const QString n200 = typed(nines(200));
    const QString n400 = typed(nines(400));
    QTest::newRow("overflow in X keeps accumulator") << n200 + " X " + n200 + " =" << nines(200) + "." << overflow;
    QTest::newRow("overflow in computed chain")
        << n200 + " X " + n200 + " = 5 + 1 =" << "6" << overflow;
    const QString e308 = QStringLiteral("1") + QString(308, u'0'); // 1E+308, just below the limit
    QTest::newRow("overflow in +") << typed(e308) + " + " + typed(e308) + " =" << e308 + "." << overflow;
    QTest::newRow("overflow in -") << "- " + typed(e308) + " - " + typed(e308) + " =" << "-" + e308 + "." << overflow;
    QTest::newRow("overflow in /") << typed(e308) + " / . 1 =" << e308 + "." << overflow;
    QTest::newRow("overflow in percent computation") << typed(e308) + " X 2 0 0 % =" << e308 + "." << overflow;
    QTest::newRow("text beyond a double as operand") << n400 + " + 1 =" << nines(400) + "." << overflow;
    QTest::newRow("text beyond a double as second operand") << "1 + " + n400 + " =" << "1." << overflow;
    QTest::newRow("percent of text beyond a double ignored") << n400 + " %" << nines(400) + "." << none;
    QTest::newRow("divide by text beyond a double") << "1 / " + n400 + " =" << "1." << overflow;
    QTest::newRow("equals with text beyond a double") << "1 + 1 = " + n400 + " = =" << "2" << overflow;
}

void tst_CalculatorEngine::keys()
{
    QFETCH(QString, keys);
    QFETCH(QString, readout);
    QFETCH(QStringList, warnings);

    CalculatorEngine engine;
    QStringList raised;
    engine.setWarningHandler([&raised](const QString &text) { raised << text; });
    engine.reset();
    const QStringList presses = keys.split(u' ', Qt::SkipEmptyParts);
    for (const QString &key : presses) {
        engine.pressKey(key);
        const QString shown = engine.readoutText().toLower();
        QVERIFY2(!shown.contains(u"inf") && !shown.contains(u"nan"), qPrintable(shown));
    }
    QCOMPARE(engine.readoutText(), readout);
    QCOMPARE(raised, warnings);
}

void tst_CalculatorEngine::startStateAfterReset()
{
    // Reset leaves the accumulator as it was: after 5 + 3 = and a reset (window reopened),
    // the next calculation starts fresh but nothing is lost that the engine keeps.
    CalculatorEngine engine;
    for (const QString &key : QStringList{"5", "+", "3", "="})
        engine.pressKey(key);
    engine.reset();
    QCOMPARE(engine.readoutText(), QStringLiteral("0."));
    QCOMPARE(engine.operandCount(), 0);
    QCOMPARE(engine.inputState(), QStringLiteral("NONE"));
    QCOMPARE(engine.pendingOperator(), QStringLiteral(" "));
}

QTEST_GUILESS_MAIN(tst_CalculatorEngine)
#include "tst_calculatorengine.moc"
