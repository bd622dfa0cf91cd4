#include "frmbooking.h"

#include "bookingsteps.h"
#include "connections.h"
#include "dialogs.h"
#include "recordset.h"
#include "storeerror.h"
#include "transaction.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>

namespace {
// A booking's length before any service is chosen.
constexpr int unchosenMinutes = 30;
} // namespace

frmBooking::frmBooking(const std::vector<daybook::Column> &technicians, qint64 employeeId, QDate date, QTime time,
                       QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBooking"));
    setWindowTitle(QStringLiteral("Book Appointment"));

    txtLastName = new QLineEdit(this);
    txtLastName->setObjectName(QStringLiteral("txtLastName"));
    auto *cmdFind = new QPushButton(QStringLiteral("&Find"), this);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setAutoDefault(false);
    auto *cmdNew = new QPushButton(QStringLiteral("New C&ustomer..."), this);
    cmdNew->setObjectName(QStringLiteral("cmdNewCustomer"));
    cmdNew->setAutoDefault(false);
    lblCustomer = new QLabel(this);
    lblCustomer->setObjectName(QStringLiteral("lblCustomer"));
    auto *customerRow = new QHBoxLayout;
    customerRow->addWidget(txtLastName, 1);
    customerRow->addWidget(cmdFind);
    customerRow->addWidget(cmdNew);

    lstServices = new QListWidget(this);
    lstServices->setObjectName(QStringLiteral("lstServices"));
    try {
        m_services = salon::bookableServices(salon::employeeDb());
    } catch (const StoreError &error) {
        daybook::showStoreError(this, error);
    }
    for (const salon::AppointmentService &service : m_services) {
        auto *item = new QListWidgetItem(QStringLiteral("%1 (%2 min)").arg(service.name).arg(service.minutes), lstServices);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    lstServices->setMinimumHeight(fontMetrics().height() * 7);

    m_fields = daybook::makeAppointmentFields(this, technicians, date, time, unchosenMinutes, 0, QString());
    m_fields.technician->setCurrentIndex(std::max(0, m_fields.technician->findData(employeeId)));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));

    auto *form = new QFormLayout(this);
    auto *lastNameLabel = new QLabel(QStringLiteral("Customer's &last name:"), this);
    lastNameLabel->setBuddy(txtLastName);
    form->addRow(lastNameLabel, customerRow);
    form->addRow(QString(), lblCustomer);
    form->addRow(QStringLiteral("&Services:"), lstServices);
    form->addRow(QStringLiteral("&Technician:"), m_fields.technician);
    form->addRow(QStringLiteral("&Date:"), m_fields.date);
    form->addRow(QStringLiteral("S&tart:"), m_fields.start);
    form->addRow(QStringLiteral("Len&gth:"), m_fields.minutes);
    form->addRow(QStringLiteral("&Buffer after:"), m_fields.buffer);
    form->addRow(QStringLiteral("N&otes:"), m_fields.notes);
    form->addRow(buttons);

    connect(cmdFind, &QPushButton::clicked, this, &frmBooking::findCustomer);
    connect(txtLastName, &QLineEdit::returnPressed, this, &frmBooking::findCustomer);
    connect(cmdNew, &QPushButton::clicked, this, &frmBooking::newCustomer);
    connect(lstServices, &QListWidget::itemChanged, this, &frmBooking::servicesChanged);
    connect(m_fields.minutes, &QSpinBox::valueChanged, this, [this] {
        if (!m_settingMinutes)
            m_minutesTyped = true;
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &frmBooking::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmBooking::reject);
    showCustomer();
}

void frmBooking::showCustomer()
{
    if (!m_newLastName.isEmpty() || !m_newFirstName.isEmpty())
        lblCustomer->setText(QStringLiteral("New customer: %1 %2").arg(m_newFirstName, m_newLastName).simplified());
    else if (m_customerId.isNull())
        lblCustomer->setText(QStringLiteral("No customer chosen"));
    else
        lblCustomer->setText(m_customerName);
}

