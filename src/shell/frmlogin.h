#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;

// The password dialog, "Velorine - Login". The user name is filled from the system's logged-on
// user and takes no part in the check; the password box always starts empty. OK checks the
// entry against the stored shop password (a wrong one is reported and the box emptied for the
// next try); Cancel gives up. The result stays readable in ok() after the dialog has hidden.
//
// The Employees tab uses a fresh dialog each time; the other doors share one instance that
// stays loaded, hidden, between uses (shared(), asked through the shell's doors).
class frmLogin : public QDialog
{
    Q_OBJECT
public:
    explicit frmLogin(QWidget *parent = nullptr);

    bool ok() const { return m_ok; }
    // Shows the dialog modally with an empty password box; returns ok().
    bool ask();

    static frmLogin *shared();
    // Deletes the shared instance (at the end of the program, and between tests).
    static void releaseShared();

    static QString loggedOnUser();

    void accept() override;
    void reject() override;

private:
    QLineEdit *m_userName;
    QLineEdit *m_password;
    bool m_ok = false;
};
