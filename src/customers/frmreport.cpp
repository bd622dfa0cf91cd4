#include "frmreport.h"

#include "binder.h"
#include "boundform.h"
#include "databar.h"
#include "database.h"
#include "dialogs.h"
#include "formcontrols.h"
#include "gridmodel.h"
#include "pointer.h"
#include "recordset.h"
#include "visitjournal.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString journalColumns = QStringLiteral(
    "[ServiceID], [CustomerID], [EmployeeID],[ServiceDate],[NameOfService], [Quantity], [Cost], [Count]");

} // namespace

RecordSource frmReport::journalSource(QSqlDatabase db, const QVariant &customerId)
{
    return RecordSource::select(db, QStringLiteral("Service Records"), journalColumns, QStringLiteral("[CustomerID] = ?"),
                                {wholeNumberOrNull(customerId)});
}

frmReport::frmReport(QWidget *parent)
    : QWidget(parent, Qt::Window), m_bound(this, QStringLiteral("select * from [Customers]"), QStringLiteral("datPrimaryRS")),
      m_customers(m_bound.records()), m_bar(m_bound.bar()), m_binder(m_bound.binder())
{
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(QStringLiteral("Velorine - Customer Visiting Report"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_bar->setValidate(DataBar::Validate::Full);
    m_bar->setDataErrorReport(true);
    // The journal starts on no customer's rows and follows the customer set from its first
    // move on, so the whole table is never read.
    const BoundScreen::Grid journal = m_bound.addGrid(journalSource(m_bound.database(), QVariant()),
                           {{QStringLiteral("Count"), QStringLiteral("Service No."), QStringLiteral("General Number")},
                            {QStringLiteral("EmployeeID"), QStringLiteral("Employee ID"), QStringLiteral("General Number")},
                            {QStringLiteral("ServiceDate"), QStringLiteral("Service Date"), QStringLiteral("Short Date")},
                            {QStringLiteral("NameOfService"), QStringLiteral("Service Description"), QString()},
                            {QStringLiteral("Quantity"), QStringLiteral("Quantity"), QStringLiteral("General Number")},
                            {QStringLiteral("Cost"), QStringLiteral("Cost"), QStringLiteral("Currency")}});
    m_journal = journal.records;
    m_grid = journal.model;
    connect(m_customers, &RecordSet::currentChanged, this, &frmReport::showJournal);
    // A sale committed for the customer on screen shows at once; the report stays where it is.
    connect(&visitjournal::Notifier::instance(), &visitjournal::Notifier::visitsAdded, this,
            [this](const QVariant &customerId) {
                try {
                    if (m_customers->hasCurrent() && m_customers->value(QStringLiteral("CustomerID")) == customerId)
                        showJournal();
                } catch (const StoreError &) {
                    // An unreadable customer row has no journal to show.
                }
            });

    buildLayout();

    resize(900, 620);
    // The customers were read a moment ago and their first row is current: re-reading them
    // again would only double the wait on a large book. The journal follows that first row.
    showJournal();
    bound::centre(this);
}

void frmReport::buildLayout()
{
    for (int i = 0; i < 9; ++i) {
        auto box = controls::lineEdit(this, "txtFields");
        box->setProperty("Index", i);
        txtFields << box;
    }
    auto fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    auto name = new QHBoxLayout;
    name->setSpacing(6);
    name->addWidget(txtFields[0]);
    name->addWidget(txtFields[1]);
    fields->addLayout(name, 0, 1);
    using Place = controls::Field::Place;
    controls::layOut(fields, m_binder, {{txtFields[0], QStringLiteral("Name:"), "FirstName", 0, 0, 1, Place::Caption},
                                        {txtFields[1], QString(), "LastName", 0, 0, 1, Place::Nowhere},
                                        {txtFields[2], QStringLiteral("Line1:"), "Line1", 1, 0},
                                        {txtFields[3], QStringLiteral("Line2:"), "Line2", 2, 0},
                                        {txtFields[4], QStringLiteral("City:"), "City", 3, 0},
                                        {txtFields[5], QStringLiteral("State:"), "State", 0, 2},
                                        {txtFields[6], QStringLiteral("Zip:"), "Zip", 1, 2},
                                        {txtFields[7], QStringLiteral("Home Phone:"), "HomePhone", 2, 2},
                                        {txtFields[8], QStringLiteral("Notes:"), "Notes", 3, 2}});
    fields->setColumnStretch(1, 3);
    fields->setColumnStretch(3, 2);

    grdDataGrid = new QTableView(this);
    grdDataGrid->setObjectName(QStringLiteral("grdDataGrid"));
    grdDataGrid->setModel(m_grid);
    grdDataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDataGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDataGrid->setAlternatingRowColors(true);
    grdDataGrid->verticalHeader()->setDefaultSectionSize(grdDataGrid->fontMetrics().height() + 8);
    grdDataGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grdDataGrid->horizontalHeader()->setStretchLastSection(false);
    const int widths[] = {90, 90, 110, 0, 80, 110};
    for (int i = 0; i < 6; ++i)
        if (widths[i] > 0)
            grdDataGrid->setColumnWidth(i, widths[i]);
    grdDataGrid->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);

    auto picButtons = new QWidget(this);
    picButtons->setObjectName(QStringLiteral("picButtons"));
    auto buttons = new QHBoxLayout(picButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    controls::buttonRow(picButtons, buttons,
                        {{QStringLiteral("&Add"), "cmdAdd", [this] { cmdAdd_Click(); }},
                         {QStringLiteral("&Delete"), "cmdDelete", [this] { cmdDelete_Click(); }},
                         {QStringLiteral("&Refresh"), "cmdRefresh", [this] { cmdRefresh_Click(); }},
                         {QStringLiteral("&Update"), "cmdUpdate", [this] { cmdUpdate_Click(); }},
                         {},
                         {QStringLiteral("&Close"), "cmdClose", [this] { cmdClose_Click(); }}},
                        {.minimumWidth = 90});

    // The grid takes whatever height the customer block, the bar and the buttons leave.
    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(fields);
    layout->addWidget(grdDataGrid, 1);
    layout->addWidget(m_bar);
    layout->addWidget(picButtons);
}

void frmReport::showJournal()
{
    QVariant customerId;
    try {
        if (m_customers->hasCurrent())
            customerId = m_customers->value(QStringLiteral("CustomerID"));
    } catch (const StoreError &) {
        // An unreadable customer has no journal to show.
    }
    try {
        m_journal->repoint({wholeNumberOrNull(customerId)});
    } catch (const StoreError &) {
        // The journal table is unreadable: the grid keeps what it showed.
    }
}

void frmReport::cmdAdd_Click()
{
    m_bar->run(DataBar::Action::AddNew, [this] {
        m_binder->addNew();
        showJournal();   // a new customer has no visits yet
    });
}

void frmReport::cmdDelete_Click()
{
    const bool busy = m_bar->validate(DataBar::Action::Delete);
    try {
        switch (bound::deleteTarget(*m_customers)) {
        case bound::DeleteTarget::Nothing:
            break;
        case bound::DeleteTarget::NewRow:
            m_binder->cancel();
            showJournal();
            break;
        case bound::DeleteTarget::StoredRow:
            // The visiting report deletes without a question.
            bound::deleteStep(*m_customers, true, bound::Landing::NextOrNewLast);
            break;
        }
    } catch (const StoreError &) {
        // A failed delete ends quietly.
    }
    if (busy)
        pointer::normal();
}

void frmReport::cmdRefresh_Click()
{
    m_bar->run(DataBar::Action::MoveFirst, [this] { bound::refresh(*m_binder); });
}

bool frmReport::cmdUpdate_Click()
{
    const bool busy = m_bar->validate(DataBar::Action::Update);
    try {
        m_binder->update();
    } catch (const StoreError &error) {
        pointer::normal();
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return false;
    }
    if (busy)
        pointer::normal();
    return true;
}

void frmReport::cmdClose_Click()
{
    pointer::normal();
    // With no customer on screen there is nothing to update: just close.
    if ((m_customers->hasCurrent() || m_customers->editMode() != RecordSet::EditMode::None) && !cmdUpdate_Click())
        return;
    close();
}

void frmReport::closeEvent(QCloseEvent *event)
{
    m_bar->validate(DataBar::Action::Close);
    m_bound.close(event);
}
