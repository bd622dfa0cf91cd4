#include "apptitle.h"
#include "database.h"
#include "dialogs.h"
#include "frmmain.h"
#include "startup.h"
#include "stderrdialogs.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(app::title);
    QApplication::setApplicationVersion(QStringLiteral("1.6.0"));
    // The program ends when the main window closes, not when the splash or a dialog does.
    QApplication::setQuitOnLastWindowClosed(false);

    StderrDialogs stderrDialogs;
    if (qEnvironmentVariable("VELORINE_DIALOGS") == QLatin1String("stderr"))
        Dialogs::setInstance(&stderrDialogs);

    int status = 0;
    std::unique_ptr<frmMain> mainWindow = startUp(status);
    if (mainWindow) {
        QObject::connect(mainWindow.get(), &frmMain::programEnded, &application, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        status = QApplication::exec();
        mainWindow.reset();
    }
    salon::close();
    Dialogs::setInstance(nullptr);
    return status;
}
