#pragma once
#include "appointments.h"

#include <QString>
#include <vector>

class QPrinter;

namespace daybook {

// Prints a technician's day: the salon's name, the technician and the date, then the
// appointments in time order (time, length, customer, services, status, notes), as text so a
// PDF's text can be read back. Long days run onto further pages. False when the printer
// does not start.
bool printTechnicianDay(QPrinter &printer, const QString &salonName, const QString &technician, QDate day,
                        std::vector<salon::Appointment> appointments);

} // namespace daybook
