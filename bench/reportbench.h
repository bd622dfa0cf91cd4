#pragma once
#include <QSqlDatabase>

// Times the sales reports on a generated book: a whole year grouped by technician and service,
// and one day's sheet, each the first time and the best of three, with the journal rows they
// read; then the program's resident memory while the year's report is held. Returns whether
// both times and the memory are within the goals.
bool benchReports(QSqlDatabase db, double yearGoalMs, double dayGoalMs, double memoryGoalMb);
