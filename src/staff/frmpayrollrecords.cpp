#include "frmpayrollrecords.h"

#include "binder.h"
#include "currency.h"
#include "boundform.h"
#include "databar.h"
#include "database.h"
#include "dates.h"
#include "dialogs.h"
#include "formcontrols.h"
#include "payrollbook.h"
#include "payrollposting.h"
#include "pointer.h"
#include "recordset.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSqlQuery>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using controls::lineEdit;

QPushButton *button(QWidget *parent, const QString &text, const char *name)
{
    auto b = controls::button(parent, text, name);
    // Enter belongs to the boxes here (it posts the row), never to a default button.
    b->setAutoDefault(false);
    return b;
}

// A box that cannot be typed into looks it: the window's background behind its text, no caret,
// and Tab passes it by.
void setTypable(QLineEdit *box, bool typable)
{
    box->setReadOnly(!typable);
    box->setFocusPolicy(typable ? Qt::StrongFocus : Qt::ClickFocus);
    QPalette palette = box->palette();
    const QPalette &window = box->parentWidget()->palette();
    palette.setColor(QPalette::Base, typable ? window.color(QPalette::Base) : window.color(QPalette::Window));
    box->setPalette(palette);
}

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// The employee's first name and day total, read from the book.
struct EmployeeDay
{
    QString firstName;
    QVariant total;
};

std::optional<EmployeeDay> employeeDay(qint64 number)
{
    const auto row = payrollbook::employeeRow(salon::employeeDb(), number);
    if (!row)
        return std::nullopt;
    QSqlQuery query = salon::runQuery(salon::employeeDb(),
                                      QStringLiteral("SELECT FirstName, Total FROM Employee WHERE rowid = ?"), {*row});
    if (!query.next())
        return std::nullopt;
    QVariant total = query.value(1);
    // A server gives money as exact decimal text: shown as the amount, not as that text.
    if (salon::isServer(salon::employeeDb()) && !total.isNull())
        if (const auto money = Currency::fromStored(total))
            total = QVariant::fromValue(*money);
    return EmployeeDay{query.value(0).toString(), total};
}

} // namespace

frmPayrollRecords::frmPayrollRecords(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPayrollRecords"));
    setWindowTitle(QStringLiteral("Velorine - Payroll Data Entry"));
    setModal(true);

    m_records = new RecordSet(salon::employeeDb(), QStringLiteral("Payroll Records"), this);
    m_bar = new DataBar(m_records, this);
    m_bar->setObjectName(QStringLiteral("datPrimary"));
    connect(m_records, &RecordSet::currentChanged, this, &frmPayrollRecords::showRow);
    connect(m_records, &RecordSet::reset, this, &frmPayrollRecords::showRow);

    buildLayout();
    showRow();
    setPending(false);
}

