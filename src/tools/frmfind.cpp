#include "frmfind.h"

#include "editorstate.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using editor::searchState;

frmFind::frmFind(std::function<void()> findText, QWidget *parent)
    : QDialog(parent), m_findText(std::move(findText))
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(true);

    auto *label = new QLabel(QStringLiteral("Fi&nd What:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtFind"));
    m_text->setToolTip(QStringLiteral("Text to Find"));
    label->setBuddy(m_text);

    auto *frame = new QGroupBox(QStringLiteral("Direction"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_up = new QRadioButton(QStringLiteral("&Up"), frame);
    m_up->setObjectName(QStringLiteral("optDirection0"));
    m_up->setProperty("Index", 0);
    m_up->setToolTip(QStringLiteral("Search to Beginning of Document"));
    m_down = new QRadioButton(QStringLiteral("&Down"), frame);
    m_down->setObjectName(QStringLiteral("optDirection1"));
    m_down->setProperty("Index", 1);
    m_down->setToolTip(QStringLiteral("Search to End of Document"));
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_up);
    frameLayout->addWidget(m_down);

    m_case = new QCheckBox(QStringLiteral("Match &Case"), this);
    m_case->setObjectName(QStringLiteral("chkCase"));
    m_case->setToolTip(QStringLiteral("Case Sensitivity"));

    m_find = new QPushButton(QStringLiteral("&Find"), this);
    m_find->setObjectName(QStringLiteral("cmdFind"));
    m_find->setToolTip(QStringLiteral("Start Search"));
    m_find->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdcancel"));
    m_cancel->setToolTip(QStringLiteral("Return to Notepad"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 2);
    grid->addWidget(m_find, 0, 3);
    grid->addWidget(m_case, 1, 0, 1, 2);
    grid->addWidget(frame, 1, 2);
    grid->addWidget(m_cancel, 1, 3, Qt::AlignTop);

    // Load: "&Find" disabled, the direction button of SearchDirection selected.
    m_find->setEnabled(false);
    (searchState().searchDirection == 0 ? m_up : m_down)->setChecked(true);

    connect(m_text, &QLineEdit::textChanged, this, [this](const QString &text) {
        searchState().freshSearch = true;
        m_find->setEnabled(!text.isEmpty());
    });
    connect(m_up, &QRadioButton::clicked, this, [] { searchState().searchDirection = 0; });
    connect(m_down, &QRadioButton::clicked, this, [] { searchState().searchDirection = 1; });
    connect(m_case, &QCheckBox::toggled, this, [](bool on) { searchState().matchCase = on ? 1 : 0; });
    connect(m_find, &QPushButton::clicked, this, &frmFind::cmdFindClick);
    connect(m_cancel, &QPushButton::clicked, this, &frmFind::cmdCancelClick);
}

void frmFind::prepare(const QString &text)
{
    m_text->setText(text);
    if (searchState().matchCase)
        m_case->setChecked(true);
    searchState().freshSearch = true;
}

void frmFind::cmdFindClick()
{
    searchState().findWhat = m_text->text();
    if (m_findText)
        m_findText();
}

void frmFind::cmdCancelClick()
{
    searchState().findWhat = m_text->text();
    searchState().matchCase = m_case->isChecked() ? 1 : 0;
    accept();
}
