#pragma once
#include "currency.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

// What the journal (Service Records) says was sold in a period: grouped by technician, by
// service or by both, or every line as a day sheet. Reads the journal only; sums are exact.
namespace salon {

struct ReportPeriod
{
    QDate from;   // both days included
    QDate to;
    std::optional<qint64> employeeId;   // one technician's lines only
};

enum class ReportGrouping { Technician, Service, TechnicianService };

// One group's figures (or the totals row). Lines without a recorded tax (sold before it was
// recorded) are counted in untaxedLines and add nothing to tax.
struct ReportFigures
{
    qint64 lines = 0;
    qint64 quantity = 0;
    Currency net;   // the journal's Cost summed
    Currency tax;   // the recorded SalesTax summed
    qint64 untaxedLines = 0;
    Currency share50;   // 50% and 60% of net
    Currency share60;
    // net + tax; nothing when a line's tax was not recorded.
    std::optional<Currency> gross() const;
};

struct ReportGroup
{
    QVariant employeeId;   // null: lines with no technician (and in a service grouping)
    QString technician;    // empty without an employee row
    QString service;       // NameOfService as written (service groupings only)
    ReportFigures figures;
};

struct GroupReport
{
    std::vector<ReportGroup> groups;   // by EmployeeID (no technician first), then service
    ReportFigures total;               // the sum of the groups' rows
};

struct DaySheetLine
{
    qint64 serviceId = 0;
    QDate date;
    QVariant employeeId;
    QString technician;
    qint64 count = 0;   // the line's number within its day
    QVariant customerId;
    QString customer;
    QString service;
    qint64 quantity = 0;
    Currency net;
    std::optional<Currency> tax;   // nothing when not recorded
};

struct DaySheet
{
    std::vector<DaySheetLine> lines;   // by day, then day number
    ReportFigures total;
};

// Told how far a report has come (steps done of all steps) while it reads the journal; returns
// false to stop it, and the report then throws ReportCancelled.
using ReportProgress = std::function<bool(int done, int steps)>;
struct ReportCancelled
{
};

// Throw StoreError (a money field that is not an amount, a sum beyond the range).
GroupReport groupReport(QSqlDatabase db, ReportGrouping grouping, const ReportPeriod &period,
                        const ReportProgress &progress = {});
DaySheet daySheet(QSqlDatabase db, const ReportPeriod &period, const ReportProgress &progress = {});

// A report as a table for the command line and CSV: the figures' headers, one row per group
// (or line), and the totals row with "Total" in its first cell. Money has four decimals,
// dates are ISO, text a spreadsheet would take for a formula has a leading apostrophe.
enum class ReportKind { Technician, Service, TechnicianService, Day };
struct ReportTable
{
    QStringList headers;
    std::vector<QStringList> rows;
};
ReportTable reportTable(QSqlDatabase db, ReportKind kind, const ReportPeriod &period,
                        const ReportProgress &progress = {});
// The same from the desk's books (the local file or the server), read without writing. Throws StoreError.
ReportTable readReport(ReportKind kind, const ReportPeriod &period, const ReportProgress &progress = {});
// Columns aligned with blanks, one line each, numbers to the right.
QString reportText(const ReportTable &table);
// Writes the table as CSV (RFC 4180, UTF-8, CRLF) to `path`, never over a file that exists.
// Returns why it could not.
std::optional<QString> writeReportCsv(const ReportTable &table, const QString &path);

} // namespace salon
