#pragma once
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <optional>

// The salon's wall-clock time and the desk's zone rules (the system's local time).

// The UTC moment a wall-clock time of `date` names on this desk: nothing when the clocks skip
// it (the hour lost when they go forward); in the hour repeated when they go back, its later,
// standard-time occurrence.
std::optional<QDateTime> wallClockToUtc(QDate date, QTime time);
