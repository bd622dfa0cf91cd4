#pragma once
#include "monthcalendar.h"

#include <QDate>
#include <QWidget>
#include <array>
#include <map>

class QLabel;

// The main window's month calendar on screen: the paging buttons, the long date of the
// selected day and the day cells, drawn from a MonthCalendar. A click on a day marks it;
// the buttons page by a month or a year.
//
// A day with appointments that hold time is drawn bold, their count in its tooltip. The
// counts are first read just after the calendar is first painted (so start-up does not wait
// for them), then on every move to another month and whenever refreshAppointmentMarks() is called.
// A double-click on a day, or Enter while the day grid has focus, opens that day (dayOpened).
class CalendarView : public QWidget
{
    Q_OBJECT
public:
    explicit CalendarView(QWidget *parent = nullptr);

    const MonthCalendar &calendar() const { return m_calendar; }
    // Puts the calendar on a date's month with that day marked.
    void showDate(QDate date);

public slots:
    // Reads again which days of the month shown have appointments (after a booking, say).
    void refreshAppointmentMarks();

signals:
    void dayOpened(QDate day);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshCalendar();
    void dayClicked(int cell);
    void dayDoubleClicked(int cell);
    void page(int months);
    // An arrow or paging key on the focused grid; false for any other key.
    bool moveByKey(int key);
    // The day a cell shows in the month on screen; invalid for a cell without a day.
    QDate cellDate(int cell) const;

    MonthCalendar m_calendar;
    QLabel *m_dateDisplay = nullptr;
    QWidget *m_grid = nullptr;
    std::array<QLabel *, MonthCalendar::lastCell + 1> m_cells{};
    std::map<QDate, int> m_appointments;   // days of the month shown that have any
    bool m_marksRead = false;              // set once the first read is due (first paint)
    bool m_marksFailed = false;            // a failed read is reported once
};
