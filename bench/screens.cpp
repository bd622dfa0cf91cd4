#include "screens.h"

#include "dialogs.h"
#include "frmdaily.h"
#include "frmmember.h"
#include "frmreport.h"
#include "frmsupplier.h"

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

} // namespace

std::vector<BenchScreen> benchScreens()
{
    return {
        {QStringLiteral("Daily Activity (frmDaily)"), [] {
             static FirstTechnician answers;
             Dialogs::setInstance(&answers);
             auto daily = new frmDaily;
             daily->ClearTicket();   // as the main window's tab does
             Dialogs::setInstance(nullptr);
             return daily;
         }},
        {QStringLiteral("Customers (frmMember)"), [] { return new frmMember; }},
        {QStringLiteral("Service Report (frmReport)"), [] { return new frmReport; }},
        {QStringLiteral("Suppliers (frmSupplier)"), [] { return new frmSupplier; }},
    };
}
