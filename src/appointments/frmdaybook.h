#pragma once
#include "daybooklayout.h"
#include "doors.h"

#include <QDate>
#include <QWidget>
#include <functional>
#include <optional>

class DayBookView;
class QLabel;
class QPushButton;

// The day book: one column per technician, rows of 15 minutes, each appointment a block.
// A free slot is booked with a click or Enter, an appointment opened with a double-click or
// Enter; previous day, next day and today page through the days. A technician's day is
// printed, and an appointment or a technician's day or week saved as a calendar file.
// Opening hours and days off are set behind the shop password.
class frmDayBook : public QWidget
{
    Q_OBJECT
public:
    // Check in: opens the daily ticket on the technician and customer; a failure's text, or
    // nothing when the ticket is open.
    using CheckIn = std::function<std::optional<QString>(QWidget *, const checkin::Request &)>;

    frmDayBook(QDate day, Doors &doors, QWidget *parent = nullptr);

    void showDay(QDate day);
    QDate day() const { return m_day; }
    // Without a check-in the action is not offered.
    void setCheckIn(CheckIn checkIn) { m_checkIn = std::move(checkIn); }
    DayBookView *view() const { return m_view; }

    // Books at the selected slot, opens the selected appointment (what Enter does on either).
    void bookSelected();
    void openSelected();

signals:
    // An appointment was booked, changed, or the hours were changed: calendars re-read their marks.
    void bookChanged();

private:
    // Reads the day again, keeping the selected technician and time. Quietly: what another
    // desk stored is followed without a message when the read fails.
    void reload(bool quietly = false);
    void book(int column, int row);
    void open(int appointment);
    void printDay();
    void exportDay(int days);
    void exportAppointment();
    void editHours();
    // The technician of the selected column and that day's appointments of theirs.
    std::optional<daybook::Column> selectedTechnician() const;
    std::vector<salon::Appointment> appointmentsOf(qint64 employeeId, QDate from, QDate to);

    Doors &m_doors;
    QDate m_day;
    CheckIn m_checkIn;
    std::vector<daybook::Column> m_technicians;
    DayBookView *m_view;
    QLabel *lblDay;
    QLabel *lblHours;
};
