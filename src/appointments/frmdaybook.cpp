#include "frmdaybook.h"

#include "bookingsteps.h"
#include "connections.h"
#include "daybookprint.h"
#include "daybookview.h"
#include "dates.h"
#include "dialect.h"
#include "dialogs.h"
#include "frmappointment.h"
#include "frmbooking.h"
#include "frmopeninghours.h"
#include "otherdesks.h"
#include "storeerror.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QSqlQuery>
#include <QVBoxLayout>

namespace {

QPushButton *button(QWidget *parent, const QString &caption, const QString &name, const QString &tip = {})
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    return button;
}

QString salonName()
{
    try {
        QSqlQuery query = salon::runQuery(salon::employeeDb(), QStringLiteral("SELECT Company FROM Misc"));
        if (query.next())
            return query.value(0).toString().trimmed();
    } catch (const StoreError &) {
        // A heading without the salon's name rather than no printout.
    }
    return {};
}

} // namespace

frmDayBook::frmDayBook(QDate day, Doors &doors, QWidget *parent) : QWidget(parent), m_doors(doors), m_day(day)
{
    setObjectName(QStringLiteral("frmDayBook"));
    setWindowTitle(QStringLiteral("Appointment Book"));

    auto *cmdPrevious = button(this, QStringLiteral("< &Previous Day"), QStringLiteral("cmdPreviousDay"));
    auto *cmdToday = button(this, QStringLiteral("T&oday"), QStringLiteral("cmdToday"));
    auto *cmdNext = button(this, QStringLiteral("&Next Day >"), QStringLiteral("cmdNextDay"));
    lblDay = new QLabel(this);
    lblDay->setObjectName(QStringLiteral("lblDay"));
    QFont big = lblDay->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    lblDay->setFont(big);
    lblHours = new QLabel(this);
    lblHours->setObjectName(QStringLiteral("lblHours"));

    auto *cmdBook = button(this, QStringLiteral("&Book..."), QStringLiteral("cmdBook"), QStringLiteral("Book the selected slot"));
    auto *cmdOpen = button(this, QStringLiteral("Op&en..."), QStringLiteral("cmdOpen"), QStringLiteral("Open the selected appointment"));
    auto *cmdPrint = button(this, QStringLiteral("P&rint Day..."), QStringLiteral("cmdPrintDay"),
                            QStringLiteral("Print the selected technician's day"));
    auto *cmdExport = button(this, QStringLiteral("E&xport"), QStringLiteral("cmdExport"),
                             QStringLiteral("Save appointments as a calendar file"));
    auto *exportMenu = new QMenu(cmdExport);
    QAction *exportAppointment = exportMenu->addAction(QStringLiteral("The Selected &Appointment..."));
    exportAppointment->setObjectName(QStringLiteral("actExportAppointment"));
    QAction *exportDay = exportMenu->addAction(QStringLiteral("The Technician's &Day..."));
    exportDay->setObjectName(QStringLiteral("actExportDay"));
    QAction *exportWeek = exportMenu->addAction(QStringLiteral("The Technician's &Week..."));
    exportWeek->setObjectName(QStringLiteral("actExportWeek"));
    cmdExport->setMenu(exportMenu);
    auto *cmdHours = button(this, QStringLiteral("&Hours..."), QStringLiteral("cmdHours"),
                            QStringLiteral("Opening hours and days off"));

    m_view = new DayBookView(this);
    m_view->setObjectName(QStringLiteral("dayBookView"));

    auto *top = new QHBoxLayout;
    top->addWidget(cmdPrevious);
    top->addWidget(cmdToday);
    top->addWidget(cmdNext);
    top->addSpacing(12);
    top->addWidget(lblDay);
    top->addSpacing(12);
    top->addWidget(lblHours);
    top->addStretch(1);
    top->addWidget(cmdBook);
    top->addWidget(cmdOpen);
    top->addWidget(cmdPrint);
    top->addWidget(cmdExport);
    top->addWidget(cmdHours);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);

    connect(cmdPrevious, &QPushButton::clicked, this, [this] { showDay(m_day.addDays(-1)); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { showDay(m_day.addDays(1)); });
    connect(cmdToday, &QPushButton::clicked, this, [this] { showDay(QDate::currentDate()); });
    connect(cmdBook, &QPushButton::clicked, this, &frmDayBook::bookSelected);
    connect(cmdOpen, &QPushButton::clicked, this, &frmDayBook::openSelected);
    connect(cmdPrint, &QPushButton::clicked, this, &frmDayBook::printDay);
    connect(exportAppointment, &QAction::triggered, this, &frmDayBook::exportAppointment);
    connect(exportDay, &QAction::triggered, this, [this] { this->exportDay(1); });
    connect(exportWeek, &QAction::triggered, this, [this] { this->exportDay(7); });
    connect(cmdHours, &QPushButton::clicked, this, &frmDayBook::editHours);
    connect(m_view, &DayBookView::bookRequested, this, &frmDayBook::book);
    connect(m_view, &DayBookView::openRequested, this, &frmDayBook::open);
    connect(m_view, &DayBookView::currentChanged, this, [this, cmdOpen, exportAppointment] {
        const bool onAppointment = m_view->currentAppointment().has_value();
        cmdOpen->setEnabled(onAppointment);
        exportAppointment->setEnabled(onAppointment);
    });
    setFocusProxy(m_view);
    // On a server the other desks' bookings show as they are made.
    if (salon::isServer(salon::employeeDb()))
        connect(salon::OtherDesks::instance(), &salon::OtherDesks::committed, this, [this] { reload(true); });
    showDay(day);
}

