#include "daybookview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

struct Look
{
    QColor fill;
    QColor edge;
    bool struck = false;
};

// Booked, arrived and done read at a glance; cancelled and no-show are pale and struck through.
Look lookOf(salon::AppointmentStatus status)
{
    switch (status) {
    case salon::AppointmentStatus::Booked: return {QColor(0xd6, 0xe6, 0xfb), QColor(0x3b, 0x6e, 0xb5)};
    case salon::AppointmentStatus::Arrived: return {QColor(0xfc, 0xe9, 0xb8), QColor(0xb5, 0x83, 0x14)};
    case salon::AppointmentStatus::Done: return {QColor(0xd8, 0xf0, 0xd4), QColor(0x3d, 0x85, 0x3a)};
    case salon::AppointmentStatus::Cancelled: return {QColor(0xee, 0xee, 0xee), QColor(0x99, 0x99, 0x99), true};
    case salon::AppointmentStatus::NoShow: return {QColor(0xf7, 0xdc, 0xdc), QColor(0xb0, 0x40, 0x40), true};
    }
    return {};
}

} // namespace

DayBookView::DayBookView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void DayBookView::setDay(daybook::Grid grid, std::vector<salon::Appointment> appointments)
{
    m_grid = std::move(grid);
    m_appointments = std::move(appointments);
    m_column = std::clamp(m_column, 0, std::max(0, int(m_grid.columns.size()) - 1));
    m_row = std::clamp(m_row, 0, std::max(0, m_grid.rowCount() - 1));
    updateScrollBars();
    viewport()->update();
    emit currentChanged();
}

void DayBookView::setCurrent(int column, int row)
{
    if (m_grid.columns.empty())
        return;
    column = std::clamp(column, 0, int(m_grid.columns.size()) - 1);
    row = std::clamp(row, 0, m_grid.rowCount() - 1);
    if (column == m_column && row == m_row)
        return;
    m_column = column;
    m_row = row;
    ensureVisible(column, row);
    viewport()->update();
    emit currentChanged();
}

std::optional<int> DayBookView::currentAppointment() const
{
    const std::optional<int> block = m_grid.blockAt(m_column, m_row);
    if (!block)
        return std::nullopt;
    return m_grid.blocks[std::size_t(*block)].appointment;
}

int DayBookView::rowHeight() const
{
    return fontMetrics().height() + 8;
}

int DayBookView::headerHeight() const
{
    return 2 * fontMetrics().height() + 10;
}

int DayBookView::timeWidth() const
{
    return fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + 20;
}

int DayBookView::columnWidth() const
{
    const int least = fontMetrics().averageCharWidth() * 22;
    const int columns = std::max(1, int(m_grid.columns.size()));
    return std::max(least, (viewport()->width() - timeWidth()) / columns);
}

QSize DayBookView::sizeHint() const
{
    return {timeWidth() + std::max(1, int(m_grid.columns.size())) * fontMetrics().averageCharWidth() * 22 + 4,
            headerHeight() + 24 * rowHeight()};
}

QRect DayBookView::cellRect(int column, int row) const
{
    return QRect(timeWidth() + column * columnWidth() - horizontalScrollBar()->value(),
                 headerHeight() + row * rowHeight() - verticalScrollBar()->value(), columnWidth(), rowHeight());
}

QRect DayBookView::blockRect(const daybook::Block &block) const
{
    const QRect first = cellRect(block.column, block.row);
    const int inner = first.width() - 6;
    const int laneWidth = inner / std::max(1, block.lanes);
    return QRect(first.left() + 3 + block.lane * laneWidth, first.top() + 1, laneWidth - 2,
                 block.rows * rowHeight() - 2);
}

void DayBookView::updateScrollBars()
{
    const int contentWidth = timeWidth() + int(m_grid.columns.size()) * columnWidth();
    const int contentHeight = headerHeight() + m_grid.rowCount() * rowHeight();
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(rowHeight());
}

void DayBookView::ensureVisible(int column, int row)
{
    const QRect cell = cellRect(column, row);
    const QRect body(timeWidth(), headerHeight(), viewport()->width() - timeWidth(), viewport()->height() - headerHeight());
    if (cell.top() < body.top())
        verticalScrollBar()->setValue(verticalScrollBar()->value() - (body.top() - cell.top()));
    else if (cell.bottom() > body.bottom())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + (cell.bottom() - body.bottom()));
    if (cell.left() < body.left())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (body.left() - cell.left()));
    else if (cell.right() > body.right())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + (cell.right() - body.right()));
}

