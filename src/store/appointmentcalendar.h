#pragma once
#include "appointments.h"
#include "icalendar.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

// The appointment book as calendar files for the technicians' phones.
namespace salon {

// Each appointment as a calendar event, in the order given: its UID, last change, start as a
// moment by the desk's zone rules for its day, length (its buffer is no part of the event),
// "customer: service, service" and its Sequence and status.
QList<CalendarEvent> calendarEvents(const std::vector<Appointment> &appointments);

// The moment a wall-clock start of the book names. A start in the hour the clocks skip (only a
// row written past the program holds one) is read with the offset in force before the skip.
QDateTime appointmentMoment(QDate date, QTime time);

struct CalendarExport
{
    QStringList files;   // the paths written, by technician number
    QString error;       // empty on success; otherwise why nothing was written
};

// Writes technician-<EmployeeID>.ics into `folder` for every technician (every employee row),
// holding the appointments that start from `from` to `to` (both days included); a technician
// without any gets a calendar without events. The books are only read, on the server when the
// desk keeps them there. The folder is made when missing, an empty name is refused, and
// nothing is written when any of the files exists.
CalendarExport exportCalendars(const QString &folder, QDate from, QDate to);

} // namespace salon
