#include "appointmentbench.h"

#include "appointments.h"
#include "frmdaybook.h"
#include "screens.h"

#include <QCoreApplication>

#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>

namespace {

constexpr int technicianCount = 10;
constexpr int daysBefore = 182;
constexpr int daysAfter = 182;
constexpr double monthMarksGoalMs = 50;
constexpr double dayBookGoalMs = 100;

QSqlQuery prepared(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw std::runtime_error(query.lastError().text().toStdString());
    return query;
}

void exec(QSqlQuery &query)
{
    if (!query.exec())
        throw std::runtime_error(query.lastError().text().toStdString());
}

void run(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw std::runtime_error(query.lastError().text().toStdString());
}

qint64 firstValue(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        throw std::runtime_error(query.lastError().text().toStdString());
    return query.value(0).toLongLong();
}

// How many appointments a technician has on a day: Saturdays are busy.
int appointmentsOnDay(QDate day, int technician)
{
    if (day.dayOfWeek() == Qt::Saturday)
        return 9;
    return 4 + int((day.toJulianDay() + technician) % 3);
}

QString statusFor(QDate day, QDate today, int serial, int slot)
{
    if (day < today)
        return serial % 11 == 0 ? QStringLiteral("cancelled") : serial % 17 == 0 ? QStringLiteral("no-show") : QStringLiteral("done");
    if (day == today)
        return slot < 2 ? QStringLiteral("done") : slot == 2 ? QStringLiteral("arrived") : QStringLiteral("booked");
    return serial % 13 == 0 ? QStringLiteral("cancelled") : QStringLiteral("booked");
}

bool printLine(const QString &what, const Timing &timing, double goalMs)
{
    const bool ok = timing.firstMs <= goalMs;
    std::printf("%-50s first %7.1f ms  best %7.1f ms  goal %4.0f ms  %s\n", qPrintable(what), timing.firstMs,
                timing.bestMs, goalMs, ok ? "ok" : "OVER");
    return ok;
}

} // namespace