void DayBookView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void DayBookView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void DayBookView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPalette pal = palette();
    const int rows = m_grid.rowCount();
    const int columns = int(m_grid.columns.size());
    const QRect body(timeWidth(), headerHeight(), viewport()->width() - timeWidth(), viewport()->height() - headerHeight());
    const QColor line = pal.color(QPalette::Mid);
    const QColor faint = pal.color(QPalette::Midlight);

    painter.save();
    painter.setClipRect(body);
    // Days off are shaded; lines every quarter, stronger on the hour.
    for (int c = 0; c < columns; ++c) {
        const QRect top = cellRect(c, 0);
        if (m_grid.columns[std::size_t(c)].dayOff)
            painter.fillRect(QRect(top.left(), top.top(), top.width(), rows * rowHeight()), QColor(0xf2, 0xf2, 0xf2));
    }
    for (int r = 0; r <= rows; ++r) {
        const int y = cellRect(0, r).top();
        painter.setPen(m_grid.rowMinute(r) % 60 == 0 ? line : faint);
        painter.drawLine(body.left(), y, cellRect(columns, 0).left(), y);
    }
    painter.setPen(line);
    for (int c = 0; c <= columns; ++c) {
        const int x = cellRect(c, 0).left();
        painter.drawLine(x, body.top(), x, cellRect(0, rows).top());
    }

    const QFontMetrics metrics = fontMetrics();
    for (const daybook::Block &block : m_grid.blocks) {
        const salon::Appointment &appointment = m_appointments[std::size_t(block.appointment)];
        const Look look = lookOf(appointment.status);
        const QRect rect = blockRect(block);
        if (block.heldRows > block.rows) {
            // The buffer after it: time the technician keeps free.
            const QRect buffer(rect.left(), rect.bottom() + 1, rect.width(), (block.heldRows - block.rows) * rowHeight());
            painter.fillRect(buffer, QBrush(look.edge.lighter(170), Qt::BDiagPattern));
        }
        painter.setPen(look.edge);
        painter.setBrush(look.fill);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.fillRect(QRect(rect.left(), rect.top(), 4, rect.height()), look.edge);

        const QRect text = rect.adjusted(8, 2, -4, -2);
        const QString who = appointment.customer.isEmpty() ? QStringLiteral("(no customer)") : appointment.customer;
        QStringList lines{who + QStringLiteral("  ") + daybook::spanText(appointment)};
        const QString services = daybook::servicesText(appointment);
        if (!services.isEmpty())
            lines << services;
        lines << daybook::statusCaption(appointment.status);
        if (!appointment.notes.isEmpty())
            lines << appointment.notes;
        const int fitting = std::max(1, text.height() / metrics.height());
        if (int(lines.size()) > fitting) {
            // Too short for every line: the status goes beside the name.
            lines[0] = who + QStringLiteral(" \u00b7 ") + daybook::statusCaption(appointment.status);
            if (fitting > 1 && !services.isEmpty())
                lines = QStringList{lines[0], services};
            else if (fitting == 1 && !services.isEmpty())
                lines = QStringList{lines[0] + QStringLiteral(" \u00b7 ") + services};
            else
                lines = QStringList{lines[0]};
        }
        painter.setPen(pal.color(QPalette::Text));
        for (int i = 0; i < int(lines.size()) && i < fitting; ++i) {
            QFont font = this->font();
            font.setBold(i == 0);
            painter.setFont(font);
            const QFontMetrics fm(font);
            QRect lineRect(text.left(), text.top() + i * metrics.height(), text.width(), metrics.height());
            QString rest = lines[i];
            if (i == 0 && look.struck) {
                // Only the name is struck through, so the status beside it stays readable.
                QFont struck = font;
                struck.setStrikeOut(true);
                painter.setFont(struck);
                const QString name = fm.elidedText(who, Qt::ElideRight, lineRect.width());
                painter.drawText(lineRect, Qt::AlignLeft | Qt::AlignVCenter, name);
                lineRect.setLeft(lineRect.left() + fm.horizontalAdvance(name));
                rest = name == who ? rest.mid(who.size()) : QString();
                painter.setFont(font);
            }
            painter.drawText(lineRect, Qt::AlignLeft | Qt::AlignVCenter, fm.elidedText(rest, Qt::ElideRight, lineRect.width()));
        }
        painter.setFont(font());
    }

    if (columns > 0 && rows > 0) {
        QPen pen(pal.color(QPalette::Highlight), hasFocus() ? 3 : 1);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cellRect(m_column, m_row).adjusted(1, 1, -2, -2));
    }
    painter.restore();

    // The times down the left and the technicians across the top stay in view.
    painter.fillRect(QRect(0, headerHeight(), timeWidth(), viewport()->height()), pal.color(QPalette::Window));
    painter.setClipRect(QRect(0, headerHeight(), timeWidth(), viewport()->height()));
    for (int r = 0; r < rows; ++r) {
        const QRect cell = cellRect(0, r);
        const bool hour = m_grid.rowMinute(r) % 60 == 0;
        QFont font = this->font();
        font.setBold(hour);
        painter.setFont(font);
        painter.setPen(hour ? pal.color(QPalette::WindowText) : pal.color(QPalette::PlaceholderText));
        painter.drawText(QRect(0, cell.top(), timeWidth() - 8, cell.height()), Qt::AlignRight | Qt::AlignVCenter,
                         m_grid.rowTime(r).toString(QStringLiteral("HH:mm")));
    }
    painter.setClipping(false);
    painter.setFont(font());
    painter.fillRect(QRect(0, 0, viewport()->width(), headerHeight()), pal.color(QPalette::Window));
    painter.setClipRect(QRect(timeWidth(), 0, viewport()->width() - timeWidth(), headerHeight()));
    for (int c = 0; c < columns; ++c) {
        const daybook::Column &column = m_grid.columns[std::size_t(c)];
        const QRect cell = cellRect(c, 0);
        const QRect head(cell.left(), 0, cell.width(), headerHeight());
        QFont font = this->font();
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(pal.color(QPalette::WindowText));
        const QFontMetrics fm(font);
        painter.drawText(head.adjusted(4, 4, -4, -head.height() / 2), Qt::AlignHCenter | Qt::AlignBottom,
                         fm.elidedText(column.name, Qt::ElideRight, head.width() - 8));
        if (column.dayOff) {
            painter.setFont(this->font());
            painter.drawText(head.adjusted(4, head.height() / 2, -4, -4), Qt::AlignHCenter | Qt::AlignTop,
                             QStringLiteral("Day off"));
        }
        painter.setPen(line);
        painter.drawLine(head.left(), 0, head.left(), head.bottom());
    }
    painter.setClipping(false);
    painter.setPen(line);
    painter.drawLine(0, headerHeight() - 1, viewport()->width(), headerHeight() - 1);
    painter.drawLine(timeWidth() - 1, 0, timeWidth() - 1, viewport()->height());
}

