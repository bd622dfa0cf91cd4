#include "frmemployee.h"

#include "binder.h"
#include "boundform.h"
#include "databar.h"
#include "database.h"
#include "dialogs.h"
#include "formcontrols.h"
#include "frmpayrollrecords.h"
#include "gridmodel.h"
#include "payrollbook.h"
#include "pointer.h"
#include "recordset.h"
#include "salontaxrate.h"
#include "doors.h"
#include "shoppassword.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using controls::isNoRecord;

const QString payrollColumns = QStringLiteral(
    "[RecordID],[ServiceDate],[TodayEarn],[ToDateEArn],[50ByMonth],[50ByTotal],[60ByMonth],[60ByTotal]");

} // namespace

RecordSource frmEmployee::payrollSource(QSqlDatabase db, const QVariant &employeeId)
{
    return RecordSource::select(db, QStringLiteral("Payroll Records"), payrollColumns, QStringLiteral("[EmployeeID] = ?"),
                                {wholeNumberOrNull(employeeId)});
}

frmEmployee::frmEmployee(Doors &doors, QWidget *parent)
    : QWidget(parent, Qt::Window), m_doors(doors), m_bound(this, QStringLiteral("select * from [Employee]"), QStringLiteral("datPrimaryRS")),
      m_employees(m_bound.records()), m_bar(m_bound.bar()), m_binder(m_bound.binder())
{
    setObjectName(QStringLiteral("frmEmployee"));
    setWindowTitle(QStringLiteral("Velorine - Employee Information"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_bar->setValidate(DataBar::Validate::Full);
    m_bar->setDataErrorReport(true);
    // Checked and completed before the row is stored (by a move, Update or closing the screen).
    m_binder->setBeforeWrite([this] {
        checkNumber();
        giveSalonTaxRate();
    });
    // The grid starts on no employee's rows and follows the employee set from its first move
    // on, so the whole payroll table is never read here.
    const BoundScreen::Grid payroll = m_bound.addGrid(payrollSource(m_bound.database(), QVariant()),
                           {{QStringLiteral("ServiceDate"), QStringLiteral("Service Date"), QStringLiteral("General Date")},
                            {QStringLiteral("TodayEarn"), QStringLiteral("Today's Earn"), QStringLiteral("Currency")},
                            {QStringLiteral("ToDateEArn"), QStringLiteral("Total Earn"), QStringLiteral("Currency")},
                            {QStringLiteral("50ByMonth"), QStringLiteral("50%  By Month"), QStringLiteral("Currency")},
                            {QStringLiteral("50ByTotal"), QStringLiteral("50%  By Total"), QStringLiteral("Currency")},
                            {QStringLiteral("60ByMonth"), QStringLiteral("60%  By Month"), QStringLiteral("Currency")},
                            {QStringLiteral("60ByTotal"), QStringLiteral("60%  By Total"), QStringLiteral("Currency")}});
    m_payroll = payroll.records;
    m_grid = payroll.model;
    // The grid follows the employee first, before the bar repositions.
    connect(m_employees, &RecordSet::currentChanged, this, &frmEmployee::showPayroll);

    buildLayout();
    // The new-password box is deliberately not bound: the shop password goes only through
    // the hashing of shoppassword::change(), never into an employee's row.

    resize(940, 720);
    bound::centre(this);
    m_employees->requery();
}

void frmEmployee::buildLayout()
{
    Combo1 = controls::comboBox(this, "Combo1", {QStringLiteral("Mr."), QStringLiteral("Mrs."), QStringLiteral("Ms."), QStringLiteral("Dr.")});
    for (int i = 0; i < 17; ++i) {
        QLineEdit *box = nullptr;
        if (i != 1) {
            box = controls::lineEdit(this, "txtFields");
            box->setProperty("Index", i);
        }
        txtFields << box;
    }
    txtTerminate = controls::lineEdit(this, "txtTerminate");

    auto fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(6);
    // Left: who the employee is; right: contact, licence and dates. The prefix is bound after
    // the boxes, as it always was: a row's edits are written in this order.
    using Place = controls::Field::Place;
    controls::layOut(fields, m_binder,
                     {{txtFields[0], QStringLiteral("&EmployeeID:"), "EmployeeID", 0, 0},
                      {Combo1, QStringLiteral("Prefi&x:"), nullptr, 1, 0},
                      {txtFields[2], QStringLiteral("&First Name:"), "FirstName", 2, 0},
                      {txtFields[3], QStringLiteral("&Middle Name:"), "MiddleName", 3, 0},
                      {txtFields[4], QStringLiteral("&Last Name:"), "LastName", 4, 0},
                      {txtFields[5], QStringLiteral("&Social Security:"), "SSecurity", 5, 0},
                      {txtFields[6], QStringLiteral("&Address:"), "Address", 6, 0},
                      {txtFields[7], QStringLiteral("Cit&y:"), "City", 7, 0},
                      {txtFields[8], QStringLiteral("S&tate:"), "State", 8, 0},
                      {txtFields[9], QStringLiteral("&Zip:"), "Zip", 0, 2},
                      {txtFields[10], QStringLiteral("&Phone:"), "Phone", 1, 2},
                      {txtFields[11], QStringLiteral("Li&cense:"), "License", 2, 2},
                      {txtFields[12], QStringLiteral("&Birthdate:"), "Birthdate", 3, 2},
                      {txtFields[13], QStringLiteral("Date &Hired:"), "DateHired", 4, 2},
                      {txtFields[14], QStringLiteral("Eme&rgency Name:"), "EmrgcyName", 5, 2},
                      {txtFields[15], QStringLiteral("Emergency Ph&one:"), "EmrgcyPhone", 6, 2},
                      {txtTerminate, QStringLiteral("&Termination Date:"), nullptr, 7, 2},
                      {txtFields[16], QStringLiteral("&Notes:"), "Notes", 8, 2},
                      {Combo1, QString(), "Prefix", 0, 0, 1, Place::Nowhere},
                      {txtTerminate, QString(), "DateQuit", 0, 0, 1, Place::Nowhere}});
    Combo1->setMaximumWidth(110);
    txtFields[0]->setMaximumWidth(110);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    auto report = new QGroupBox(QStringLiteral("Employee Payroll Report"), this);
    grdDataGrid = new QTableView(report);
    grdDataGrid->setObjectName(QStringLiteral("grdDataGrid"));
    grdDataGrid->setModel(m_grid);
    grdDataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDataGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDataGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDataGrid->setAlternatingRowColors(true);
    grdDataGrid->verticalHeader()->setDefaultSectionSize(grdDataGrid->fontMetrics().height() + 8);
    grdDataGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grdDataGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    grdDataGrid->setTabKeyNavigation(false);   // Tab leaves the grid for the next control
    connect(grdDataGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { gridRowChosen(current.row()); });
    connect(grdDataGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { mnuData->popup(grdDataGrid->viewport()->mapToGlobal(at)); });
    auto reportLayout = new QVBoxLayout(report);
    reportLayout->addWidget(grdDataGrid);

    mnuData = new QMenu(QStringLiteral("Data"), this);
    mnuData->setObjectName(QStringLiteral("mnuData"));
    QAction *mnuDataDelete = mnuData->addAction(QStringLiteral("&Delete"));
    mnuDataDelete->setObjectName(QStringLiteral("mnuDataDelete"));
    QAction *mnuDataHelp = mnuData->addAction(QStringLiteral("&Help"));
    mnuDataHelp->setObjectName(QStringLiteral("mnuDataHelp"));
    connect(mnuDataDelete, &QAction::triggered, this, &frmEmployee::mnuDataDelete_Click);
    connect(mnuDataHelp, &QAction::triggered, this, &frmEmployee::mnuDataHelp_Click);

    fraPassword = new QGroupBox(QStringLiteral("Change Password"), this);
    fraPassword->setObjectName(QStringLiteral("fraPassword"));
    txtPassword = controls::lineEdit(fraPassword, "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    auto passwordLabel = new QLabel(QStringLiteral("Please enter new password:"), fraPassword);
    passwordLabel->setBuddy(txtPassword);
    auto passwordLayout = new QHBoxLayout(fraPassword);
    passwordLayout->addWidget(passwordLabel);
    passwordLayout->addWidget(txtPassword, 1);
    txtPassword->installEventFilter(this);
    fraPassword->hide();

    auto buttons = new QHBoxLayout;
    const QList<QPushButton *> buttonOrder = controls::buttonRow(
        this, buttons,
        {{QStringLiteral("Add"), "cmdAdd", [this] { cmdAdd_Click(); }},
         {QStringLiteral("Update"), "cmdUpdate", [this] { cmdUpdate_Click(); }},
         {QStringLiteral("Delete"), "cmdDelete", [this] { cmdDelete_Click(); }},
         {QStringLiteral("Refresh"), "cmdRefresh", [this] { cmdRefresh_Click(); }},
         {QStringLiteral("Search"), "cmdSearch", [this] { cmdSearch_Click(); }},
         {},
         {QStringLiteral("Payroll Data Entry"), "cmdData", [this] { cmdData_Click(); }},
         {QStringLiteral("Change Password"), "cmdPassword", [this] { cmdPassword_Click(); }},
         {QStringLiteral("Close"), "cmdClose", [this] { close(); }}});

    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addLayout(fields);
    layout->addWidget(report, 1);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);
    layout->addWidget(fraPassword);

    // Tab goes as the eye reads: down the left column, down the right one, then the grid, the
    // record bar and the buttons (the boxes were not made in that order).
    QList<QWidget *> order{txtFields[0], Combo1};
    for (int i = 2; i < 16; ++i)
        order << txtFields[i];
    order << txtTerminate << txtFields[16] << grdDataGrid;
    for (QToolButton *b : m_bar->navigationButtons())
        order << b;
    for (QPushButton *b : buttonOrder)
        order << b;
    order << txtPassword;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

std::optional<qint64> frmEmployee::currentNumber() const
{
    try {
        if (m_employees->hasCurrent() && m_employees->editMode() != RecordSet::EditMode::AddNew) {
            const QVariant id = m_employees->value(QStringLiteral("EmployeeID"));
            bool ok = false;
            const qint64 number = id.toLongLong(&ok);
            if (!id.isNull() && ok)
                return number;
        }
    } catch (const StoreError &) {
        // An unreadable row has no number to offer.
    }
    return std::nullopt;
}

void frmEmployee::checkNumber()
{
    const auto typed = payrollbook::readEmployeeNumber(txtFields[0]->text());
    if (!typed)
        throw StoreError(StoreError::ConversionError, payrollbook::badNumberText());
    const bool adding = m_employees->editMode() == RecordSet::EditMode::AddNew;
    if (!adding && currentNumber() == typed)
        return;
    const qint64 ownRow = adding || !m_employees->hasCurrent() ? -1 : m_employees->bookmark();
    const auto clash = payrollbook::employeeNumberClash(salon::employeeDb(), *typed, ownRow);
    if (clash != payrollbook::NumberClash::None)
        throw StoreError(StoreError::ConversionError, payrollbook::numberClashText(clash, *typed));
}

// A new employee sells at the rate the others do; Tax Rate wrote only the rows there were.
void frmEmployee::giveSalonTaxRate()
{
    if (m_employees->editMode() != RecordSet::EditMode::AddNew)
        return;
    const QString field = QStringLiteral("SalesTaxRate");
    if (!m_employees->value(field).isNull())
        return;
    if (const auto rate = salon::salonTaxRate(salon::employeeDb()))
        m_employees->setValue(field, *rate);
}

void frmEmployee::showPayroll()
{
    try {
        m_payroll->repoint({currentNumber() ? QVariant(*currentNumber()) : QVariant()});
        if (m_payroll->recordCount() > 0)
            m_payroll->moveLast();
    } catch (const StoreError &) {
        // The payroll table is unreadable: the grid keeps what it showed.
    }
    selectGridRow();
}

void frmEmployee::selectGridRow()
{
    m_selectingGrid = true;
    const qint64 position = m_payroll->isOpen() ? m_payroll->absolutePosition() : -1;
    if (position >= 0) {
        grdDataGrid->selectRow(int(position));
        grdDataGrid->scrollTo(m_grid->index(int(position), 0));
    } else {
        grdDataGrid->clearSelection();
    }
    m_selectingGrid = false;
}

void frmEmployee::gridRowChosen(int row)
{
    if (m_selectingGrid || row < 0 || m_grid->isRemovingRows())
        return;
    try {
        m_payroll->moveFirst();
        if (row > 0)
            m_payroll->move(row);
    } catch (const StoreError &) {
        // The row went meanwhile; the grid shows what is left at the next re-read.
    }
}

bool frmEmployee::LocateEmployeeByNumber(qint64 number)
{
    const auto row = payrollbook::employeeRow(salon::employeeDb(), number);
    if (!row)
        return false;
    m_binder->moveToKey(*row);
    return true;
}

QVariant frmEmployee::GetLastname(const QString &lastName)
{
    QVariant found;
    qint64 key = -1;
    try {
        {
            salon::ShortConnection connection;
            RecordSet table(connection.db(), QStringLiteral("employee"));
            table.setIndex(QStringLiteral("Lastname"));
            table.seek(lastName);
            if (!table.noMatch()) {
                found = table.value(QStringLiteral("EmployeeID"));
                key = table.bookmark();
            }
            table.close();
        }
        if (key < 0) {
            showMessage(this, QStringLiteral("No record found with  ") + lastName + QStringLiteral(" ."));
            return {};
        }
        // The row found, not the row at the position of its number.
        m_binder->moveToKey(key);
    } catch (const StoreError &error) {
        showMessage(this, QStringLiteral("Error %1: %2").arg(error.number()).arg(error.text()), QStringLiteral("ERROR"));
        return {};
    }
    return found;
}

void frmEmployee::cmdAdd_Click()
{
    const bool ok = m_bar->run(DataBar::Action::AddNew, [this] {
        m_binder->addNew();
        showPayroll();   // a new employee has no payroll rows yet
    });
    if (ok)
        txtFields[0]->setFocus();
}

bool frmEmployee::cmdUpdate_Click()
{
    const bool busy = m_bar->validate(DataBar::Action::Update);
    try {
        m_binder->update();
    } catch (const StoreError &error) {
        pointer::normal();
        if (isNoRecord(error)) {
            showMessage(this, QStringLiteral("Please use Add command to enter new data"), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Information);
            close();
        } else {
            // The typing stays on screen to be corrected.
            showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        }
        return false;
    }
    if (busy)
        pointer::normal();
    return true;
}

void frmEmployee::cmdDelete_Click()
{
    switch (bound::deleteTarget(*m_employees)) {
    case bound::DeleteTarget::Nothing:
        return;
    case bound::DeleteTarget::NewRow:
        m_binder->cancel();   // the unsaved employee on screen is dropped; nothing stored is touched
        showPayroll();
        return;
    case bound::DeleteTarget::StoredRow:
        break;
    }
    m_bar->run(DataBar::Action::Delete, [this] {
        const auto answer = showMessage(this, QStringLiteral("Are you sure you want to delete THIS EMPLOYEE FILE ?"),
                                        Dialogs::Buttons::YesNoCancel);
        // The employee's payroll rows stay in the book.
        bound::deleteStep(*m_employees, answer == Dialogs::Answer::Yes, bound::Landing::Next, [this, answer] {
            if (answer == Dialogs::Answer::No)
                showMessage(this, QStringLiteral("Please right click on the data grid for more help."));
            else
                bound::refresh(*m_binder);
        });
    });
}

void frmEmployee::cmdRefresh_Click()
{
    m_bar->run(DataBar::Action::MoveFirst, [this] { bound::refresh(*m_binder); });
}

void frmEmployee::cmdSearch_Click()
{
    const QString lastName = askText(this, QStringLiteral("Enter Last Name for search: ")).trimmed();
    if (lastName.isEmpty())
        return;
    GetLastname(lastName);
}

void frmEmployee::cmdData_Click()
{
    frmPayrollRecords entry(this);
    entry.setProposedEmployee(currentNumber());
    entry.exec();
    // Back on the employee whose row was posted, with the grid re-read to show it.
    try {
        if (const auto posted = entry.postedEmployee(); posted && currentNumber() != posted)
            LocateEmployeeByNumber(*posted);
    } catch (const StoreError &error) {
        m_bar->reportError(error);
    }
    showPayroll();
}

void frmEmployee::cmdPassword_Click()
{
    if (!m_doors.askShopPassword(this))
        return;
    txtPassword->clear();
    fraPassword->show();
    txtPassword->setFocus();
}

void frmEmployee::txtPassword_Enter()
{
    const QString password = txtPassword->text();
    if (password.isEmpty()) {
        showMessage(this, QStringLiteral("The new password cannot be empty. Please type a password."),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Information);
        return;
    }
    try {
        shoppassword::change(password);
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return;
    }
    txtPassword->clear();
    fraPassword->hide();
    showMessage(this, QStringLiteral("The shop password was changed."), Dialogs::Buttons::Ok, Dialogs::Icon::Information);
}

void frmEmployee::mnuDataDelete_Click()
{
    try {
        const bool yes = showMessage(this, QStringLiteral("Are you sure you want to delete this record ?"),
                                     Dialogs::Buttons::YesNoCancel) == Dialogs::Answer::Yes;
        bound::deleteStep(*m_payroll, yes, bound::Landing::Next, [this] { m_payroll->requery(); });
    } catch (const StoreError &error) {
        m_bar->reportError(error);
    }
    try {
        if (m_payroll->recordCount() > 0)
            m_payroll->moveLast();
    } catch (const StoreError &) {
        // Standing on the last row is a courtesy; the grid is already right.
    }
    selectGridRow();
}

void frmEmployee::mnuDataHelp_Click()
{
    showMessage(this, QStringLiteral("To delete one row of record set: 1) Select the row by left click. 2) right click to delete."));
}

bool frmEmployee::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtPassword && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            txtPassword_Enter();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmEmployee::closeEvent(QCloseEvent *event)
{
    m_bar->validate(DataBar::Action::Close);
    m_bound.close(event);
}
