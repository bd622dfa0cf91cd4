#include "reportsheet.h"

#include "dates.h"
#include "gridmodel.h"

#include <algorithm>

namespace reports {
namespace {

const QString money = QStringLiteral("Currency");
const QString number = QStringLiteral("General Number");

Column text(const char *caption) { return {QString::fromLatin1(caption), QString(), false}; }
Column figure(const char *caption, const QString &format) { return {QString::fromLatin1(caption), format, true}; }

QVariant moneyValue(Currency amount) { return QVariant::fromValue(amount); }
QVariant moneyValue(const std::optional<Currency> &amount)
{
    return amount ? QVariant::fromValue(*amount) : QVariant();
}

QVariantList figureValues(const salon::ReportFigures &f)
{
    return {f.lines, f.quantity, moneyValue(f.net), moneyValue(f.tax), moneyValue(f.gross()), f.untaxedLines,
            moneyValue(f.share50), moneyValue(f.share60)};
}

QString technicianLabel(const salon::ReportGroup &group)
{
    if (group.employeeId.isNull())
        return QStringLiteral("No technician");
    if (group.technician.isEmpty())
        return QStringLiteral("No. %1").arg(group.employeeId.toLongLong());
    return group.technician;
}

} // namespace

salon::ReportPeriod periodOf(PeriodKind kind, QDate day, QDate to)
{
    salon::ReportPeriod period{day, day, std::nullopt};
    switch (kind) {
    case PeriodKind::Day:
        break;
    case PeriodKind::Week:
        period.from = day.addDays(-(day.dayOfWeek() % 7));   // back to Sunday
        period.to = period.from.addDays(6);
        break;
    case PeriodKind::Month:
        period.from = QDate(day.year(), day.month(), 1);
        period.to = QDate(day.year(), day.month(), day.daysInMonth());
        break;
    case PeriodKind::FromTo:
        period.to = to;
        break;
    }
    return period;
}

QString periodText(const salon::ReportPeriod &period)
{
    if (period.from == period.to)
        return shortDateText(period.from);
    return QStringLiteral("%1 to %2").arg(shortDateText(period.from), shortDateText(period.to));
}

QString Sheet::text(int row, int column) const
{
    return formatValue(rows[size_t(row)].value(column), columns.value(column).format);
}

bool Sheet::alignsRight(int row, int column) const
{
    return columns.value(column).number && rows[size_t(row)].value(column).typeId() != QMetaType::QString;
}

QString Sheet::title() const
{
    switch (grouping) {
    case Grouping::DaySheet: return QStringLiteral("Day sheet");
    case Grouping::Technician: return QStringLiteral("Sales by technician");
    case Grouping::Service: return QStringLiteral("Sales by service");
    case Grouping::TechnicianService: return QStringLiteral("Sales by technician and service");
    }
    return {};
}

QString Sheet::chartTitle() const
{
    switch (grouping) {
    case Grouping::Technician: return QStringLiteral("Net by technician");
    case Grouping::Service: return QStringLiteral("Net by service");
    case Grouping::TechnicianService: return QStringLiteral("Net by technician and service");
    default: return {};
    }
}

QString Sheet::heading() const
{
    QString text = title() + QStringLiteral(", ") + periodText(period);
    if (!technician.isEmpty())
        text += QStringLiteral(", ") + technician;
    return text;
}

salon::ReportGrouping groupingOf(Grouping grouping)
{
    switch (grouping) {
    case Grouping::Service: return salon::ReportGrouping::Service;
    case Grouping::TechnicianService: return salon::ReportGrouping::TechnicianService;
    default: return salon::ReportGrouping::Technician;
    }
}

salon::ReportKind kindOf(Grouping grouping)
{
    switch (grouping) {
    case Grouping::DaySheet: return salon::ReportKind::Day;
    case Grouping::Service: return salon::ReportKind::Service;
    case Grouping::TechnicianService: return salon::ReportKind::TechnicianService;
    default: return salon::ReportKind::Technician;
    }
}

Sheet sheetOf(const salon::GroupReport &report, Grouping grouping, const salon::ReportPeriod &period)
{
    Sheet sheet;
    sheet.grouping = grouping;
    sheet.period = period;
    const bool byTechnician = grouping != Grouping::Service;
    const bool byService = grouping != Grouping::Technician;
    if (byTechnician)
        sheet.columns << figure("Employee ID", number) << text("Technician");
    if (byService)
        sheet.columns << text("Service");
    sheet.columns << figure("Lines", number) << figure("Quantity", number) << figure("Net", money)
                  << figure("Tax", money) << figure("Gross", money) << figure("Untaxed lines", number)
                  << figure("50% share", money) << figure("60% share", money);

    for (const salon::ReportGroup &group : report.groups) {
        QVariantList row;
        QStringList label;
        if (byTechnician) {
            row << group.employeeId << group.technician;
            label << technicianLabel(group);
        }
        if (byService) {
            row << group.service;
            label << group.service;
        }
        sheet.rows.push_back(row + figureValues(group.figures));
        sheet.bars.push_back({label.join(QStringLiteral(", ")), group.figures.net});
    }
    QVariantList total{QStringLiteral("Total")};
    while (total.size() < int(byTechnician) * 2 + int(byService))
        total << QString();
    sheet.rows.push_back(total + figureValues(report.total));
    sheet.untaxedLines = report.total.untaxedLines;
    return sheet;
}

Sheet sheetOf(const salon::DaySheet &daySheet, const salon::ReportPeriod &period)
{
    Sheet sheet;
    sheet.grouping = Grouping::DaySheet;
    sheet.period = period;
    sheet.columns << Column{QStringLiteral("Date"), QStringLiteral("Short Date"), false} << figure("Employee ID", number) << text("Technician")
                  << figure("No.", number) << text("Customer") << text("Service") << figure("Quantity", number)
                  << figure("Net", money) << figure("Tax", money);
    for (const salon::DaySheetLine &line : daySheet.lines)
        sheet.rows.push_back({line.date, line.employeeId, line.technician, line.count, line.customer, line.service,
                              line.quantity, moneyValue(line.net), moneyValue(line.tax)});
    const salon::ReportFigures &total = daySheet.total;
    sheet.rows.push_back({QStringLiteral("Total"), QVariant(), QString(), QVariant(), QString(), QString(), total.quantity,
                          moneyValue(total.net), moneyValue(total.tax)});
    sheet.untaxedLines = total.untaxedLines;
    return sheet;
}

std::vector<PrintPage> paginate(int rows, int bars, const PageMeasures &m)
{
    std::vector<PrintPage> pages;
    // A table page holds its column headings and as many rows as fit under them (one at least).
    const int rowsPerPage = std::max(1, int((m.body - m.row) / m.row));
    for (int row = 0; row < rows; row += rowsPerPage)
        pages.push_back({row, std::min(rowsPerPage, rows - row), 0, 0});

    double used = pages.empty() ? 0 : m.row * (1 + pages.back().rows);
    for (int bar = 0; bar < bars;) {
        int fit = int((m.body - used - m.chartCaption) / m.bar);
        if (pages.empty() || (fit < 1 && used > 0)) {
            pages.push_back({rows, 0, bar, 0});
            used = 0;
            continue;
        }
        PrintPage &page = pages.back();
        page.firstBar = bar;
        page.bars = std::min(std::max(fit, 1), bars - bar);
        bar += page.bars;
        if (bar < bars) {
            pages.push_back({rows, 0, bar, 0});
            used = 0;
        }
    }
    return pages;
}

} // namespace reports
