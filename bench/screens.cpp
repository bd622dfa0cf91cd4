#include "screens.h"

#include "dialogs.h"
#include "doors.h"
#include "frmdaily.h"
#include "frmemployee.h"
#include "frmmember.h"
#include "frmpayrollrecords.h"
#include "frmproducts.h"
#include "frmreport.h"
#include "frmsupplier.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <algorithm>

namespace {

// The daily ticket asks for the technician as it opens; the benchmark answers as the desk
// taking the first technician does, with an empty number.
class FirstTechnician : public QtDialogs
{
public:
    QString askText(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> askTextOrCancel(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
};

// The price list and payroll entry are modal dialogs in the program; here they are shown
// like any other screen, so that opening one does not wait for it to close.
template <class Dialog>
QWidget *modeless()
{
    auto dialog = new Dialog;
    dialog->setModal(false);
    return dialog;
}

// The bench opens no door: the password is refused and payroll entry is not reached.
class ClosedDoors : public Doors
{
public:
    bool askShopPassword(QWidget *) override { return false; }
    payrollentry::Outcome enterPayroll(QWidget *, const payrollentry::Request &) override
    {
        return {payrollentry::Outcome::Failed, QStringLiteral("No payroll entry in the benchmark.")};
    }
};

} // namespace

Doors &closedDoors()
{
    static ClosedDoors doors;
    return doors;
}

std::vector<BenchScreen> benchScreens()
{
    return {
        {QStringLiteral("Daily Activity (frmDaily)"), [] {
             static FirstTechnician answers;
             Dialogs::setInstance(&answers);
             auto daily = new frmDaily(closedDoors());
             daily->ClearTicket();   // as the main window's tab does
             Dialogs::setInstance(nullptr);
             return daily;
         }},
        {QStringLiteral("Customers (frmMember)"), [] { return new frmMember; }},
        {QStringLiteral("Service Report (frmReport)"), [] { return new frmReport; }},
        {QStringLiteral("Suppliers (frmSupplier)"), [] { return new frmSupplier; }},
        {QStringLiteral("Employees (frmEmployee)"), [] { return new frmEmployee(closedDoors()); }},
        {QStringLiteral("Payroll Data Entry (frmPayrollRecords)"), &modeless<frmPayrollRecords>},
        {QStringLiteral("Price List (frmProducts)"), &modeless<frmProducts>},
    };
}

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

Timing timeRuns(int runs, const std::function<void()> &work)
{
    Timing timing;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        timing.firstMs = run == 0 ? ms : timing.firstMs;
        timing.bestMs = run == 0 ? ms : std::min(timing.bestMs, ms);
    }
    return timing;
}

ScreenTiming timeScreen(const BenchScreen &screen)
{
    ScreenTiming timing;
    timing.bestMs = 1e300;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        QPointer<QWidget> window = screen.open();
        window->show();
        QCoreApplication::processEvents();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        timing.residentMb = std::max(timing.residentMb, residentMb());
        timing.firstMs = run == 0 ? ms : timing.firstMs;
        timing.bestMs = std::min(timing.bestMs, ms);
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete window.data();
    }
    return timing;
}
