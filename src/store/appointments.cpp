// The appointment book: reading a day, booking, changing, the customer's next and missed
// appointments, the questions asked before booking, opening hours and days off.
#include "appointments.h"

#include "connections.h"
#include "dialect.h"
#include "storeerror.h"
#include "transaction.h"
#include "wallclock.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>

namespace salon {
namespace {

constexpr int minutesPerDay = 24 * 60;
// The most an appointment holds: 720 minutes and a buffer of 120.
constexpr int longestHold = 720 + 120;
const QString holding = QStringLiteral("('booked', 'arrived', 'done')");

// The book's form of a wall-clock time, and a wall-clock time moved by whole minutes (the book
// reckons days of 24 hours; no clock change moves it).
QString startText(QDate date, QTime time)
{
    return date.toString(Qt::ISODate) + u' ' + time.toString(QStringLiteral("HH:mm"));
}
QString movedText(QDate date, QTime time, int minutes)
{
    const QDateTime moved = QDateTime(date, time, Qt::UTC).addSecs(qint64(minutes) * 60);
    return startText(moved.date(), moved.time());
}

// A's start as text on either engine (a server's timestamp read as the same text).
QString startColumn(const QSqlDatabase &db)
{
    return isServer(db) ? QStringLiteral("to_char(a.Start, 'YYYY-MM-DD HH24:MI')") : QStringLiteral("a.Start");
}

QString clockText(int minuteOfDay)
{
    const int minute = ((minuteOfDay % minutesPerDay) + minutesPerDay) % minutesPerDay;
    return QStringLiteral("%1:%2").arg(minute / 60, 2, 10, QLatin1Char('0')).arg(minute % 60, 2, 10, QLatin1Char('0'));
}

// "HH:MM" (up to 24:00) as minutes of the day; nothing for other text.
std::optional<int> minuteOfDay(const QVariant &stored)
{
    const QString text = stored.toString().trimmed();
    const QStringList parts = text.split(u':');
    if (parts.size() != 2 || parts[0].size() != 2 || parts[1].size() != 2)
        return std::nullopt;
    bool hoursOk = false, minutesOk = false;
    const int hours = parts[0].toInt(&hoursOk);
    const int minutes = parts[1].toInt(&minutesOk);
    if (!hoursOk || !minutesOk || hours < 0 || minutes < 0 || minutes > 59 || hours * 60 + minutes > minutesPerDay)
        return std::nullopt;
    return hours * 60 + minutes;
}

QString personName(const QVariant &first, const QVariant &last)
{
    return (first.toString() + u' ' + last.toString()).trimmed();
}

QString technicianName(QSqlDatabase db, qint64 employeeId)
{
    QSqlQuery query = runQuery(db, QStringLiteral("SELECT FirstName, LastName FROM Employee WHERE EmployeeID = ? "
                                                  "ORDER BY rowid LIMIT 1"), {employeeId});
    return query.next() ? personName(query.value(0), query.value(1)) : QString();
}

QVariant keyOrNull(const QVariant &key)
{
    if (key.isNull() || !key.isValid())
        return QVariant();
    bool ok = false;
    const qlonglong number = key.toLongLong(&ok);
    return ok ? QVariant(number) : QVariant();
}

// The names of the technicians or customers (`table` keyed by `key`) of the appointments
// `where` picks, read in one pass over the table; the first row of a key names it.
QHash<qint64, QString> namesOf(QSqlDatabase db, const QString &table, const QString &key, const QString &where,
                               const QVariantList &values)
{
    QHash<qint64, QString> names;
    QSqlQuery rows = runQuery(db, QStringLiteral("SELECT t.%2, t.FirstName, t.LastName FROM %1 t "
                                                 "WHERE t.%2 IN (SELECT a.%2 FROM Appointments a WHERE %3) ORDER BY t.rowid")
                                      .arg(table, key, where), values);
    while (rows.next()) {
        const qint64 id = rows.value(0).toLongLong();
        if (!names.contains(id))
            names.insert(id, personName(rows.value(1), rows.value(2)));
    }
    return names;
}

// The appointments `where` picks (a condition on a, with its values), with their services.
std::vector<Appointment> readAppointments(QSqlDatabase db, const QString &where, const QVariantList &values,
                                          const QString &order = QStringLiteral("a.Start, a.EmployeeID, a.AppointmentID"))
{
    std::vector<Appointment> found;
    QSqlQuery rows = runQuery(db, QStringLiteral(
        "SELECT a.AppointmentID, a.UID, a.EmployeeID, %1, a.Minutes, a.Buffer, a.Status, a.Notes, a.Sequence, a.Changed, "
        "a.CustomerID FROM Appointments a WHERE %2 ORDER BY %3").arg(startColumn(db), where, order), values);
    std::map<qint64, std::size_t> byId;
    while (rows.next()) {
        Appointment appointment;
        appointment.id = rows.value(0).toLongLong();
        appointment.uid = rows.value(1).toString();
        appointment.employeeId = rows.value(2).toLongLong();
        // Read as a date and a time of day apart: a wall-clock time the desk's clock skips
        // would not stand as a local QDateTime.
        const QString start = rows.value(3).toString();
        appointment.date = QDate::fromString(start.left(10), Qt::ISODate);
        appointment.time = QTime::fromString(start.mid(11), QStringLiteral("HH:mm"));
        appointment.minutes = rows.value(4).toInt();
        appointment.buffer = rows.value(5).toInt();
        appointment.status = statusFromText(rows.value(6).toString()).value_or(AppointmentStatus::Booked);
        appointment.notes = rows.value(7).toString();
        appointment.sequence = rows.value(8).toInt();
        appointment.changed = QDateTime::fromString(rows.value(9).toString(), Qt::ISODate).toUTC();
        appointment.customerId = keyOrNull(rows.value(10));
        byId[appointment.id] = found.size();
        found.push_back(std::move(appointment));
    }
    if (found.empty())
        return found;
    const QHash<qint64, QString> technicians = namesOf(db, QStringLiteral("Employee"), QStringLiteral("EmployeeID"), where, values);
    const QHash<qint64, QString> customers = namesOf(db, QStringLiteral("Customers"), QStringLiteral("CustomerID"), where, values);
    for (Appointment &appointment : found) {
        appointment.technician = technicians.value(appointment.employeeId);
        if (!appointment.customerId.isNull())
            appointment.customer = customers.value(appointment.customerId.toLongLong());
    }
    QSqlQuery services = runQuery(db, QStringLiteral(
        "SELECT s.AppointmentID, s.ServiceID, s.ServiceName, s.Minutes FROM [Appointment Services] s "
        "WHERE s.AppointmentID IN (SELECT a.AppointmentID FROM Appointments a WHERE %1) ORDER BY s.rowid").arg(where), values);
    while (services.next()) {
        const auto at = byId.find(services.value(0).toLongLong());
        if (at != byId.end())
            found[at->second].services.push_back(
                {keyOrNull(services.value(1)), services.value(2).toString(), services.value(3).toInt()});
    }
    return found;
}

// The booked, arrived or done appointment of the technician that the span from `date` `time`
// for `held` minutes overlaps, other than `except`.
std::optional<Appointment> clashingAppointment(QSqlDatabase db, qint64 employeeId, QDate date, QTime time, int held,
                                               qint64 except)
{
    const std::vector<Appointment> near = readAppointments(
        db, QStringLiteral("a.EmployeeID = ? AND a.Status IN %1 AND a.AppointmentID <> ? AND a.Start >= ? AND a.Start < ?")
                .arg(holding),
        {employeeId, except, movedText(date, time, -longestHold), movedText(date, time, held)});
    const QDateTime start(date, time, Qt::UTC);
    for (const Appointment &other : near)
        if (QDateTime(other.date, other.time, Qt::UTC).addSecs(qint64(other.minutes + other.buffer) * 60) > start)
            return other;
    return std::nullopt;
}

// The store refused a row over another of the technician's: which one it is, in the desk's words.
StoreError clashError(QSqlDatabase db, qint64 employeeId, QDate date, QTime time, int held, qint64 except,
                      const StoreError &refusal)
{
    std::optional<Appointment> other;
    try {
        other = clashingAppointment(db, employeeId, date, time, held, except);
    } catch (const StoreError &) {
        // Read inside a transaction the refusal ended: told without the other appointment.
    }
    if (!other) {
        QString name;
        try {
            name = technicianName(db, employeeId);
        } catch (const StoreError &) {
            // Then without the name too.
        }
        return StoreError(refusal.number(), QStringLiteral("%1 already has an appointment at that time; nothing was stored.")
                                                .arg(name.isEmpty() ? QStringLiteral("The technician") : name));
    }
    const QString name = other->technician.isEmpty() ? QStringLiteral("The technician") : other->technician;
    const QString customer = other->customer.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(other->customer);
    return StoreError(StoreError::Clash, QStringLiteral("%1 already has an appointment from %2 to %3%4; nothing was stored.")
                                             .arg(name, clockText(other->startMinute()),
                                                  clockText(other->heldUntilMinute()), customer));
}

// Runs a write the store may refuse as a clash in `query`, which the caller declares before its
// transaction: on a server a refused statement can only be freed once the transaction has
// rolled back. Throws StoreError.
void runWrite(QSqlQuery &query, QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    query.setForwardOnly(!isServer(db));
    if (!query.prepare(sqlFor(db, sql)))
        throw StoreError::fromSql(query.lastError(), db);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw StoreError::fromSql(query.lastError(), db);
}

void refuse(const QString &text)
{
    throw StoreError(StoreError::ValueRequired, text);
}

// The values every appointment must have; the start is checked against the desk's clock when
// it is new or moved.
void checkValues(qint64 employeeId, QDate date, QTime time, int minutes, int buffer, bool newStart)
{
    if (employeeId <= 0)
        refuse(QStringLiteral("Please choose the technician."));
    if (!date.isValid() || !time.isValid())
        refuse(QStringLiteral("Please give the appointment's date and time."));
    if (newStart)
        if (const auto refusal = startRefusal(date, time))
            refuse(*refusal);
    if (minutes < 5 || minutes > 720)
        refuse(QStringLiteral("The length must be 5 to 720 minutes."));
    if (buffer < 0 || buffer > 120)
        refuse(QStringLiteral("The buffer must be 0 to 120 minutes."));
}

QString nowStamp()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
}

QTime toMinute(QTime time)
{
    return time.isValid() ? QTime(time.hour(), time.minute()) : time;
}

} // namespace

