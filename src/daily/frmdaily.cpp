#include "frmdaily.h"

#include "binder.h"
#include "boxtext.h"
#include "boundform.h"
#include "databar.h"
#include "database.h"
#include "dialogs.h"
#include "editablegrid.h"
#include "doors.h"
#include "endofday.h"
#include "formcontrols.h"
#include "frmproducts.h"
#include "pointer.h"
#include "recordset.h"
#include "salewriter.h"
#include "salontaxrate.h"
#include "dates.h"
#include "values.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

Currency moneyOf(const QVariant &value)
{
    return Currency::fromStored(value).value_or(Currency());
}

double rateOf(const QVariant &value)
{
    return value.isNull() ? 0.0 : narrowRate(value.toDouble()).value_or(0);
}

bool isKey(const QEvent *event, Qt::Key key)
{
    return event->type() == QEvent::KeyPress && static_cast<const QKeyEvent *>(event)->key() == key;
}

bool isEnter(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Enter in a cell being typed takes the cell and then sells the row, as Enter on the grid
// does; Esc drops what was typed in the row.
class TicketDelegate : public QStyledItemDelegate
{
public:
    TicketDelegate(QObject *parent, std::function<void()> enter, std::function<void()> escape)
        : QStyledItemDelegate(parent), m_enter(std::move(enter)), m_escape(std::move(escape))
    {
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto editor = qobject_cast<QWidget *>(object);
        if (editor && isEnter(event)) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            m_enter();
            return true;
        }
        if (editor && isKey(event, Qt::Key_Escape)) {
            const bool handled = QStyledItemDelegate::eventFilter(object, event);
            m_escape();
            return handled;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    std::function<void()> m_enter;
    std::function<void()> m_escape;
};

QLineEdit *lineEdit(QWidget *parent, const char *name, bool readOnly = false)
{
    QLineEdit *box = controls::lineEdit(parent, name);
    if (readOnly) {
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAlignment(Qt::AlignRight);
    }
    return box;
}

} // namespace

// The ticket's grid. What the desk types in one row's Quantity and Discount is held here, shown
// in place of the stored cells, until the line is sold (the sale stores it) or dropped.
class TicketGrid : public EditableGrid
{
public:
    using EditableGrid::EditableGrid;

    int typedRow() const { return m_row; }
    std::optional<QVariant> typed(int row, int column) const
    {
        if (row != m_row || !m_cells.contains(column))
            return std::nullopt;
        return m_cells.value(column);
    }
    void setTyped(int row, int column, const QVariant &value)
    {
        if (row != m_row)
            drop();
        m_row = row;
        m_cells.insert(column, value);
        emit dataChanged(index(row, column), index(row, column));
    }
    // The stored cells show again.
    void drop()
    {
        const int row = std::exchange(m_row, -1);
        m_cells.clear();
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }

    QVariant data(const QModelIndex &at, int role = Qt::DisplayRole) const override
    {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            if (const std::optional<QVariant> value = typed(at.row(), at.column()))
                return role == Qt::EditRole ? QVariant(boxText(*value))
                                            : QVariant(formatValue(*value, columns()[at.column()].format));
        return EditableGrid::data(at, role);
    }

private:
    int m_row = -1;
    QHash<int, QVariant> m_cells;   // by column
};

frmDaily::frmDaily(Doors &doors, QWidget *parent, Opening opening)
    : QWidget(parent, Qt::Window), m_doors(doors), m_bound(this, QStringLiteral("select *  from [Employee]"), QStringLiteral("datPrimaryRS"))
{
    setObjectName(QStringLiteral("frmDaily"));
    setWindowTitle(QStringLiteral("Velorine - Daily Activity"));
    setAttribute(Qt::WA_DeleteOnClose);

    QSqlDatabase db = salon::employeeDb();
    m_technicians = m_bound.records();
    m_bar = m_bound.bar();
    m_technicianBinder = m_bound.binder();
    m_productSet = std::make_unique<RecordSet>(db, QStringLiteral("Products"));
    m_customerSet = std::make_unique<RecordSet>(db, QStringLiteral("Customers"));
    m_products = m_productSet.get();
    m_customers = m_customerSet.get();

    m_bar->setValidate(DataBar::Validate::Short);
    m_customerBinding = std::make_unique<Binder>(m_customers);
    m_customerBinder = m_customerBinding.get();
    m_customerBinder->setErrorReporter([this](const StoreError &error) { showMessage(this, error.text()); });
    m_bound.follow(m_customers, m_customerBinder);   // another desk's edit of the customer shows
    m_ticketGrid = std::make_unique<TicketGrid>(
        m_products,
        QList<GridModel::Column>{{QStringLiteral("ServiceID"), QStringLiteral("Service ID"), QStringLiteral("General Number")},
                                 {QStringLiteral("ServiceName"), QStringLiteral("Service Description"), QString()},
                                 {QStringLiteral("UnitPrice"), QStringLiteral("Unit Price"), QStringLiteral("Currency")},
                                 {QStringLiteral("Quantity"), QStringLiteral("Quantity"), QStringLiteral("General Number")},
                                 {QStringLiteral("Discount"), QStringLiteral("Discount"), QStringLiteral("Standard")},
                                 {QStringLiteral("SalePrice"), QStringLiteral("Extended Price"), QStringLiteral("Currency")}},
        QList<int>{3, 4}, [this](int row, const QString &field, const QString &text) { return writeCell(row, field, text); });
    m_grid = m_ticketGrid.get();

    buildLayout();
    connect(m_technicians, &RecordSet::currentChanged, this, &frmDaily::showTechnicianTotals);
    connect(m_technicians, &RecordSet::rowUpdated, this, &frmDaily::showTechnicianTotals);

    resize(1040, 700);
    bound::centre(this);
    pointer::normal();
    m_technicians->requery();
    if (opening == Opening::AskTechnician) {
        askTechnician();
    } else {
        try {
            m_technicians->moveFirst();
        } catch (const StoreError &error) {
            m_bar->reportError(error);
        }
    }
    ClearTicket();
    // From now on every other technician starts a fresh ticket, however the bar was moved.
    connect(m_technicians, &RecordSet::currentChanged, this, &frmDaily::technicianMoved);
}

frmDaily::~frmDaily() = default;

void frmDaily::technicianMoved()
{
    if (m_holdTicket)
        return;
    qint64 technician = -1;
    try {
        if (m_technicians->hasCurrent())
            technician = m_technicians->bookmark();
    } catch (const StoreError &) {
        // An unreadable row is no technician.
    }
    if (technician != m_ticketTechnician)
        ClearTicket();
}

void frmDaily::buildLayout()
{
    txtName = lineEdit(this, "txtName");
    txtSSecurity = lineEdit(this, "txtSSecurity");
    txtSubTotal = lineEdit(this, "txtSubTotal", true);
    txtSaletax = lineEdit(this, "txtSaletax", true);
    txtTotals = lineEdit(this, "txtTotals", true);
    txtTotal = lineEdit(this, "txtTotal", true);
    txtFirstname = lineEdit(this, "txtFirstname");
    txtLastname = lineEdit(this, "txtLastname");
    txtAddress = lineEdit(this, "txtAddress");
    txtCity = lineEdit(this, "txtCity");
    txtState = lineEdit(this, "txtState");
    txtZip = lineEdit(this, "txtZip");
    txtNote = new QPlainTextEdit(this);
    txtNote->setObjectName(QStringLiteral("txtNote"));
    txtNote->setTabChangesFocus(true);
    txtNote->setFixedHeight(txtName->sizeHint().height() * 2 + 6);
    txtServiceDate = lineEdit(this, "txtServiceDate");
    txtTotals->setText(QStringLiteral("0"));

    auto technician = new QGroupBox(QStringLiteral("Nail Technician"), this);
    auto techGrid = new QGridLayout(technician);
    // The day's figures are worked out here, not bound.
    controls::layOut(techGrid, m_technicianBinder, {{txtName, QStringLiteral("Nail Tech.:"), "FirstName", 0, 0},
                                                    {txtSSecurity, QStringLiteral("Social Security:"), "SSecurity", 1, 0},
                                                    {txtSubTotal, QStringLiteral("Sub-Total:"), nullptr, 2, 0},
                                                    {txtSaletax, QStringLiteral("Tax Rate:"), nullptr, 3, 0},
                                                    {txtTotals, QStringLiteral("Total:"), nullptr, 4, 0},
                                                    {txtTotal, QStringLiteral("Today's Total:"), nullptr, 5, 0}});
    techGrid->addWidget(m_bar, 6, 0, 1, 2);
    techGrid->setColumnStretch(1, 1);

    auto billTo = new QGroupBox(QStringLiteral("&Bill To:"), this);
    auto billGrid = new QGridLayout(billTo);
    auto name = new QHBoxLayout;
    name->addWidget(txtFirstname);
    name->addWidget(txtLastname);
    billGrid->addLayout(name, 0, 1, 1, 3);
    auto stateZip = new QHBoxLayout;
    auto stateLabel = new QLabel(QStringLiteral("State:"), this);
    stateLabel->setBuddy(txtState);
    auto zipLabel = new QLabel(QStringLiteral("Zip:"), this);
    zipLabel->setBuddy(txtZip);
    txtState->setMaximumWidth(60);
    txtZip->setMaximumWidth(100);
    stateZip->addWidget(stateLabel);
    stateZip->addWidget(txtState);
    stateZip->addWidget(zipLabel);
    stateZip->addWidget(txtZip);
    billGrid->addLayout(stateZip, 2, 2, 1, 2);
    using Place = controls::Field::Place;
    controls::layOut(billGrid, m_customerBinder,
                     {{txtFirstname, QStringLiteral("Name:"), "FirstName", 0, 0, 1, Place::Caption},
                      {txtLastname, QString(), "LastName", 0, 0, 1, Place::Nowhere},
                      {txtAddress, QStringLiteral("Address:"), "Line1", 1, 0, 3},
                      {txtCity, QStringLiteral("City:"), "City", 2, 0},
                      {txtState, QString(), "State", 2, 2, 1, Place::Nowhere},
                      {txtZip, QString(), "Zip", 2, 2, 1, Place::Nowhere},
                      {txtNote, QStringLiteral("Notes:"), "Notes", 3, 0, 3},
                      {txtServiceDate, QStringLiteral("Service Date:"), "ServiceDate", 4, 0}});
    auto searchRow = new QHBoxLayout;
    const controls::ButtonLook searchLook{.minimumWidth = 0, .autoDefault = false};
    const QList<QPushButton *> search = controls::buttonRow(this, searchRow,
                                                            {{QStringLiteral("<"), "cmdPrevious", [this] { cmdPrevious_Click(); }},
                                                             {QStringLiteral("Search for Client"), "cmdSearch", [this] { cmdSearch_Click(); }},
                                                             {QStringLiteral(">"), "cmdNext", [this] { cmdNext_Click(); }}},
                                                            searchLook);
    search[0]->setFixedWidth(40);
    searchRow->setStretchFactor(search[1], 1);
    search[2]->setFixedWidth(40);
    billGrid->addLayout(searchRow, 4, 2, 1, 2);
    billGrid->setColumnStretch(1, 1);
    billGrid->setColumnStretch(3, 1);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(m_grid);
    DBGrid1->setItemDelegate(new TicketDelegate(
        DBGrid1,
        [this] {
            if (!m_cellRefused)
                saleLine();
        },
        [this] { revertTypedCells(); }));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    DBGrid1->setAlternatingRowColors(true);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 8);
    const int widths[] = {80, 0, 100, 80, 80, 120};
    for (int i = 0; i < 6; ++i)
        if (widths[i])
            DBGrid1->setColumnWidth(i, widths[i]);
    DBGrid1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    DBGrid1->installEventFilter(this);
    // The grid's row is the set's current row: the service being sold.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &at) {
        // What was typed in a row left without Enter is not sold.
        if (m_grid->typedRow() >= 0 && at.row() != m_grid->typedRow())
            revertTypedCells();
        if (!at.isValid() || at.row() == m_products->absolutePosition())
            return;
        try {
            m_products->moveFirst();
            m_products->move(at.row());
        } catch (const StoreError &error) {
            showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        }
    });
    connect(m_products, &RecordSet::reset, this, [this] {
        // Rows read anew may be other services: nothing typed stays on them.
        m_grid->drop();
        if (m_products->hasCurrent())
            DBGrid1->setCurrentIndex(m_grid->index(0, 3));
    });

    auto buttons = new QHBoxLayout;
    const QList<QPushButton *> made =
        controls::buttonRow(this, buttons,
                            {{QStringLiteral("Data Entry"), "cmdData", [this] { cmdData_Click(); }},
                             {QStringLiteral("End Of Day"), "cmdEndOfDay", [this] { cmdEndOfDay_Click(); }},
                             {QStringLiteral("Print Invoice"), "cmdPrint", [this] { printReceipt(); }},
                             {},
                             {QStringLiteral("S a v e"), "cmdSave", [this] { cmdSave_Click(); }},
                             {QStringLiteral("C l o s e"), "cmdClose", [this] { cmdClose_Click(); }}},
                            {.minimumWidth = 110, .autoDefault = false});
    // A screen reader spells the spaced captions letter by letter; it reads the word instead.
    made[3]->setAccessibleName(QStringLiteral("Save"));
    made[4]->setAccessibleName(QStringLiteral("Close"));

    auto top = new QHBoxLayout;
    top->addWidget(technician, 2);
    top->addWidget(billTo, 3);
    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(top);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
}

