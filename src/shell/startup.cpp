#include "startup.h"

#include "database.h"
#include "dialogs.h"
#include "frmlogin.h"
#include "frmmain.h"
#include "frmpersonalize.h"
#include "frmsplash.h"
#include "recordset.h"
#include "shoppassword.h"
#include "storeerror.h"

#include <QCoreApplication>

namespace {
QString miscText(const char *field)
{
    RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
    return misc.value(QString::fromLatin1(field)).toString();
}

// Clears the first-run flag; true when it was set. Cleared before the dialog shows, so a first
// run whose dialog is closed without saving still counts as done.
bool takeFirstRunFlag()
{
    RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
    if (misc.value(QStringLiteral("count")).toInt() != 1)
        return false;
    misc.edit();
    misc.setValue(QStringLiteral("count"), 0);
    misc.update();
    return true;
}
} // namespace

std::unique_ptr<frmMain> startUp(int &exitStatus)
{
    exitStatus = 0;
    try {
        auto splash = std::make_unique<frmSplash>(miscText("Name"), miscText("Company"));
        splash->show();
        QCoreApplication::processEvents();

        // What start-up asks or says while the splash is up is owned by the splash, so the
        // window manager keeps it above the splash rather than hidden behind it.
        if (takeFirstRunFlag()) {
            frmPersonalize personalize(splash.get());
            personalize.exec();
        }
        splash->repaint();

        auto main = std::make_unique<frmMain>();
        if (!main->load(splash.get())) {
            exitStatus = 1;
            return nullptr;
        }
        splash->close();
        splash.reset();

        main->setCompany(miscText("Company"));
        shoppassword::setAskFunction([](QWidget *) { return frmLogin::shared()->ask(); });
        main->show();
        return main;
    } catch (const StoreError &error) {
        showMessage(nullptr, QStringLiteral("Velorine cannot start: the salon's settings cannot be read (%1).")
                                 .arg(error.text()),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        exitStatus = 1;
        return nullptr;
    }
}