QString statusText(AppointmentStatus status)
{
    switch (status) {
    case AppointmentStatus::Booked: return QStringLiteral("booked");
    case AppointmentStatus::Arrived: return QStringLiteral("arrived");
    case AppointmentStatus::Done: return QStringLiteral("done");
    case AppointmentStatus::Cancelled: return QStringLiteral("cancelled");
    case AppointmentStatus::NoShow: return QStringLiteral("no-show");
    }
    return {};
}

std::optional<AppointmentStatus> statusFromText(const QString &text)
{
    for (const AppointmentStatus status : {AppointmentStatus::Booked, AppointmentStatus::Arrived, AppointmentStatus::Done,
                                           AppointmentStatus::Cancelled, AppointmentStatus::NoShow})
        if (statusText(status) == text)
            return status;
    return std::nullopt;
}

bool holdsTime(AppointmentStatus status)
{
    return status == AppointmentStatus::Booked || status == AppointmentStatus::Arrived || status == AppointmentStatus::Done;
}

int Appointment::startMinute() const
{
    return time.hour() * 60 + time.minute();
}

int Appointment::endMinute() const
{
    return startMinute() + minutes;
}

int Appointment::heldUntilMinute() const
{
    return startMinute() + minutes + buffer;
}

QString Appointment::startText() const
{
    return salon::startText(date, time);
}

