#include "frmproducts.h"

#include "boundform.h"
#include "boxtext.h"
#include "databar.h"
#include "database.h"
#include "dialogs.h"
#include "editablegrid.h"
#include "formcontrols.h"
#include "pointer.h"
#include "recordset.h"
#include "saleline.h"
#include "values.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString nameRequired = QStringLiteral("Please type the service's name.");

// The number after the last service's. Throws StoreError.
qlonglong nextServiceNumber(QSqlDatabase db)
{
    QSqlQuery next = salon::runQuery(db, QStringLiteral("SELECT coalesce(max(ServiceID), 0) + 1 FROM Products"));
    return next.next() ? next.value(0).toLongLong() : 1;
}

} // namespace

// The price grid: the stored rows, and below them, while the set adds a row, the new line
// the desk types a service into. The new line shows the set's add-new buffer.
class PriceGrid : public EditableGrid
{
public:
    using EditableGrid::EditableGrid;

    bool hasNewLine() const { return m_newLine && records()->editMode() == RecordSet::EditMode::AddNew; }
    int newLineRow() const { return hasNewLine() ? GridModel::rowCount() : -1; }

    // The set has just started a new row: show its line.
    void openNewLine()
    {
        const int at = GridModel::rowCount();
        beginInsertRows({}, at, at);
        m_newLine = true;
        endInsertRows();
    }
    // Before the new row is stored or dropped: its line goes (a stored row comes back as a row).
    void closeNewLine()
    {
        if (!hasNewLine()) {
            m_newLine = false;
            return;
        }
        const int at = GridModel::rowCount();
        takeOutRows(at, at, [this] { m_newLine = false; });
    }
    void newLineTyped()
    {
        if (hasNewLine())
            emit dataChanged(index(newLineRow(), 0), index(newLineRow(), columnCount() - 1));
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : GridModel::rowCount() + (hasNewLine() ? 1 : 0);
    }
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
    {
        if (index.isValid() && index.row() == newLineRow() && (role == Qt::DisplayRole || role == Qt::EditRole)) {
            const Column &column = columns()[index.column()];
            QVariant value;
            try {
                value = records()->value(column.field);
            } catch (const StoreError &) {
                // Nothing to show for a field the set lacks.
            }
            return role == Qt::EditRole ? QVariant(boxText(value)) : QVariant(formatValue(value, column.format));
        }
        return EditableGrid::data(index, role);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation == Qt::Vertical && role == Qt::DisplayRole && section == newLineRow())
            return QStringLiteral("*");
        return EditableGrid::headerData(section, orientation, role);
    }

private:
    bool m_newLine = false;
};

