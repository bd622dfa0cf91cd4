#include "pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace pointer {

void busy()
{
    if (!isBusy())
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void normal()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

bool isBusy()
{
    return QGuiApplication::overrideCursor() != nullptr;
}

} // namespace pointer
