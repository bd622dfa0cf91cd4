#include "frmabout.h"

#include "apptitle.h"
#include "contact.h"
#include "dialogs.h"
#include "formcontrols.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString());
    setModal(true);

    auto *picture = new QLabel;
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *lblTitle = new QLabel(app::title);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    auto *lblVersion = new QLabel(app::versionText());
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto *lblDescription = new QLabel(QStringLiteral(
        "This software is focusing on Nail and Hair Salon. It has a section for salon manager to keep track of "
        "employee's data and payroll history, a section to see how often client coming back , a section for daily "
        "activity in your salon and you can edit your own pricing list in this section, and many more ..."));
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDescription->setFixedWidth(400);

    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *lblDisclaimer = new QLabel(QStringLiteral(
        "Warning: this program is provided as is, without warranty of any kind. Keep regular copies of your "
        "data folder; the author is not liable for lost records or lost business."));
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    QFont smallFont = lblDisclaimer->font();
    smallFont.setPointSizeF(smallFont.pointSizeF() * 0.9);
    lblDisclaimer->setFont(smallFont);

    auto *label3 = new QLabel(contact::webAddress);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *cmdOK = controls::button(nullptr, QStringLiteral("OK"), "cmdOK", 120);
    cmdOK->setDefault(true);
    auto *cmdSysInfo = controls::button(nullptr, QStringLiteral("&System Info..."), "cmdSysInfo", 120);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::startSysInfo);

    auto *text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(8);
    text->addWidget(lblDescription);
    text->addStretch();

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);

    auto *bottom = new QHBoxLayout;
    auto *notice = new QVBoxLayout;
    notice->setSpacing(8);
    notice->addWidget(lblDisclaimer);
    notice->addWidget(label3);
    bottom->addLayout(notice, 1);
    bottom->addSpacing(12);
    bottom->addLayout(buttons);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(18, 18, 18, 16);
    layout->setHorizontalSpacing(16);
    layout->addWidget(picture, 0, 0);
    layout->addLayout(text, 0, 1);
    layout->addWidget(line, 1, 0, 1, 2);
    layout->addLayout(bottom, 2, 0, 1, 2);
    layout->setVerticalSpacing(12);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

const QStringList &frmAbout::sysInfoPrograms()
{
    static const QStringList programs{
        QStringLiteral("hardinfo"),        QStringLiteral("gnome-system-monitor"),
        QStringLiteral("kinfocenter"),     QStringLiteral("mate-system-monitor"),
        QStringLiteral("xfce4-taskmanager"), QStringLiteral("lxtask"),
    };
    return programs;
}

QString frmAbout::findSysInfoProgram()
{
    for (const QString &program : sysInfoPrograms()) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

void frmAbout::startSysInfo()
{
    const QString program = findSysInfoProgram();
    if (program.isEmpty() || !QProcess::startDetached(program, {}))
        showMessage(this, QStringLiteral("System Information Is Unavailable At This Time"));
}
