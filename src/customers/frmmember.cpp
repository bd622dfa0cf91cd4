#include "frmmember.h"

#include "appointments.h"
#include "binder.h"
#include "boundform.h"
#include "databar.h"
#include "database.h"
#include "dates.h"
#include "dialogs.h"
#include "formcontrols.h"
#include "pointer.h"
#include "recordset.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using controls::Field;
using controls::comboBox;
using controls::isNoRecord;
using controls::lineEdit;

} // namespace

frmMember::frmMember(QWidget *parent)
    : QWidget(parent, Qt::Window), m_bound(this, QStringLiteral("Customers"), QStringLiteral("datCustomer")),
      m_records(m_bound.records()), m_binder(m_bound.binder()), m_bar(m_bound.bar())
{
    setObjectName(QStringLiteral("frmMember"));
    setWindowTitle(QStringLiteral("Velorine - Customer Information"));
    setAttribute(Qt::WA_DeleteOnClose);

    buildLayout();
    connect(m_binder, &Binder::shown, this, &frmMember::showAppointments);
    showAppointments();

    resize(800, 600);
    bound::centre(this);
}

void frmMember::buildLayout()
{
    comPrefix = comboBox(this, "comPrefix", {QStringLiteral("Mr."), QStringLiteral("Mrs."), QStringLiteral("Ms."), QStringLiteral("Dr.")});
    comPrefix->setMinimumWidth(90);
    txtMemberID = lineEdit(this, "txtMemberID");
    txtFirstname = lineEdit(this, "txtFirstname");
    txtMiddle = lineEdit(this, "txtMiddle");
    txtMiddle->setMaximumWidth(50);
    txtLastname = lineEdit(this, "txtLastname");
    comSuffix = comboBox(this, "comSuffix", {QStringLiteral("Jr."), QStringLiteral("Sr.")});
    comSuffix->setMinimumWidth(80);

    auto name = new QGridLayout;
    name->setHorizontalSpacing(8);
    controls::layOut(name, m_binder, {{comPrefix, QStringLiteral("&Prefix:"), "Prefix", 0, 0, 1, Field::Place::Both, Qt::AlignLeft},
                                      {txtMemberID, QStringLiteral("&Member ID:"), "CustomerID", 0, 4},
                                      {txtFirstname, QStringLiteral("&First Name:"), "FirstName", 1, 0},
                                      {txtMiddle, QStringLiteral("M. I."), "MiddleName", 1, 2},
                                      {txtLastname, QStringLiteral("&Last Name:"), "LastName", 1, 4},
                                      {comSuffix, QStringLiteral("Suffix:"), "Suffix", 1, 6}});
    name->setColumnStretch(1, 2);
    name->setColumnStretch(5, 2);

    fraAddress = new QGroupBox(tr("Address"), this);
    fraAddress->setObjectName(QStringLiteral("fraAddress"));
    txtLine1 = lineEdit(fraAddress, "txtLine1");
    txtLine2 = lineEdit(fraAddress, "txtLine2");
    txtCity = lineEdit(fraAddress, "txtCity");
    txtState = lineEdit(fraAddress, "txtState");
    txtState->setMaximumWidth(60);
    txtZip = lineEdit(fraAddress, "txtZip");
    txtZip->setMaximumWidth(100);
    auto address = new QGridLayout(fraAddress);
    controls::layOut(address, m_binder, {{txtLine1, QStringLiteral("Line 1:"), "Line1", 0, 0, 5},
                                         {txtLine2, QStringLiteral("Line 2:"), "Line2", 1, 0, 5},
                                         {txtCity, QStringLiteral("City:"), "City", 2, 0},
                                         {txtState, QStringLiteral("State:"), "State", 2, 2},
                                         {txtZip, QStringLiteral("Zip:"), "Zip", 2, 4}});
    address->setColumnStretch(1, 1);

    auto contact = new QGroupBox(tr("Contact"), this);
    txtPhone = lineEdit(contact, "txtPhone");
    txtFax = lineEdit(contact, "txtFax");
    txtPager = lineEdit(contact, "txtPager");
    txtEMail = lineEdit(contact, "txtEMail");
    auto contactGrid = new QGridLayout(contact);
    controls::layOut(contactGrid, m_binder, {{txtPhone, QStringLiteral("Home Phone:"), "HomePhone", 0, 0},
                                             {txtFax, QStringLiteral("Fax:"), "FaxNumber", 1, 0},
                                             {txtPager, QStringLiteral("Pager:"), "Pager", 2, 0},
                                             {txtEMail, QStringLiteral("E-Mail:"), "Email", 3, 0}});

    auto blocks = new QHBoxLayout;
    blocks->addWidget(fraAddress, 3);
    blocks->addWidget(contact, 2);

    // The appointment book's view of this customer: shown, never typed.
    auto appointments = new QGroupBox(QStringLiteral("Appointments"), this);
    appointments->setObjectName(QStringLiteral("fraAppointments"));
    lblNextAppointment = new QLabel(appointments);
    lblNextAppointment->setObjectName(QStringLiteral("lblNextAppointment"));
    lblNextAppointment->setWordWrap(true);
    lblMissed = new QLabel(appointments);
    lblMissed->setObjectName(QStringLiteral("lblMissed"));
    auto appointmentGrid = new QGridLayout(appointments);
    appointmentGrid->addWidget(new QLabel(QStringLiteral("Next:"), appointments), 0, 0, Qt::AlignTop);
    appointmentGrid->addWidget(lblNextAppointment, 0, 1);
    appointmentGrid->addWidget(new QLabel(QStringLiteral("Missed:"), appointments), 1, 0);
    appointmentGrid->addWidget(lblMissed, 1, 1);
    appointmentGrid->setColumnStretch(1, 1);

    txtNotes = new QPlainTextEdit(this);
    txtNotes->setObjectName(QStringLiteral("txtNotes"));
    txtNotes->setTabChangesFocus(true);
    auto notesLabel = new QLabel(QStringLiteral("&Notes:"), this);
    notesLabel->setBuddy(txtNotes);
    // The notes box takes typing like every other field, so what is typed there is kept with
    // the customer (and shown on the visiting report), not lost on the next move.
    m_binder->bind(txtNotes, QStringLiteral("Notes"));

    // The record buttons.
    auto records = new QHBoxLayout;
    controls::buttonRow(this, records,
                        {{QStringLiteral("Add"), "cmdAdd", [this] { cmdAdd_Click(); }},
                         {QStringLiteral("Edit"), "cmdEdit", [this] { cmdEdit_Click(); }},
                         {QStringLiteral("Save"), "cmdSave", [this] { cmdSave_Click(); }},
                         {QStringLiteral("Delete"), "cmdDelete", [this] { cmdDelete_Click(); }},
                         {QStringLiteral("Refresh"), "cmdRefresh", [this] { cmdRefresh_Click(); }},
                         {},
                         {QStringLiteral("Close"), "cmdClose", [this] { close(); }},
                         {QStringLiteral("Exit"), "cmdExit", [this] { cmdExit_Click(); }}});

    // The search area: every button runs the same search in its own direction.
    fraSearch = new QGroupBox(QStringLiteral("Search Information"), this);
    fraSearch->setObjectName(QStringLiteral("fraSearch"));
    txtSearchFirst = lineEdit(fraSearch, "txtSearchFirst");
    txtSearchLast = lineEdit(fraSearch, "txtSearchLast");
    auto search = new QGridLayout(fraSearch);
    controls::layOut(search, nullptr, {{txtSearchFirst, QStringLiteral("First Name:"), nullptr, 0, 0},
                                       {txtSearchLast, QStringLiteral("Last Name:"), nullptr, 0, 2}});
    search->setColumnStretch(1, 1);
    search->setColumnStretch(3, 1);
    auto searchButtons = new QHBoxLayout;
    auto find = [this](namesearch::Direction direction) { return [this, direction] { searchName(direction); }; };
    controls::buttonRow(fraSearch, searchButtons,
                        {{QStringLiteral("Search"), "cmdSearch", find(namesearch::Direction::First)},
                         {QStringLiteral("Top"), "cmdTop", find(namesearch::Direction::First)},
                         {QStringLiteral("Previous"), "cmdPrevious", find(namesearch::Direction::Previous)},
                         {QStringLiteral("Next"), "cmdNext", find(namesearch::Direction::Next)},
                         {QStringLiteral("Bottom"), "cmdBottom", find(namesearch::Direction::Last)}});
    searchButtons->addStretch(1);
    search->addLayout(searchButtons, 1, 0, 1, 4);

    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addLayout(name);
    layout->addLayout(blocks);
    layout->addWidget(appointments);
    layout->addWidget(notesLabel);
    layout->addWidget(txtNotes, 1);
    layout->addWidget(m_bar);
    layout->addLayout(records);
    layout->addSpacing(6);
    layout->addWidget(fraSearch);
}

