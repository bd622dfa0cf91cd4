#include "database.h"
#include "frmabout.h"
#include "frmreadme.h"
#include "frmregister.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

// The about box with its System Info button, the register form and the read-me form.
class TestInfoForms : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    QByteArray savedPath;

    // A stand-in system-information program that leaves a mark when it runs.
    static void addProgram(const QString &folder, const QString &name, const QString &mark)
    {
        QFile script(folder + u'/' + name);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho %1 > '%2'\n").arg(name, mark).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

private slots:
    void init()
    {
        savedPath = qgetenv("PATH");
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
    }
    void cleanup()
    {
        qputenv("PATH", savedPath);
        home.reset();
    }

    void aboutBoxTexts()
    {
        frmAbout about;
        QCOMPARE(about.windowTitle(), QString());
        QCOMPARE(about.findChild<QLabel *>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Velorine"));
        QCOMPARE(about.findChild<QLabel *>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 1.6.0"));
        QCOMPARE(about.findChild<QLabel *>(QStringLiteral("lblDescription"))->text(),
                 QStringLiteral("This software is focusing on Nail and Hair Salon. It has a section for salon manager "
                                "to keep track of employee's data and payroll history, a section to see how often "
                                "client coming back , a section for daily activity in your salon and you can edit "
                                "your own pricing list in this section, and many more ..."));
        QCOMPARE(about.findChild<QLabel *>(QStringLiteral("Label3"))->text(), QStringLiteral("https://www.velorine.example"));
        QCOMPARE(about.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->text(), QStringLiteral("&System Info..."));
    }

    void sysInfoUnavailableWithoutAProgram()
    {
        QTemporaryDir emptyBin;
        qputenv("PATH", emptyBin.path().toLocal8Bit());
        ScriptedDialogs dialogs;
        dialogs.answerMessage();
        frmAbout about;
        QCOMPARE(frmAbout::findSysInfoProgram(), QString());
        about.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->click();
        QCOMPARE(dialogs.messageTexts(), QStringList(QStringLiteral("System Information Is Unavailable At This Time")));
        QCOMPARE(dialogs.last().title, QStringLiteral("Velorine"));
        QCOMPARE(dialogs.last().buttons, Dialogs::Buttons::Ok);
    }

    // A file of that name that cannot be run does not count as the program.
    void sysInfoIgnoresAFileThatIsNotAProgram()
    {
        QTemporaryDir bin;
        QFile notProgram(bin.path() + QStringLiteral("/hardinfo"));
        QVERIFY(notProgram.open(QIODevice::WriteOnly));
        notProgram.close();
        notProgram.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        qputenv("PATH", bin.path().toLocal8Bit());
        QCOMPARE(frmAbout::findSysInfoProgram(), QString());
    }

    void sysInfoStartsTheFirstProgramFound()
    {
        QTemporaryDir bin;
        const QString mark = bin.path() + QStringLiteral("/ran");
        addProgram(bin.path(), QStringLiteral("kinfocenter"), mark);
        addProgram(bin.path(), QStringLiteral("hardinfo"), mark);
        qputenv("PATH", bin.path().toLocal8Bit());
        ScriptedDialogs dialogs;
        frmAbout about;
        QCOMPARE(frmAbout::findSysInfoProgram(), bin.path() + QStringLiteral("/hardinfo"));
        about.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->click();
        // The started program writes its name; wait for the whole line, not just the file.
        const auto ranName = [&mark] {
            QFile ran(mark);
            return ran.open(QIODevice::ReadOnly) ? ran.readAll() : QByteArray();
        };
        QTRY_COMPARE(ranName(), QByteArray("hardinfo\n"));
        QCOMPARE(dialogs.shown().size(), 0);
    }

    void registerForm()
    {
        frmRegister form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Velorine - Register Information"));
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lblMail"))->text(),
                 QStringLiteral("1. Mailing address for bug report."));
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lblEmail"))->text(),
                 QStringLiteral("2. Email to:  support@velorine.example"));
        QCOMPARE(form.findChild<QLabel *>(QStringLiteral("lblWeb"))->text(),
                 QStringLiteral("3. Web: https://www.velorine.example"));
        QVERIFY(form.findChildren<QPushButton *>().isEmpty());
    }

    void readmeShowsTheDataFolderFile()
    {
        QFile readme(salon::readmePath());
        QVERIFY(readme.open(QIODevice::WriteOnly | QIODevice::Truncate));
        readme.write("Open at nine.\nClosed on Mondays.\n");
        readme.close();
        frmReadme form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Velorine - Readme.txt"));
        auto *box = form.findChild<QTextEdit *>(QStringLiteral("RichTextBox1"));
        QCOMPARE(box->toPlainText(), QStringLiteral("Open at nine.\nClosed on Mondays.\n"));
        QVERIFY(box->isReadOnly());
    }

    void readmeMissingIsSaidInTheBox()
    {
        QVERIFY(QFile::remove(salon::readmePath()));
        ScriptedDialogs dialogs;
        frmReadme form;
        auto *box = form.findChild<QTextEdit *>(QStringLiteral("RichTextBox1"));
        QCOMPARE(box->toPlainText(), QStringLiteral("The read-me file %1 is missing.").arg(salon::readmePath()));
        QCOMPARE(dialogs.shown().size(), 0);
    }
};

QTEST_MAIN(TestInfoForms)
#include "tst_infoforms.moc"