std::vector<AppointmentService> bookableServices(QSqlDatabase db)
{
    std::vector<AppointmentService> services;
    QSqlQuery rows = runQuery(db, QStringLiteral("SELECT ServiceID, ServiceName, Minutes FROM Products "
                                                 "WHERE ServiceName IS NOT NULL ORDER BY rowid"));
    while (rows.next())
        services.push_back({keyOrNull(rows.value(0)), rows.value(1).toString(), rows.value(2).toInt()});
    return services;
}

std::vector<Appointment> appointmentsBetween(QSqlDatabase db, QDate from, QDate to, std::optional<qint64> employeeId)
{
    QString where = QStringLiteral("a.Start >= ? AND a.Start < ?");
    QVariantList values{startText(from, QTime(0, 0)), startText(to.addDays(1), QTime(0, 0))};
    if (employeeId) {
        where += QStringLiteral(" AND a.EmployeeID = ?");
        values << *employeeId;
    }
    return readAppointments(db, where, values);
}

std::vector<Appointment> appointmentsOn(QSqlDatabase db, QDate day)
{
    return appointmentsBetween(db, day, day);
}

std::optional<Appointment> appointmentById(QSqlDatabase db, qint64 id)
{
    std::vector<Appointment> found = readAppointments(db, QStringLiteral("a.AppointmentID = ?"), {id});
    if (found.empty())
        return std::nullopt;
    return std::move(found.front());
}

