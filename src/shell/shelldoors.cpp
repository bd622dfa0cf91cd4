#include "shelldoors.h"

#include "frmemployee.h"
#include "frmlogin.h"
#include "frmpayrollrecords.h"
#include "screenregistry.h"

bool ShellDoors::askShopPassword(QWidget *)
{
    // The login dialog is one shared window that centres itself; it needs no parent.
    return frmLogin::shared()->ask();
}

payrollentry::Outcome ShellDoors::enterPayroll(QWidget *parent, const payrollentry::Request &request)
{
    const payrollentry::Outcome outcome = frmPayrollRecords::enterFor(parent, request);
    if (auto employees = m_screens.find<frmEmployee>())
        employees->showPayroll();
    return outcome;
}
