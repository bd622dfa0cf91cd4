// The appointment book as calendar files: each appointment as an event, and one file per
// technician written from a read-only look at the book.
#include "appointmentcalendar.h"

#include "catalog.h"
#include "connections.h"
#include "database_p.h"
#include "datafolder.h"
#include "newfiles.h"
#include "serverbook.h"
#include "storeerror.h"
#include "wallclock.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <map>

namespace salon {
namespace {

QString summaryOf(const Appointment &appointment)
{
    QStringList services;
    for (const AppointmentService &service : appointment.services)
        services << service.name;
    const QString customer = appointment.customer.trimmed();
    const QString what = services.join(QStringLiteral(", "));
    if (!customer.isEmpty() && !what.isEmpty())
        return customer + QStringLiteral(": ") + what;
    if (!customer.isEmpty() || !what.isEmpty())
        return customer + what;
    return QStringLiteral("Appointment");
}

// Every technician's number, and the appointments of the period, in one consistent look.
struct BookRead
{
    std::vector<qint64> technicians;
    std::vector<Appointment> appointments;
};

BookRead readBook(QSqlDatabase db, QDate from, QDate to)
{
    BookRead read;
    QSqlQuery rows = runQuery(db, QStringLiteral("SELECT DISTINCT EmployeeID FROM Employee WHERE EmployeeID IS NOT NULL "
                                                 "ORDER BY EmployeeID"));
    while (rows.next())
        read.technicians.push_back(rows.value(0).toLongLong());
    read.appointments = appointmentsBetween(db, from, to);
    return read;
}

BookRead readLocalBook(const QString &path, QDate from, QDate to)
{
    if (!QFileInfo(path).isFile())
        throw StoreError(StoreError::CannotOpen, QStringLiteral("Could not find file '%1'.").arg(path));
    internal::ReadOnlyConnection book(path, QStringLiteral("calendar-export"));
    QSqlDatabase db = book.db();
    if (!db.isOpen())
        throw StoreError::fromSql(db.lastError(), db);
    // A book an older version made has no appointments until the desk has opened it once.
    try {
        catalog::tableNamed(db, QStringLiteral("Appointments"));
    } catch (const StoreError &) {
        throw StoreError(StoreError::TableNotFound,
                         QStringLiteral("The book %1 has no appointments yet: start the desk once to bring it up to date.")
                             .arg(path));
    }
    internal::execUnprepared(db, QStringLiteral("BEGIN"));
    return readBook(db, from, to);   // the connection's end closes the read
}

BookRead readServerBook(const QString &service, QDate from, QDate to)
{
    internal::ServerConnection server(service, true);
    QSqlDatabase db = server.db();
    // One snapshot for every technician, whatever the desks write meanwhile.
    internal::execUnprepared(db, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    BookRead read = readBook(db, from, to);
    internal::execUnprepared(db, QStringLiteral("COMMIT"));
    return read;
}

} // namespace

QDateTime appointmentMoment(QDate date, QTime time)
{
    if (auto moment = wallClockToUtc(date, time))
        return *moment;
    // The clocks skipped it: an hour earlier existed, with the offset before the skip.
    const QDateTime earlier = QDateTime(date, time, Qt::UTC).addSecs(-3600);
    if (auto before = wallClockToUtc(earlier.date(), earlier.time()))
        return before->addSecs(3600);
    return QDateTime(date, time, Qt::UTC);
}

QList<CalendarEvent> calendarEvents(const std::vector<Appointment> &appointments)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<CalendarEvent> events;
    events.reserve(qsizetype(appointments.size()));
    for (const Appointment &appointment : appointments) {
        CalendarEvent event;
        event.uid = appointment.uid;
        // A row written past the program may lack its stamp; the file still needs one.
        event.changed = appointment.changed.isValid() ? appointment.changed : now;
        event.start = appointmentMoment(appointment.date, appointment.time);
        event.minutes = appointment.minutes;
        event.summary = summaryOf(appointment);
        event.sequence = appointment.sequence;
        event.status = statusText(appointment.status);
        events << event;
    }
    return events;
}

CalendarExport exportCalendars(const QString &folder, QDate from, QDate to)
{
    CalendarExport result;
    // An empty name would quietly mean the current folder.
    if (folder.isEmpty()) {
        result.error = QStringLiteral("No folder was named for the export; nothing was exported.");
        return result;
    }
    BookRead read;
    try {
        const BookChoice choice = bookChoice();
        read = choice.onServer() ? readServerBook(choice.service, from, to) : readLocalBook(employeeDbPath(), from, to);
    } catch (const StoreError &error) {
        result.error = error.text() + QStringLiteral(" Nothing was exported.");
        return result;
    }
    std::map<qint64, std::vector<Appointment>> byTechnician;
    for (Appointment &appointment : read.appointments)
        byTechnician[appointment.employeeId].push_back(std::move(appointment));
    QList<NewFile> files;
    for (qint64 technician : read.technicians)
        files.push_back({QStringLiteral("technician-%1.ics").arg(technician),
                         iCalendarBytes(calendarEvents(byTechnician[technician]))});
    const NewFilesResult written = writeNewFiles(folder, files);
    result.files = written.files;
    result.error = written.error;
    return result;
}

} // namespace salon
