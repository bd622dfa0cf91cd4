#include "frmlogin.h"

#include "apptitle.h"
#include "dialogs.h"
#include "formcontrols.h"
#include "shoppassword.h"
#include "storeerror.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

namespace {
QPointer<frmLogin> &sharedInstance()
{
    static QPointer<frmLogin> instance;
    return instance;
}
} // namespace

frmLogin::frmLogin(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Velorine - Login"));
    setModal(true);

    m_userName = controls::lineEdit(nullptr, "txtUserName");
    m_userName->setText(loggedOnUser());
    m_password = controls::lineEdit(nullptr, "txtPassword");
    m_password->setEchoMode(QLineEdit::Password);
    // Every typed character shows as "*", whatever mask the desktop theme prefers.
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    m_password->setMinimumWidth(220);

    auto *userLabel = new QLabel(QStringLiteral("&User Name:"));
    userLabel->setBuddy(m_userName);
    auto *passwordLabel = new QLabel(QStringLiteral("&Password:"));
    passwordLabel->setBuddy(m_password);

    auto *cmdOK = controls::button(nullptr, QStringLiteral("OK"), "cmdOK", 0);
    cmdOK->setDefault(true);
    auto *cmdCancel = controls::button(nullptr, QStringLiteral("Cancel"), "cmdCancel", 0);
    auto *buttons = new QDialogButtonBox;
    buttons->addButton(cmdOK, QDialogButtonBox::AcceptRole);
    buttons->addButton(cmdCancel, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmLogin::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmLogin::reject);

    auto *form = new QFormLayout;
    form->addRow(userLabel, m_userName);
    form->addRow(passwordLabel, m_password);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

QString frmLogin::loggedOnUser()
{
    if (const passwd *entry = getpwuid(geteuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

bool frmLogin::ask()
{
    m_password->clear();
    m_password->setFocus();
    exec();
    return m_ok;
}

void frmLogin::accept()
{
    bool right = false;
    try {
        right = shoppassword::check(m_password->text());
    } catch (const StoreError &error) {
        showMessage(this, QStringLiteral("The shop password cannot be checked: %1").arg(error.text()),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        m_password->clear();
        m_password->setFocus();
        return;
    }
    if (!right) {
        showMessage(this, QStringLiteral("Invalid Password, try again!"), QStringLiteral("Login"));
        m_password->clear();
        m_password->setFocus();
        return;
    }
    m_ok = true;
    m_password->clear();
    QDialog::accept();
}

void frmLogin::reject()
{
    m_ok = false;
    m_password->clear();
    QDialog::reject();
}

frmLogin *frmLogin::shared()
{
    QPointer<frmLogin> &instance = sharedInstance();
    if (!instance)
        instance = new frmLogin;
    return instance;
}

void frmLogin::releaseShared()
{
    delete sharedInstance().data();
}