// The technician is found by the number typed (its first two characters), not by position:
// a number that matches no one is asked again; an empty answer or Cancel takes the first row.
void frmDaily::askTechnician()
{
    for (;;) {
        const QString answer = askText(this, QStringLiteral("Please enter your Employee ID number: "));
        const std::int16_t number = toInt16HalfEven(valPrefix(answer, 2)).value_or(0);
        try {
            if (number == 0) {
                m_technicians->moveFirst();
                return;
            }
            m_technicians->findFirst(QStringLiteral("EmployeeID = ?"), {int(number)});
            if (!m_technicians->noMatch())
                return;
        } catch (const StoreError &error) {
            m_bar->reportError(error);
            return;
        }
        showMessage(this, QStringLiteral("There is no employee with the number %1.").arg(number),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Information);
    }
}

void frmDaily::showTechnicianTotals()
{
    QString rate, total;
    try {
        if (m_technicians->hasCurrent()) {
            const QVariant storedRate = m_technicians->value(QStringLiteral("SalesTaxRate"));
            rate = salon::isNoTaxRate(storedRate) ? QString() : numberText(rateOf(storedRate));
            total = moneyOf(m_technicians->value(QStringLiteral("Total"))).text();
        }
    } catch (const StoreError &) {
        // The data bar reports an unreadable row; the boxes show nothing for it.
    }
    txtSubTotal->setText(m_ticketSubTotal.text());
    txtSaletax->setText(rate);
    txtTotal->setText(total);
}

