#include "frmcalculator.h"

#include "calculatorengine.h"
#include "dialogs.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

frmCalculator::frmCalculator(QWidget *parent)
    : QWidget(parent, Qt::Window), m_engine(CalculatorEngine::instance())
{
    setObjectName(QStringLiteral("frmCalculator"));
    setWindowTitle(QStringLiteral("Calculator"));

    auto *grid = new QGridLayout(this);
    m_readout = new QLabel(QStringLiteral("0."), this);
    m_readout->setObjectName(QStringLiteral("Readout"));
    m_readout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_readout->setFrameShape(QFrame::Panel);
    m_readout->setFrameShadow(QFrame::Sunken);
    m_readout->setMinimumHeight(32);
    QFont readoutFont = m_readout->font();
    readoutFont.setPointSize(readoutFont.pointSize() + 4);
    m_readout->setFont(readoutFont);
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_readout, 0, 0, 1, 5);

    auto makeButton = [this](const QString &name, const QString &caption, int index) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(name);
        if (index >= 0)
            button->setProperty("Index", index);
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumSize(44, 36);
        connect(button, &QPushButton::clicked, this, &frmCalculator::buttonClicked);
        return button;
    };

    // Number(Index) carries the digit equal to its Index.
    const int digitRow[10] = {4, 3, 3, 3, 2, 2, 2, 1, 1, 1};
    const int digitColumn[10] = {0, 0, 1, 2, 0, 1, 2, 0, 1, 2};
    for (int i = 0; i < 10; ++i)
        grid->addWidget(makeButton(QStringLiteral("Number%1").arg(i), QString::number(i), i),
                        digitRow[i], digitColumn[i]);

    // Operator: Index 0 "/", 1 "+", 2 "X", 3 "-", 4 "=".
    const QString operators[5] = {QStringLiteral("/"), QStringLiteral("+"), QStringLiteral("X"),
                                  QStringLiteral("-"), QStringLiteral("=")};
    const int opRow[5] = {1, 4, 2, 3, 4};
    const int opColumn[5] = {3, 3, 3, 3, 2};
    for (int i = 0; i < 5; ++i)
        grid->addWidget(makeButton(QStringLiteral("Operator%1").arg(i), operators[i], i), opRow[i], opColumn[i]);

    grid->addWidget(makeButton(QStringLiteral("Decimal"), QStringLiteral("."), -1), 4, 1);
    grid->addWidget(makeButton(QStringLiteral("Cancel"), QStringLiteral("C"), -1), 1, 4);
    grid->addWidget(makeButton(QStringLiteral("CancelEntry"), QStringLiteral("CE"), -1), 2, 4);
    grid->addWidget(makeButton(QStringLiteral("Percent"), QStringLiteral("%"), -1), 3, 4);

    m_engine.setWarningHandler([this](const QString &text) {
        showMessage(this, text, QStringLiteral("Calculator"), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    });
    formLoad();
}

frmCalculator::~frmCalculator()
{
    m_engine.setWarningHandler({});
}

QString frmCalculator::readoutText() const
{
    return m_readout->text();
}

void frmCalculator::formLoad()
{
    m_engine.reset();
    m_readout->setText(m_engine.readoutText());
    m_loaded = true;
}

void frmCalculator::showEvent(QShowEvent *event)
{
    // Each opening of the window runs Reset; bringing an open window to the front does not.
    if (!m_loaded)
        formLoad();
    QWidget::showEvent(event);
}

void frmCalculator::closeEvent(QCloseEvent *event)
{
    m_loaded = false;
    QWidget::closeEvent(event);
}

void frmCalculator::buttonClicked()
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (!button)
        return;
    m_engine.pressKey(button->text());
    m_readout->setText(m_engine.readoutText());
}
