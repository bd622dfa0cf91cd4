#pragma once
#include "appointments.h"

#include <QList>
#include <QString>
#include <QTime>
#include <optional>
#include <vector>

// Where the day book puts a day's appointments: one column per technician, rows of 15 minutes,
// each appointment a block over the rows it covers. No window code, so it is tested alone.
namespace daybook {

constexpr int slotMinutes = 15;
constexpr int minutesPerDay = 24 * 60;
// The rows shown on a day without opening hours (and without appointments outside them).
constexpr int defaultOpens = 9 * 60;
constexpr int defaultCloses = 18 * 60;

struct Column
{
    qint64 employeeId = 0;
    QString name;
    bool dayOff = false;
};

struct Block
{
    int appointment = 0;   // index into the appointments laid out
    int column = 0;
    int row = 0;           // the first row it covers
    int rows = 1;          // rows covered by the appointment itself
    int heldRows = 1;      // rows covered with its buffer (as many as rows when it holds no time)
    bool holdsTime = true;
    int lane = 0;          // blocks overlapping in a column stand side by side
    int lanes = 1;
};

struct Grid
{
    int firstMinute = defaultOpens;   // minutes from midnight, on a row boundary
    int lastMinute = defaultCloses;   // where the last row ends (may pass midnight)
    std::vector<Column> columns;
    std::vector<Block> blocks;

    int rowCount() const { return (lastMinute - firstMinute) / slotMinutes; }
    // When a row starts, as minutes from midnight and as a clock time.
    int rowMinute(int row) const { return firstMinute + row * slotMinutes; }
    QTime rowTime(int row) const;
    // The block covering a cell (its buffer included), if any: one that holds time before a
    // cancelled or no-show one. An index into blocks.
    std::optional<int> blockAt(int column, int row) const;
    // A cell no time-holding appointment covers: free to book.
    bool isFree(int column, int row) const;
    std::optional<int> columnOf(qint64 employeeId) const;
};

// Lays out a day: the technicians in the order given (a technician with appointments but no
// column gets one at the end), rows from the earlier of opening time and the first start to
// the later of closing time and the last end (buffer included). `hours` are the day's opening
// and closing minutes; without them the default day is used. Given the `day`, an appointment
// of the evening before that runs past midnight covers the day's first rows.
Grid layDay(std::vector<Column> technicians, const std::vector<salon::Appointment> &appointments,
            std::optional<std::pair<int, int>> hours, QDate day = {});

// The appointment's services named one after another: "Gel Set, Pedicure".
QString servicesText(const salon::Appointment &appointment);
// What a calendar shows for it: "customer: services" (either part alone when the other is empty).
QString summaryText(const salon::Appointment &appointment);
// A start and end as the desk reads them: "10:00-11:15".
QString spanText(const salon::Appointment &appointment);
// The status as the day book shows it: Booked, Arrived, Done, Cancelled, No-show.
QString statusCaption(salon::AppointmentStatus status);

} // namespace daybook
