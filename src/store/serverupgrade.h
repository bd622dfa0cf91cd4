#pragma once
#include "schemaversion.h"

#include <QString>
#include <optional>
#include <vector>

// Bringing a server's books up to this program's version. Desks never do it on their own (a
// desk finding older books refuses them); `velorine --upgrade-server` does, on one desk, while
// no desk runs End Of Day: a checked pg_dump copy into backups/ first, then the steps and the
// new version in one transaction.
namespace salon {

// What brings a server's books from `version - 1` to `version`, as upgradeSteps() does for the
// local book. Empty while the server's books were born at the current version.
const std::vector<UpgradeStep> &serverUpgradeSteps();

struct ServerUpgrade
{
    std::optional<QString> problem;   // why nothing was changed
    QString said;                     // what was done, in one line
};

// Upgrades the books of libpq service `service` with `steps`; books already up to date are
// left alone and say so.
ServerUpgrade upgradeServer(const QString &service, const std::vector<UpgradeStep> &steps = serverUpgradeSteps());

// The name of the copy made before a server's books in `database` are brought up to `version`.
QString beforeServerUpgradeFileName(const QString &database, int version, const QDateTime &when);

} // namespace salon
