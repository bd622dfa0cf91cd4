#pragma once
#include "doors.h"

#include <QString>
#include <optional>

class ScreenRegistry;

// The doors as the desk meets them: the shop-password gate is the shared login dialog, and
// payroll entry is the payroll screen shown modally, after which an open employee screen
// re-reads its payroll grid to show the new row.
class ShellDoors : public Doors
{
public:
    explicit ShellDoors(ScreenRegistry &screens) : m_screens(screens) {}

    bool askShopPassword(QWidget *parent) override;
    payrollentry::Outcome enterPayroll(QWidget *parent, const payrollentry::Request &request) override;

    // A check-in: opens the daily ticket (or brings it forward) as the Daily Activity tab does,
    // but without asking for the technician, and puts it on the request's technician and
    // customer, reset. The reason when it could not (a book that cannot be opened, a technician
    // or customer not in the book), for the caller to show over `parent`, its own window; the
    // ticket is a window of its own.
    std::optional<QString> openTicketFor(QWidget *parent, const checkin::Request &request);

private:
    ScreenRegistry &m_screens;
};