void addAppointmentsIfMissing(QSqlDatabase db, QDate today)
{
    if (firstValue(db, QStringLiteral("SELECT count(*) FROM Appointments")) > 0)
        return;
    std::printf("adding %d technicians and a year of appointments ...\n", technicianCount);
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    const std::vector<salon::AppointmentService> services = salon::bookableServices(db);
    if (services.empty())
        throw std::runtime_error("the price list holds no services");
    const qint64 customers = std::max<qint64>(1, firstValue(db, QStringLiteral("SELECT ifnull(max(CustomerID), 0) FROM Customers")));
    const qint64 firstTechnician = firstValue(db, QStringLiteral("SELECT ifnull(max(EmployeeID), 0) FROM Employee")) + 1;
    const QString changed = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);

    run(db, QStringLiteral("BEGIN"));
    QSqlQuery technician = prepared(db, QStringLiteral("INSERT INTO Employee (EmployeeID, FirstName, LastName) VALUES (?, ?, 'Bench')"));
    QSqlQuery appointment = prepared(db, QStringLiteral(
        "INSERT INTO Appointments (UID, EmployeeID, CustomerID, Start, Minutes, Buffer, Status, Notes, Sequence, Changed) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery service = prepared(db, QStringLiteral(
        "INSERT INTO [Appointment Services] (AppointmentID, ServiceID, ServiceName, Minutes) VALUES (?, ?, ?, ?)"));
    int serial = 0;
    for (int t = 0; t < technicianCount; ++t) {
        technician.bindValue(0, firstTechnician + t);
        technician.bindValue(1, QStringLiteral("Tech%1").arg(t + 1));
        exec(technician);
    }
    for (QDate day = today.addDays(-daysBefore); day <= today.addDays(daysAfter); day = day.addDays(1)) {
        for (int t = 0; t < technicianCount; ++t) {
            int minute = 9 * 60 + (t % 4) * 15;
            for (int slot = 0; slot < appointmentsOnDay(day, t); ++slot, ++serial) {
                // One or two services; a buffer after every third; now and then a gap.
                std::vector<salon::AppointmentService> chosen{services[std::size_t(serial * 7) % services.size()]};
                if (serial % 2 == 1)
                    chosen.push_back(services[std::size_t(serial * 11 + 3) % services.size()]);
                int minutes = 0;
                for (const salon::AppointmentService &s : chosen)
                    minutes += std::max(5, s.minutes);
                minutes = std::min(minutes, 720);
                const int buffer = serial % 3 == 0 ? 15 : 0;
                const QString status = statusFor(day, today, serial, slot);
                appointment.bindValue(0, QUuid::createUuid().toString(QUuid::WithoutBraces));
                appointment.bindValue(1, firstTechnician + t);
                appointment.bindValue(2, qint64(serial) * 7919 % customers + 1);
                appointment.bindValue(3, QStringLiteral("%1 %2:%3").arg(day.toString(Qt::ISODate))
                                             .arg(minute / 60, 2, 10, QLatin1Char('0')).arg(minute % 60, 2, 10, QLatin1Char('0')));
                appointment.bindValue(4, minutes);
                appointment.bindValue(5, buffer);
                appointment.bindValue(6, status);
                appointment.bindValue(7, serial % 10 == 0 ? QVariant(QStringLiteral("Prefers the window seat")) : QVariant());
                appointment.bindValue(8, status == QLatin1String("booked") ? 0 : 1);
                appointment.bindValue(9, changed);
                exec(appointment);
                const qint64 id = appointment.lastInsertId().toLongLong();
                for (const salon::AppointmentService &s : chosen) {
                    service.bindValue(0, id);
                    service.bindValue(1, s.serviceId);
                    service.bindValue(2, s.name);
                    service.bindValue(3, s.minutes);
                    exec(service);
                }
                minute += minutes + buffer + (serial % 5 == 0 ? 15 : 0);
            }
        }
    }
    run(db, QStringLiteral("COMMIT"));
    run(db, QStringLiteral("ANALYZE"));
    std::printf("added %d appointments in %.1f s\n", serial, double(timer.elapsed()) / 1000.0);
}

bool benchAppointments(QSqlDatabase db, QDate today)
{
    const qint64 total = firstValue(db, QStringLiteral("SELECT count(*) FROM Appointments"));
    std::printf("appointment book: %lld appointments; goals: month marks %.0f ms, day book %.0f ms\n",
                static_cast<long long>(total), monthMarksGoalMs, dayBookGoalMs);
    // The calendar marks the days of the month it shows, the desk's current one at start.
    const QDate monthStart(today.year(), today.month(), 1);
    std::map<QDate, int> counts;
    const Timing marks = timeRuns(5, [&] { counts = salon::appointmentCounts(db, monthStart, monthStart.addMonths(1).addDays(-1)); });
    int marked = 0;
    for (const auto &[day, count] : counts)
        marked += count;
    bool ok = printLine(QStringLiteral("month marks (%1 days marked, %2 appointments)").arg(counts.size()).arg(marked),
                        marks, monthMarksGoalMs);
    // A busy day: the next Saturday.
    QDate busy = today;
    while (busy.dayOfWeek() != Qt::Saturday)
        busy = busy.addDays(1);
    // The day book screen itself, read, laid out and painted as the desk first sees it.
    const Timing book = timeRuns(5, [&] {
        auto screen = std::make_unique<frmDayBook>(busy, closedDoors());
        screen->show();
        QCoreApplication::processEvents();
    });
    const auto appointments = salon::appointmentsOn(db, busy);
    ok = printLine(QStringLiteral("day book (%1: %2 appointments)").arg(busy.toString(Qt::ISODate)).arg(appointments.size()),
                   book, dayBookGoalMs) && ok;
    return ok;
}
