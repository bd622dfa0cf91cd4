#include "frmmember.h"

#include "binder.h"
#include "boundform.h"
#include "databar.h"
#include "database.h"
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

using controls::button;
using controls::comboBox;
using controls::isNoRecord;
using controls::label;
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
    m_binder->bind(comPrefix, QStringLiteral("Prefix"));
    m_binder->bind(txtMemberID, QStringLiteral("CustomerID"));
    m_binder->bind(txtFirstname, QStringLiteral("FirstName"));
    m_binder->bind(txtMiddle, QStringLiteral("MiddleName"));
    m_binder->bind(txtLastname, QStringLiteral("LastName"));
    m_binder->bind(comSuffix, QStringLiteral("Suffix"));
    m_binder->bind(txtLine1, QStringLiteral("Line1"));
    m_binder->bind(txtLine2, QStringLiteral("Line2"));
    m_binder->bind(txtCity, QStringLiteral("City"));
    m_binder->bind(txtState, QStringLiteral("State"));
    m_binder->bind(txtZip, QStringLiteral("Zip"));
    m_binder->bind(txtPhone, QStringLiteral("HomePhone"));
    m_binder->bind(txtFax, QStringLiteral("FaxNumber"));
    m_binder->bind(txtPager, QStringLiteral("Pager"));
    m_binder->bind(txtEMail, QStringLiteral("Email"));
    // The notes box takes typing like every other field, so what is typed there is kept with
    // the customer (and shown on the visiting report), not lost on the next move.
    m_binder->bind(txtNotes, QStringLiteral("Notes"));

    resize(800, 560);
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
    name->addWidget(label(this, QStringLiteral("&Prefix:"), comPrefix), 0, 0);
    name->addWidget(comPrefix, 0, 1, Qt::AlignLeft);
    name->addWidget(label(this, QStringLiteral("&Member ID:"), txtMemberID), 0, 4);
    name->addWidget(txtMemberID, 0, 5);
    name->addWidget(label(this, QStringLiteral("&First Name:"), txtFirstname), 1, 0);
    name->addWidget(txtFirstname, 1, 1);
    name->addWidget(label(this, QStringLiteral("M. I."), txtMiddle), 1, 2);
    name->addWidget(txtMiddle, 1, 3);
    name->addWidget(label(this, QStringLiteral("&Last Name:"), txtLastname), 1, 4);
    name->addWidget(txtLastname, 1, 5);
    name->addWidget(label(this, QStringLiteral("Suffix:"), comSuffix), 1, 6);
    name->addWidget(comSuffix, 1, 7);
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
    address->addWidget(label(fraAddress, QStringLiteral("Line 1:"), txtLine1), 0, 0);
    address->addWidget(txtLine1, 0, 1, 1, 5);
    address->addWidget(label(fraAddress, QStringLiteral("Line 2:"), txtLine2), 1, 0);
    address->addWidget(txtLine2, 1, 1, 1, 5);
    address->addWidget(label(fraAddress, QStringLiteral("City:"), txtCity), 2, 0);
    address->addWidget(txtCity, 2, 1);
    address->addWidget(label(fraAddress, QStringLiteral("State:"), txtState), 2, 2);
    address->addWidget(txtState, 2, 3);
    address->addWidget(label(fraAddress, QStringLiteral("Zip:"), txtZip), 2, 4);
    address->addWidget(txtZip, 2, 5);
    address->setColumnStretch(1, 1);

    auto contact = new QGroupBox(tr("Contact"), this);
    txtPhone = lineEdit(contact, "txtPhone");
    txtFax = lineEdit(contact, "txtFax");
    txtPager = lineEdit(contact, "txtPager");
    txtEMail = lineEdit(contact, "txtEMail");
    auto contactGrid = new QGridLayout(contact);
    contactGrid->addWidget(label(contact, QStringLiteral("Home Phone:"), txtPhone), 0, 0);
    contactGrid->addWidget(txtPhone, 0, 1);
    contactGrid->addWidget(label(contact, QStringLiteral("Fax:"), txtFax), 1, 0);
    contactGrid->addWidget(txtFax, 1, 1);
    contactGrid->addWidget(label(contact, QStringLiteral("Pager:"), txtPager), 2, 0);
    contactGrid->addWidget(txtPager, 2, 1);
    contactGrid->addWidget(label(contact, QStringLiteral("E-Mail:"), txtEMail), 3, 0);
    contactGrid->addWidget(txtEMail, 3, 1);

    auto blocks = new QHBoxLayout;
    blocks->addWidget(fraAddress, 3);
    blocks->addWidget(contact, 2);

    txtNotes = new QPlainTextEdit(this);
    txtNotes->setObjectName(QStringLiteral("txtNotes"));
    txtNotes->setTabChangesFocus(true);
    auto notesLabel = new QLabel(QStringLiteral("&Notes:"), this);
    notesLabel->setBuddy(txtNotes);

    // The record buttons.
    auto cmdAdd = button(this, QStringLiteral("Add"), "cmdAdd");
    auto cmdEdit = button(this, QStringLiteral("Edit"), "cmdEdit");
    auto cmdSave = button(this, QStringLiteral("Save"), "cmdSave");
    auto cmdDelete = button(this, QStringLiteral("Delete"), "cmdDelete");
    auto cmdRefresh = button(this, QStringLiteral("Refresh"), "cmdRefresh");
    auto cmdClose = button(this, QStringLiteral("Close"), "cmdClose");
    auto cmdExit = button(this, QStringLiteral("Exit"), "cmdExit");
    auto records = new QHBoxLayout;
    for (QPushButton *b : {cmdAdd, cmdEdit, cmdSave, cmdDelete, cmdRefresh})
        records->addWidget(b);
    records->addStretch(1);
    records->addWidget(cmdClose);
    records->addWidget(cmdExit);
    connect(cmdAdd, &QPushButton::clicked, this, &frmMember::cmdAdd_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &frmMember::cmdEdit_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMember::cmdSave_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmMember::cmdDelete_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmMember::cmdRefresh_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdExit, &QPushButton::clicked, this, &frmMember::cmdExit_Click);

    // The search area: every button runs the same search in its own direction.
    fraSearch = new QGroupBox(QStringLiteral("Search Information"), this);
    fraSearch->setObjectName(QStringLiteral("fraSearch"));
    txtSearchFirst = lineEdit(fraSearch, "txtSearchFirst");
    txtSearchLast = lineEdit(fraSearch, "txtSearchLast");
    auto search = new QGridLayout(fraSearch);
    search->addWidget(label(fraSearch, QStringLiteral("First Name:"), txtSearchFirst), 0, 0);
    search->addWidget(txtSearchFirst, 0, 1);
    search->addWidget(label(fraSearch, QStringLiteral("Last Name:"), txtSearchLast), 0, 2);
    search->addWidget(txtSearchLast, 0, 3);
    search->setColumnStretch(1, 1);
    search->setColumnStretch(3, 1);
    auto searchButtons = new QHBoxLayout;
    const std::pair<const char *, namesearch::Direction> finds[] = {
        {"cmdSearch", namesearch::Direction::First}, {"cmdTop", namesearch::Direction::First},
        {"cmdPrevious", namesearch::Direction::Previous}, {"cmdNext", namesearch::Direction::Next},
        {"cmdBottom", namesearch::Direction::Last}};
    const QString captions[] = {QStringLiteral("Search"), QStringLiteral("Top"), QStringLiteral("Previous"),
                                QStringLiteral("Next"), QStringLiteral("Bottom")};
    for (int i = 0; i < 5; ++i) {
        auto b = button(fraSearch, captions[i], finds[i].first);
        const namesearch::Direction direction = finds[i].second;
        connect(b, &QPushButton::clicked, this, [this, direction] { searchName(direction); });
        searchButtons->addWidget(b);
    }
    searchButtons->addStretch(1);
    search->addLayout(searchButtons, 1, 0, 1, 4);

    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addLayout(name);
    layout->addLayout(blocks);
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

void frmMember::closeEvent(QCloseEvent *event)
{
    m_bound.close(event);
}
