#include "frmpersonalize.h"

#include "database.h"
#include "dialogs.h"
#include "formcontrols.h"
#include "recordset.h"
#include "screencentre.h"
#include "storeerror.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmPersonalize::frmPersonalize(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPersonalize"));
    setWindowTitle(QStringLiteral("Velorine - Personalize your software"));

    auto *heading1 = new QLabel(QStringLiteral("Personalize your copy of Velorine by entering your "));
    heading1->setObjectName(QStringLiteral("lblHeading1"));
    auto *heading2 = new QLabel(QStringLiteral("name, company: and address:"));
    heading2->setObjectName(QStringLiteral("lblHeading2"));
    QFont headingFont = heading1->font();
    headingFont.setBold(true);
    heading1->setFont(headingFont);
    heading2->setFont(headingFont);

    const struct
    {
        const char *box;
        const char *caption;
        const char *field;
    } rows[] = {
        {"txtName", "&Name:", "Name"},       {"txtCompany", "C&ompany:", "Company"},
        {"txtAddress", "&Address:", "Address"}, {"txtCity", "&City:", "City"},
        {"txtState", "&State:", "State"},    {"txtZip", "&Zip:", "Zip"},
        {"txtPhone", "&Phone:", "Phone"},
    };

    m_datPrimary = std::make_unique<RecordSet>(salon::employeeDb(), QStringLiteral("Misc"));
    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    for (const auto &row : rows) {
        auto *box = controls::lineEdit(nullptr, row.box);
        box->setText(m_datPrimary->value(QString::fromLatin1(row.field)).toString());
        box->setMinimumWidth(320);
        auto *label = new QLabel(QString::fromLatin1(row.caption));
        label->setBuddy(box);
        form->addRow(label, box);
        m_boxes << box;
        m_fields << QString::fromLatin1(row.field);
    }

    auto *cmdOK = controls::button(nullptr, QStringLiteral("OK"), "cmdOK", 90);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmPersonalize::accept);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(cmdOK);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->addWidget(heading1);
    layout->addWidget(heading2);
    layout->addSpacing(10);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addLayout(buttonRow);
    setFixedSize(sizeHint());
}

frmPersonalize::~frmPersonalize() = default;

void frmPersonalize::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        centreOnScreen(this);
        m_centred = true;
    }
    QDialog::showEvent(event);
}

bool frmPersonalize::anyChanged() const
{
    for (const QLineEdit *box : m_boxes)
        if (box->isModified())
            return true;
    return false;
}

bool frmPersonalize::store()
{
    try {
        m_datPrimary->edit();
        for (int i = 0; i < m_boxes.size(); ++i)
            m_datPrimary->setValue(m_fields[i], m_boxes[i]->text());
        m_datPrimary->update();
    } catch (const StoreError &error) {
        if (m_datPrimary->editMode() != RecordSet::EditMode::None)
            m_datPrimary->cancelUpdate();
        showMessage(this, QStringLiteral("The owner's details cannot be stored: %1").arg(error.text()),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return false;
    }
    for (QLineEdit *box : m_boxes)
        box->setModified(false);
    return true;
}

void frmPersonalize::accept()
{
    if (store())
        QDialog::accept();
}

// Also the close box: QDialog routes it here.
void frmPersonalize::reject()
{
    if (!anyChanged() || store())
        QDialog::reject();
}
