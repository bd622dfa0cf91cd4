#include "frmproducts.h"

#include "boundform.h"
#include "databar.h"
#include "database.h"
#include "dialogs.h"
#include "editablegrid.h"
#include "pointer.h"
#include "recordset.h"
#include "saleline.h"
#include "values.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

frmProducts::frmProducts(QWidget *parent)
    : QDialog(parent),
      m_bound(this,
              QStringLiteral("select [ServiceID],[ServiceName],[UnitPrice],[Quantity],[Discount],[SalePrice] from [Products]"),
              QStringLiteral("datPrimaryRS"))
{
    setObjectName(QStringLiteral("frmProducts"));
    setWindowTitle(QStringLiteral("Velorine - Product and Servicing data entry"));
    setModal(true);

    m_records = m_bound.records();
    m_bar = m_bound.bar();
    m_bar->setValidate(DataBar::Validate::Full);
    m_bar->setDataErrorReport(true);
    m_priceGrid = std::make_unique<EditableGrid>(
        m_records,
        QList<GridModel::Column>{{QStringLiteral("ServiceID"), QStringLiteral("Service ID"), QStringLiteral("General Number")},
                                 {QStringLiteral("ServiceName"), QStringLiteral("Service Description"), QString()},
                                 {QStringLiteral("UnitPrice"), QStringLiteral("Unit Price"), QStringLiteral("Currency")}},
        QList<int>{0, 1, 2}, [this](int row, const QString &field, const QString &text) { return writeCell(row, field, text); });
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
    grdDataGrid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    // The grid's row and the set's current row go together.
    connect(grdDataGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &at) {
        if (at.isValid() && at.row() != m_records->absolutePosition())
            m_bar->run(DataBar::Action::Bookmark, [&] {
                m_records->moveFirst();
                m_records->move(at.row());
            });
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
    auto button = [&](const QString &text, const char *name) {
        auto b = new QPushButton(text, picButtons);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
        buttons->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("&Add"), "cmdAdd"), &QPushButton::clicked, this, &frmProducts::cmdAdd_Click);
    connect(button(QStringLiteral("&Delete"), "cmdDelete"), &QPushButton::clicked, this, &frmProducts::cmdDelete_Click);
    connect(button(QStringLiteral("&Tax Rate"), "cmdTaxRate"), &QPushButton::clicked, this, &frmProducts::cmdTaxRate_Click);
    connect(button(QStringLiteral("&Update"), "cmdUpdate"), &QPushButton::clicked, this, &frmProducts::cmdUpdate_Click);
    buttons->addStretch(1);
    connect(button(QStringLiteral("&Close"), "cmdClose"), &QPushButton::clicked, this, [this] {
        pointer::normal();
        accept();
    });

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

bool frmProducts::writeCell(int row, const QString &field, const QString &text)
{
    QVariant value;
    if (field == QLatin1String("ServiceName")) {
        value = text;
    } else if (field == QLatin1String("UnitPrice")) {
        const auto [price, refusal] = Currency::readTyped(text);
        if (!price || *price < Currency()) {
            showMessage(this, !refusal.isEmpty() ? refusal
                                                 : QStringLiteral("The unit price must be an amount of money, as %1.")
                                                       .arg(QLocale().toString(12.5, 'f', 2)));
            return false;
        }
        value = QVariant::fromValue(*price);
    } else {
        bool ok = false;
        const qlonglong number = QLocale().toLongLong(text.trimmed(), &ok);
        if (!ok) {
            showMessage(this, QStringLiteral("The service number must be a whole number."));
            return false;
        }
        value = number;
    }
    return m_bar->run(DataBar::Action::Update, [&] {
        if (m_records->absolutePosition() != row) {
            m_records->moveFirst();
            m_records->move(row);
        }
        m_records->edit();
        m_records->setValue(field, value);
        m_records->update();
    });
}

void frmProducts::cmdAdd_Click()
{
    // A new row is stored at once, numbered after the last and with a clean ticket, and the
    // desk types its description and price into the grid.
    const bool added = m_bar->run(DataBar::Action::AddNew, [this] {
        QSqlQuery next(salon::employeeDb());
        const qlonglong number = next.exec(QStringLiteral("SELECT coalesce(max(ServiceID), 0) + 1 FROM Products")) && next.next()
            ? next.value(0).toLongLong() : 1;
        m_records->addNew();
        m_records->setValue(QStringLiteral("ServiceID"), number);
        m_records->setValue(QStringLiteral("UnitPrice"), 0);
        m_records->setValue(QStringLiteral("Quantity"), 0);
        m_records->setValue(QStringLiteral("Discount"), 0);
        m_records->setValue(QStringLiteral("SalePrice"), 0);
        m_records->update();
        m_records->moveToBookmark(m_records->lastModified());
    });
    if (!added)
        return;
    const QModelIndex description = m_grid->index(int(m_records->absolutePosition()), 1);
    grdDataGrid->setFocus();
    grdDataGrid->setCurrentIndex(description);
    grdDataGrid->edit(description);
}

void frmProducts::cmdDelete_Click()
{
    if (!m_records->hasCurrent())
        return;
    if (showMessage(this, QStringLiteral("Are you sure you want to delete this record ?"), Dialogs::Buttons::YesNo,
                    Dialogs::Icon::Question) != Dialogs::Answer::Yes)
        return;
    m_bar->run(DataBar::Action::Delete, [this] { bound::deleteAndStep(*m_records); });
}

void frmProducts::cmdUpdate_Click()
{
    if (!m_records->hasCurrent())
        return;
    m_bar->run(DataBar::Action::Update, [this] {
        m_records->edit();
        m_records->update();
        m_records->moveToBookmark(m_records->lastModified());
    });
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
            QSqlQuery store(db);
            store.prepare(QStringLiteral("UPDATE Employee SET SalesTaxRate = ?"));
            store.addBindValue(narrowRate(reading.rate).value_or(0));
            if (!store.exec())
                throw StoreError::fromSql(store.lastError(), db);
            transaction.commit();
        } catch (const StoreError &error) {
            showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
            return;
        }
        emit taxRateChanged();
        return;
    }
}
