#include "desktopidentity.h"

#include <QApplication>
#include <QIcon>

void setDesktopIdentity()
{
    Q_INIT_RESOURCE(shell);
    QGuiApplication::setDesktopFileName(QStringLiteral("velorine"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("velorine"), QIcon(QStringLiteral(":/icons/velorine.svg"))));
}