void frmDayBook::showDay(QDate day)
{
    m_day = day;
    lblDay->setText(longDateText(day));
    reload();
}

void frmDayBook::reload(bool quietly)
{
    // The selection is kept by technician and time: rows move when the day's first row does.
    const daybook::Grid &shown = m_view->grid();
    std::optional<std::pair<qint64, int>> selected;
    if (m_view->currentColumn() < int(shown.columns.size()))
        selected = std::pair{shown.columns[std::size_t(m_view->currentColumn())].employeeId,
                             shown.rowMinute(m_view->currentRow())};

    QSqlDatabase db = salon::employeeDb();
    std::vector<daybook::Column> technicians;
    std::vector<salon::Appointment> appointments;
    std::optional<std::pair<int, int>> hours;
    QString hoursText = QStringLiteral("No opening hours set");
    try {
        technicians = daybook::readTechnicians(db);
        for (daybook::Column &technician : technicians)
            technician.dayOff = !salon::daysOff(db, technician.employeeId, m_day, m_day).empty();
        // The day's appointments, and the evening before's that run past midnight into its
        // first rows.
        for (salon::Appointment &appointment : salon::appointmentsBetween(db, m_day.addDays(-1), m_day)) {
            const int until = salon::holdsTime(appointment.status) ? appointment.heldUntilMinute() : appointment.endMinute();
            if (appointment.date == m_day || until > daybook::minutesPerDay)
                appointments.push_back(std::move(appointment));
        }
        for (const salon::OpeningHours &day : salon::openingHours(db)) {
            if (day.weekday != m_day.dayOfWeek())
                continue;
            if (day.closed()) {
                hoursText = QStringLiteral("Closed");
            } else if (day.opens && day.closes) {
                hours = std::pair{day.opens->msecsSinceStartOfDay() / 60000, day.closes->msecsSinceStartOfDay() / 60000};
                hoursText = QStringLiteral("Open %1-%2").arg(day.opens->toString(QStringLiteral("HH:mm")),
                                                             day.closes->toString(QStringLiteral("HH:mm")));
            }
        }
    } catch (const StoreError &error) {
        // Followed quietly, the book keeps what it shows; the desk's next action meets the
        // fault and is told.
        if (quietly)
            return;
        daybook::showStoreError(this, error);
    }
    m_technicians = std::move(technicians);
    lblHours->setText(hoursText);
    daybook::Grid grid = daybook::layDay(m_technicians, appointments, hours, m_day);
    m_view->setDay(std::move(grid), std::move(appointments));
    if (selected) {
        const daybook::Grid &now = m_view->grid();
        int column = m_view->currentColumn();
        for (std::size_t i = 0; i < now.columns.size(); ++i)
            if (now.columns[i].employeeId == selected->first)
                column = int(i);
        m_view->setCurrent(column, (selected->second - now.firstMinute) / daybook::slotMinutes);
    }
}

