#include "frmregister.h"

#include "contact.h"
#include "screencentre.h"

#include <QLabel>
#include <QVBoxLayout>

frmRegister::frmRegister(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmRegister"));
    setWindowTitle(QStringLiteral("Velorine - Register Information"));

    auto *heading = new QLabel(QStringLiteral("Please report bugs and send suggestions by any of these ways:"));
    heading->setObjectName(QStringLiteral("lblHeading"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    auto *lblMail = new QLabel(QStringLiteral("1. Mailing address for bug report."));
    lblMail->setObjectName(QStringLiteral("lblMail"));
    auto *lblPostal = new QLabel(contact::postalAddress);
    lblPostal->setObjectName(QStringLiteral("lblPostal"));
    lblPostal->setIndent(20);
    auto *lblEmail = new QLabel(QStringLiteral("2. Email to:  ") + contact::supportEmail);
    lblEmail->setObjectName(QStringLiteral("lblEmail"));
    auto *lblWeb = new QLabel(QStringLiteral("3. Web: ") + contact::webAddress);
    lblWeb->setObjectName(QStringLiteral("lblWeb"));
    for (QLabel *label : {lblPostal, lblEmail, lblWeb})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 24);
    layout->setSpacing(8);
    layout->addWidget(heading);
    layout->addSpacing(8);
    layout->addWidget(lblMail);
    layout->addWidget(lblPostal);
    layout->addSpacing(6);
    layout->addWidget(lblEmail);
    layout->addSpacing(6);
    layout->addWidget(lblWeb);
    setFixedSize(sizeHint().expandedTo(QSize(520, 0)));
}

void frmRegister::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        centreOnScreen(this);
        m_centred = true;
    }
    QWidget::showEvent(event);
}