frmProducts::frmProducts(QWidget *parent)
    : QDialog(parent),
      m_bound(this,
              QStringLiteral("select [ServiceID],[ServiceName],[UnitPrice],[Quantity],[Discount],[SalePrice],[Minutes] from [Products]"),
              QStringLiteral("datPrimaryRS"))
{
    setObjectName(QStringLiteral("frmProducts"));
    setWindowTitle(QStringLiteral("Velorine - Product and Servicing data entry"));
    setModal(true);

    m_records = m_bound.records();
    m_bar = m_bound.bar();
    m_bar->setValidate(DataBar::Validate::Full);
    m_bar->setDataErrorReport(true);
    m_priceGrid = std::make_unique<PriceGrid>(
        m_records,
        QList<GridModel::Column>{{QStringLiteral("ServiceID"), QStringLiteral("Service ID"), QStringLiteral("General Number")},
                                 {QStringLiteral("ServiceName"), QStringLiteral("Service Description"), QString()},
                                 {QStringLiteral("UnitPrice"), QStringLiteral("Unit Price"), QStringLiteral("Currency")},
                                 {QStringLiteral("Minutes"), QStringLiteral("Minutes"), QStringLiteral("General Number")}},
        QList<int>{0, 1, 2, 3}, [this](int row, const QString &field, const QString &text) { return writeCell(row, field, text); });
    m_grid = m_priceGrid.get();

    auto caption = new QLabel(QStringLiteral("Velorine - Product and Servicing Information"), this);
    caption->setObjectName(QStringLiteral("grdDataGridCaption"));
    caption->setAlignment(Qt::AlignCenter);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    grdDataGrid = new QTableView(this);
    grdDataGrid->setObjectName(QStringLiteral("grdDataGrid"));
    grdDataGrid->setModel(m_grid);
    grdDataGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDataGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDataGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                 | QAbstractItemView::AnyKeyPressed);
    grdDataGrid->setAlternatingRowColors(true);
    grdDataGrid->verticalHeader()->setDefaultSectionSize(grdDataGrid->fontMetrics().height() + 8);
    grdDataGrid->setColumnWidth(0, 90);
    grdDataGrid->setColumnWidth(2, 110);
    grdDataGrid->setColumnWidth(3, 80);
    grdDataGrid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    // The grid's row and the set's current row go together.
    connect(grdDataGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &frmProducts::gridRowChosen);
    // Whatever leaves a row (a row chosen, the data bar, Add) takes the cell being typed in
    // first, and settles the new line.
    m_leavingRow = m_records->onLeavingRow([this] {
        takeTyping();
        settleNewLine();
    });
    connect(m_records, &RecordSet::currentChanged, this, [this] {
        const qint64 at = m_records->absolutePosition();
        if (at >= 0 && grdDataGrid->currentIndex().row() != at)
            grdDataGrid->setCurrentIndex(m_grid->index(int(at), std::max(0, grdDataGrid->currentIndex().column())));
    });

    auto picButtons = new QWidget(this);
    picButtons->setObjectName(QStringLiteral("picButtons"));
    auto buttons = new QHBoxLayout(picButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    controls::buttonRow(picButtons, buttons,
                        {{QStringLiteral("&Add"), "cmdAdd", [this] { cmdAdd_Click(); }},
                         {QStringLiteral("&Delete"), "cmdDelete", [this] { cmdDelete_Click(); }},
                         {QStringLiteral("&Tax Rate"), "cmdTaxRate", [this] { cmdTaxRate_Click(); }},
                         {QStringLiteral("&Update"), "cmdUpdate", [this] { cmdUpdate_Click(); }},
                         {},
                         {QStringLiteral("&Close"), "cmdClose", [this] { accept(); }}},
                        {.minimumWidth = 90, .autoDefault = false});

    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(caption);
    layout->addWidget(grdDataGrid, 1);
    layout->addWidget(m_bar);
    layout->addWidget(picButtons);
    resize(640, 480);
    if (m_records->hasCurrent())
        grdDataGrid->setCurrentIndex(m_grid->index(0, 1));
}

frmProducts::~frmProducts() = default;

void frmProducts::gridRowChosen(const QModelIndex &at)
{
    // A row leaving the grid moves the view's current row by itself: the delete moves the set.
    if (!at.isValid() || m_grid->isRemovingRows() || at.row() == m_grid->newLineRow())
        return;
    if (at.row() == m_records->absolutePosition() && !m_grid->hasNewLine())
        return;
    const bool moved = m_bar->run(DataBar::Action::Bookmark, [&] {
        m_records->moveFirst();
        m_records->move(at.row());
    });
    if (!moved && m_grid->hasNewLine()) {
        // The new line was refused and stays: back to it once the view has finished its move.
        const int column = at.column();
        QMetaObject::invokeMethod(this, [this, column] {
            if (m_grid->hasNewLine())
                grdDataGrid->setCurrentIndex(m_grid->index(m_grid->newLineRow(), column));
        }, Qt::QueuedConnection);
    }
}

