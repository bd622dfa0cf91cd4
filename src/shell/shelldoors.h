#pragma once
#include "doors.h"

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

private:
    ScreenRegistry &m_screens;
};
