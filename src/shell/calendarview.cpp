#include "calendarview.h"

#include "appointments.h"
#include "database.h"
#include "dates.h"
#include "dialogs.h"
#include "otherdesks.h"
#include "pointer.h"
#include "storeerror.h"

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

namespace {

// Cell geometry of the calendar grid, in pixels: a cell, the gap between rows, and how far
// cell 37 sits to the right of cell 2.
constexpr int cellWidth = 52;
constexpr int cellHeight = 26;
constexpr int rowGap = 8;
constexpr int nudge = 2;
constexpr int headingHeight = 22;
constexpr int gridTop = headingHeight + 6;

class DayCell : public QLabel
{
public:
    DayCell(int index, std::function<void(int)> onClick, std::function<void(int)> onDoubleClick, QWidget *parent)
        : QLabel(parent), m_index(index), m_onClick(std::move(onClick)), m_onDoubleClick(std::move(onDoubleClick))
    {
        setAlignment(Qt::AlignCenter);
        setLineWidth(1);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_onClick(m_index);
        QLabel::mousePressEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_onDoubleClick(m_index);
        QLabel::mouseDoubleClickEvent(event);
    }

private:
    int m_index;
    std::function<void(int)> m_onClick;
    std::function<void(int)> m_onDoubleClick;
};

// Sundays and their heading are drawn in red, through the palette: a style sheet would cost
// the start-up a style of its own for each label.
void redText(QWidget *label)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(pal);
}

