#pragma once
#include "storeerror.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <map>
#include <optional>
#include <vector>

// The appointment book: who comes when, to which technician, for what. An appointment starts at
// the salon's wall-clock time and lasts Minutes, followed by Buffer minutes the technician
// keeps free. Booked, arrived and done appointments hold [start, start + Minutes + Buffer) of
// their technician, and the store itself refuses a second one over it; cancelled and no-show
// ones keep their rows and hold nothing. Every change of an appointment raises its Sequence
// and stamps Changed (UTC); its UID never changes, so a phone's calendar knows it again.
//
// Refusals are StoreErrors with the desk's own text: ValueRequired for a value the book cannot
// take, Clash naming the appointment it clashes with. Questions the desk answers before booking
// (opening hours, a day off) are asked by the caller: bookingQuestions() gives them.
namespace salon {

enum class AppointmentStatus { Booked, Arrived, Done, Cancelled, NoShow };
// As the book stores it: booked, arrived, done, cancelled, no-show.
QString statusText(AppointmentStatus status);
std::optional<AppointmentStatus> statusFromText(const QString &text);
// Booked, arrived and done appointments hold their technician's time.
bool holdsTime(AppointmentStatus status);

struct AppointmentService
{
    QVariant serviceId;   // the price list's ServiceID; null for a service not on it
    QString name;
    int minutes = 0;
};

struct Appointment
{
    qint64 id = 0;
    QString uid;
    qint64 employeeId = 0;
    QString technician;    // first and last name; empty without an employee row
    QVariant customerId;   // null: no customer
    QString customer;      // first and last name; empty without a customer row
    QDate date;            // the salon's wall clock
    QTime time;
    int minutes = 0;
    int buffer = 0;
    AppointmentStatus status = AppointmentStatus::Booked;
    QString notes;
    int sequence = 0;
    QDateTime changed;     // UTC
    std::vector<AppointmentService> services;

    // Minutes from the midnight before its day: when it starts, ends (buffer excluded) and
    // holds its technician to (buffer included); the last two may pass midnight (1440 and on).
    int startMinute() const;
    int endMinute() const;
    int heldUntilMinute() const;
    // Its start as the book writes it: YYYY-MM-DD HH:MM.
    QString startText() const;
};

// The services of the price list that can be booked, in its order, with their minutes.
std::vector<AppointmentService> bookableServices(QSqlDatabase db);

// Appointments starting from the first day to the last (both included), of every status, by
// start and then technician; of one technician only when given. Throws StoreError.
std::vector<Appointment> appointmentsBetween(QSqlDatabase db, QDate from, QDate to,
                                             std::optional<qint64> employeeId = std::nullopt);
std::vector<Appointment> appointmentsOn(QSqlDatabase db, QDate day);
std::optional<Appointment> appointmentById(QSqlDatabase db, qint64 id);
// How many appointments that hold time start on each day of the period that has any.
std::map<QDate, int> appointmentCounts(QSqlDatabase db, QDate from, QDate to);

// A customer's next booked appointment starting at or after `now` (wall clock), and how many
// appointments they missed (no-show).
std::optional<Appointment> nextAppointment(QSqlDatabase db, const QVariant &customerId,
                                           const QDateTime &now = QDateTime::currentDateTime());
int missedAppointments(QSqlDatabase db, const QVariant &customerId);

// The refusal of a start that does not exist on the desk's clock (the hour skipped when the
// clocks go forward): "That time does not exist on this day (the clocks go forward)."
std::optional<QString> startRefusal(QDate date, QTime time);

// What to ask before an appointment is booked or moved there, in order, each to be answered
// Yes to go on: "Outside opening hours. Book anyway?" when it does not lie within the day's
// hours (a closed day included; a weekday without hours asks nothing), "NAME's day off. Book
// anyway?" on the technician's day off. Throws StoreError.
QStringList bookingQuestions(QSqlDatabase db, qint64 employeeId, QDate date, QTime time, int minutes);

struct Booking
{
    qint64 employeeId = 0;
    QVariant customerId;   // null: none
    QDate date;
    QTime time;
    std::vector<AppointmentService> services;
    std::optional<int> minutes;   // nothing: the services' minutes summed
    int buffer = 0;
    QString notes;
};
// Stores a new booked appointment with its services in one transaction: a fresh UID,
// Sequence 0, Changed now. Returns it as stored. Throws StoreError.
Appointment bookAppointment(QSqlDatabase db, const Booking &booking);

// What a change sets; what is not given stays as it is.
struct AppointmentChange
{
    std::optional<qint64> employeeId;
    std::optional<QDate> date;
    std::optional<QTime> time;
    std::optional<int> minutes;
    std::optional<int> buffer;
    std::optional<AppointmentStatus> status;
    std::optional<QString> notes;
    // The Sequence the desk showed: when the book holds another (changed on another desk
    // meanwhile), nothing is stored.
    std::optional<int> seenSequence;
};
// Changes an appointment (moves it, changes its length, buffer, status or notes): Sequence
// raised, Changed now, UID kept. A change that changes nothing stores nothing. Returns the
// appointment as stored. Throws StoreError (ItemNotFound when there is no such appointment,
// ChangedElsewhere when its Sequence is not the one seen).
Appointment changeAppointment(QSqlDatabase db, qint64 id, const AppointmentChange &change);
// What a change of an appointment changed on another desk meets.
StoreError changedElsewhere();
// Cancel, no-show, arrived, done (or booked again).
Appointment setAppointmentStatus(QSqlDatabase db, qint64 id, AppointmentStatus status,
                                 std::optional<int> seenSequence = std::nullopt);

// The salon's hours on a weekday (1 Monday to 7 Sunday); without opens and closes it is closed.
struct OpeningHours
{
    int weekday = 0;
    std::optional<QTime> opens;
    std::optional<QTime> closes;
    bool closed() const { return !opens; }
};
// The weekdays that have hours set (or are closed), Monday first.
std::vector<OpeningHours> openingHours(QSqlDatabase db);
// Sets a weekday's hours, or marks it closed. Throws StoreError.
void setOpeningHours(QSqlDatabase db, const OpeningHours &hours);
// Forgets a weekday's hours: nothing is asked about it any more.
void clearOpeningHours(QSqlDatabase db, int weekday);

// A technician's days off in a period (both days included), and setting one on or off.
std::vector<QDate> daysOff(QSqlDatabase db, qint64 employeeId, QDate from, QDate to);
void setDayOff(QSqlDatabase db, qint64 employeeId, QDate day, bool off);

} // namespace salon
