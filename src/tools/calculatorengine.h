#pragma once
#include <QString>
#include <functional>

// The four-function desk calculator as a plain state machine: each key press goes
// in, the readout text comes out, and the division-by-zero case (plus the two cases
// decided below) is reported through the warning callback. No widget is involved;
// frmCalculator only forwards button captions and shows readoutText().
//
// Cases decided here:
// - An operand that is only the minus sign (readout "-", as after the keys 5 + -): every
//   operator key and the percent key are ignored while the readout is "-" alone, so the
//   accumulator never takes "-" and the next digit simply completes the negative operand
//   (5 + - + 3 = gives [2]).
// - Results that are not finite (overflow in "+", "-", "X", "/", "%") and operands whose text
//   does not convert to a finite number (for example a few hundred typed digits): handled as
//   the division by zero is. The warning "Overflow" is raised, the accumulator stays as it
//   was and is shown, OperandCount becomes 1. A percent press on such a readout is ignored.
//   The readout therefore never shows "inf" or "nan".
class CalculatorEngine
{
public:
    using Warning = std::function<void(const QString &message)>;

    CalculatorEngine();

    // The engine that lives as long as the program (one for the whole run).
    static CalculatorEngine &instance();

    void setWarningHandler(Warning handler) { m_warning = std::move(handler); }

    void reset();
    void pressDigit(QChar digit);
    void pressOperator(QChar op); // '+', '-', 'X', '/', '='
    void pressDecimal();
    void pressPercent();
    void pressClear();
    void pressClearEntry();
    // Forwards a button caption ("7", "X", ".", "%", "C", "CE"); unknown captions are ignored.
    void pressKey(const QString &caption);

    QString readoutText() const { return m_readout; }

    // The messages of the warning callback.
    static QString divideByZeroText() { return QStringLiteral("Can't divide by zero"); }
    static QString overflowText() { return QStringLiteral("Overflow"); }

    // Inspection for tests.
    int operandCount() const { return m_operandCount; }
    QString inputState() const { return m_inputState; }
    QString pendingOperator() const { return m_pendingOperator; }

private:
    // Accumulator and SecondOperand: empty, text captured from the readout, or a double.
    struct Value
    {
        enum class Kind { Empty, Text, Number } kind = Kind::Empty;
        QString text;
        double number = 0.0;

        static Value fromText(const QString &t) { return {Kind::Text, t, 0.0}; }
        static Value fromNumber(double d) { return {Kind::Number, QString(), d}; }
        // The value as a finite double; false when it does not convert (an empty value is 0).
        bool toDouble(double &out) const;
        QString display() const;
    };

    QString zeroText() const;     // "0."
    QString negZeroText() const;  // "-0."
    QString separator() const;    // "."
    void warn(const QString &text);

    QString m_readout;
    Value m_accumulator;
    Value m_secondOperand;
    QString m_readoutAtPress;
    bool m_decimalEntered = false;
    int m_operandCount = 0;
    QString m_inputState = QStringLiteral("NONE");
    QString m_pendingOperator = QStringLiteral(" ");
    Warning m_warning;
};

// Locale-aware text-to-number conversion of a readout text ([5.], "-0.", [0.05], 1E-05);
// false when the text is no number or its value is not finite.
bool calculatorTextToNumber(const QString &text, double &out);
