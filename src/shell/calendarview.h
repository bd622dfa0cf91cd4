#pragma once
#include "monthcalendar.h"

#include <QDate>
#include <QWidget>
#include <array>

class QLabel;

// The main window's month calendar on screen: the paging buttons, the long date of the
// selected day and the day cells, drawn from a MonthCalendar. A click on a day marks it;
// the buttons page by a month or a year. A double-click on a day, or Enter while the calendar
// has the keyboard, opens the marked day (dayOpened); an empty cell ignores both.
class CalendarView : public QWidget
{
    Q_OBJECT
public:
    explicit CalendarView(QWidget *parent = nullptr);

    const MonthCalendar &calendar() const { return m_calendar; }
    // Puts the calendar on a date's month with that day marked.
    void showDate(QDate date);

signals:
    void dayOpened(QDate day);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refreshCalendar();
    void dayClicked(int cell);
    void dayDoubleClicked(int cell);
    void page(int months);

    MonthCalendar m_calendar;
    QLabel *m_dateDisplay = nullptr;
    std::array<QLabel *, MonthCalendar::lastCell + 1> m_cells{};
};
