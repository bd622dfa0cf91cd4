#include "frmmain.h"

#include "apptitle.h"
#include "captionsaying.h"
#include "contact.h"
#include "database.h"
#include "dates.h"
#include "dialogs.h"
#include "frmabout.h"
#include "frmlogin.h"
#include "frmreadme.h"
#include "frmregister.h"
#include "payrollentry.h"
#include "pointer.h"
#include "recordset.h"
#include "screencentre.h"
#include "shoppassword.h"
#include "storeerror.h"

#include "frmcalculator.h"
#include "frmdaily.h"
#include "frmemployee.h"
#include "frmmember.h"
#include "frmnotepad.h"
#include "frmpayrollrecords.h"
#include "frmreport.h"
#include "frmsupplier.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {

// Cell geometry of the calendar grid, in pixels: a cell, the gap between rows, and how far
// cell 37 sits to the right of cell 2.
constexpr int cellWidth = 52;
constexpr int cellHeight = 26;
constexpr int rowGap = 8;
constexpr int nudge = 2;
constexpr int headingHeight = 22;
constexpr int gridTop = headingHeight + 6;

class DayCell : public QLabel
{
public:
    DayCell(int index, std::function<void(int)> onClick, QWidget *parent)
        : QLabel(parent), m_index(index), m_onClick(std::move(onClick))
    {
        setAlignment(Qt::AlignCenter);
        setLineWidth(1);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_onClick(m_index);
        QLabel::mousePressEvent(event);
    }

private:
    int m_index;
    std::function<void(int)> m_onClick;
};

// A label's text colour through its palette: a style sheet would cost the start-up a style of its
// own for the label.
void setTextColour(QWidget *label, const QColor &colour)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