std::map<QDate, int> appointmentCounts(QSqlDatabase db, QDate from, QDate to)
{
    const QString day = isServer(db) ? QStringLiteral("to_char(a.Start, 'YYYY-MM-DD')") : QStringLiteral("substr(a.Start, 1, 10)");
    QSqlQuery rows = runQuery(db, QStringLiteral("SELECT %1, count(*) FROM Appointments a WHERE a.Start >= ? AND a.Start < ? "
                                                 "AND a.Status IN %2 GROUP BY 1").arg(day, holding),
                              {startText(from, QTime(0, 0)), startText(to.addDays(1), QTime(0, 0))});
    std::map<QDate, int> counts;
    while (rows.next())
        counts[QDate::fromString(rows.value(0).toString(), Qt::ISODate)] = rows.value(1).toInt();
    return counts;
}

std::optional<Appointment> nextAppointment(QSqlDatabase db, const QVariant &customerId, const QDateTime &now)
{
    const QVariant customer = keyOrNull(customerId);
    if (customer.isNull())
        return std::nullopt;
    std::vector<Appointment> found = readAppointments(
        db, QStringLiteral("a.CustomerID = ? AND a.Status = 'booked' AND a.Start >= ?"),
        {customer, startText(now.date(), toMinute(now.time()))},
        QStringLiteral("a.Start, a.AppointmentID LIMIT 1"));
    if (found.empty())
        return std::nullopt;
    return std::move(found.front());
}

int missedAppointments(QSqlDatabase db, const QVariant &customerId)
{
    const QVariant customer = keyOrNull(customerId);
    if (customer.isNull())
        return 0;
    QSqlQuery count = runQuery(db, QStringLiteral("SELECT count(*) FROM Appointments WHERE CustomerID = ? AND Status = 'no-show'"),
                               {customer});
    return count.next() ? count.value(0).toInt() : 0;
}

std::optional<QString> startRefusal(QDate date, QTime time)
{
    if (date.isValid() && time.isValid() && !wallClockToUtc(date, time))
        return QStringLiteral("That time does not exist on this day (the clocks go forward).");
    return std::nullopt;
}

QStringList bookingQuestions(QSqlDatabase db, qint64 employeeId, QDate date, QTime time, int minutes)
{
    QStringList questions;
    QSqlQuery hours = runQuery(db, QStringLiteral("SELECT Opens, Closes FROM [Opening Hours] WHERE Weekday = ?"),
                               {date.dayOfWeek()});
    if (hours.next()) {
        const std::optional<int> opens = minuteOfDay(hours.value(0));
        const std::optional<int> closes = minuteOfDay(hours.value(1));
        const int start = time.hour() * 60 + time.minute();
        if (!opens || !closes || start < *opens || start + minutes > *closes)
            questions << QStringLiteral("Outside opening hours. Book anyway?");
    }
    QSqlQuery off = runQuery(db, QStringLiteral("SELECT count(*) FROM [Days Off] WHERE EmployeeID = ? AND Day = ?"),
                             {employeeId, date.toString(Qt::ISODate)});
    if (off.next() && off.value(0).toInt() > 0) {
        QString name = technicianName(db, employeeId);
        if (name.isEmpty())
            name = QStringLiteral("The technician");
        questions << QStringLiteral("%1's day off. Book anyway?").arg(name);
    }
    return questions;
}

