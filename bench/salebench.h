#pragma once
#include <QSqlDatabase>

// Times one sale line stored by the daily ticket's writer (numbering, journal row, last visit,
// technician's totals, committed durably) against a plain transaction doing the same writes on
// the same file, and prints the ratio.
void benchSaleLine(QSqlDatabase db);
