#include "daybooklayout.h"


#include <algorithm>

namespace daybook {

namespace {

int floorToSlot(int minute)
{
    return minute - ((minute % slotMinutes) + slotMinutes) % slotMinutes;
}

int ceilToSlot(int minute)
{
    return -floorToSlot(-minute);
}

// Side by side lanes for the blocks of one column: overlapping blocks form a cluster, each
// block takes the first lane free at its start, and the cluster's blocks share its lane count.
void assignLanes(std::vector<Block *> column)
{
    std::sort(column.begin(), column.end(), [](const Block *a, const Block *b) {
        if (a->row != b->row)
            return a->row < b->row;
        return a->holdsTime && !b->holdsTime;
    });
    std::vector<Block *> cluster;
    std::vector<int> laneEnds;   // the row each lane is busy until
    int clusterEnd = -1;
    auto closeCluster = [&] {
        for (Block *block : cluster)
            block->lanes = int(laneEnds.size());
        cluster.clear();
        laneEnds.clear();
    };
    for (Block *block : column) {
        if (block->row >= clusterEnd)
            closeCluster();
        const int end = block->row + block->heldRows;
        auto free = std::find_if(laneEnds.begin(), laneEnds.end(), [&](int busyUntil) { return busyUntil <= block->row; });
        if (free == laneEnds.end()) {
            block->lane = int(laneEnds.size());
            laneEnds.push_back(end);
        } else {
            block->lane = int(free - laneEnds.begin());
            *free = end;
        }
        cluster.push_back(block);
        clusterEnd = std::max(clusterEnd, end);
    }
    closeCluster();
}

} // namespace

QTime Grid::rowTime(int row) const
{
    const int minute = ((rowMinute(row) % minutesPerDay) + minutesPerDay) % minutesPerDay;
    return QTime(minute / 60, minute % 60);
}

std::optional<int> Grid::blockAt(int column, int row) const
{
    std::optional<int> found;
    for (int i = 0; i < int(blocks.size()); ++i) {
        const Block &block = blocks[std::size_t(i)];
        if (block.column != column || row < block.row || row >= block.row + block.heldRows)
            continue;
        if (block.holdsTime)
            return i;
        if (!found)
            found = i;
    }
    return found;
}

bool Grid::isFree(int column, int row) const
{
    const std::optional<int> block = blockAt(column, row);
    return !block || !blocks[std::size_t(*block)].holdsTime;
}

std::optional<int> Grid::columnOf(qint64 employeeId) const
{
    for (int i = 0; i < int(columns.size()); ++i)
        if (columns[std::size_t(i)].employeeId == employeeId)
            return i;
    return std::nullopt;
}

Grid layDay(std::vector<Column> technicians, const std::vector<salon::Appointment> &appointments,
            std::optional<std::pair<int, int>> hours, QDate day)
{
    // Minutes from the day's midnight: an appointment of the day before starts before 0.
    const auto onDay = [day](const salon::Appointment &appointment, int minute) {
        return (day.isValid() ? int(day.daysTo(appointment.date)) * minutesPerDay : 0) + minute;
    };
    Grid grid;
    grid.columns = std::move(technicians);
    int first = hours ? hours->first : defaultOpens;
    int last = hours ? hours->second : defaultCloses;
    for (const salon::Appointment &appointment : appointments) {
        first = std::min(first, std::max(0, onDay(appointment, appointment.startMinute())));
        last = std::max(last, onDay(appointment, std::max(appointment.endMinute(), appointment.heldUntilMinute())));
        if (!grid.columnOf(appointment.employeeId)) {
            const QString name = appointment.technician.isEmpty()
                                     ? QStringLiteral("Technician %1").arg(appointment.employeeId)
                                     : appointment.technician;
            grid.columns.push_back({appointment.employeeId, name, false});
        }
    }
    grid.firstMinute = floorToSlot(first);
    grid.lastMinute = std::max(ceilToSlot(last), grid.firstMinute + slotMinutes);

    for (int i = 0; i < int(appointments.size()); ++i) {
        const salon::Appointment &appointment = appointments[std::size_t(i)];
        Block block;
        block.appointment = i;
        block.column = *grid.columnOf(appointment.employeeId);
        block.holdsTime = salon::holdsTime(appointment.status);
        const int start = std::max(0, onDay(appointment, appointment.startMinute())) - grid.firstMinute;
        const int end = onDay(appointment, appointment.endMinute()) - grid.firstMinute;
        block.row = start / slotMinutes;
        const int endRow = std::max(block.row + 1, ceilToSlot(end) / slotMinutes);
        block.rows = endRow - block.row;
        const int heldEnd = onDay(appointment, block.holdsTime ? appointment.heldUntilMinute() : appointment.endMinute());
        block.heldRows = std::max(block.rows, ceilToSlot(heldEnd - grid.firstMinute) / slotMinutes - block.row);
        grid.blocks.push_back(block);
    }
    for (int column = 0; column < int(grid.columns.size()); ++column) {
        std::vector<Block *> inColumn;
        for (Block &block : grid.blocks)
            if (block.column == column)
                inColumn.push_back(&block);
        assignLanes(inColumn);
    }
    return grid;
}

QString servicesText(const salon::Appointment &appointment)
{
    QStringList names;
    for (const salon::AppointmentService &service : appointment.services)
        names << service.name;
    return names.join(QStringLiteral(", "));
}

QString summaryText(const salon::Appointment &appointment)
{
    const QString services = servicesText(appointment);
    if (appointment.customer.isEmpty())
        return services;
    if (services.isEmpty())
        return appointment.customer;
    return appointment.customer + QStringLiteral(": ") + services;
}

QString spanText(const salon::Appointment &appointment)
{
    const QTime end = appointment.time.addSecs(qint64(appointment.minutes) * 60);
    return appointment.time.toString(QStringLiteral("HH:mm")) + QLatin1Char('-') + end.toString(QStringLiteral("HH:mm"));
}

QString statusCaption(salon::AppointmentStatus status)
{
    switch (status) {
    case salon::AppointmentStatus::Booked: return QStringLiteral("Booked");
    case salon::AppointmentStatus::Arrived: return QStringLiteral("Arrived");
    case salon::AppointmentStatus::Done: return QStringLiteral("Done");
    case salon::AppointmentStatus::Cancelled: return QStringLiteral("Cancelled");
    case salon::AppointmentStatus::NoShow: return QStringLiteral("No-show");
    }
    return {};
}

} // namespace daybook