// Typing in the ticket: Quantity takes a whole number from 0 up, Discount a rate from 0 to 1.
// The cell is only held on the screen: the sale stores it with its line.
bool frmDaily::writeCell(int row, const QString &field, const QString &text)
{
    QVariant value;
    if (field == QLatin1String("Quantity")) {
        bool ok = false;
        const qlonglong quantity = text.trimmed().isEmpty() ? 0 : QLocale().toLongLong(text.trimmed(), &ok);
        if ((!ok && !text.trimmed().isEmpty()) || quantity < 0 || quantity > 1000000) {
            showMessage(this, QStringLiteral("The quantity must be a whole number from 0 up."), Dialogs::Buttons::Ok,
                        Dialogs::Icon::Warning);
            m_cellRefused = true;
            return false;
        }
        value = quantity;
    } else {
        const sale::RateReading reading = sale::readRate(sale::RateQuestion::Discount, text);
        if (reading.kind == sale::RateReading::Kind::Refused) {
            showMessage(this, reading.refusal, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
            m_cellRefused = true;
            return false;
        }
        value = reading.rate;
    }
    m_grid->setTyped(row, field == QLatin1String("Quantity") ? 3 : 4, value);
    m_cellRefused = false;
    return true;
}

void frmDaily::revertTypedCells()
{
    m_grid->drop();
}

bool frmDaily::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBGrid1 && isEnter(event)) {
        m_cellRefused = false;
        saleLine();
        return true;
    }
    if (watched == DBGrid1 && isKey(event, Qt::Key_Escape))
        revertTypedCells();
    return QWidget::eventFilter(watched, event);
}

