#pragma once
#include <QDialog>
#include <QStringList>

// The about box: title, version, description, notice and web address; OK closes it and
// System Info starts the desktop's system-information program.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    // The system-information programs looked for on PATH, in order of preference.
    static const QStringList &sysInfoPrograms();
    // The full path of the first of them found on PATH; empty when none is installed.
    static QString findSysInfoProgram();
    // Starts it detached; otherwise says "System Information Is Unavailable At This Time".
    void startSysInfo();
};
