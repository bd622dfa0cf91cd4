#include "reportprint.h"

#include "gridmodel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace reports {
namespace {

const QColor positiveBar(0xc0, 0x5a, 0x86);
const QColor negativeBar(0x8a, 0x8a, 0x8a);

QString moneyText(Currency amount) { return formatValue(QVariant::fromValue(amount), QStringLiteral("Currency")); }

// The printed table's font and column widths: the widest text of each column (headings and
// the totals row in bold) and a little room. A table wider than the page is set in a smaller
// type, down to 6 points; what is still too wide comes off the text columns, whose cells are
// then cut short with an ellipsis. Figures are never cut.
struct TableLayout
{
    QFont font;
    QFont bold;
    double pad = 0;
    std::vector<double> widths;
    double width() const { return std::accumulate(widths.begin(), widths.end(), 0.0); }
};

TableLayout measureTable(const Sheet &sheet, QPaintDevice *device, double pointSize)
{
    TableLayout table;
    table.font = QFont(QStringLiteral("DejaVu Sans"));
    table.font.setStyleHint(QFont::SansSerif);
    table.font.setPointSizeF(pointSize);
    table.bold = table.font;
    table.bold.setBold(true);
    const QFontMetricsF plain(table.font, device);
    const QFontMetricsF strong(table.bold, device);
    table.pad = plain.horizontalAdvance(QStringLiteral("MM"));
    for (int c = 0; c < sheet.columns.size(); ++c) {
        double widest = strong.horizontalAdvance(sheet.columns[c].caption);
        for (int r = 0; r < sheet.rowCount(); ++r)
            widest = std::max(widest, (sheet.isTotal(r) ? strong : plain).horizontalAdvance(sheet.text(r, c)));
        table.widths.push_back(widest + table.pad);
    }
    return table;
}

TableLayout tableLayout(const Sheet &sheet, QPaintDevice *device, double pageWidth)
{
    const double normalSize = 9;
    TableLayout table = measureTable(sheet, device, normalSize);
    if (table.width() > pageWidth)
        table = measureTable(sheet, device, std::max(6.0, std::floor(normalSize * pageWidth / table.width() * 2) / 2));
    const double excess = table.width() - pageWidth;
    if (excess > 0) {
        double textWidth = 0;
        for (int c = 0; c < sheet.columns.size(); ++c)
            if (!sheet.columns[c].number)
                textWidth += table.widths[size_t(c)];
        for (int c = 0; c < sheet.columns.size() && textWidth > 0; ++c)
            if (!sheet.columns[c].number)
                table.widths[size_t(c)] = std::max(table.pad * 2, table.widths[size_t(c)] * (1 - excess / textWidth));
    }
    return table;
}

} // namespace

ChartLayout chartLayout(const std::vector<Bar> &bars, const QFontMetricsF &metrics, double width)
{
    ChartLayout layout;
    layout.gap = metrics.horizontalAdvance(QStringLiteral("M"));
    for (const Bar &bar : bars) {
        layout.labelWidth = std::max(layout.labelWidth, metrics.horizontalAdvance(bar.label));
        layout.amountWidth = std::max(layout.amountWidth, metrics.horizontalAdvance(moneyText(bar.net)));
        layout.low = std::min(layout.low, bar.net.scaled());
        layout.high = std::max(layout.high, bar.net.scaled());
    }
    // Labels take up to half the width, but leave the bars a third of it.
    const double labelRoom = std::max(0.0, std::min(width * 0.5, width * 2 / 3 - layout.amountWidth - 2 * layout.gap));
    layout.labelWidth = std::min(layout.labelWidth, labelRoom);
    return layout;
}