void frmPayrollRecords::buildLayout()
{
    txtEmployeeID = lineEdit(this, "txtEmployeeID");
    txtServiceDate = lineEdit(this, "txtServiceDate");
    txtTodayEarn = lineEdit(this, "txtTodayEarn");
    txtToDateEarn = lineEdit(this, "txtToDateEarn");
    txt50ByMonth = lineEdit(this, "txt50ByMonth");
    txt50ByTotal = lineEdit(this, "txt50ByTotal");
    txt60ByMonth = lineEdit(this, "txt60ByMonth");
    txt60ByTotal = lineEdit(this, "txt60ByTotal");
    txtFirstname = lineEdit(this, "txtFirstname");
    // Computed figures and the name are shown, never typed.
    for (QLineEdit *box : {txtToDateEarn, txt50ByMonth, txt50ByTotal, txt60ByMonth, txt60ByTotal, txtFirstname})
        setTypable(box, false);
    txtTodayEarn->installEventFilter(this);
    txtEmployeeID->installEventFilter(this);
    connect(txtEmployeeID, &QLineEdit::textEdited, this, &frmPayrollRecords::refillEmployee);

    auto fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    // The figures are read from the book by the screen itself, not bound. The name sits to
    // the right of the number; the commission rows are captioned by their rate.
    controls::layOut(fields, nullptr, {{txtEmployeeID, QStringLiteral("Employee Number:"), nullptr, 0, 0},
                                       {txtFirstname, QString(), nullptr, 0, 2, 2},
                                       {txtServiceDate, QStringLiteral("Service Date:"), nullptr, 1, 0},
                                       {txtTodayEarn, QStringLiteral("Today's Earn:"), nullptr, 2, 0},
                                       {txtToDateEarn, QStringLiteral("To Date Earn:"), nullptr, 3, 0},
                                       {txt50ByMonth, QStringLiteral("50%"), nullptr, 2, 2},
                                       {txt50ByTotal, QString(), nullptr, 2, 3},
                                       {txt60ByMonth, QStringLiteral("60%"), nullptr, 3, 2},
                                       {txt60ByTotal, QString(), nullptr, 3, 3}});
    auto heading = [this](const QString &text) {
        auto l = new QLabel(text, this);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    // The commission figures: 50% and 60% of the month and of the to-date total.
    fields->addWidget(heading(QStringLiteral("By Month")), 1, 3);
    fields->addWidget(heading(QStringLiteral("By Total")), 1, 4);
    fields->setColumnMinimumWidth(2, 40);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    fields->setColumnStretch(4, 1);

    auto cmdTodayEarn = button(this, QStringLiteral("Today, He/She had made =      $$$"), "cmdTodayEarn");
    connect(cmdTodayEarn, &QPushButton::clicked, this, &frmPayrollRecords::cmdTodayEarn_Click);

    // Help has no action of its own.
    auto buttons = new QHBoxLayout;
    const QList<QPushButton *> made =
        controls::buttonRow(this, buttons,
                            {{QStringLiteral("Add"), "cmdAdd", [this] { cmdAdd_Click(); }},
                             {QStringLiteral("Delete"), "cmdDelete", [this] { cmdDelete_Click(); }},
                             {QStringLiteral("Refresh"), "cmdRefresh", [this] { cmdRefresh_Click(); }},
                             {QStringLiteral("Cancel"), "cmdCancel", [this] { reject(); }},
                             {QStringLiteral("Close"), "cmdClose", [this] { cmdClose_Click(); }},
                             {QStringLiteral("Help"), "cmdHelp", {}}},
                            {.autoDefault = false});
    cmdAdd = made[0];
    cmdDelete = made[1];
    cmdRefresh = made[2];

    m_bar->installEventFilter(this);
    for (QToolButton *b : m_bar->navigationButtons())
        b->installEventFilter(this);

    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addLayout(fields);
    layout->addWidget(cmdTodayEarn);
    layout->addSpacing(4);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);
    layout->addStretch(1);
    resize(660, sizeHint().height());
}

void frmPayrollRecords::showRow()
{
    if (m_pending)
        return;
    const std::pair<QLineEdit *, const char *> boxes[] = {
        {txtEmployeeID, "EmployeeID"}, {txtServiceDate, "ServiceDate"}, {txtTodayEarn, "TodayEarn"},
        {txtToDateEarn, "ToDateEarn"}, {txt50ByMonth, "50ByMonth"}, {txt50ByTotal, "50ByTotal"},
        {txt60ByMonth, "60ByMonth"}, {txt60ByTotal, "60ByTotal"}};
    for (const auto &[box, field] : boxes) {
        QString text;
        try {
            if (m_records->hasCurrent())
                text = boxText(m_records->value(QLatin1String(field)));
        } catch (const StoreError &) {
            // A row deleted under the screen shows as empty boxes.
        }
        box->setText(text);
        box->setCursorPosition(0);
    }
}

void frmPayrollRecords::setPending(bool pending)
{
    m_pending = pending;
    // Stored rows are looked at, not typed over; the row being added takes its number, date
    // and amount, except that End Of Day's row keeps the employee and day it walks.
    setTypable(txtTodayEarn, pending);
    for (QLineEdit *box : {txtEmployeeID, txtServiceDate})
        setTypable(box, pending && !m_endOfDay);
    m_bar->setNavigationLocked(pending);
    cmdDelete->setEnabled(!pending);
    cmdRefresh->setEnabled(!pending);
    if (!pending && m_records->hasCurrent()) {
        // Landing on the shown row again puts its number back in the caption.
        try {
            m_records->moveToBookmark(m_records->bookmark());
        } catch (const StoreError &) {
            // The row went meanwhile: the bar keeps its buttons until the next move.
        }
    }
}

void frmPayrollRecords::startEntry(const payrollentry::Request &request)
{
    m_endOfDay = request;
    m_proposed = request.employeeId;
    cmdAdd_Click();
    if (!m_pending)
        return;
    m_bar->setCaption(QStringLiteral("Record: ") + QString::number(request.employeeId));
}

