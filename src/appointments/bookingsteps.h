#pragma once
#include "daybooklayout.h"

#include <QSqlDatabase>
#include <vector>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QSpinBox;
class QTimeEdit;
class QWidget;
class StoreError;

// What the booking and appointment dialogs share: the technicians to choose from, the checks
// a start passes before it is stored, and how a refusal of the store is shown.
namespace daybook {

// Every technician (Employee rows), by number. Throws StoreError.
std::vector<Column> readTechnicians(QSqlDatabase db);

// The fields a booking and an opened appointment both show: the technician (each a choice,
// the employee number its data; which one is chosen is the dialog's), the date, the start,
// the length, the buffer after it and notes.
struct AppointmentFields
{
    QComboBox *technician = nullptr;
    QDateEdit *date = nullptr;
    QTimeEdit *start = nullptr;
    QSpinBox *minutes = nullptr;
    QSpinBox *buffer = nullptr;
    QLineEdit *notes = nullptr;
};
AppointmentFields makeAppointmentFields(QWidget *parent, const std::vector<Column> &technicians, QDate date, QTime time,
                                        int minutes, int buffer, const QString &notes);

// A start the clock skips is refused with a message; then each question about opening hours
// and days off is asked (Yes goes on). False when the desk stops here. Throws StoreError.
bool startAccepted(QWidget *parent, QSqlDatabase db, qint64 employeeId, QDate date, QTime time, int minutes);

// A refusal of the store as the desk reads it: its own text for refusals meant for the desk,
// otherwise with its number.
void showStoreError(QWidget *parent, const StoreError &error);

} // namespace daybook