Appointment bookAppointment(QSqlDatabase db, const Booking &booking)
{
    int minutes = 0;
    if (booking.minutes) {
        minutes = *booking.minutes;
    } else {
        for (const AppointmentService &service : booking.services)
            minutes += service.minutes;
    }
    const QTime time = toMinute(booking.time);
    checkValues(booking.employeeId, booking.date, time, minutes, booking.buffer, true);
    qint64 id = 0;
    QSqlQuery inserted(db);
    try {
        Transaction transaction(db);
        runWrite(inserted, db, QStringLiteral(
            "INSERT INTO Appointments (UID, EmployeeID, CustomerID, Start, Minutes, Buffer, Status, Notes, Sequence, Changed) "
            "VALUES (?, ?, ?, ?, ?, ?, 'booked', ?, 0, ?) RETURNING AppointmentID"),
            {QUuid::createUuid().toString(QUuid::WithoutBraces), booking.employeeId, keyOrNull(booking.customerId),
             startText(booking.date, time), minutes, booking.buffer,
             booking.notes.isEmpty() ? QVariant() : QVariant(booking.notes), nowStamp()});
        if (!inserted.next())
            throw StoreError(StoreError::EngineError, QStringLiteral("The new appointment's number was not given back."));
        id = inserted.value(0).toLongLong();
        inserted.finish();
        for (const AppointmentService &service : booking.services)
            runQuery(db, QStringLiteral("INSERT INTO [Appointment Services] (AppointmentID, ServiceID, ServiceName, Minutes) "
                                        "VALUES (?, ?, ?, ?)"),
                     {id, keyOrNull(service.serviceId), service.name, service.minutes});
        transaction.commit();
    } catch (const StoreError &error) {
        if (error.number() == StoreError::Clash)
            throw clashError(db, booking.employeeId, booking.date, time, minutes + booking.buffer, 0, error);
        throw;
    }
    if (auto stored = appointmentById(db, id))
        return std::move(*stored);
    throw StoreError(StoreError::RecordDeleted, QStringLiteral("The new appointment cannot be read back."));
}

StoreError changedElsewhere()
{
    return StoreError(StoreError::ChangedElsewhere,
                      QStringLiteral("This appointment was changed on another desk; nothing was stored."));
}

Appointment changeAppointment(QSqlDatabase db, qint64 id, const AppointmentChange &change)
{
    Appointment next;
    QSqlQuery updated(db);
    try {
        Transaction transaction(db);
        // Read under the write lock, so what another desk changed meanwhile and this change
        // leaves alone is kept.
        const std::optional<Appointment> current = appointmentById(db, id);
        if (!current)
            throw StoreError(StoreError::ItemNotFound, QStringLiteral("That appointment is no longer in the book."));
        if (change.seenSequence && *change.seenSequence != current->sequence)
            throw changedElsewhere();
        next = *current;
        next.employeeId = change.employeeId.value_or(current->employeeId);
        next.date = change.date.value_or(current->date);
        next.time = toMinute(change.time.value_or(current->time));
        next.minutes = change.minutes.value_or(current->minutes);
        next.buffer = change.buffer.value_or(current->buffer);
        next.status = change.status.value_or(current->status);
        next.notes = change.notes.value_or(current->notes);
        const bool moved = next.date != current->date || next.time != current->time;
        if (!moved && next.employeeId == current->employeeId && next.minutes == current->minutes
            && next.buffer == current->buffer && next.status == current->status && next.notes == current->notes)
            return *current;
        checkValues(next.employeeId, next.date, next.time, next.minutes, next.buffer, moved);
        runWrite(updated, db, QStringLiteral("UPDATE Appointments SET EmployeeID = ?, Start = ?, Minutes = ?, Buffer = ?, "
                                             "Status = ?, Notes = ?, Sequence = Sequence + 1, Changed = ? WHERE AppointmentID = ?"),
                 {next.employeeId, next.startText(), next.minutes, next.buffer, statusText(next.status),
                  next.notes.isEmpty() ? QVariant() : QVariant(next.notes), nowStamp(), id});
        transaction.commit();
    } catch (const StoreError &error) {
        if (error.number() == StoreError::Clash)
            throw clashError(db, next.employeeId, next.date, next.time, next.minutes + next.buffer, id, error);
        throw;
    }
    if (auto stored = appointmentById(db, id))
        return std::move(*stored);
    throw StoreError(StoreError::RecordDeleted, QStringLiteral("That appointment is no longer in the book."));
}

