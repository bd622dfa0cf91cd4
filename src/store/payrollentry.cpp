#include "payrollentry.h"

namespace payrollentry {
namespace {

EntryFunction &entryFunction()
{
    static EntryFunction entry;
    return entry;
}

} // namespace

void setEntryFunction(EntryFunction entry)
{
    entryFunction() = std::move(entry);
}

Outcome enterPayroll(QWidget *parent, const Request &request)
{
    const EntryFunction &entry = entryFunction();
    if (!entry)
        return {Outcome::Failed, QStringLiteral("The payroll book cannot be opened from here.")};
    return entry(parent, request);
}

} // namespace payrollentry
