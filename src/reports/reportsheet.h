#pragma once
#include "currency.h"
#include "salesreport.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <vector>

// What the report screen shows, prints and charts, built from a report the store summed:
// captioned columns with their display formats, one row of values per group or line (money as
// Currency, never as text), the totals row last, and the net of each group as a bar.
namespace reports {

enum class Grouping { DaySheet, Technician, Service, TechnicianService };
enum class PeriodKind { Day, Week, Month, FromTo };

// The days a period choice covers: the day itself; its week, Sunday to Saturday as the
// calendar shows weeks; its month; or from `day` to `to` (both included).
salon::ReportPeriod periodOf(PeriodKind kind, QDate day, QDate to = {});
// "3/5/2026", or "3/1/2026 to 3/31/2026", in the desk's short date form.
QString periodText(const salon::ReportPeriod &period);

struct Column
{
    QString caption;
    QString format;   // a grid display format ("Currency", "General Number", "Short Date"), or none
    bool number = false;   // figures are right-aligned
};

struct Bar
{
    QString label;
    Currency net;
};

struct Sheet
{
    Grouping grouping = Grouping::Technician;
    salon::ReportPeriod period;
    QString technician;   // the one technician the report is narrowed to, as chosen
    QList<Column> columns;
    std::vector<QVariantList> rows;   // the totals row last
    qint64 untaxedLines = 0;          // lines whose tax was not recorded
    std::vector<Bar> bars;            // net per group; none for a day sheet

    int rowCount() const { return int(rows.size()); }
    bool isTotal(int row) const { return row == rowCount() - 1; }
    // A cell as the grid shows it: its value in the column's display format.
    QString text(int row, int column) const;
    // Right-aligned: a figure (a number column's value that is not a caption like "Total").
    bool alignsRight(int row, int column) const;
    // "Sales by technician", "Day sheet", ...
    QString title() const;
    // The title, the period and the technician: "Sales by service, 3/1/2026 to 3/31/2026".
    QString heading() const;
    // The bar chart's caption: "Net by service".
    QString chartTitle() const;
};

Sheet sheetOf(const salon::GroupReport &report, Grouping grouping, const salon::ReportPeriod &period);
Sheet sheetOf(const salon::DaySheet &sheet, const salon::ReportPeriod &period);
salon::ReportGrouping groupingOf(Grouping grouping);
salon::ReportKind kindOf(Grouping grouping);

// How a printed report falls into pages: each page holds some table rows (under the column
// headings) and some bars of the chart, which follows the table (under its own caption).
// Heights are in any one unit; `body` is what a page has between its heading and its footer.
struct PrintPage
{
    int firstRow = 0;
    int rows = 0;
    int firstBar = 0;
    int bars = 0;
};
struct PageMeasures
{
    double body = 0;
    double row = 0;            // a table row, also the column headings' row
    double bar = 0;
    double chartCaption = 0;   // the chart's caption and the space above it
};
std::vector<PrintPage> paginate(int rows, int bars, const PageMeasures &measures);

} // namespace reports
