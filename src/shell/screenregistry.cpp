#include "screenregistry.h"

#include <algorithm>

ScreenRegistry::~ScreenRegistry()
{
    for (Entry &entry : m_open)
        delete entry.screen.data();
}

void ScreenRegistry::bringToFront(QWidget *screen)
{
    if (screen->isMinimized())
        screen->showNormal();
    else
        screen->show();
    screen->raise();
    screen->activateWindow();
}

void ScreenRegistry::forgetClosed()
{
    std::erase_if(m_open, [](const Entry &entry) { return entry.screen.isNull(); });
}

int ScreenRegistry::openCount() const
{
    return int(std::count_if(m_open.begin(), m_open.end(), [](const Entry &e) { return !e.screen.isNull(); }));
}

QString ScreenRegistry::closeAll()
{
    forgetClosed();
    while (!m_open.empty()) {
        QWidget *screen = m_open.back().screen.data();
        if (!screen) {
            m_open.pop_back();
            continue;
        }
        if (!screen->close())
            return screen->windowTitle();
        // Closed: its deletion is already scheduled; let it go now so nothing of it lingers.
        m_open.pop_back();
        delete screen;
    }
    return QString();
}
