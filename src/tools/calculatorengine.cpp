#include "calculatorengine.h"

#include "values.h"

#include <QLocale>
#include <cmath>

bool calculatorTextToNumber(const QString &text, double &out)
{
    bool ok = false;
    double value = QLocale().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

bool CalculatorEngine::Value::toDouble(double &out) const
{
    switch (kind) {
    case Kind::Empty: out = 0.0; return true;
    case Kind::Number: out = number; return std::isfinite(number);
    case Kind::Text: return calculatorTextToNumber(text, out);
    }
    return false;
}

QString CalculatorEngine::Value::display() const
{
    switch (kind) {
    case Kind::Text: return text;
    case Kind::Number: return numberText(number);
    case Kind::Empty: break;
    }
    return QStringLiteral("0") + QLocale().decimalPoint();
}

CalculatorEngine::CalculatorEngine()
{
    m_readout = zeroText();
}

CalculatorEngine &CalculatorEngine::instance()
{
    static CalculatorEngine engine;
    return engine;
}

QString CalculatorEngine::separator() const { return QLocale().decimalPoint(); }
QString CalculatorEngine::zeroText() const { return QStringLiteral("0") + separator(); }
QString CalculatorEngine::negZeroText() const { return QStringLiteral("-0") + separator(); }

void CalculatorEngine::warn(const QString &text)
{
    if (m_warning)
        m_warning(text);
}

void CalculatorEngine::reset()
{
    m_decimalEntered = false;
    m_operandCount = 0;
    m_inputState = QStringLiteral("NONE");
    m_pendingOperator = QStringLiteral(" ");
    m_readout = zeroText();
}

void CalculatorEngine::pressDigit(QChar digit)
{
    if (!digit.isDigit())
        return;
    if (m_inputState != u"NUMS") {
        m_readout = separator();
        m_decimalEntered = false;
    }
    if (m_decimalEntered) {
        m_readout += digit;
    } else {
        const qsizetype at = m_readout.indexOf(separator());
        const QString before = at < 0 ? m_readout : m_readout.left(at);
        m_readout = before + digit + separator();
    }
    if (m_inputState == u"NEG")
        m_readout.prepend(u'-');
    m_inputState = QStringLiteral("NUMS");
}

void CalculatorEngine::pressDecimal()
{
    if (m_inputState == u"NEG")
        m_readout = negZeroText();
    else if (m_inputState != u"NUMS")
        m_readout = zeroText();
    m_decimalEntered = true;
    m_inputState = QStringLiteral("NUMS");
}

void CalculatorEngine::pressOperator(QChar op)
{
    // An operand that is only the minus sign cannot be worked with: the press is ignored.
    if (m_readout == u"-")
        return;

    m_readoutAtPress = m_readout;
    if (m_inputState == u"NUMS")
        ++m_operandCount;

    if (m_operandCount == 0) {
        if (op == u'-' && m_inputState != u"NEG") {
            m_readout.prepend(u'-');
            m_inputState = QStringLiteral("NEG");
        }
    } else if (m_operandCount == 1) {
        m_accumulator = Value::fromText(m_readout);
        if (op == u'-' && m_inputState != u"NUMS" && m_pendingOperator != u"=") {
            m_readout = QStringLiteral("-");
            m_inputState = QStringLiteral("NEG");
        }
    } else if (m_operandCount == 2) {
        m_secondOperand = Value::fromText(m_readoutAtPress);
        double a = 0.0;
        double b = 0.0;
        const bool aOk = m_accumulator.toDouble(a);
        const bool bOk = m_secondOperand.toDouble(b);
        // Stores a computed result, or reports an overflow and leaves the accumulator.
        auto store = [&](double result) {
            if (aOk && bOk && std::isfinite(result))
                m_accumulator = Value::fromNumber(result);
            else
                warn(overflowText());
        };
        const QString &pending = m_pendingOperator;
        if (pending == u"+") {
            store(a + b);
        } else if (pending == u"-") {
            store(a - b);
        } else if (pending == u"X") {
            store(a * b);
        } else if (pending == u"/") {
            if (bOk && b == 0.0)
                warn(divideByZeroText());
            else
                store(bOk ? a / b : 0.0);
        } else if (pending == u"=") {
            if (bOk)
                m_accumulator = Value::fromNumber(b);
            else
                warn(overflowText());
        } else if (pending == u"%") {
            store(a * b);
        }
        m_readout = m_accumulator.display();
        m_operandCount = 1;
    }

    if (m_inputState != u"NEG") {
        m_inputState = QStringLiteral("OPS");
        m_pendingOperator = QString(op);
    }
}

void CalculatorEngine::pressPercent()
{
    double value = 0.0;
    // Nothing to work with (readout "-" or a text beyond a double).
    if (!calculatorTextToNumber(m_readout, value))
        return;
    m_readout = numberText(value / 100.0);
    m_inputState = QStringLiteral("OPS");
    m_pendingOperator = QStringLiteral("%");
    ++m_operandCount;
    m_decimalEntered = true;
}

void CalculatorEngine::pressClearEntry()
{
    m_readout = zeroText();
    m_decimalEntered = false;
    m_inputState = QStringLiteral("CE");
}

void CalculatorEngine::pressClear()
{
    m_readout = zeroText();
    m_accumulator = Value::fromNumber(0.0);
    m_secondOperand = Value::fromNumber(0.0);
    reset();
}

void CalculatorEngine::pressKey(const QString &caption)
{
    if (caption.size() == 1 && caption.at(0).isDigit())
        pressDigit(caption.at(0));
    else if (caption == u"+" || caption == u"-" || caption == u"X" || caption == u"/" || caption == u"=")
        pressOperator(caption.at(0));
    else if (caption == u".")
        pressDecimal();
    else if (caption == u"%")
        pressPercent();
    else if (caption == u"C")
        pressClear();
    else if (caption == u"CE")
        pressClearEntry();
}