void frmMember::cmdAdd_Click()
{
    try {
        m_binder->addNew();
    } catch (const StoreError &error) {
        m_bar->reportError(error);
        return;
    }
    txtMemberID->setFocus();
}

void frmMember::cmdEdit_Click()
{
    try {
        if (m_records->editMode() == RecordSet::EditMode::None)
            m_records->edit();
    } catch (const StoreError &error) {
        m_bar->reportError(error);
    }
}

void frmMember::cmdSave_Click()
{
    try {
        m_binder->update();
    } catch (const StoreError &error) {
        if (isNoRecord(error)) {
            showMessage(this, QStringLiteral("Please use Add command to enter new data"), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Information);
            close();
        } else {
            // A value the field cannot take: say so and keep the typing for correction.
            m_bar->reportError(error);
        }
    }
}

void frmMember::cmdDelete_Click()
{
    switch (bound::deleteTarget(*m_records)) {
    case bound::DeleteTarget::Nothing:
        return;
    case bound::DeleteTarget::NewRow:
        m_binder->cancel();   // the unsaved row on screen is dropped; nothing stored is touched
        return;
    case bound::DeleteTarget::StoredRow:
        break;
    }
    try {
        const bool yes = showMessage(this, QStringLiteral("Are you sure you want to delete THIS CUSTOMER FILE ?"),
                                     Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes;
        bound::deleteStep(*m_records, yes, bound::Landing::Next, [this] { bound::refresh(*m_binder); });
    } catch (const StoreError &error) {
        m_bar->reportError(error);
    }
}

void frmMember::cmdRefresh_Click()
{
    try {
        bound::refresh(*m_binder);
    } catch (const StoreError &error) {
        m_bar->reportError(error);
    }
}

void frmMember::cmdExit_Click()
{
    // Exit writes the boxes as they stand; Close and the close box store pending edits alike.
    close();
}

void frmMember::searchName(namesearch::Direction direction)
{
    const QString first = txtSearchFirst->text();
    const QString last = txtSearchLast->text();
    if (first.isEmpty() || last.isEmpty()) {
        showMessage(this, QStringLiteral("Please enter both Last and First name."));
        return;
    }
    try {
        pointer::Busy busy;
        const qint64 shown = m_records->hasCurrent() ? m_records->bookmark() : -1;
        const auto found = namesearch::search(first, last, direction, shown);
        busy.end();
        if (!found) {
            showMessage(this, QStringLiteral("No records found with:  ") + namesearch::criterionText(first, last)
                                  + u'.');
            return;
        }
        moveToCustomerRow(found->key);
    } catch (const StoreError &error) {
        m_bar->reportError(error);
    }
}

void frmMember::moveToCustomerRow(qint64 key)
{
    // The found row itself, not the row at the position of its number: numbers need not run
    // 1, 2, 3 in table order once customers have been deleted.
    m_binder->moveToKey(key);
}

void frmMember::showAppointments()
{
    QVariant customerId;
    try {
        if (m_records->hasCurrent() && m_records->editMode() != RecordSet::EditMode::AddNew)
            customerId = m_records->value(QStringLiteral("CustomerID"));
    } catch (const StoreError &) {
        // An unreadable row has no appointments to show.
    }
    if (customerId.isNull()) {
        lblNextAppointment->clear();
        lblMissed->clear();
        return;
    }
    try {
        QSqlDatabase db = m_records->database();
        const std::optional<salon::Appointment> next = salon::nextAppointment(db, customerId);
        if (next) {
            QStringList services;
            for (const salon::AppointmentService &service : next->services)
                services << service.name;
            QString text = QStringLiteral("%1 %2 with %3")
                               .arg(shortDateText(next->date), shortTimeText(next->time),
                                    next->technician.isEmpty() ? QStringLiteral("technician %1").arg(next->employeeId)
                                                               : next->technician);
            if (!services.isEmpty())
                text += QStringLiteral(": ") + services.join(QStringLiteral(", "));
            lblNextAppointment->setText(text);
        } else {
            lblNextAppointment->setText(QStringLiteral("None booked"));
        }
        lblMissed->setText(QString::number(salon::missedAppointments(db, customerId)));
    } catch (const StoreError &error) {
        lblNextAppointment->setText(QStringLiteral("The appointments cannot be read: %1").arg(error.text()));
        lblMissed->clear();
    }
}

void frmMember::closeEvent(QCloseEvent *event)
{
    m_bound.close(event);
}
