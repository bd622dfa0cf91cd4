#include "shelldoors.h"

#include "frmdaily.h"
#include "frmemployee.h"
#include "frmlogin.h"
#include "frmpayrollrecords.h"
#include "pointer.h"
#include "screenregistry.h"
#include "storeerror.h"

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

std::optional<QString> ShellDoors::openTicketFor(QWidget *, const checkin::Request &request)
{
    const pointer::Busy busy;
    frmDaily *daily = nullptr;
    try {
        daily = m_screens.showSingle<frmDaily>(
            [this] { return new frmDaily(*this, nullptr, frmDaily::Opening::FirstTechnician); });
    } catch (const StoreError &error) {
        return QStringLiteral("Data error event hit err:") + error.text();
    }
    return daily->checkIn(request);
}