std::optional<double> frmDaily::askDiscount()
{
    const QString prompt = sale::ratePrompt(sale::RateQuestion::Discount);
    for (;;) {
        const std::optional<QString> answer = askTextOrCancel(this, prompt);
        if (!answer)
            return std::nullopt;
        const sale::RateReading reading = sale::readRate(sale::RateQuestion::Discount, *answer);
        if (reading.kind != sale::RateReading::Kind::Refused)
            return reading.rate;   // an empty answer is no discount
        showMessage(this, reading.refusal, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    }
}

// Enter on a row of the grid: the row's service is sold to the ticket's customer by the
// ticket's technician. Nothing is written until the whole line is, in one transaction.
void frmDaily::saleLine()
{
    if (!m_technicians->hasCurrent()) {
        showMessage(this, QStringLiteral("Please choose the technician before entering a sale."), Dialogs::Buttons::Ok,
                    Dialogs::Icon::Information);
        return;
    }
    if (!m_customers->hasCurrent()) {
        showMessage(this, QStringLiteral("Please find the customer before entering a sale."), Dialogs::Buttons::Ok,
                    Dialogs::Icon::Information);
        return;
    }
    if (!m_products->hasCurrent())
        return;

    sale::SaleLine line;
    try {
        if (salon::isNoTaxRate(m_technicians->value(QStringLiteral("SalesTaxRate")))) {
            showMessage(this, sale::noTaxRateText(), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
            return;
        }
        // A cell typed in this row counts over the stored one.
        const int row = int(m_products->absolutePosition());
        const QVariant quantity = m_grid->typed(row, 3).value_or(m_products->value(QStringLiteral("Quantity")));
        line.quantity = quantity.isNull() ? 0 : quantity.toLongLong();
        const QVariant discount = m_grid->typed(row, 4).value_or(m_products->value(QStringLiteral("Discount")));
        line.discountRate = discount.isNull() ? 0.0 : discount.toDouble();
        line.productKey = m_products->bookmark();
        line.employeeKey = m_technicians->bookmark();
        line.customerKey = m_customers->bookmark();
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return;
    }
    if (line.discountRate == 0.0 || !sale::isRate(line.discountRate)) {
        const std::optional<double> rate = askDiscount();
        if (!rate) {
            revertTypedCells();
            return;
        }
        line.discountRate = *rate;
    }
    line.today = QDate::currentDate();
    line.ticketSubTotal = m_ticketSubTotal;

    sale::RecordedSale sale;
    try {
        const pointer::Busy busy;
        sale = sale::recordSaleLine(salon::employeeDb(), line);
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return;
    }

    // Committed: now the screen shows it, the typed cells as stored.
    m_grid->drop();
    m_products->refreshRow(line.productKey);
    m_technicians->refreshRow(line.employeeKey);
    if (m_customerBinder->isDirty()) {
        // The Bill To boxes hold edits still to be stored; only the last visit is shown anew.
        txtServiceDate->setText(shortDateText(line.today));
    }
    m_customers->refreshRow(line.customerKey);
    m_ticketSubTotal = sale.subTotal;
    showTechnicianTotals();
    txtTotals->setText(numberText(sale::ticketTotal(sale.subTotal, sale.taxRate)));
    m_receiptContent.lines.push_back({sale.serviceName, sale.extended});
    m_receiptContent.totals = sale::receiptTotals(sale.subTotal, sale.taxRate);
    showReceipt();
}

void frmDaily::showReceipt()
{
    if (m_receipt)
        m_receipt->showContent(m_receiptContent);
}

frmReceipt *frmDaily::ensureReceipt()
{
    if (!m_receipt) {
        m_receipt = new frmReceipt(this);
        m_receipt->showContent(m_receiptContent);
    }
    return m_receipt;
}

void frmDaily::ClearTicket()
{
    // The screen's ticket starts afresh even when the book cannot be written: a sale adds only
    // to this sub-total, never to a stored one.
    const qint64 ending = m_ticketTechnician;
    m_ticketTechnician = -1;
    m_ticketSubTotal = Currency();
    m_grid->drop();
    try {
        if (m_technicians->hasCurrent())
            m_ticketTechnician = m_technicians->bookmark();
        sale::clearTicketCells(salon::employeeDb(), {ending, m_ticketTechnician});
        m_products->requery();
        if (m_ticketTechnician >= 0)
            m_technicians->refreshRow(m_ticketTechnician);
        if (ending >= 0 && ending != m_ticketTechnician)
            m_technicians->refreshRow(ending);
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
    }
    showTechnicianTotals();
    txtTotals->setText(QStringLiteral("0"));

    // A fresh receipt for the customer now on the ticket.
    m_receiptContent = ReceiptContent();
    try {
        if (m_customers->hasCurrent()) {
            m_receiptContent.firstName = m_customers->value(QStringLiteral("FirstName")).toString();
            m_receiptContent.lastName = m_customers->value(QStringLiteral("LastName")).toString();
        }
    } catch (const StoreError &) {
        // An unreadable customer leaves the name captions.
    }
    m_receiptContent.totals = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    showReceipt();
}

QVariant frmDaily::GetLastname(const QString &strLastname)
{
    try {
        qint64 found = -1;
        QVariant customerId;
        {
            salon::ShortConnection connection;
            RecordSet table(connection.db(), QStringLiteral("Customers"));
            table.setIndex(QStringLiteral("LastName"));
            table.seek(strLastname);
            if (table.noMatch()) {
                showMessage(this, QStringLiteral("No record found with  ") + strLastname + QStringLiteral(" ."));
                return {};
            }
            found = table.bookmark();
            customerId = table.value(QStringLiteral("CustomerID"));
        }
        const qint64 before = m_customers->hasCurrent() ? m_customers->bookmark() : -1;
        m_customerBinder->moveToKey(found);
        // Another customer's ticket starts afresh.
        if (found != before)
            ClearTicket();
        return customerId;
    } catch (const StoreError &error) {
        showMessage(this, QStringLiteral("Error %1: %2").arg(error.number()).arg(error.text()), QStringLiteral("ERROR"));
        return {};
    }
}

std::optional<QString> frmDaily::checkIn(const checkin::Request &request)
{
    // Both rows are found by their numbers before anything moves, so a refusal moves nothing.
    auto rowOf = [this](const QString &table, const QString &key, const QVariant &number) -> std::optional<qint64> {
        RecordSet rows(m_technicians->database(), table);
        rows.findFirst(key + QStringLiteral(" = ?"), {number});
        if (rows.noMatch())
            return std::nullopt;
        return rows.bookmark();
    };
    try {
        const std::optional<qint64> technician =
            rowOf(QStringLiteral("Employee"), QStringLiteral("EmployeeID"), request.employeeId);
        if (!technician)
            return QStringLiteral("There is no employee with the number %1.").arg(request.employeeId);
        std::optional<qint64> customer;
        if (!request.customerId.isNull()) {
            customer = rowOf(QStringLiteral("Customers"), QStringLiteral("CustomerID"), request.customerId);
            if (!customer)
                return QStringLiteral("There is no customer with the number %1.").arg(request.customerId.toString());
        }
        {
            // One reset below, whichever of the two moved.
            m_holdTicket = true;
            const auto hold = qScopeGuard([this] { m_holdTicket = false; });
            if (customer)
                m_customerBinder->moveToKey(*customer);
            m_technicianBinder->moveToKey(*technician);
        }
    } catch (const StoreError &error) {
        return error.text();
    }
    ClearTicket();
    return std::nullopt;
}

void frmDaily::cmdSearch_Click()
{
    const QString name = askText(this, QStringLiteral("Enter Last Name for search: ")).trimmed();
    if (name.isEmpty())
        return;
    GetLastname(name);
}

void frmDaily::cmdNext_Click()
{
    try {
        if (!m_customers->eof())
            m_customers->moveNext();
    } catch (const StoreError &) {
        // Moving on is best effort; the ticket is reset all the same.
    }
    ClearTicket();
}

void frmDaily::cmdPrevious_Click()
{
    try {
        if (!m_customers->bof())
            m_customers->movePrevious();
    } catch (const StoreError &) {
    }
    ClearTicket();
}

bool frmDaily::cmdSave_Click()
{
    try {
        if (m_technicians->hasCurrent())
            m_technicianBinder->update();
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return false;
    }
    return true;
}

void frmDaily::cmdClose_Click()
{
    if (cmdSave_Click())
        close();
}

void frmDaily::cmdData_Click()
{
    if (!m_doors.askShopPassword(this))
        return;
    try {
        frmProducts products(this);
        connect(&products, &frmProducts::taxRateChanged, this, [this] {
            if (m_technicians->hasCurrent())
                m_technicians->refreshRow(m_technicians->bookmark());
            showTechnicianTotals();
        });
        products.exec();
    } catch (const StoreError &error) {
        // The price list could not be opened.
        showMessage(this, QStringLiteral("Data error event hit err:") + error.text(), Dialogs::Buttons::Ok,
                    Dialogs::Icon::Critical);
    }
    // New prices and services show on the ticket.
    try {
        m_products->requery();
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
    }
    pointer::normal();
}

void frmDaily::printReceipt()
{
    frmReceipt *receipt = ensureReceipt();
    receipt->show();
    receipt->raise();
    // Whatever was asked on the way, the receipt ends in front.
    const auto toFront = qScopeGuard([receipt = QPointer<frmReceipt>(receipt)] {
        if (receipt) {
            receipt->raise();
            receipt->activateWindow();
        }
    });

    QPrinter printer(QPrinter::HighResolution);
    if (!Dialogs::instance().defaultPrinter(printer)) {
        if (showMessage(this, QStringLiteral("No printer is installed, so the receipt was not printed. "
                                             "Do you want to save it as a PDF file instead?"),
                        Dialogs::Buttons::YesNo, Dialogs::Icon::Question) == Dialogs::Answer::Yes)
            saveReceiptAsPdf();
        return;
    }
    bool printed = false;
    {
        const pointer::Busy busy;
        printed = receipt->printOn(printer);
    }
    if (!printed
        && showMessage(this, QStringLiteral("The receipt could not be printed on %1. Do you want to save it as a PDF file instead?")
                                 .arg(printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName()),
                       Dialogs::Buttons::YesNo, Dialogs::Icon::Warning) == Dialogs::Answer::Yes)
        saveReceiptAsPdf();
}

bool frmDaily::saveReceiptAsPdf()
{
    const QString fileName = Dialogs::instance().saveFileName(this, QStringLiteral("Save Receipt As"), QString(),
                                                             QStringLiteral("PDF files (*.pdf)"), QStringLiteral("pdf"));
    if (fileName.isEmpty() || !m_receipt)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    if (m_receipt->printOn(printer))
        return true;
    showMessage(this, QStringLiteral("The receipt could not be saved as %1.").arg(fileName), Dialogs::Buttons::Ok,
                Dialogs::Icon::Critical);
    return false;
}

void frmDaily::closeEvent(QCloseEvent *event)
{
    m_bar->validate(DataBar::Action::Close);
    try {
        m_customerBinder->writePending();
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        event->ignore();
        return;
    }
    m_bound.close(event);
    if (event->isAccepted() && m_receipt)
        m_receipt->close();
}

// End Of Day: every employee's payroll row (endofday.h), then the ticket back on the technician
// that was current, with the totals the walk left, and a fresh ticket.
void frmDaily::cmdEndOfDay_Click()
{
    try {
        m_technicianBinder->writePending();
    } catch (const StoreError &error) {
        m_bar->reportError(error);
        return;
    }
    const qint64 current = m_technicians->hasCurrent() ? m_technicians->bookmark() : -1;
    QSqlDatabase db = m_technicians->database();
    const endofday::Result result =
        endofday::walk(this, QDate::currentDate(), m_doors, [db](qint64 row) { endofday::clearDayTotalsInBook(db, row); });
    if (!result.refused.isEmpty()) {
        endofday::showClosing(this, result);   // another desk runs it; this ticket stays as it is
        return;
    }
    {
        // Passing the first row on the way back is no change of technician.
        m_holdTicket = true;
        const auto hold = qScopeGuard([this] { m_holdTicket = false; });
        try {
            m_technicians->requery();
            if (current >= 0)
                m_technicians->moveToBookmark(current);
        } catch (const StoreError &error) {
            m_bar->reportError(error);
        }
    }
    ClearTicket();
    endofday::showClosing(this, result);
}