// As the daily ticket finds a customer: the first by last name in the name's order.
void frmBooking::findCustomer()
{
    const QString name = txtLastName->text().trimmed();
    if (name.isEmpty())
        return;
    try {
        salon::ShortConnection connection;
        RecordSet table(connection.db(), QStringLiteral("Customers"));
        table.setIndex(QStringLiteral("LastName"));
        table.seek(name);
        if (table.noMatch()) {
            showMessage(this, QStringLiteral("No record found with  ") + name + QStringLiteral(" ."));
            return;
        }
        m_customerId = table.value(QStringLiteral("CustomerID"));
        m_customerName = (table.value(QStringLiteral("FirstName")).toString().trimmed() + QLatin1Char(' ')
                          + table.value(QStringLiteral("LastName")).toString().trimmed()).trimmed();
        m_newFirstName.clear();
        m_newLastName.clear();
        showCustomer();
    } catch (const StoreError &error) {
        daybook::showStoreError(this, error);
    }
}

void frmBooking::newCustomer()
{
    const std::optional<QString> first = askTextOrCancel(this, QStringLiteral("The new customer's first name:"));
    if (!first)
        return;
    const std::optional<QString> last = askTextOrCancel(this, QStringLiteral("The new customer's last name:"));
    if (!last)
        return;
    if (first->trimmed().isEmpty() && last->trimmed().isEmpty()) {
        showMessage(this, QStringLiteral("A new customer needs a name."));
        return;
    }
    m_newFirstName = first->trimmed();
    m_newLastName = last->trimmed();
    m_customerId = QVariant();
    showCustomer();
}

void frmBooking::servicesChanged()
{
    if (m_minutesTyped)
        return;
    int minutes = 0;
    for (int i = 0; i < lstServices->count(); ++i)
        if (lstServices->item(i)->checkState() == Qt::Checked)
            minutes += m_services[std::size_t(i)].minutes;
    // With no service chosen the length goes back to where a booking starts.
    m_settingMinutes = true;
    m_fields.minutes->setValue(minutes > 0 ? minutes : unchosenMinutes);
    m_settingMinutes = false;
}

void frmBooking::accept()
{
    if (m_fields.technician->currentIndex() < 0) {
        showMessage(this, QStringLiteral("Choose a technician."));
        return;
    }
    salon::Booking booking;
    booking.employeeId = m_fields.technician->currentData().toLongLong();
    booking.date = m_fields.date->date();
    booking.time = QTime(m_fields.start->time().hour(), m_fields.start->time().minute());
    booking.minutes = m_fields.minutes->value();
    booking.buffer = m_fields.buffer->value();
    booking.notes = m_fields.notes->text().trimmed();
    for (int i = 0; i < lstServices->count(); ++i)
        if (lstServices->item(i)->checkState() == Qt::Checked)
            booking.services.push_back(m_services[std::size_t(i)]);
    QSqlDatabase db = salon::employeeDb();
    try {
        if (!daybook::startAccepted(this, db, booking.employeeId, booking.date, booking.time, *booking.minutes))
            return;
        // A new customer is added with the booking and taken out again when the booking is
        // refused. Not one transaction: on a server a refused row ends the transaction it is
        // in, and the store could no longer name the appointment it clashes with.
        booking.customerId = m_customerId;
        const bool newCustomer = !m_newFirstName.isEmpty() || !m_newLastName.isEmpty();
        if (newCustomer) {
            salon::Transaction transaction(db);
            QSqlQuery next = salon::runQuery(db, QStringLiteral("SELECT ifnull(max(CustomerID), 0) + 1 FROM Customers"));
            next.next();
            booking.customerId = next.value(0).toLongLong();
            salon::runQuery(db, QStringLiteral("INSERT INTO Customers (CustomerID, FirstName, LastName) VALUES (?, ?, ?)"),
                            {booking.customerId, m_newFirstName, m_newLastName});
            transaction.commit();
        }
        salon::Appointment appointment;
        try {
            appointment = salon::bookAppointment(db, booking);
        } catch (const StoreError &) {
            if (newCustomer)
                salon::runQuery(db, QStringLiteral("DELETE FROM Customers WHERE CustomerID = ?"), {booking.customerId});
            throw;
        }
        if (newCustomer) {
            m_customerId = booking.customerId;
            m_customerName = appointment.customer;
            m_newFirstName.clear();
            m_newLastName.clear();
        }
        emit booked(appointment);
        QDialog::accept();
    } catch (const StoreError &error) {
        daybook::showStoreError(this, error);
    }
}
