#pragma once
#include <QString>
#include <functional>
#include <optional>

// A book whose file is broken: found by the engine's own check or by a failing statement, it is
// written to no more for the rest of the run.
namespace salon {

// Checks the whole file (the engine's quick check) on a connection of its own, so it may run
// on any thread. Returns nothing when the file is sound, else what the engine found.
std::optional<QString> checkFile(const QString &path);

// A damaged file: every connection to it stops writing (those of this thread now, later ones
// when they open), and the damage listener hears of it once. Call on the interface thread.
void markDamaged(const QString &path, const QString &detail);
bool isDamaged(const QString &path);
// What a store error says about a damaged file.
QString damagedText(const QString &path);
// Told the first time a file is found damaged (a path and what was found).
void setDamageListener(std::function<void(const QString &path, const QString &detail)> listener);

} // namespace salon
