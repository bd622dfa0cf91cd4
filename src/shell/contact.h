#pragma once
#include <QString>

// The author's addresses, shown on the about box, the register form and the Help menu.
namespace contact {
inline const QString postalAddress = QStringLiteral("Velorine Software, 12 Linden Row, Suite 4, Springfield, OR 97477");
inline const QString supportEmail = QStringLiteral("support@velorine.example");
inline const QString webAddress = QStringLiteral("https://www.velorine.example");
} // namespace contact