QPushButton *pagingButton(const char *name, const char *caption)
{
    auto *button = new QPushButton(QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedWidth(44);
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(app::title);

    m_tabStrip = new QTabBar;
    m_tabStrip->setObjectName(QStringLiteral("TabStrip1"));
    m_tabStrip->setExpanding(false);
    m_tabStrip->setDrawBase(true);
    for (const char *caption : {"Employees", "Customers", "Daily Activity", "Calculator", "Service Report",
                                "Register Information", "Text Editor", "Help", "ReadMe.1st", "Suppliers"})
        m_tabStrip->addTab(QString::fromLatin1(caption));
    connect(m_tabStrip, &QTabBar::tabBarClicked, this, &frmMain::tabClicked);
    m_tabStrip->installEventFilter(this);

    auto *body = new QHBoxLayout;
    body->setSpacing(18);
    body->addWidget(buildCalendar(), 0, Qt::AlignTop);
    body->addWidget(buildSidePanel(), 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(12);
    layout->addWidget(m_tabStrip);
    layout->addLayout(body, 1);

    buildHelpMenu();

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(2000);
    connect(m_timer, &QTimer::timeout, this, &frmMain::showSaying);

    // End Of Day enters each employee's payroll row here; an open employee screen then shows it.
    payrollentry::setEntryFunction([this](QWidget *parent, const payrollentry::Request &request) {
        const payrollentry::Outcome outcome = frmPayrollRecords::enterFor(parent, request);
        if (auto employees = m_screens.find<frmEmployee>())
            employees->showPayroll();
        return outcome;
    });
}

frmMain::~frmMain()
{
    payrollentry::setEntryFunction(nullptr);
    shoppassword::setAskFunction(nullptr);
    frmLogin::releaseShared();
}

QWidget *frmMain::buildCalendar()
{
    // A plain frame under its caption: a group box has the style load its frame picture, and
    // every image plugin with it, before the window's first paint.
    auto *frame = new QFrame;
    frame->setObjectName(QStringLiteral("fraCalendar"));
    frame->setFrameShape(QFrame::StyledPanel);

    auto *cmdPreviousYear = pagingButton("cmdPreviousYear", "< Y");
    auto *cmdPreviousMonth = pagingButton("cmdPreviousMonth", "< M");
    auto *cmdNextMonth = pagingButton("cmdNextMonth", "M >");
    auto *cmdNextYear = pagingButton("cmdNextYear", "Y >");
    connect(cmdPreviousYear, &QPushButton::clicked, this, [this] { page(-12); });
    connect(cmdPreviousMonth, &QPushButton::clicked, this, [this] { page(-1); });
    connect(cmdNextMonth, &QPushButton::clicked, this, [this] { page(1); });
    connect(cmdNextYear, &QPushButton::clicked, this, [this] { page(12); });

    m_dateDisplay = new QLabel;
    m_dateDisplay->setObjectName(QStringLiteral("DateDisplay"));
    m_dateDisplay->setAlignment(Qt::AlignCenter);
    QFont dateFont = m_dateDisplay->font();
    dateFont.setBold(true);
    m_dateDisplay->setFont(dateFont);
    // Wide enough for the longest date of any month and weekday, so paging never resizes the
    // frame: the widest weekday name in the month of the widest name (days 22 to 28 of a month
    // hold every weekday). Measuring the names rather than all 84 such dates keeps start-up short.
    const QFontMetrics metrics(dateFont);
    const QLocale locale;
    auto widest = [&metrics](int first, int last, const std::function<QString(int)> &name) {
        int best = first;
        for (int i = first + 1; i <= last; ++i)
            if (metrics.horizontalAdvance(name(i)) > metrics.horizontalAdvance(name(best)))
                best = i;
        return best;
    };
    const int month = widest(1, 12, [&locale](int m) { return locale.monthName(m, QLocale::LongFormat); });
    const int weekday = widest(1, 7, [&locale](int d) { return locale.dayName(d, QLocale::LongFormat); });
    QDate longest(2000, month, 22);
    while (longest.dayOfWeek() != weekday)
        longest = longest.addDays(1);
    m_dateDisplay->setMinimumWidth(metrics.horizontalAdvance(longDateText(longest)) + 12);

    auto *paging = new QHBoxLayout;
    paging->setSpacing(4);
    paging->addWidget(cmdPreviousYear);
    paging->addWidget(cmdPreviousMonth);
    paging->addWidget(m_dateDisplay, 1);
    paging->addWidget(cmdNextMonth);
    paging->addWidget(cmdNextYear);

    // The grid: weekday headings, then the day cells placed by MonthCalendar::place.
    auto *grid = new QWidget;
    grid->setObjectName(QStringLiteral("calendarGrid"));
    grid->setFixedSize(7 * cellWidth + nudge, gridTop + 5 * (cellHeight + rowGap) - rowGap);
    const char *days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (int column = 0; column < 7; ++column) {
        auto *heading = new QLabel(QString::fromLatin1(days[column]), grid);
        heading->setObjectName(QStringLiteral("Label%1").arg(column + 1));
        heading->setAlignment(Qt::AlignCenter);
        heading->setGeometry(column * cellWidth, 0, cellWidth, headingHeight);
        QFont font = heading->font();
        font.setBold(true);
        heading->setFont(font);
        if (column == 0)
            setTextColour(heading, QColor(255, 0, 0));
    }
    auto *rule = new QFrame(grid);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(0, headingHeight, 7 * cellWidth, 4);

    for (int i = 0; i <= MonthCalendar::lastCell; ++i) {
        auto *cell = new DayCell(i, [this](int index) { dayClicked(index); }, grid);
        cell->setObjectName(QStringLiteral("DayLabel%1").arg(i));
        const MonthCalendar::Place place = MonthCalendar::place(i);
        cell->setGeometry(place.column * cellWidth + (place.nudged ? nudge : 0),
                          gridTop + place.row * (cellHeight + rowGap), cellWidth, cellHeight);
        if (MonthCalendar::isSundayCell(i)) {
            QPalette pal = cell->palette();
            pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
            cell->setPalette(pal);
        }
        cell->hide();
        m_cells[size_t(i)] = cell;
    }

    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(14, 10, 14, 14);
    layout->setSpacing(10);
    layout->addLayout(paging);
    layout->addWidget(grid, 0, Qt::AlignHCenter);

    auto *captioned = new QWidget;
    auto *outer = new QVBoxLayout(captioned);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    outer->addWidget(new QLabel(QStringLiteral("Calendar")));
    outer->addWidget(frame);
    return captioned;
}

QWidget *frmMain::buildSidePanel()
{
    auto *panel = new QWidget;

    auto *title = new QLabel(app::title);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2.6);   // as on the splash: one font for both
    titleFont.setBold(true);
    title->setFont(titleFont);
    setTextColour(title, QColor(0x8e, 0x1f, 0x4f));
    auto *tagline = new QLabel(QStringLiteral("Nail and Hair Salon Front Desk"));
    tagline->setObjectName(QStringLiteral("lblTagline"));

    auto *label11 = new QLabel(QStringLiteral("Used By"));
    label11->setObjectName(QStringLiteral("Label11"));
    m_company = new QLabel;
    m_company->setObjectName(QStringLiteral("Label12"));
    m_company->setWordWrap(true);
    QFont companyFont = m_company->font();
    companyFont.setPointSizeF(companyFont.pointSizeF() * 1.5);
    companyFont.setBold(true);
    m_company->setFont(companyFont);

    // Hidden unless a book is found damaged.
    m_bookDamaged = new QLabel;
    m_bookDamaged->setObjectName(QStringLiteral("lblBookDamaged"));
    m_bookDamaged->setWordWrap(true);
    setTextColour(m_bookDamaged, QColor(0xb0, 0x00, 0x20));
    QFont damagedFont = m_bookDamaged->font();
    damagedFont.setBold(true);
    m_bookDamaged->setFont(damagedFont);
    m_bookDamaged->hide();

    // Three decorative boxes; nothing in the program reads or writes them.
    auto *flag = new QFrame;
    flag->setObjectName(QStringLiteral("fraFlag"));
    flag->setFrameShape(QFrame::StyledPanel);
    auto *flagLayout = new QVBoxLayout(flag);
    flagLayout->setSpacing(4);
    const char *flagTexts[] = {"Nails", "Hair", "Care"};
    for (int i = 0; i < 3; ++i) {
        auto *box = new QLineEdit(QString::fromLatin1(flagTexts[i]));
        box->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignCenter);
        box->setFocusPolicy(Qt::NoFocus);
        flagLayout->addWidget(box);
    }
    flag->setFixedWidth(140);

    auto *cmdExit = new QPushButton(QStringLiteral("Exit"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setMinimumWidth(110);
    cmdExit->setAutoDefault(false);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QGridLayout(panel);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setVerticalSpacing(6);
    layout->addWidget(title, 0, 0);
    layout->addWidget(tagline, 1, 0);
    layout->addWidget(flag, 0, 1, 3, 1, Qt::AlignTop | Qt::AlignRight);
    layout->setRowMinimumHeight(2, 24);
    layout->addWidget(label11, 3, 0);
    layout->addWidget(m_company, 4, 0, 1, 2);
    layout->addWidget(m_bookDamaged, 5, 0, 1, 2);
    layout->setRowStretch(6, 1);
    layout->addWidget(cmdExit, 7, 1, Qt::AlignRight | Qt::AlignBottom);
    layout->setColumnStretch(0, 1);
    return panel;
}

void frmMain::buildHelpMenu()
{
    m_helpMenu = new QMenu(QStringLiteral("&Help"), this);
    m_helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    auto add = [this](const char *name, const char *caption) {
        QAction *action = m_helpMenu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    connect(add("mnuHelpContents", "&Contents"), &QAction::triggered, this, [this] {
        showMessage(this, QStringLiteral("There is no Help associated with this project."), windowTitle(),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Information);
    });
    connect(add("mnuHelpSearch", "&Search For Help On..."), &QAction::triggered, this, [this] {
        showMessage(this, QStringLiteral("Please Email me at: ") + contact::supportEmail, windowTitle(),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Information);
    });
    m_helpMenu->addSeparator();
    connect(add("mnuHelpAbout", "&About Velorine..."), &QAction::triggered, this, [this] {
        frmAbout about(this);
        about.exec();
    });
    m_helpMenu->addSeparator();
    connect(add("mnuHelpRegister", "Register Information"), &QAction::triggered, this,
            [this] { showSingle<frmRegister>(); });
}

QString frmMain::programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

bool frmMain::load(QWidget *messageParent)
{
    resize(sizeHint().expandedTo(QSize(900, 0)));
    centreOnScreen(this);
    showCalendar(QDate::currentDate());

    try {
        m_data2 = std::make_unique<RecordSet>(salon::idiomsDb(), QStringLiteral("Idiom"));
        m_timer->start();
    } catch (const StoreError &error) {
        showMessage(messageParent ? messageParent : this,
                    QStringLiteral("The sayings cannot be read: %1").arg(error.text()), Dialogs::Buttons::Ok,
                    Dialogs::Icon::Warning);
    }
    return true;
}

void frmMain::setCompany(const QString &company)
{
    m_company->setText(company);
}

void frmMain::keepInstanceLock(std::unique_ptr<InstanceLock> lock)
{
    m_lock = std::move(lock);
}

void frmMain::showBookDamaged(const QString &path, const QString &detail)
{
    const QString file = QDir::toNativeSeparators(path);
    m_bookDamaged->setText(QStringLiteral("%1 is damaged: nothing more is stored in it.").arg(file));
    m_bookDamaged->setToolTip(detail);
    m_bookDamaged->show();
    showMessage(this,
                QStringLiteral("The file %1 is damaged.\n\nVelorine stores nothing more in it. Close the program "
                               "and put back a copy of the file made before the damage.\n\nFound: %2")
                    .arg(file, detail),
                app::title, Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
}

// ---- calendar ----

void frmMain::showCalendar(QDate date)
{
    m_calendar.show(date);
    refreshCalendar();
}

void frmMain::refreshCalendar()
{
    for (int i = 0; i <= MonthCalendar::lastCell; ++i) {
        const MonthCalendar::Cell &cell = m_calendar.cell(i);
        QLabel *label = m_cells[size_t(i)];
        label->setText(cell.text);
        // An emptied cell keeps its visibility but draws nothing, so a cell 36 or 37 left from
        // an earlier month never covers the day shown by cell 1 or 2 beneath it.
        label->setVisible(i != 0 && cell.visible && !cell.text.isEmpty());
        const bool marked = i == m_calendar.markedCell() && i != 0;
        QFont font = label->font();
        font.setItalic(marked);
        label->setFont(font);
        label->setFrameShape(marked ? QFrame::Box : QFrame::NoFrame);
    }
    // The marked cell comes to the top of any cell it shares its place with.
    if (m_calendar.markedCell() > 0)
        m_cells[size_t(m_calendar.markedCell())]->raise();
    m_dateDisplay->setText(longDateText(m_calendar.selectedDate()));
    pointer::normal();
}

void frmMain::dayClicked(int cell)
{
    if (m_calendar.highlight(cell))
        refreshCalendar();
}

void frmMain::page(int months)
{
    if (m_calendar.page(months))
        refreshCalendar();
}

// ---- caption saying ----

void frmMain::showSaying()
{
    if (!m_data2)
        return;
    try {
        m_data2->moveFirst();
        const qint64 step = sayingStep(QRandomGenerator::global()->generateDouble(), m_data2->recordCount());
        if (step < 1)
            return;
        m_data2->move(step);
        setWindowTitle(app::title + QStringLiteral(" - ") + m_data2->value(QStringLiteral("Phrase")).toString());
    } catch (const StoreError &error) {
        // The sayings are only decoration: say once what went wrong and stop asking.
        m_timer->stop();
        showMessage(this, QStringLiteral("The sayings cannot be read: %1").arg(error.text()),
                    Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    }
}

// ---- tabs ----

// A mouse click runs the tab's action, even on the tab already selected. The arrow keys only
// move across the tabs (landing on Employees must not ask the password); Enter or Space runs
// the selected one. Actions run after the event has been handled, so a modal dialog never
// opens inside the tab strip's own event.
void frmMain::tabClicked(int index)
{
    if (index >= 0)
        queueTab(index + 1);
}

// The wheel would walk the tabs; the tab strip ignores it.
bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tabStrip) {
        if (event->type() == QEvent::Wheel)
            return true;
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool runKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
                                || key->key() == Qt::Key_Space;
            if (runKey && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                if (!key->isAutoRepeat() && m_tabStrip->currentIndex() >= 0)
                    queueTab(m_tabStrip->currentIndex() + 1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::queueTab(int tab)
{
    QMetaObject::invokeMethod(this, [this, tab] { chooseTab(tab); }, Qt::QueuedConnection);
}

void frmMain::chooseTab(int tab)
{
    if (m_ending)
        return;
    switch (tab) {
    case Employees:
        chooseEmployees();
        break;
    case Customers:
        openScreen<frmMember>();
        break;
    case DailyActivity:
        pointer::busy();
        if (frmDaily *daily = openScreen<frmDaily>())
            daily->ClearTicket();
        pointer::normal();
        break;
    case Calculator:
        showSingle<frmCalculator>();
        break;
    case ServiceReport:
        openScreen<frmReport>();
        break;
    case RegisterInformation:
        showSingle<frmRegister>();
        break;
    case TextEditor:
        showSingle<frmNotePad>();
        break;
    case Help:
        popUpHelp();
        break;
    case ReadMe:
        showSingle<frmReadme>();
        break;
    case Suppliers:
        openScreen<frmSupplier>();
        break;
    default:
        break;
    }
}

void frmMain::reportOpenFailure(const StoreError &error)
{
    pointer::normal();
    showMessage(this, QStringLiteral("Data error event hit err:") + error.text(), Dialogs::Buttons::Ok,
                Dialogs::Icon::Critical);
}

void frmMain::chooseEmployees()
{
    bool given = false;
    {
        frmLogin login(this);
        given = login.ask();
    }
    if (!given) {
        close();
        return;
    }
    pointer::busy();
    openScreen<frmEmployee>();
    // An employee screen that was already open only comes to the front: nothing moves in it.
    pointer::normal();
}

void frmMain::popUpHelp()
{
    QPoint at = QCursor::pos();
    if (!m_tabStrip->rect().contains(m_tabStrip->mapFromGlobal(at)))
        at = m_tabStrip->mapToGlobal(m_tabStrip->tabRect(Help - 1).bottomLeft());
    m_helpMenu->popup(at);
}

// ---- ending ----

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_ending) {
        event->accept();
        return;
    }
    m_ending = true;
    m_timer->stop();
    m_helpMenu->hide();
    const QString refused = m_screens.closeAll();
    if (!refused.isEmpty())
        showMessage(this, QStringLiteral("The window \"%1\" could not be closed; its changes may not be stored.").arg(refused));
    if (m_data2)
        m_data2->close();
    event->accept();
    emit programEnded();
}