QPushButton *pagingButton(const char *name, const char *caption)
{
    auto *button = new QPushButton(QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedWidth(44);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CalendarView::CalendarView(QWidget *parent) : QWidget(parent)
{
    // A plain frame under its caption: a group box has the style load its frame picture, and
    // every image plugin with it, before the window's first paint.
    auto *frame = new QFrame;
    frame->setObjectName(QStringLiteral("fraCalendar"));
    frame->setFrameShape(QFrame::StyledPanel);

    auto *cmdPreviousYear = pagingButton("cmdPreviousYear", "< Y");
    auto *cmdPreviousMonth = pagingButton("cmdPreviousMonth", "< M");
    auto *cmdNextMonth = pagingButton("cmdNextMonth", "M >");
    auto *cmdNextYear = pagingButton("cmdNextYear", "Y >");
    connect(cmdPreviousYear, &QPushButton::clicked, this, [this] { page(-12); });
    connect(cmdPreviousMonth, &QPushButton::clicked, this, [this] { page(-1); });
    connect(cmdNextMonth, &QPushButton::clicked, this, [this] { page(1); });
    connect(cmdNextYear, &QPushButton::clicked, this, [this] { page(12); });

    m_dateDisplay = new QLabel;
    m_dateDisplay->setObjectName(QStringLiteral("DateDisplay"));
    m_dateDisplay->setAlignment(Qt::AlignCenter);
    QFont dateFont = m_dateDisplay->font();
    dateFont.setBold(true);
    m_dateDisplay->setFont(dateFont);
    // Wide enough for the longest date of any month and weekday, so paging never resizes the
    // frame: the widest weekday name in the month of the widest name (days 22 to 28 of a month
    // hold every weekday). Measuring the names rather than all 84 such dates keeps start-up short.
    const QFontMetrics metrics(dateFont);
    const QLocale locale;
    auto widest = [&metrics](int first, int last, const std::function<QString(int)> &name) {
        int best = first;
        for (int i = first + 1; i <= last; ++i)
            if (metrics.horizontalAdvance(name(i)) > metrics.horizontalAdvance(name(best)))
                best = i;
        return best;
    };
    const int month = widest(1, 12, [&locale](int m) { return locale.monthName(m, QLocale::LongFormat); });
    const int weekday = widest(1, 7, [&locale](int d) { return locale.dayName(d, QLocale::LongFormat); });
    QDate longest(2000, month, 22);
    while (longest.dayOfWeek() != weekday)
        longest = longest.addDays(1);
    m_dateDisplay->setMinimumWidth(metrics.horizontalAdvance(longDateText(longest)) + 12);

    auto *paging = new QHBoxLayout;
    paging->setSpacing(4);
    paging->addWidget(cmdPreviousYear);
    paging->addWidget(cmdPreviousMonth);
    paging->addWidget(m_dateDisplay, 1);
    paging->addWidget(cmdNextMonth);
    paging->addWidget(cmdNextYear);

    // The grid: weekday headings, then the day cells placed by MonthCalendar::place.
    auto *grid = new QWidget;
    grid->setObjectName(QStringLiteral("calendarGrid"));
    // A click on a day gives the grid the focus, so Enter then opens the day.
    grid->setFocusPolicy(Qt::StrongFocus);
    grid->installEventFilter(this);
    m_grid = grid;
    grid->setFixedSize(7 * cellWidth + nudge, gridTop + 5 * (cellHeight + rowGap) - rowGap);
    const char *days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (int column = 0; column < 7; ++column) {
        auto *heading = new QLabel(QString::fromLatin1(days[column]), grid);
        heading->setObjectName(QStringLiteral("Label%1").arg(column + 1));
        heading->setAlignment(Qt::AlignCenter);
        heading->setGeometry(column * cellWidth, 0, cellWidth, headingHeight);
        QFont font = heading->font();
        font.setBold(true);
        heading->setFont(font);
        if (column == 0)
            redText(heading);
    }
    auto *rule = new QFrame(grid);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(0, headingHeight, 7 * cellWidth, 4);

    for (int i = 0; i <= MonthCalendar::lastCell; ++i) {
        auto *cell = new DayCell(
            i, [this](int index) { dayClicked(index); }, [this](int index) { dayDoubleClicked(index); }, grid);
        cell->setObjectName(QStringLiteral("DayLabel%1").arg(i));
        const MonthCalendar::Place place = MonthCalendar::place(i);
        cell->setGeometry(place.column * cellWidth + (place.nudged ? nudge : 0),
                          gridTop + place.row * (cellHeight + rowGap), cellWidth, cellHeight);
        if (MonthCalendar::isSundayCell(i))
            redText(cell);
        cell->hide();
        m_cells[size_t(i)] = cell;
    }

    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(14, 10, 14, 14);
    layout->setSpacing(10);
    layout->addLayout(paging);
    layout->addWidget(grid, 0, Qt::AlignHCenter);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    outer->addWidget(new QLabel(QStringLiteral("Calendar")));
    outer->addWidget(frame);

    // On a server the other desks' bookings mark their days too (only a server sends this).
    connect(salon::OtherDesks::instance(), &salon::OtherDesks::committed, this, [this] {
        if (m_marksRead)
            refreshAppointmentMarks();
    });
}

void CalendarView::showDate(QDate date)
{
    const QDate before = m_calendar.calendarDate();
    m_calendar.show(date);
    if (m_marksRead && (before.year() != date.year() || before.month() != date.month()))
        refreshAppointmentMarks();
    else
        refreshCalendar();
}

void CalendarView::refreshAppointmentMarks()
{
    m_marksRead = true;
    const QDate shown = m_calendar.selectedDate();
    m_appointments.clear();
    if (shown.isValid()) {
        const QDate first(shown.year(), shown.month(), 1);
        try {
            m_appointments = salon::appointmentCounts(salon::employeeDb(), first, first.addDays(first.daysInMonth() - 1));
            m_marksFailed = false;
        } catch (const StoreError &error) {
            // The marks are a guide only: the calendar goes on without them, said once.
            if (!m_marksFailed)
                showMessage(this, QStringLiteral("The appointments cannot be read: %1").arg(error.text()),
                            Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
            m_marksFailed = true;
        }
    }
    refreshCalendar();
}

QDate CalendarView::cellDate(int cell) const
{
    if (cell < 1 || cell > MonthCalendar::lastCell || !m_calendar.cell(cell).visible)
        return {};
    bool ok = false;
    const int day = m_calendar.cell(cell).text.toInt(&ok);
    const QDate shown = m_calendar.selectedDate();
    return ok ? QDate(shown.year(), shown.month(), day) : QDate();
}

void CalendarView::refreshCalendar()
{
    for (int i = 0; i <= MonthCalendar::lastCell; ++i) {
        const MonthCalendar::Cell &cell = m_calendar.cell(i);
        QLabel *label = m_cells[size_t(i)];
        label->setText(cell.text);
        // An emptied cell keeps its visibility but draws nothing, so a cell 36 or 37 left from
        // an earlier month never covers the day shown by cell 1 or 2 beneath it.
        label->setVisible(i != 0 && cell.visible && !cell.text.isEmpty());
        const bool marked = i == m_calendar.markedCell() && i != 0;
        const auto booked = m_appointments.find(cellDate(i));
        const int count = booked == m_appointments.end() ? 0 : booked->second;
        QFont font = label->font();
        font.setItalic(marked);
        font.setBold(count > 0);
        label->setFont(font);
        label->setFrameShape(marked ? QFrame::Box : QFrame::NoFrame);
        // The grid's focus shows as a heavier frame round the day Enter would open.
        label->setLineWidth(marked && m_grid->hasFocus() ? 2 : 1);
        label->setToolTip(count == 1   ? QStringLiteral("1 appointment")
                          : count > 1 ? QStringLiteral("%1 appointments").arg(count)
                                      : QString());
    }
    // The marked cell comes to the top of any cell it shares its place with.
    if (m_calendar.markedCell() > 0)
        m_cells[size_t(m_calendar.markedCell())]->raise();
    m_dateDisplay->setText(longDateText(m_calendar.selectedDate()));
    pointer::normal();
}

void CalendarView::dayClicked(int cell)
{
    if (m_calendar.highlight(cell))
        refreshCalendar();
}

void CalendarView::dayDoubleClicked(int cell)
{
    // The press before it has already selected the day.
    if (m_calendar.highlight(cell)) {
        refreshCalendar();
        emit dayOpened(m_calendar.selectedDate());
    }
}

void CalendarView::page(int months)
{
    if (m_calendar.page(months))
        refreshAppointmentMarks();
}

bool CalendarView::moveByKey(int key)
{
    // The arrows move a day or a week, Page Up and Page Down a month, within the years the
    // paging buttons reach.
    int days = 0;
    switch (key) {
    case Qt::Key_Left: days = -1; break;
    case Qt::Key_Right: days = 1; break;
    case Qt::Key_Up: days = -7; break;
    case Qt::Key_Down: days = 7; break;
    case Qt::Key_PageUp: page(-1); return true;
    case Qt::Key_PageDown: page(1); return true;
    default: return false;
    }
    const QDate target = m_calendar.selectedDate().addDays(days);
    if (target.year() >= 100 && target.year() <= 9999)
        showDate(target);
    return true;
}

bool CalendarView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid) {
        if (event->type() == QEvent::Paint && !m_marksRead) {
            // The first paint has the days on screen; their marks follow right after it.
            m_marksRead = true;
            QTimer::singleShot(0, this, &CalendarView::refreshAppointmentMarks);
        } else if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
                return QWidget::eventFilter(watched, event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                if (!key->isAutoRepeat() && m_calendar.markedCell() > 0)
                    emit dayOpened(m_calendar.selectedDate());
                return true;
            }
            if (moveByKey(key->key()))
                return true;
        } else if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
                   && m_calendar.markedCell() > 0) {
            m_cells[size_t(m_calendar.markedCell())]->setLineWidth(event->type() == QEvent::FocusIn ? 2 : 1);
        }
    }
    return QWidget::eventFilter(watched, event);
}