Appointment setAppointmentStatus(QSqlDatabase db, qint64 id, AppointmentStatus status, std::optional<int> seenSequence)
{
    AppointmentChange change;
    change.status = status;
    change.seenSequence = seenSequence;
    return changeAppointment(db, id, change);
}

std::vector<OpeningHours> openingHours(QSqlDatabase db)
{
    std::vector<OpeningHours> found;
    QSqlQuery rows = runQuery(db, QStringLiteral("SELECT Weekday, Opens, Closes FROM [Opening Hours] ORDER BY Weekday"));
    while (rows.next()) {
        OpeningHours hours;
        hours.weekday = rows.value(0).toInt();
        const std::optional<int> opens = minuteOfDay(rows.value(1));
        const std::optional<int> closes = minuteOfDay(rows.value(2));
        if (opens && closes) {
            hours.opens = QTime(*opens / 60, *opens % 60);
            hours.closes = *closes == minutesPerDay ? QTime(23, 59) : QTime(*closes / 60, *closes % 60);
        }
        found.push_back(hours);
    }
    return found;
}

void setOpeningHours(QSqlDatabase db, const OpeningHours &hours)
{
    if (hours.weekday < 1 || hours.weekday > 7)
        refuse(QStringLiteral("A weekday is 1 (Monday) to 7 (Sunday)."));
    if (hours.opens.has_value() != hours.closes.has_value() || (hours.opens && !(*hours.opens < *hours.closes)))
        refuse(QStringLiteral("The salon must open before it closes."));
    const QVariant opens = hours.opens ? QVariant(hours.opens->toString(QStringLiteral("HH:mm"))) : QVariant();
    const QVariant closes = hours.closes ? QVariant(hours.closes->toString(QStringLiteral("HH:mm"))) : QVariant();
    Transaction transaction(db);
    runQuery(db, QStringLiteral("DELETE FROM [Opening Hours] WHERE Weekday = ?"), {hours.weekday});
    runQuery(db, QStringLiteral("INSERT INTO [Opening Hours] (Weekday, Opens, Closes) VALUES (?, ?, ?)"),
             {hours.weekday, opens, closes});
    transaction.commit();
}

void clearOpeningHours(QSqlDatabase db, int weekday)
{
    Transaction transaction(db);
    runQuery(db, QStringLiteral("DELETE FROM [Opening Hours] WHERE Weekday = ?"), {weekday});
    transaction.commit();
}

std::vector<QDate> daysOff(QSqlDatabase db, qint64 employeeId, QDate from, QDate to)
{
    std::vector<QDate> days;
    QSqlQuery rows = runQuery(db, QStringLiteral("SELECT Day FROM [Days Off] WHERE EmployeeID = ? AND Day >= ? AND Day <= ? "
                                                 "ORDER BY Day"),
                              {employeeId, from.toString(Qt::ISODate), to.toString(Qt::ISODate)});
    while (rows.next())
        days.push_back(QDate::fromString(rows.value(0).toString(), Qt::ISODate));
    return days;
}

void setDayOff(QSqlDatabase db, qint64 employeeId, QDate day, bool off)
{
    Transaction transaction(db);
    runQuery(db, QStringLiteral("DELETE FROM [Days Off] WHERE EmployeeID = ? AND Day = ?"), {employeeId, day.toString(Qt::ISODate)});
    if (off)
        runQuery(db, QStringLiteral("INSERT INTO [Days Off] (EmployeeID, Day) VALUES (?, ?)"), {employeeId, day.toString(Qt::ISODate)});
    transaction.commit();
}

} // namespace salon
