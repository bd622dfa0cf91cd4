// Measures where the smoke test is to click: run on the same display and data folder before
// the real program, it lays out the same windows with the same code and fonts and prints, for
// the main window and each screen its tabs open, the points relative to the window's corner:
//   tab <n> <x> <y>                       centre of tab n of the main window
//   exit <x> <y>                          the main window's Exit button
//   screen <n> <x> <y> <title>            tab n's screen: its Close or Exit button, its title
//   screen <n> - - <title>                tab n's screen has no such button
#include "database.h"
#include "frmmain.h"

#include <QApplication>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QWindow>
#include <cstdio>

namespace {

void settle(QWidget *window)
{
    for (int i = 0; i < 200 && !(window->windowHandle() && window->windowHandle()->isExposed()); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QApplication::processEvents();
}

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (auto problem = salon::open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    int status = 0;
    {
        frmMain window;
        if (!window.load())
            return 1;
        window.show();
        settle(&window);
        auto *tabs = window.findChild<QTabBar *>(QStringLiteral("TabStrip1"));
        for (int i = 0; i < tabs->count(); ++i) {
            const QPoint at = tabs->mapTo(&window, tabs->tabRect(i).center());
            print(QStringLiteral("tab %1 %2 %3").arg(i + 1).arg(at.x()).arg(at.y()));
        }
        auto *exit = window.findChild<QPushButton *>(QStringLiteral("cmdExit"));
        const QPoint exitAt = exit->mapTo(&window, exit->rect().center());
        print(QStringLiteral("exit %1 %2").arg(exitAt.x()).arg(exitAt.y()));

        for (int tab : {frmMain::Customers, frmMain::Calculator, frmMain::ServiceReport, frmMain::RegisterInformation,
                        frmMain::TextEditor, frmMain::ReadMe, frmMain::Suppliers}) {
            const QWidgetList before = QApplication::topLevelWidgets();
            window.chooseTab(tab);
            QWidget *screen = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (!before.contains(w) && w->isVisible())
                    screen = w;
            if (!screen) {
                std::fprintf(stderr, "tab %d opened no window\n", tab);
                status = 1;
                continue;
            }
            settle(screen);
            QPushButton *button = screen->findChild<QPushButton *>(QStringLiteral("cmdClose"));
            if (!button)
                button = screen->findChild<QPushButton *>(QStringLiteral("cmdExit"));
            if (button) {
                const QPoint at = button->mapTo(screen, button->rect().center());
                print(QStringLiteral("screen %1 %2 %3 %4").arg(tab).arg(at.x()).arg(at.y()).arg(screen->windowTitle()));
            } else {
                print(QStringLiteral("screen %1 - - %2").arg(tab).arg(screen->windowTitle()));
            }
            screen->close();
            QApplication::processEvents();
        }
        window.screens().closeAll();
    }
    salon::close();
    return status;
}