void drawBars(QPainter &painter, QPointF topLeft, double width, double rowHeight, const std::vector<Bar> &bars,
              int first, int count, const ChartLayout &layout)
{
    const double barLeft = topLeft.x() + layout.labelWidth + layout.gap;
    const double barWidth = std::max(0.0, width - layout.labelWidth - layout.amountWidth - 2 * layout.gap);
    const double range = double(layout.high - layout.low);
    const auto xOf = [&](std::int64_t scaled) {
        return range > 0 ? barLeft + barWidth * (double(scaled) - double(layout.low)) / range : barLeft;
    };
    const double zero = xOf(0);
    const QFontMetricsF metrics(painter.font(), painter.device());
    for (int i = 0; i < count; ++i) {
        const Bar &bar = bars[size_t(first + i)];
        const double y = topLeft.y() + i * rowHeight;
        painter.drawText(QRectF(topLeft.x(), y, layout.labelWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(bar.label, Qt::ElideRight, layout.labelWidth));
        const double end = xOf(bar.net.scaled());
        painter.fillRect(QRectF(QPointF(std::min(zero, end), y + rowHeight * 0.2),
                                QPointF(std::max(zero, end), y + rowHeight * 0.8)),
                         bar.net.scaled() < 0 ? negativeBar : positiveBar);
        painter.drawText(QRectF(topLeft.x() + width - layout.amountWidth, y, layout.amountWidth, rowHeight),
                         Qt::AlignRight | Qt::AlignVCenter, moneyText(bar.net));
    }
    if (count > 0)
        painter.drawLine(QPointF(zero, topLeft.y()), QPointF(zero, topLeft.y() + count * rowHeight));
}

bool printSheet(QPrinter &printer, const Sheet &sheet, const QString &salonName)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QSizeF page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    const TableLayout table = tableLayout(sheet, &printer, page.width());
    const QFontMetricsF plain(table.font, &printer);
    QFont salonFont = table.bold;
    salonFont.setPointSizeF(14);
    QFont headingFont = table.font;
    headingFont.setPointSizeF(11);
    const double salonLine = QFontMetricsF(salonFont, &printer).lineSpacing();
    const double headingLine = QFontMetricsF(headingFont, &printer).lineSpacing();
    const double line = plain.lineSpacing();
    const double top = salonLine + headingLine + line;
    const double footer = line * 2;

    PageMeasures measures;
    measures.body = page.height() - top - footer;
    measures.row = line * 1.35;
    measures.bar = line * 1.5;
    measures.chartCaption = line * 3;
    const std::vector<PrintPage> pages = paginate(sheet.rowCount(), int(sheet.bars.size()), measures);
    const ChartLayout chart = chartLayout(sheet.bars, plain, page.width());

    QPen rule(Qt::black);
    rule.setWidthF(printer.resolution() / 144.0);   // half a point
    const double tableWidth = std::min(page.width(), table.width());

    // One row of the table at `y`: the column headings (row -1) or a row of the sheet.
    const auto drawRow = [&](double y, int row) {
        const bool strong = row < 0 || sheet.isTotal(row);
        painter.setFont(strong ? table.bold : table.font);
        const QFontMetricsF metrics(painter.font(), &printer);
        double x = 0;
        for (int c = 0; c < sheet.columns.size(); ++c) {
            const double width = table.widths[size_t(c)];
            const QRectF cell(x + table.pad / 2, y, width - table.pad, measures.row);
            const QString text = row < 0 ? sheet.columns[c].caption : sheet.text(row, c);
            const bool right = row < 0 ? sheet.columns[c].number : sheet.alignsRight(row, c);
            painter.drawText(cell, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                             metrics.elidedText(text, Qt::ElideRight, cell.width()));
            x += width;
        }
    };

    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        const PrintPage &part = pages[i];
        painter.setPen(Qt::black);
        painter.setFont(salonFont);
        painter.drawText(QRectF(0, 0, page.width(), salonLine), Qt::AlignLeft | Qt::AlignVCenter, salonName);
        painter.setFont(headingFont);
        painter.drawText(QRectF(0, salonLine, page.width(), headingLine), Qt::AlignLeft | Qt::AlignVCenter,
                         sheet.heading());

        double y = top;
        if (part.rows > 0) {
            drawRow(y, -1);
            y += measures.row;
            painter.setPen(rule);
            painter.drawLine(QPointF(0, y), QPointF(tableWidth, y));
            painter.setPen(Qt::black);
            for (int r = part.firstRow; r < part.firstRow + part.rows; ++r) {
                if (sheet.isTotal(r)) {
                    painter.setPen(rule);
                    painter.drawLine(QPointF(0, y), QPointF(tableWidth, y));
                    painter.setPen(Qt::black);
                }
                drawRow(y, r);
                y += measures.row;
            }
        }
        if (part.bars > 0) {
            painter.setFont(table.bold);
            painter.drawText(QRectF(0, y + line, page.width(), line * 1.5), Qt::AlignLeft | Qt::AlignVCenter,
                             sheet.chartTitle());
            y += measures.chartCaption;
            painter.setFont(table.font);
            painter.setPen(rule);
            drawBars(painter, QPointF(0, y), page.width(), measures.bar, sheet.bars, part.firstBar, part.bars, chart);
        }

        painter.setPen(Qt::black);
        painter.setFont(table.font);
        painter.drawText(QRectF(0, page.height() - line * 1.2, page.width(), line * 1.2), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size()));
    }
    return painter.end();
}

ReportChart::ReportChart(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
}

void ReportChart::setBars(std::vector<Bar> bars)
{
    m_bars = std::move(bars);
    updateGeometry();
    update();
}

double ReportChart::rowHeight() const
{
    return fontMetrics().height() * 1.6;
}

QSize ReportChart::sizeHint() const
{
    return {360, minimumSizeHint().height()};
}

QSize ReportChart::minimumSizeHint() const
{
    return {200, int(std::ceil(rowHeight() * double(m_bars.size()))) + 16};
}

void ReportChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const double margin = 8;
    const double width = std::max(0.0, double(this->width()) - 2 * margin);
    const ChartLayout layout = chartLayout(m_bars, QFontMetricsF(font()), width);
    drawBars(painter, QPointF(margin, margin), width, rowHeight(), m_bars, 0, int(m_bars.size()), layout);
}

} // namespace reports