void DayBookView::activate()
{
    if (m_grid.columns.empty() || m_grid.rowCount() == 0)
        return;
    if (const std::optional<int> appointment = currentAppointment())
        emit openRequested(*appointment);
    else
        emit bookRequested(m_column, m_row);
}

void DayBookView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left: setCurrent(m_column - 1, m_row); break;
    case Qt::Key_Right: setCurrent(m_column + 1, m_row); break;
    case Qt::Key_Up: setCurrent(m_column, m_row - 1); break;
    case Qt::Key_Down: setCurrent(m_column, m_row + 1); break;
    case Qt::Key_PageUp: setCurrent(m_column, m_row - std::max(1, viewport()->height() / rowHeight() - 2)); break;
    case Qt::Key_PageDown: setCurrent(m_column, m_row + std::max(1, viewport()->height() / rowHeight() - 2)); break;
    case Qt::Key_Home: setCurrent(m_column, 0); break;
    case Qt::Key_End: setCurrent(m_column, m_grid.rowCount() - 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: activate(); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}

std::optional<int> DayBookView::blockUnder(QPoint point) const
{
    // A time-holding block drawn there wins over a cancelled one beside it.
    std::optional<int> found;
    for (const daybook::Block &block : m_grid.blocks) {
        if (!blockRect(block).contains(point))
            continue;
        if (block.holdsTime)
            return block.appointment;
        found = block.appointment;
    }
    return found;
}

bool DayBookView::cellUnder(QPoint point, int &column, int &row) const
{
    if (point.x() < timeWidth() || point.y() < headerHeight())
        return false;
    column = (point.x() - timeWidth() + horizontalScrollBar()->value()) / columnWidth();
    row = (point.y() - headerHeight() + verticalScrollBar()->value()) / rowHeight();
    return column >= 0 && column < int(m_grid.columns.size()) && row >= 0 && row < m_grid.rowCount();
}

void DayBookView::mousePressEvent(QMouseEvent *event)
{
    int column = 0;
    int row = 0;
    if (event->button() != Qt::LeftButton || !cellUnder(event->position().toPoint(), column, row))
        return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    setCurrent(column, row);
    if (!blockUnder(event->position().toPoint()) && m_grid.isFree(column, row))
        emit bookRequested(column, row);
}

void DayBookView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (const std::optional<int> appointment = blockUnder(event->position().toPoint()))
        emit openRequested(*appointment);
}
