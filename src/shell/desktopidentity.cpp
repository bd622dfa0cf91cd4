#include "desktopidentity.h"

#include <QApplication>
#include <QIcon>

void setDesktopIdentity()
{
    QGuiApplication::setDesktopFileName(QStringLiteral("velorine"));
}

void setProgramIcon()
{
    Q_INIT_RESOURCE(shell);
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("velorine"), QIcon(QStringLiteral(":/icons/velorine.svg"))));
}
