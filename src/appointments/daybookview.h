#pragma once
#include "daybooklayout.h"

#include <QAbstractScrollArea>
#include <vector>

// The day book's grid: technicians across, 15-minute rows down, appointments as blocks. The
// technicians' names and the times stay in view while the grid scrolls. A cell is selected
// with the mouse or the arrow keys; Enter (or a double-click) opens the appointment on it or
// books the free slot, a click on a free slot books it.
class DayBookView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit DayBookView(QWidget *parent = nullptr);

    void setDay(daybook::Grid grid, std::vector<salon::Appointment> appointments);
    const daybook::Grid &grid() const { return m_grid; }
    const std::vector<salon::Appointment> &appointments() const { return m_appointments; }

    int currentColumn() const { return m_column; }
    int currentRow() const { return m_row; }
    void setCurrent(int column, int row);
    // The appointment on the selected cell, if any (an index into appointments()).
    std::optional<int> currentAppointment() const;
    // Where a cell lies in the viewport (for the mouse).
    QRect cellRect(int column, int row) const;
    QRect blockRect(const daybook::Block &block) const;
    QSize sizeHint() const override;

signals:
    void bookRequested(int column, int row);
    void openRequested(int appointment);
    void currentChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int rowHeight() const;
    int headerHeight() const;
    int timeWidth() const;
    int columnWidth() const;
    void updateScrollBars();
    void ensureVisible(int column, int row);
    // The block under a viewport point, then the cell.
    std::optional<int> blockUnder(QPoint point) const;
    bool cellUnder(QPoint point, int &column, int &row) const;
    void activate();

    daybook::Grid m_grid;
    std::vector<salon::Appointment> m_appointments;
    int m_column = 0;
    int m_row = 0;
};
