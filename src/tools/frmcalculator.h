#pragma once
#include <QWidget>

class QLabel;
class QPushButton;
class CalculatorEngine;

// The calculator window, caption "Calculator". It only forwards each button's
// caption to the program's CalculatorEngine and shows the readout; the engine's warnings are
// shown as message boxes titled "Calculator" with an exclamation icon.
// Controls: Readout (label), Number0..Number9, Operator0..Operator4 ("/", "+", "X", "-", "="),
// Decimal, Percent, Cancel, CancelEntry; the arrays carry their Index as the property "Index".
class frmCalculator : public QWidget
{
    Q_OBJECT
public:
    explicit frmCalculator(QWidget *parent = nullptr);
    ~frmCalculator() override;

    QString readoutText() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void formLoad();
    void buttonClicked();

    CalculatorEngine &m_engine;
    QLabel *m_readout = nullptr;
    bool m_loaded = false;
};
