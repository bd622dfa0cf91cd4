#pragma once
#include "doors.h"

#include <functional>

// Doors for screen tests: the password gate answers as the test says (refusing by default)
// and counts how often it was asked; payroll entry runs what the test gives (by default it
// cannot be opened).
class TestDoors : public Doors
{
public:
    std::function<bool()> answer = [] { return false; };
    std::function<payrollentry::Outcome(const payrollentry::Request &)> entry = [](const payrollentry::Request &) {
        return payrollentry::Outcome{payrollentry::Outcome::Failed, QStringLiteral("The payroll book cannot be opened from here.")};
    };
    int asked = 0;

    bool askShopPassword(QWidget *) override
    {
        ++asked;
        return answer();
    }
    payrollentry::Outcome enterPayroll(QWidget *, const payrollentry::Request &request) override { return entry(request); }
};
