#include "startup.h"

#include "desktopidentity.h"

#include "apptitle.h"
#include "database.h"
#include "dialogs.h"
#include "frmlogin.h"
#include "frmmain.h"
#include "frmpersonalize.h"
#include "frmsplash.h"
#include "recordset.h"
#include "startupcheck.h"
#include "storeerror.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>

namespace {
QString text(RecordSet &misc, const char *field)
{
    return misc.value(QString::fromLatin1(field)).toString();
}

// Clears the first-run flag; true when it was set. Cleared before the dialog shows, so a first
// run whose dialog is closed without saving still counts as done.
bool takeFirstRunFlag(RecordSet &misc)
{
    if (misc.value(QStringLiteral("count")).toInt() != 1)
        return false;
    misc.edit();
    misc.setValue(QStringLiteral("count"), 0);
    misc.update();
    return true;
}

// A copy that may not run still shows its splash (with the owner's names, if the book can be
// read without touching it), then says why it stops. It writes nothing.
void refuse(const InstanceLock &lock, InstanceLock::Result result)
{
    const salon::OwnerNames owner = salon::peekOwnerNames();
    frmSplash splash(owner.name, owner.company);
    splash.show();
    QCoreApplication::processEvents();
    if (result == InstanceLock::Result::HeldByAnother)
        showMessage(&splash, frmMain::programName() + QStringLiteral("already running!"), QStringLiteral("Warning"));
    else
        showMessage(&splash, lock.failureText(), app::title, Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
    splash.close();
}

// Starts the whole-book check once the main window has painted, so the check's thread does not
// compete with the window's first paint for the processor; the program's icon follows then too.
class StartAfterFirstPaint : public QObject
{
public:
    StartAfterFirstPaint(QWidget *window, StartupCheck *check) : QObject(check), m_check(check)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued, so the paint under way finishes first.
            QMetaObject::invokeMethod(m_check, &StartupCheck::start, Qt::QueuedConnection);
            QMetaObject::invokeMethod(m_check, &setProgramIcon, Qt::QueuedConnection);
        }
        return false;
    }

private:
    StartupCheck *m_check;
};

void startAfterFirstPaint(QWidget *window, StartupCheck *check)
{
    new StartAfterFirstPaint(window, check);
    // A window that is never painted (started minimised) still has its books checked.
    QTimer::singleShot(2000, check, &StartupCheck::start);
}

void failStart(const QString &problem)
{
    showMessage(nullptr, problem, app::title, Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
}
} // namespace

Desk startUp(int &exitStatus)
{
    exitStatus = 1;
    // The lock comes before anything is written to the folder: only the folder itself is made.
    if (auto problem = salon::prepareDataFolder()) {
        failStart(*problem);
        return {};
    }
    auto lock = std::make_unique<InstanceLock>();
    if (const InstanceLock::Result result = lock->acquire(); result != InstanceLock::Result::Acquired) {
        refuse(*lock, result);
        return {};
    }
    if (!salon::isOpen()) {
        if (auto problem = salon::open()) {
            failStart(*problem);
            return {};
        }
    }
    try {
        // The settings row, opened once for the whole start-up.
        RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
        auto splash = std::make_unique<frmSplash>(text(misc, "Name"), text(misc, "Company"));
        splash->show();
        QCoreApplication::processEvents();

        // What start-up asks or says while the splash is up is owned by the splash, so the
        // window manager keeps it above the splash rather than hidden behind it.
        if (takeFirstRunFlag(misc)) {
            frmPersonalize personalize(splash.get());
            personalize.exec();
            misc.requery();   // the owner details were stored through the dialog's own set
        }
        splash->repaint();

        auto main = std::make_unique<frmMain>();
        // A book found damaged, by the check below or by any screen, is shown on the main
        // window once the current event is done.
        QPointer<frmMain> window = main.get();
        salon::setDamageListener([window](const QString &path, const QString &detail) {
            if (window)
                QMetaObject::invokeMethod(
                    window, [window, path, detail] { if (window) window->showBookDamaged(path, detail); },
                    Qt::QueuedConnection);
        });
        main->load(splash.get());
        splash->close();
        splash.reset();

        main->setCompany(text(misc, "Company"));
        main->show();
        // The whole-book check runs beside the desk's first minutes, not before them.
        // A server desk has no salon book of its own: only its sayings file is checked.
        QStringList localBooks{salon::idiomsDbPath()};
        if (!salon::isServer(salon::employeeDb()))
            localBooks.prepend(salon::employeeDbPath());
        auto *check = new StartupCheck(localBooks, main.get());
        check->setObjectName(QStringLiteral("startupCheck"));
        startAfterFirstPaint(main.get(), check);
        exitStatus = 0;
        return Desk{std::move(lock), std::move(main)};
    } catch (const StoreError &error) {
        failStart(QStringLiteral("Velorine cannot start: the salon's settings cannot be read (%1).").arg(error.text()));
        return {};
    }
}
