#pragma once
#include <QDate>
#include <QString>
#include <array>

// The main window's month calendar without its widgets: 38 day cells (cell 0 is a template
// that is never shown, cells 1 to 37 hold the days), the selected day and the marked cell.
//
// A month is laid out from its first weekday (Sunday = column 0) in five rows of seven;
// the days that would need a sixth row (30 and 31, or 31 alone) go to cells 36 and 37,
// which sit in the places of cells 1 and 2 (always empty in such a month). Cells keep their
// visibility from month to month; only their text is emptied.
class MonthCalendar
{
public:
    static constexpr int lastCell = 37;

    struct Cell
    {
        QString text;
        bool visible = false;
    };

    // Where a cell sits: row and column of the 5 x 7 grid, and whether it is cell 37, which
    // is drawn slightly to the right of cell 2 so the two never coincide exactly.
    struct Place
    {
        int row = 0;
        int column = 0;
        bool nudged = false;
    };
    static Place place(int cell);
    static bool isSundayCell(int cell) { return cell >= 1 && place(cell).column == 0; }

    // Sets the calendar date and lays out its month (day, month and year follow it).
    void show(QDate date);
    // Marks a cell and makes its day the selected one; false (and no change) for a cell
    // without a day number.
    bool highlight(int cell);
    // The paging buttons: the selected date plus a number of months (12 for a year), the day
    // kept where the target month has it, else its last day. Outside the years 100 to 9999
    // the step is refused (false) and nothing changes.
    bool page(int months);

    const Cell &cell(int index) const { return m_cells[size_t(index)]; }
    int markedCell() const { return m_marked; }
    QDate calendarDate() const { return m_calendarDate; }
    QDate selectedDate() const { return QDate(m_year, m_month, m_day); }

private:
    std::array<Cell, lastCell + 1> m_cells;
    QDate m_calendarDate;
    int m_day = 0;
    int m_month = 0;
    int m_year = 0;
    int m_marked = 0;
};
