#pragma once
#include "daybooklayout.h"

#include <QSqlDatabase>
#include <vector>

class QWidget;
class StoreError;

// What the booking and appointment dialogs share: the technicians to choose from, the checks
// a start passes before it is stored, and how a refusal of the store is shown.
namespace daybook {

// Every technician (Employee rows), by number. Throws StoreError.
std::vector<Column> readTechnicians(QSqlDatabase db);

// A start the clock skips is refused with a message; then each question about opening hours
// and days off is asked (Yes goes on). False when the desk stops here. Throws StoreError.
bool startAccepted(QWidget *parent, QSqlDatabase db, qint64 employeeId, QDate date, QTime time, int minutes);

// A refusal of the store as the desk reads it: its own text for refusals meant for the desk,
// otherwise with its number.
void showStoreError(QWidget *parent, const StoreError &error);

} // namespace daybook