frmProducts::Settled frmProducts::settleNewLine()
{
    if (!m_grid->hasNewLine())
        return Settled::Dropped;
    takeTyping();
    if (boxText(m_records->value(QStringLiteral("ServiceName"))).trimmed().isEmpty()) {
        if (m_newLineTyped)
            throw StoreError(StoreError::ValueRequired, nameRequired);
        m_grid->closeNewLine();
        m_records->cancelUpdate();
        return Settled::Dropped;
    }
    m_grid->closeNewLine();
    try {
        QSqlDatabase db = m_records->database();
        if (salon::isServer(db) && m_records->value(QStringLiteral("ServiceID")) == QVariant(m_offeredNumber)) {
            // Another desk may have added a service since Add: the number offered is taken
            // again under the desks' write lock, in the transaction that stores the row.
            salon::Transaction transaction(db);
            m_records->setValue(QStringLiteral("ServiceID"), nextServiceNumber(db));
            m_records->update();
            transaction.commit();
        } else {
            m_records->update();
        }
    } catch (const StoreError &) {
        m_grid->openNewLine();   // still being added: the line stays as typed
        throw;
    }
    return Settled::Stored;
}

void frmProducts::takeTyping()
{
    // The grid hands a cell's text over when its editor loses focus, which the data bar's
    // arrows and the close box do not take. So a cell still open is taken into its row here,
    // while that row is current, and the editor closed: handed over later it would pull the
    // set back to the row it came from. Throws StoreError; the editor then stays open.
    const QModelIndex at = grdDataGrid->currentIndex();
    auto editor = at.isValid() ? qobject_cast<QLineEdit *>(grdDataGrid->indexWidget(at)) : nullptr;
    if (!editor)
        return;
    if (editor->isModified()) {
        const QString field = m_grid->columns()[at.column()].field;
        storeCell(at.row(), field, cellValue(at.row(), field, editor->text()));
    }
    emit grdDataGrid->itemDelegateForIndex(at)->closeEditor(editor);
}

QVariant frmProducts::cellValue(int row, const QString &field, const QString &text) const
{
    if (field == QLatin1String("ServiceName")) {
        // A new line may stand nameless while it is typed; it is judged when it is left.
        if (row != m_grid->newLineRow() && text.trimmed().isEmpty())
            throw StoreError(StoreError::ValueRequired, nameRequired);
        return text;
    }
    if (field == QLatin1String("UnitPrice")) {
        const auto [price, refusal] = Currency::readTyped(text);
        if (!price || *price < Currency())
            throw StoreError(StoreError::ValueRequired,
                             !refusal.isEmpty() ? refusal
                                                : QStringLiteral("The unit price must be an amount of money, as %1.")
                                                      .arg(QLocale().toString(12.5, 'f', 2)));
        return QVariant::fromValue(*price);
    }
    bool ok = false;
    const qlonglong number = QLocale().toLongLong(text.trimmed(), &ok);
    if (field == QLatin1String("Minutes")) {
        // How long the service takes when it is booked.
        if (!ok || number < 0 || number > 720)
            throw StoreError(StoreError::ValueRequired, QStringLiteral("The minutes must be a whole number from 0 to 720."));
        return number;
    }
    if (!ok)
        throw StoreError(StoreError::ValueRequired, QStringLiteral("The service number must be a whole number."));
    return number;
}

void frmProducts::storeCell(int row, const QString &field, const QVariant &value)
{
    if (row == m_grid->newLineRow()) {
        // Kept in the row being added until the line is settled.
        m_records->setValue(field, value);
        if (field != QLatin1String("ServiceName"))
            m_newLineTyped = true;
        m_grid->newLineTyped();
        return;
    }
    if (row >= m_records->recordCount())
        return;   // a cell of a new line that is gone
    if (m_records->absolutePosition() != row) {
        m_records->moveFirst();
        m_records->move(row);
    }
    m_records->edit();
    m_records->setValue(field, value);
    m_records->update();
}

bool frmProducts::writeCell(int row, const QString &field, const QString &text)
{
    return m_bar->run(DataBar::Action::Update, [&] { storeCell(row, field, cellValue(row, field, text)); });
}

