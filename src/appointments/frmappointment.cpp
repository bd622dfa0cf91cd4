#include "frmappointment.h"

#include "appointmentcalendar.h"

#include "bookingsteps.h"
#include "connections.h"
#include "dialogs.h"
#include "icalendar.h"
#include "newfiles.h"
#include "storeerror.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>

namespace {

QPushButton *button(QWidget *parent, const QString &caption, const QString &name)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmAppointment::frmAppointment(const salon::Appointment &appointment, const std::vector<daybook::Column> &technicians,
                               CheckIn checkIn, QWidget *parent)
    : QDialog(parent), m_appointment(appointment), m_checkIn(std::move(checkIn))
{
    setObjectName(QStringLiteral("frmAppointment"));
    setWindowTitle(QStringLiteral("Appointment"));

    auto *lblWho = new QLabel(appointment.customer.isEmpty() ? QStringLiteral("(no customer)") : appointment.customer, this);
    lblWho->setObjectName(QStringLiteral("lblCustomer"));
    QFont bold = lblWho->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    lblWho->setFont(bold);
    auto *lblServices = new QLabel(daybook::servicesText(appointment), this);
    lblServices->setObjectName(QStringLiteral("lblServices"));
    lblServices->setWordWrap(true);
    auto *lblStatus = new QLabel(daybook::statusCaption(appointment.status), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));

    m_fields = daybook::makeAppointmentFields(this, technicians, appointment.date, appointment.time, appointment.minutes,
                                              appointment.buffer, appointment.notes);
    // A technician without an employee row stays on the appointment until another is chosen.
    if (m_fields.technician->findData(appointment.employeeId) < 0)
        m_fields.technician->addItem(appointment.technician, appointment.employeeId);
    m_fields.technician->setCurrentIndex(m_fields.technician->findData(appointment.employeeId));

