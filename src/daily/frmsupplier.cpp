#include "frmsupplier.h"

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
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

using controls::lineEdit;

QFrame *line(QWidget *parent, const char *name)
{
    auto rule = new QFrame(parent);
    rule->setObjectName(QLatin1String(name));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

} // namespace

frmSupplier::frmSupplier(QWidget *parent)
    : QWidget(parent, Qt::Window), m_bound(this, QStringLiteral("Suppliers"), QStringLiteral("datPrimary")),
      m_records(m_bound.records()), m_binder(m_bound.binder()), m_bar(m_bound.bar())
{
    setObjectName(QStringLiteral("frmSupplier"));
    setWindowTitle(QStringLiteral("Velorine - Suppliers Information"));
    setAttribute(Qt::WA_DeleteOnClose);

    buildLayout();
    connect(cmdAdd, &QPushButton::clicked, this, &frmSupplier::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmSupplier::cmdDelete_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmSupplier::cmdUpdate_Click);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);

    resize(780, 440);
    bound::centre(this);
    showCompany();
}

void frmSupplier::buildLayout()
{
    // Heading: the company name with a shadow copy behind it.
    auto heading = new QWidget(this);
    QFont headingFont = font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 2.2);
    headingFont.setBold(true);
    headingFont.setItalic(true);
    lblVelorine2 = new QLabel(QStringLiteral("Velorine"), heading);
    lblVelorine2->setObjectName(QStringLiteral("lblVelorine2"));
    lblVelorine2->setFont(headingFont);
    lblVelorine2->setStyleSheet(QStringLiteral("color: #9a9a9a;"));
    lblVelorine1 = new QLabel(QStringLiteral("Velorine"), heading);
    lblVelorine1->setObjectName(QStringLiteral("lblVelorine1"));
    lblVelorine1->setFont(headingFont);
    lblVelorine1->setStyleSheet(QStringLiteral("color: #7a1f5c;"));
    heading->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto headingGrid = new QGridLayout(heading);
    headingGrid->setContentsMargins(0, 0, 3, 3);
    headingGrid->addWidget(lblVelorine2, 0, 0);
    headingGrid->addWidget(lblVelorine1, 0, 0);
    lblVelorine2->setContentsMargins(3, 3, 0, 0);
    lblVelorine1->setContentsMargins(0, 0, 3, 3);
    lblVelorine1->raise();

    auto picture1 = new QLabel(this);
    picture1->setObjectName(QStringLiteral("Picture1"));
    picture1->setPixmap(style()->standardIcon(QStyle::SP_DirHomeIcon).pixmap(40, 40));
    auto subtitle = new QLabel(tr("Suppliers Information"), this);
    QFont subtitleFont = font();
    subtitleFont.setPointSizeF(subtitleFont.pointSizeF() * 1.2);
    subtitle->setFont(subtitleFont);
    auto top = new QHBoxLayout;
    top->addWidget(picture1);
    top->addWidget(heading);
    top->addStretch(1);
    top->addWidget(subtitle, 0, Qt::AlignBottom);

    txtSupplierID = lineEdit(this, "txtSupplierID");
    txtCompany = lineEdit(this, "txtCompany");
    txtContact = lineEdit(this, "txtContact");
    cmbTitle = new QComboBox(this);   // a fixed list: nothing else may be typed
    cmbTitle->setObjectName(QStringLiteral("cmbTitle"));
    cmbTitle->addItems({QStringLiteral("Mr."), QStringLiteral("Ms."), QStringLiteral("Mrs."), QStringLiteral("Dr.")});
    txtAddress = lineEdit(this, "txtAddress");
    txtCity = lineEdit(this, "txtCity");
    txtState = lineEdit(this, "txtState");
    txtZip = lineEdit(this, "txtZip");
    txtCountry = lineEdit(this, "txtCountry");
    txtPhone = lineEdit(this, "txtPhone");
    txtFax = lineEdit(this, "txtFax");
    txtEMail = lineEdit(this, "txtEMail");
    txtNote = new QPlainTextEdit(this);
    txtNote->setObjectName(QStringLiteral("txtNote"));
    txtNote->setTabChangesFocus(true);

    auto fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setColumnStretch(1, 3);
    fields->setColumnStretch(3, 2);
    fields->setColumnMinimumWidth(2, 70);
    auto contact = new QHBoxLayout;
    contact->addWidget(cmbTitle);
    contact->addWidget(txtContact, 1);
    fields->addLayout(contact, 2, 1);
    using Place = controls::Field::Place;
    controls::layOut(fields, m_binder, {{txtSupplierID, QStringLiteral("Supplier ID:"), "SupplierID", 0, 0},
                                        {txtCompany, QStringLiteral("Company Name:"), "SupplierName", 1, 0},
                                        {txtContact, QStringLiteral("Contact Person:"), "ContactName", 2, 0, 1, Place::Caption},
                                        {cmbTitle, QString(), "ContactTitle", 2, 0, 1, Place::Nowhere},
                                        {txtAddress, QStringLiteral("Address:"), "Address", 3, 0},
                                        {txtCity, QStringLiteral("City:"), "City", 4, 0},
                                        {txtState, QStringLiteral("State:"), "State", 5, 0},
                                        {txtZip, QStringLiteral("Postal Code:"), "Zip", 6, 0},
                                        {txtCountry, QStringLiteral("Country:"), "Country", 7, 0},
                                        {txtPhone, QStringLiteral("Phone:"), "Phone", 0, 2},
                                        {txtFax, QStringLiteral("Fax:"), "Fax", 1, 2},
                                        {txtEMail, QStringLiteral("E-Mail:"), "Email", 2, 2},
                                        {txtNote, QString(), "Notes", 3, 2, 1, Place::Nowhere}});
    auto noteLabel = new QLabel(QStringLiteral("Note:"), this);
    noteLabel->setBuddy(txtNote);
    noteLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    fields->addWidget(noteLabel, 3, 2);
    fields->addWidget(txtNote, 3, 3, 6, 1);   // runs down the right column, caption at its top
    fields->setRowStretch(8, 1);

    auto buttons = new QHBoxLayout;
    buttons->addWidget(m_bar, 1);
    buttons->addSpacing(20);
    const QList<QPushButton *> made = controls::buttonRow(this, buttons,
                                                          {{QStringLiteral("Add"), "cmdAdd", {}},
                                                           {QStringLiteral("Delete"), "cmdDelete", {}},
                                                           {QStringLiteral("Update"), "cmdUpdate", {}},
                                                           {QStringLiteral("Exit"), "cmdExit", {}}},
                                                          {.minimumWidth = 90});
    cmdAdd = made[0];
    cmdDelete = made[1];
    cmdUpdate = made[2];
    cmdExit = made[3];

    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addLayout(top);
    layout->addWidget(line(this, "Line1"));
    layout->addLayout(fields, 1);
    layout->addWidget(line(this, "Line2"));
    layout->addLayout(buttons);
    // Tab follows the screen: the left column top to bottom, then the right one, then the
    // bar and the buttons.
    QWidget *order[] = {txtSupplierID, txtCompany, cmbTitle, txtContact, txtAddress, txtCity, txtState, txtZip,
                        txtCountry, txtPhone, txtFax, txtEMail, txtNote, cmdAdd, cmdDelete, cmdUpdate, cmdExit};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmSupplier::showCompany()
{
    // The owner's details live in the first Misc row.
    try {
        RecordSet misc(salon::employeeDb(), QStringLiteral("Misc"));
        lblVelorine1->setText(misc.value(QStringLiteral("Company")).toString());
    } catch (const StoreError &error) {
        m_bar->reportError(error);
    }
    lblVelorine2->setText(lblVelorine1->text());
}

void frmSupplier::cmdAdd_Click()
{
    try {
        m_binder->addNew();
    } catch (const StoreError &error) {
        m_bar->reportError(error);
        return;
    }
    txtSupplierID->setFocus();
}

void frmSupplier::cmdDelete_Click()
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
    const bool yes = showMessage(this, QStringLiteral("Are you sure you want to delete THIS SUPPLIER FILE ?"),
                                 Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes;
    try {
        bound::deleteStep(*m_records, yes, bound::Landing::Next, [this] { bound::refresh(*m_binder); });
    } catch (const StoreError &error) {
        if (!yes)   // a failed delete ends the command quietly; a failed re-read says why
            m_bar->reportError(error);
    }
}

void frmSupplier::cmdUpdate_Click()
{
    try {
        m_binder->update();
    } catch (const StoreError &) {
        showMessage(this, QStringLiteral("You need to use Add command to enter new record."));
    }
}

void frmSupplier::closeEvent(QCloseEvent *event)
{
    m_bound.close(event);
}