void frmProducts::cmdAdd_Click()
{
    // To the last row, then a new line below it, numbered after the last service and with a
    // clean ticket. Nothing is stored until the line names a service and is left.
    const bool opened = m_bar->run(DataBar::Action::AddNew, [this] {
        m_records->moveLast();
        const qlonglong number = nextServiceNumber(m_records->database());
        m_records->addNew();
        m_records->setValue(QStringLiteral("ServiceID"), number);
        m_records->setValue(QStringLiteral("UnitPrice"), 0);
        m_records->setValue(QStringLiteral("Quantity"), 0);
        m_records->setValue(QStringLiteral("Discount"), 0);
        m_records->setValue(QStringLiteral("SalePrice"), 0);
        m_records->setValue(QStringLiteral("Minutes"), 30);
        m_newLineTyped = false;
        m_offeredNumber = number;
        m_grid->openNewLine();
    });
    if (!opened)
        return;
    const QModelIndex description = m_grid->index(m_grid->newLineRow(), 1);
    grdDataGrid->setFocus();
    grdDataGrid->setCurrentIndex(description);
    grdDataGrid->edit(description);
}

void frmProducts::cmdDelete_Click()
{
    if (m_grid->hasNewLine()) {
        // Nothing of a new line is stored: it is only dropped.
        m_grid->closeNewLine();
        m_records->cancelUpdate();
        return;
    }
    if (!m_records->hasCurrent())
        return;
    QString name;
    try {
        name = boxText(m_records->value(QStringLiteral("ServiceName")));
    } catch (const StoreError &) {
        // An unreadable row is still asked about, without its name.
    }
    const bool yes = showMessage(this, QStringLiteral("Are you sure you want to delete %1 ?").arg(name),
                                 Dialogs::Buttons::YesNo, Dialogs::Icon::Question) == Dialogs::Answer::Yes;
    if (!yes)
        return;   // asked before the busy pointer; a refusal leaves the list as it is
    m_bar->run(DataBar::Action::Delete, [this] { bound::deleteStep(*m_records, true, bound::Landing::NextOrNewLast); });
}

void frmProducts::cmdUpdate_Click()
{
    if (m_grid->hasNewLine()) {
        m_bar->run(DataBar::Action::Update, [this] {
            if (settleNewLine() == Settled::Stored)
                m_records->moveToBookmark(m_records->lastModified());
        });
        return;
    }
    if (!m_records->hasCurrent())
        return;
    m_bar->run(DataBar::Action::Update, [this] {
        takeTyping();
        m_records->edit();
        m_records->update();
        m_records->moveToBookmark(m_records->lastModified());
    });
}

void frmProducts::done(int result)
{
    pointer::normal();
    const bool settled = m_bar->run(DataBar::Action::Close, [this] {
        takeTyping();
        settleNewLine();
    });
    if (!settled)
        return;   // the desk was told why; the screen stays on what it holds
    QDialog::done(result);
}

void frmProducts::cmdTaxRate_Click()
{
    const QString prompt = sale::ratePrompt(sale::RateQuestion::TaxRate);
    for (;;) {
        const std::optional<QString> answer = askTextOrCancel(this, prompt);
        if (!answer)
            return;
        const sale::RateReading reading = sale::readRate(sale::RateQuestion::TaxRate, *answer);
        if (reading.kind == sale::RateReading::Kind::Empty)
            return;
        if (reading.kind == sale::RateReading::Kind::Refused) {
            showMessage(this, reading.refusal, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
            continue;
        }
        // The rate is the salon's: every technician sells at it.
        try {
            QSqlDatabase db = salon::employeeDb();
            salon::Transaction transaction(db);
            salon::runQuery(db, QStringLiteral("UPDATE Employee SET SalesTaxRate = ?"),
                            {narrowRate(reading.rate).value_or(0)});
            transaction.commit();
        } catch (const StoreError &error) {
            showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
            return;
        }
        emit taxRateChanged();
        return;
    }
}
