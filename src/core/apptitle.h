#pragma once
#include <QString>

// The program's title and version, shown on the splash, the about box and message boxes.
namespace app {
inline const QString title = QStringLiteral("Velorine");
constexpr int versionMajor = 1;
constexpr int versionMinor = 6;
constexpr int versionRevision = 0;
inline QString versionText()
{
    return QStringLiteral("Version %1.%2.%3").arg(versionMajor).arg(versionMinor).arg(versionRevision);
}
} // namespace app
