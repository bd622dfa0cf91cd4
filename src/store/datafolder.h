#pragma once
#include <QString>
#include <optional>

// The salon's data folder and its files: Employee.db (the books), idioms.db (the sayings)
// and readme.txt. The first start creates whatever is missing from the schema and seed built
// into the program; every other open refuses to create a file.
namespace salon {

// $VELORINE_HOME when set, else the per-user application data folder.
QString dataFolder();
QString employeeDbPath();
QString idiomsDbPath();
QString readmePath();

// Creates the data folder, readable by the user alone, when it is missing; nothing else.
std::optional<QString> prepareDataFolder();

} // namespace salon