    auto *cmdSave = button(this, QStringLiteral("&Save Changes"), QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    auto *cmdCheckIn = button(this, QStringLiteral("Check &In"), QStringLiteral("cmdCheckIn"));
    auto *cmdArrived = button(this, QStringLiteral("&Arrived"), QStringLiteral("cmdArrived"));
    auto *cmdDone = button(this, QStringLiteral("D&one"), QStringLiteral("cmdDone"));
    auto *cmdNoShow = button(this, QStringLiteral("&No-show"), QStringLiteral("cmdNoShow"));
    auto *cmdCancelAppointment = button(this, QStringLiteral("&Cancel Appointment"), QStringLiteral("cmdCancelAppointment"));
    auto *cmdRebook = button(this, QStringLiteral("&Book Again"), QStringLiteral("cmdRebook"));
    auto *cmdExport = button(this, QStringLiteral("&Export..."), QStringLiteral("cmdExport"));
    auto *cmdClose = button(this, QStringLiteral("Close"), QStringLiteral("cmdClose"));

    using salon::AppointmentStatus;
    const AppointmentStatus status = appointment.status;
    cmdCheckIn->setEnabled(m_checkIn && status == AppointmentStatus::Booked && appointment.date == QDate::currentDate());
    cmdArrived->setEnabled(status == AppointmentStatus::Booked);
    cmdDone->setEnabled(status == AppointmentStatus::Booked || status == AppointmentStatus::Arrived);
    cmdNoShow->setEnabled(status == AppointmentStatus::Booked);
    cmdCancelAppointment->setEnabled(status == AppointmentStatus::Booked || status == AppointmentStatus::Arrived);
    cmdRebook->setEnabled(!salon::holdsTime(status));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Services:"), lblServices);
    form->addRow(QStringLiteral("Status:"), lblStatus);
    form->addRow(QStringLiteral("&Technician:"), m_fields.technician);
    form->addRow(QStringLiteral("&Date:"), m_fields.date);
    form->addRow(QStringLiteral("S&tart:"), m_fields.start);
    form->addRow(QStringLiteral("Len&gth:"), m_fields.minutes);
    form->addRow(QStringLiteral("B&uffer after:"), m_fields.buffer);
    form->addRow(QStringLiteral("Notes:"), m_fields.notes);

    auto *actions = new QGridLayout;
    actions->addWidget(cmdSave, 0, 0);
    actions->addWidget(cmdCheckIn, 0, 1);
    actions->addWidget(cmdArrived, 0, 2);
    actions->addWidget(cmdDone, 1, 0);
    actions->addWidget(cmdNoShow, 1, 1);
    actions->addWidget(cmdCancelAppointment, 1, 2);
    actions->addWidget(cmdRebook, 2, 0);
    actions->addWidget(cmdExport, 2, 1);
    actions->addWidget(cmdClose, 2, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblWho);
    layout->addLayout(form);
    layout->addLayout(actions);

    connect(cmdSave, &QPushButton::clicked, this, &frmAppointment::save);
    connect(cmdCheckIn, &QPushButton::clicked, this, &frmAppointment::checkInNow);
    connect(cmdArrived, &QPushButton::clicked, this, [this] { setStatus(AppointmentStatus::Arrived); });
    connect(cmdDone, &QPushButton::clicked, this, [this] { setStatus(AppointmentStatus::Done); });
    connect(cmdNoShow, &QPushButton::clicked, this, [this] { setStatus(AppointmentStatus::NoShow); });
    connect(cmdCancelAppointment, &QPushButton::clicked, this, [this] { setStatus(AppointmentStatus::Cancelled); });
    connect(cmdRebook, &QPushButton::clicked, this, [this] { setStatus(AppointmentStatus::Booked); });
    connect(cmdExport, &QPushButton::clicked, this, &frmAppointment::exportFile);
    connect(cmdClose, &QPushButton::clicked, this, &frmAppointment::reject);
}

void frmAppointment::save()
{
    salon::AppointmentChange change;
    const qint64 technician = m_fields.technician->currentData().toLongLong();
    const QTime time(m_fields.start->time().hour(), m_fields.start->time().minute());
    if (technician != m_appointment.employeeId)
        change.employeeId = technician;
    if (m_fields.date->date() != m_appointment.date)
        change.date = m_fields.date->date();
    if (time != m_appointment.time)
        change.time = time;
    if (m_fields.minutes->value() != m_appointment.minutes)
        change.minutes = m_fields.minutes->value();
    if (m_fields.buffer->value() != m_appointment.buffer)
        change.buffer = m_fields.buffer->value();
    if (m_fields.notes->text().trimmed() != m_appointment.notes)
        change.notes = m_fields.notes->text().trimmed();
    change.seenSequence = m_appointment.sequence;
    QSqlDatabase db = salon::employeeDb();
    try {
        // A move or a longer stay is asked about as a booking there is; cancelled ones hold nothing.
        const bool moved = change.employeeId || change.date || change.time || change.minutes;
        if (moved && salon::holdsTime(m_appointment.status)
            && !daybook::startAccepted(this, db, technician, m_fields.date->date(), time, m_fields.minutes->value()))
            return;
        m_appointment = salon::changeAppointment(db, m_appointment.id, change);
        emit changed();
        accept();
    } catch (const StoreError &error) {
        refused(error);
    }
}

void frmAppointment::refused(const StoreError &error)
{
    daybook::showStoreError(this, error);
    // What this dialog shows is out of date: the book shows what is stored instead.
    if (error.number() == StoreError::ChangedElsewhere || error.number() == StoreError::ItemNotFound) {
        emit changed();
        reject();
    }
}

void frmAppointment::setStatus(salon::AppointmentStatus status)
{
    try {
        m_appointment = salon::setAppointmentStatus(salon::employeeDb(), m_appointment.id, status, m_appointment.sequence);
        emit changed();
        accept();
    } catch (const StoreError &error) {
        refused(error);
    }
}

void frmAppointment::checkInNow()
{
    if (!m_checkIn)
        return;
    // The ticket opens only for the appointment as it is shown.
    try {
        const std::optional<salon::Appointment> stored = salon::appointmentById(salon::employeeDb(), m_appointment.id);
        if (!stored || stored->sequence != m_appointment.sequence)
            throw salon::changedElsewhere();
    } catch (const StoreError &error) {
        refused(error);
        return;
    }
    if (const std::optional<QString> failure = m_checkIn(this, {m_appointment.employeeId, m_appointment.customerId})) {
        showMessage(this, *failure, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
        return;
    }
    // The ticket keeps the customer it showed: the desk must not sell to them by mistake.
    if (m_appointment.customerId.isNull())
        showMessage(this, QStringLiteral("This appointment has no customer: choose the customer on the ticket."),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Information);
    setStatus(salon::AppointmentStatus::Arrived);
}

void frmAppointment::exportFile()
{
    exportCalendarFile(this, {m_appointment}, QStringLiteral("appointment-%1.ics").arg(m_appointment.uid));
}

bool exportCalendarFile(QWidget *parent, const std::vector<salon::Appointment> &appointments, const QString &suggestedName)
{
    const QString path = Dialogs::instance().saveNewFileName(parent, QStringLiteral("Export Calendar File"),
                                                             QDir::home().filePath(suggestedName),
                                                             QStringLiteral("Calendar files (*.ics)"), QStringLiteral("ics"));
    if (path.isEmpty())
        return false;
    const QFileInfo file(path);
    const NewFilesResult written = writeNewFiles(file.absolutePath(), {{file.fileName(), iCalendarBytes(salon::calendarEvents(appointments))}});
    if (!written.error.isEmpty()) {
        showMessage(parent, written.error, Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return false;
    }
    return true;
}