void frmDayBook::bookSelected()
{
    book(m_view->currentColumn(), m_view->currentRow());
}

void frmDayBook::openSelected()
{
    if (const std::optional<int> appointment = m_view->currentAppointment())
        open(*appointment);
}

void frmDayBook::book(int column, int row)
{
    const daybook::Grid &grid = m_view->grid();
    if (column < 0 || column >= int(grid.columns.size()) || row < 0 || row >= grid.rowCount())
        return;
    // Rows past midnight (a day whose last appointment runs into the night) are the next day's.
    const QDate date = m_day.addDays(grid.rowMinute(row) / daybook::minutesPerDay);
    auto *dialog = new frmBooking(m_technicians, grid.columns[std::size_t(column)].employeeId, date, grid.rowTime(row), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &frmBooking::booked, this, [this] {
        reload();
        emit bookChanged();
    });
    dialog->open();
}

void frmDayBook::open(int appointment)
{
    if (appointment < 0 || appointment >= int(m_view->appointments().size()))
        return;
    auto *dialog = new frmAppointment(m_view->appointments()[std::size_t(appointment)], m_technicians, m_checkIn, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &frmAppointment::changed, this, [this] {
        reload();
        emit bookChanged();
    });
    dialog->open();
}

std::optional<daybook::Column> frmDayBook::selectedTechnician() const
{
    const daybook::Grid &grid = m_view->grid();
    const int column = m_view->currentColumn();
    if (column < 0 || column >= int(grid.columns.size())) {
        showMessage(const_cast<frmDayBook *>(this), QStringLiteral("There is no technician to choose."));
        return std::nullopt;
    }
    return grid.columns[std::size_t(column)];
}

std::vector<salon::Appointment> frmDayBook::appointmentsOf(qint64 employeeId, QDate from, QDate to)
{
    return salon::appointmentsBetween(salon::employeeDb(), from, to, employeeId);
}

void frmDayBook::printDay()
{
    const std::optional<daybook::Column> technician = selectedTechnician();
    if (!technician)
        return;
    try {
        const std::vector<salon::Appointment> appointments = appointmentsOf(technician->employeeId, m_day, m_day);
        QPrinter printer(QPrinter::HighResolution);
        if (!Dialogs::instance().choosePrinter(this, printer))
            return;
        if (!daybook::printTechnicianDay(printer, salonName(), technician->name, m_day, appointments))
            showMessage(this, QStringLiteral("The day could not be printed."), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
    } catch (const StoreError &error) {
        daybook::showStoreError(this, error);
    }
}

void frmDayBook::exportDay(int days)
{
    const std::optional<daybook::Column> technician = selectedTechnician();
    if (!technician)
        return;
    // A week runs Monday to Sunday around the day shown.
    const QDate from = days == 7 ? m_day.addDays(1 - m_day.dayOfWeek()) : m_day;
    const QDate to = from.addDays(days - 1);
    try {
        const QString name = days == 7 ? QStringLiteral("technician-%1-week-%2.ics") : QStringLiteral("technician-%1-%2.ics");
        exportCalendarFile(this, appointmentsOf(technician->employeeId, from, to),
                           name.arg(technician->employeeId).arg(from.toString(Qt::ISODate)));
    } catch (const StoreError &error) {
        daybook::showStoreError(this, error);
    }
}

void frmDayBook::exportAppointment()
{
    const std::optional<int> appointment = m_view->currentAppointment();
    if (!appointment) {
        showMessage(this, QStringLiteral("Choose an appointment first."));
        return;
    }
    const salon::Appointment &chosen = m_view->appointments()[std::size_t(*appointment)];
    exportCalendarFile(this, {chosen}, QStringLiteral("appointment-%1.ics").arg(chosen.uid));
}

void frmDayBook::editHours()
{
    if (!m_doors.askShopPassword(this))
        return;
    auto *dialog = new frmOpeningHours(m_technicians, m_day, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &frmOpeningHours::changed, this, [this] {
        reload();
        emit bookChanged();
    });
    dialog->open();
}
