#include "frmopeninghours.h"

#include "bookingsteps.h"
#include "connections.h"
#include "dates.h"
#include "dialogs.h"
#include "storeerror.h"
#include "transaction.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>

namespace {

enum State { NotSet, Open, Closed };

QTimeEdit *timeEdit(QWidget *parent, QTime time, const QString &name)
{
    auto *edit = new QTimeEdit(time, parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("HH:mm"));
    return edit;
}

} // namespace

frmOpeningHours::frmOpeningHours(const std::vector<daybook::Column> &technicians, QDate day, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOpeningHours"));
    setWindowTitle(QStringLiteral("Opening Hours and Days Off"));

    auto *hoursBox = new QGroupBox(QStringLiteral("Opening hours"), this);
    auto *grid = new QGridLayout(hoursBox);
    grid->addWidget(new QLabel(QStringLiteral("Opens"), hoursBox), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Closes"), hoursBox), 0, 3);
    for (int weekday = 1; weekday <= 7; ++weekday) {
        Weekday &row = m_weekdays[std::size_t(weekday - 1)];
        row.state = new QComboBox(hoursBox);
        row.state->setObjectName(QStringLiteral("cboDay%1").arg(weekday));
        row.state->addItems({QStringLiteral("Not set"), QStringLiteral("Open"), QStringLiteral("Closed")});
        row.opens = timeEdit(hoursBox, QTime(9, 0), QStringLiteral("tmeOpens%1").arg(weekday));
        row.closes = timeEdit(hoursBox, QTime(18, 0), QStringLiteral("tmeCloses%1").arg(weekday));
        auto *label = new QLabel(QLocale().dayName(weekday, QLocale::LongFormat), hoursBox);
        label->setBuddy(row.state);
        grid->addWidget(label, weekday, 0);
        grid->addWidget(row.state, weekday, 1);
        grid->addWidget(row.opens, weekday, 2);
        grid->addWidget(row.closes, weekday, 3);
        auto enable = [row] {
            row.opens->setEnabled(row.state->currentIndex() == Open);
            row.closes->setEnabled(row.state->currentIndex() == Open);
        };
        connect(row.state, &QComboBox::currentIndexChanged, this, enable);
        enable();
    }
    try {
        for (const salon::OpeningHours &hours : salon::openingHours(salon::employeeDb())) {
            if (hours.weekday < 1 || hours.weekday > 7)
                continue;
            Weekday &row = m_weekdays[std::size_t(hours.weekday - 1)];
            row.state->setCurrentIndex(hours.closed() ? Closed : Open);
            if (hours.opens)
                row.opens->setTime(*hours.opens);
            if (hours.closes)
                row.closes->setTime(*hours.closes);
        }
    } catch (const StoreError &error) {
        daybook::showStoreError(this, error);
    }
    auto *cmdSave = new QPushButton(QStringLiteral("&Save Hours"), hoursBox);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setAutoDefault(false);
    grid->addWidget(cmdSave, 8, 3);
    grid->setRowStretch(9, 1);

    auto *offBox = new QGroupBox(QStringLiteral("Days off"), this);
    auto *offLayout = new QGridLayout(offBox);
    cboTechnician = new QComboBox(offBox);
    cboTechnician->setObjectName(QStringLiteral("cboTechnician"));
    for (const daybook::Column &technician : technicians)
        cboTechnician->addItem(technician.name, technician.employeeId);
    dtpDayOff = new QDateEdit(day, offBox);
    dtpDayOff->setObjectName(QStringLiteral("dtpDayOff"));
    dtpDayOff->setCalendarPopup(true);
    auto *cmdAdd = new QPushButton(QStringLiteral("&Add Day Off"), offBox);
    cmdAdd->setObjectName(QStringLiteral("cmdAddDayOff"));
    cmdAdd->setAutoDefault(false);
    auto *cmdRemove = new QPushButton(QStringLiteral("&Remove Day Off"), offBox);
    cmdRemove->setObjectName(QStringLiteral("cmdRemoveDayOff"));
    cmdRemove->setAutoDefault(false);
    lstDaysOff = new QListWidget(offBox);
    lstDaysOff->setObjectName(QStringLiteral("lstDaysOff"));
    auto *technicianLabel = new QLabel(QStringLiteral("&Technician:"), offBox);
    technicianLabel->setBuddy(cboTechnician);
    auto *dayLabel = new QLabel(QStringLiteral("&Day:"), offBox);
    dayLabel->setBuddy(dtpDayOff);
    offLayout->addWidget(technicianLabel, 0, 0);
    offLayout->addWidget(cboTechnician, 0, 1);
    offLayout->addWidget(dayLabel, 1, 0);
    offLayout->addWidget(dtpDayOff, 1, 1);
    auto *offButtons = new QHBoxLayout;
    offButtons->addWidget(cmdAdd);
    offButtons->addWidget(cmdRemove);
    offLayout->addLayout(offButtons, 2, 1);
    offLayout->addWidget(new QLabel(QStringLiteral("Days off in the coming year:"), offBox), 3, 0, 1, 2);
    offLayout->addWidget(lstDaysOff, 4, 0, 1, 2);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *layout = new QHBoxLayout;
    layout->addWidget(hoursBox);
    layout->addWidget(offBox);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(layout);
    outer->addWidget(buttons);

    connect(cmdSave, &QPushButton::clicked, this, &frmOpeningHours::save);
    connect(cmdAdd, &QPushButton::clicked, this, [this] { changeDayOff(true); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { changeDayOff(false); });
    connect(cboTechnician, &QComboBox::currentIndexChanged, this, &frmOpeningHours::showDaysOff);
    connect(lstDaysOff, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            dtpDayOff->setDate(lstDaysOff->item(row)->data(Qt::UserRole).toDate());
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &frmOpeningHours::reject);
    showDaysOff();
}

void frmOpeningHours::save()
{
    for (int weekday = 1; weekday <= 7; ++weekday) {
        const Weekday &row = m_weekdays[std::size_t(weekday - 1)];
        if (row.state->currentIndex() == Open && row.closes->time() <= row.opens->time()) {
            showMessage(this, QStringLiteral("On %1 the closing time must come after the opening time.")
                                  .arg(QLocale().dayName(weekday, QLocale::LongFormat)));
            row.closes->setFocus();
            return;
        }
    }
    QSqlDatabase db = salon::employeeDb();
    try {
        salon::Transaction transaction(db);
        for (int weekday = 1; weekday <= 7; ++weekday) {
            const Weekday &row = m_weekdays[std::size_t(weekday - 1)];
            switch (row.state->currentIndex()) {
            case Open: salon::setOpeningHours(db, {weekday, row.opens->time(), row.closes->time()}); break;
            case Closed: salon::setOpeningHours(db, {weekday, std::nullopt, std::nullopt}); break;
            default: salon::clearOpeningHours(db, weekday);
            }
        }
        transaction.commit();
        emit changed();
    } catch (const StoreError &error) {
        daybook::showStoreError(this, error);
    }
}

void frmOpeningHours::showDaysOff()
{
    lstDaysOff->clear();
    if (cboTechnician->currentIndex() < 0)
        return;
    const QDate from = QDate::currentDate().addDays(-7);
    try {
        for (const QDate &day : salon::daysOff(salon::employeeDb(), cboTechnician->currentData().toLongLong(), from, from.addYears(1))) {
            auto *item = new QListWidgetItem(longDateText(day), lstDaysOff);
            item->setData(Qt::UserRole, day);
        }
    } catch (const StoreError &error) {
        daybook::showStoreError(this, error);
    }
}

void frmOpeningHours::changeDayOff(bool off)
{
    if (cboTechnician->currentIndex() < 0)
        return;
    try {
        salon::setDayOff(salon::employeeDb(), cboTechnician->currentData().toLongLong(), dtpDayOff->date(), off);
        showDaysOff();
        emit changed();
    } catch (const StoreError &error) {
        daybook::showStoreError(this, error);
    }
}