void frmPayrollRecords::cmdAdd_Click()
{
    try {
        if (m_pending)
            m_records->cancelUpdate();
        m_records->addNew();
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return;
    }
    setPending(true);
    txtEmployeeID->setText(m_proposed ? QString::number(*m_proposed) : QString());
    txtServiceDate->setText(shortDateText(entryDay()));
    for (QLineEdit *box : {txtTodayEarn, txt50ByMonth, txt50ByTotal, txt60ByMonth, txt60ByTotal})
        box->clear();
    refillEmployee();
    txtTodayEarn->setFocus();
}

// The name and the to-date of the employee whose number is in the box, from that employee's
// own latest payroll row.
void frmPayrollRecords::refillEmployee()
{
    if (!m_pending)
        return;
    m_previousToDate = Currency();
    txtFirstname->clear();
    txtToDateEarn->clear();
    const auto number = payrollbook::readEmployeeNumber(txtEmployeeID->text());
    if (!number)
        return;
    try {
        if (const auto employee = employeeDay(*number))
            txtFirstname->setText(employee->firstName);
        if (const auto toDate = payrollbook::latestToDate(salon::employeeDb(), *number)) {
            m_previousToDate = *toDate;
            txtToDateEarn->setText(toDate->text());
        }
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
    }
}

void frmPayrollRecords::dataBarReleased()
{
    if (!m_pending)
        return;   // stored rows are never refilled
    txtServiceDate->setText(shortDateText(entryDay()));
    const auto number = payrollbook::readEmployeeNumber(txtEmployeeID->text());
    if (!number)
        return;
    bool found = false;
    try {
        found = payrollbook::employeeRow(salon::employeeDb(), *number).has_value();
    } catch (const StoreError &) {
        return;   // the refill ends quietly, as it always has
    }
    if (!found) {
        showMessage(this, QStringLiteral("End of file."), Dialogs::Buttons::Ok, Dialogs::Icon::Information);
        return;
    }
    refillEmployee();
    txtTodayEarn->setFocus();
}

QDate frmPayrollRecords::entryDay() const
{
    return m_endOfDay ? m_endOfDay->day : QDate::currentDate();
}

bool frmPayrollRecords::post()
{
    const auto number = m_endOfDay ? std::optional(m_endOfDay->employeeId) : payrollbook::readEmployeeNumber(txtEmployeeID->text());
    if (!number) {
        showMessage(this, QStringLiteral("Please enter the employee's number."), Dialogs::Buttons::Ok,
                    Dialogs::Icon::Information);
        txtEmployeeID->setFocus();
        return false;
    }
    const QDate day = m_endOfDay ? m_endOfDay->day : fromShortDateText(txtServiceDate->text());
    if (!day.isValid()) {
        showMessage(this, QStringLiteral("Please enter the service date as %1.").arg(shortDateText(QDate::currentDate())),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Information);
        txtServiceDate->setFocus();
        return false;
    }
    pointer::Busy busy;
    try {
        QSqlDatabase db = salon::employeeDb();
        if (!payrollbook::employeeRow(db, *number)) {
            busy.end();
            showMessage(this, QStringLiteral("There is no such record."), Dialogs::Buttons::Ok, Dialogs::Icon::Information);
            txtEmployeeID->setFocus();
            return false;
        }
        // Read again now: another row may have been posted since the number was typed.
        m_previousToDate = payrollbook::latestToDate(db, *number).value_or(Currency());
        const Currency earlier = payrollbook::earnedThisMonth(db, *number, QDate::currentDate());
        QString refusal;
        const auto posting = payroll::PayrollPosting(txtTodayEarn->text(), m_previousToDate, earlier, &refusal);
        if (!posting) {
            busy.end();
            showMessage(this, refusal, Dialogs::Buttons::Ok, Dialogs::Icon::Information);
            txtTodayEarn->setFocus();
            txtTodayEarn->selectAll();
            return false;
        }
        m_records->setValue(QStringLiteral("EmployeeID"), *number);
        m_records->setValue(QStringLiteral("ServiceDate"), day);
        m_records->setValue(QStringLiteral("TodayEarn"), QVariant::fromValue(posting->todayEarn));
        m_records->setValue(QStringLiteral("ToDateEarn"), QVariant::fromValue(posting->toDate));
        m_records->setValue(QStringLiteral("50ByMonth"), QVariant::fromValue(posting->fiftyByMonth));
        m_records->setValue(QStringLiteral("50ByTotal"), QVariant::fromValue(posting->fiftyByTotal));
        m_records->setValue(QStringLiteral("60ByMonth"), QVariant::fromValue(posting->sixtyByMonth));
        m_records->setValue(QStringLiteral("60ByTotal"), QVariant::fromValue(posting->sixtyByTotal));
        m_records->update();
        txtToDateEarn->setText(posting->toDate.text());
        txt50ByTotal->setText(posting->fiftyByTotal.text());
        txt60ByTotal->setText(posting->sixtyByTotal.text());
        txt50ByMonth->setText(posting->fiftyByMonth.text());
        txt60ByMonth->setText(posting->sixtyByMonth.text());
    } catch (const StoreError &error) {
        // The row stays pending with what was typed; nothing half-written is left behind.
        busy.end();
        m_failure = error.text();
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return false;
    }
    busy.end();
    m_postedEmployee = *number;
    m_failure.clear();
    setPending(false);
    return true;
}

