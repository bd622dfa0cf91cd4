#include "monthcalendar.h"

#include "dates.h"

MonthCalendar::Place MonthCalendar::place(int cell)
{
    if (cell == 36)
        return place(1);
    if (cell == 37)
        return {0, 1, true};
    if (cell < 1)
        return {0, 0, false};
    return {(cell - 1) / 7, (cell - 1) % 7, false};
}

void MonthCalendar::show(QDate date)
{
    m_calendarDate = date;
    m_day = date.day();
    m_month = date.month();
    m_year = date.year();

    // Weekday of the 1st, Sunday = 1 to Saturday = 7.
    const int firstWeekday = QDate(m_year, m_month, 1).dayOfWeek() % 7 + 1;
    for (int i = 0; i < firstWeekday; ++i)
        m_cells[size_t(i)].visible = false;

    const int days = date.daysInMonth();
    int i = firstWeekday;
    for (int d = 1; d <= days; ++d, ++i) {
        m_cells[size_t(i)].text = QString::number(d);
        m_cells[size_t(i)].visible = true;
        if (d == m_day)
            highlight(i);
    }
    for (; i <= lastCell; ++i)
        m_cells[size_t(i)].text.clear();
}

bool MonthCalendar::highlight(int cell)
{
    if (cell < 1 || cell > lastCell)
        return false;
    // A hidden cell may still carry the text of an earlier month: it is not a day.
    bool ok = false;
    const int day = m_cells[size_t(cell)].text.toInt(&ok);
    if (!ok || !m_cells[size_t(cell)].visible)
        return false;
    m_marked = cell;
    m_day = day;
    return true;
}

bool MonthCalendar::page(int months)
{
    const QDate target = addMonthsClamped(selectedDate(), months);
    if (!target.isValid() || target.year() < 100 || target.year() > 9999)
        return false;
    show(target);
    return true;
}
