#pragma once
#include "bookingsteps.h"
#include "daybooklayout.h"
#include "doors.h"

#include <QDialog>
#include <functional>
#include <optional>

// One appointment opened from the day book: move it (time or technician), change its length,
// buffer or notes, cancel it, mark it arrived, done or no-show, check it in (a booked one of
// today) or export it as a calendar file. Each action stores at once and closes the dialog;
// a refusal is shown and it stays open, unless another desk changed the appointment meanwhile:
// then it closes and the book shows the appointment as stored.
class frmAppointment : public QDialog
{
    Q_OBJECT
public:
    using CheckIn = std::function<std::optional<QString>(QWidget *, const checkin::Request &)>;

    frmAppointment(const salon::Appointment &appointment, const std::vector<daybook::Column> &technicians,
                   CheckIn checkIn, QWidget *parent = nullptr);

signals:
    void changed();

private:
    void save();
    void setStatus(salon::AppointmentStatus status);
    void checkInNow();
    void exportFile();
    void refused(const StoreError &error);

    salon::Appointment m_appointment;
    CheckIn m_checkIn;
    daybook::AppointmentFields m_fields;
};

// Asks for a file name and writes the appointments there as a calendar file, never over a
// file that exists. False when nothing was written.
bool exportCalendarFile(QWidget *parent, const std::vector<salon::Appointment> &appointments, const QString &suggestedName);
