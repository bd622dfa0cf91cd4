#pragma once
#include "reportsheet.h"

#include <QFontMetricsF>
#include <QWidget>
#include <vector>

class QPainter;
class QPrinter;

// The report's bar chart and its printout, drawn with QPainter: lines, rectangles and text,
// so the chart stays vector graphics and a PDF's text can be read back.
namespace reports {

// Where the chart's parts go for a set of bars, the same on every page that shows some: the
// labels' and amounts' widths and the range of the bars' scale (zero always in it).
struct ChartLayout
{
    double labelWidth = 0;
    double amountWidth = 0;
    double gap = 0;
    std::int64_t low = 0;   // scaled money
    std::int64_t high = 0;
};
ChartLayout chartLayout(const std::vector<Bar> &bars, const QFontMetricsF &metrics, double width);
// Draws bars [first, first + count) one under another from `topLeft`, each `rowHeight` high
// and `width` wide: the label, the bar from the zero line, the amount in the grids' Currency form.
void drawBars(QPainter &painter, QPointF topLeft, double width, double rowHeight, const std::vector<Bar> &bars,
              int first, int count, const ChartLayout &layout);

// Prints the report: on every page the salon's name and the report's heading, the table's
// column headings over its rows, and "Page N of M"; the chart follows the totals row.
// False when the printer does not start.
bool printSheet(QPrinter &printer, const Sheet &sheet, const QString &salonName);

// The chart on the screen: one bar per group, as tall as its bars need (it sits in a scroll area).
class ReportChart : public QWidget
{
    Q_OBJECT
public:
    explicit ReportChart(QWidget *parent = nullptr);
    void setBars(std::vector<Bar> bars);
    const std::vector<Bar> &bars() const { return m_bars; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double rowHeight() const;
    std::vector<Bar> m_bars;
};

} // namespace reports