void frmPayrollRecords::discardPending()
{
    if (!m_pending)
        return;
    m_records->cancelUpdate();
    setPending(false);
    showRow();
}

void frmPayrollRecords::cmdDelete_Click()
{
    if (m_pending || !m_records->hasCurrent())
        return;
    try {
        const bool yes = showMessage(this, QStringLiteral("Are you sure you want to delete this record ?"),
                                     Dialogs::Buttons::YesNoCancel) == Dialogs::Answer::Yes;
        bound::deleteStep(*m_records, yes, bound::Landing::Next, [this] { m_records->requery(); });
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
    }
}

void frmPayrollRecords::cmdRefresh_Click()
{
    if (m_pending)
        return;
    try {
        m_records->requery();
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
    }
}

void frmPayrollRecords::cmdClose_Click()
{
    pointer::normal();
    if (m_pending) {
        // An amount typed is posted as Enter would; a row the desk never filled in is dropped.
        if (!txtTodayEarn->text().trimmed().isEmpty()) {
            if (!post())
                return;
        } else {
            discardPending();
        }
    }
    accept();
}

void frmPayrollRecords::cmdTodayEarn_Click()
{
    const auto number = payrollbook::readEmployeeNumber(txtEmployeeID->text());
    std::optional<EmployeeDay> employee;
    try {
        if (number)
            employee = employeeDay(*number);
    } catch (const StoreError &error) {
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return;
    }
    if (!employee) {
        showMessage(this, QStringLiteral("There is no such record."), Dialogs::Buttons::Ok, Dialogs::Icon::Information);
        return;
    }
    txtFirstname->setText(employee->firstName);
    showMessage(this, QStringLiteral("Today, he/she had made:  $") + boxText(employee->total));
    txtTodayEarn->setFocus();
}

void frmPayrollRecords::reject()
{
    // Cancel, Esc and the close box: a row not posted is not stored.
    discardPending();
    pointer::normal();
    QDialog::reject();
}

bool frmPayrollRecords::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent *>(event))) {
        if (watched == txtTodayEarn) {
            if (!m_pending)
                showMessage(this, QStringLiteral("Please press Add first to enter a new payroll row."),
                            Dialogs::Buttons::Ok, Dialogs::Icon::Information);
            else if (post())
                accept();
            return true;
        }
        if (watched == txtEmployeeID) {
            focusNextChild();
            return true;
        }
    }
    const bool onBar = watched == m_bar || watched->parent() == m_bar;
    if (onBar && event->type() == QEvent::MouseButtonPress)
        txtFirstname->clear();
    if (onBar && event->type() == QEvent::MouseButtonRelease)
        dataBarReleased();
    return QDialog::eventFilter(watched, event);
}

void frmPayrollRecords::keyPressEvent(QKeyEvent *event)
{
    // Enter outside "Today's Earn" does not close the screen.
    if (isEnter(event))
        return;
    QDialog::keyPressEvent(event);
}

payrollentry::Outcome frmPayrollRecords::enterFor(QWidget *parent, const payrollentry::Request &request)
{
    frmPayrollRecords entry(parent);
    entry.startEntry(request);
    if (!entry.isPending())
        return {payrollentry::Outcome::Failed, QStringLiteral("A payroll row could not be started.")};
    entry.exec();
    if (entry.postedEmployee() == request.employeeId)
        return {payrollentry::Outcome::Posted, {}};
    if (!entry.failure().isEmpty())
        return {payrollentry::Outcome::Failed, entry.failure()};
    return {payrollentry::Outcome::Cancelled, {}};
}
