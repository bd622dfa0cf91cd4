#include "screens.h"

#include "frmmember.h"
#include "frmreport.h"
#include "frmsupplier.h"

std::vector<BenchScreen> benchScreens()
{
    return {
        {QStringLiteral("Customers (frmMember)"), [] { return new frmMember; }},
        {QStringLiteral("Service Report (frmReport)"), [] { return new frmReport; }},
        {QStringLiteral("Suppliers (frmSupplier)"), [] { return new frmSupplier; }},
    };
}
