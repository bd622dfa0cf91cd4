#pragma once
#include <QDate>
#include <QSqlDatabase>

// The appointment book on the bench's books: 10 technicians and a year of appointments around
// `today` (about 20,000, booked, arrived, done, cancelled and no-show, with their services,
// never two at once for a technician), added to a book that has none, also to one an earlier
// build generated (the desk's opening has brought it up to date first).
void addAppointmentsIfMissing(QSqlDatabase db, QDate today = QDate::currentDate());

// Times what the desk waits for on that book and prints a line for each: "month marks" (the
// calendar's counts of the month shown) and "day book" (a busy day read and laid out in columns
// of technicians and rows of 15 minutes). False when either missed its goal.
bool benchAppointments(QSqlDatabase db, QDate today = QDate::currentDate());
