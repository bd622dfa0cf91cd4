#pragma once
#include "bookingsteps.h"
#include "daybooklayout.h"

#include <QDialog>
#include <QVariant>

class QLabel;
class QLineEdit;
class QListWidget;

// Books an appointment: the customer (found by last name, or added new), the services, the
// technician, the start, the length (the services' minutes summed unless changed), the buffer
// after it and notes. OK stores it after the questions about hours and days off; a refusal of
// the store is shown and the dialog stays open with nothing stored.
class frmBooking : public QDialog
{
    Q_OBJECT
public:
    frmBooking(const std::vector<daybook::Column> &technicians, qint64 employeeId, QDate date, QTime time,
               QWidget *parent = nullptr);

    // The customer chosen so far: a stored one, or a new one to be added with the booking.
    QVariant customerId() const { return m_customerId; }

signals:
    void booked(const salon::Appointment &appointment);

public slots:
    void accept() override;

private:
    void findCustomer();
    void newCustomer();
    void servicesChanged();
    void showCustomer();

    QLineEdit *txtLastName;
    QLabel *lblCustomer;
    QListWidget *lstServices;
    daybook::AppointmentFields m_fields;

    std::vector<salon::AppointmentService> m_services;
    QVariant m_customerId;
    QString m_customerName;
    QString m_newFirstName;   // a customer to add when the booking is stored
    QString m_newLastName;
    bool m_minutesTyped = false;
    bool m_settingMinutes = false;
};
