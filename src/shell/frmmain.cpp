#include "frmmain.h"

#include "calendarview.h"
#include "apptitle.h"
#include "captionsaying.h"
#include "contact.h"
#include "database.h"
#include "dialogs.h"
#include "frmabout.h"
#include "frmlogin.h"
#include "frmreadme.h"
#include "frmregister.h"
#include "pointer.h"
#include "recordset.h"
#include "screencentre.h"
#include "serverbook.h"
#include "storeerror.h"

#include "frmcalculator.h"
#include "frmdaily.h"
#include "frmemployee.h"
#include "frmmember.h"
#include "frmnotepad.h"
#include "frmpayrollrecords.h"
#include "frmreport.h"
#include "frmdaybook.h"
#include "frmsalesreport.h"
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
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// A label's text colour through its palette: a style sheet would cost the start-up a style of its
// own for the label.
void setTextColour(QWidget *label, const QColor &colour)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
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
    m_calendarView = new CalendarView;
    connect(m_calendarView, &CalendarView::dayOpened, this, &frmMain::dayBookRequested);
    connect(this, &frmMain::dayBookRequested, this, &frmMain::openDayBook);
    // The sales reports and the day book open from under the calendar, on the day marked there.
    auto *cmdReports = new QPushButton(QStringLiteral("Reports"));
    cmdReports->setObjectName(QStringLiteral("cmdReports"));
    cmdReports->setMinimumWidth(110);
    cmdReports->setAutoDefault(false);
    connect(cmdReports, &QPushButton::clicked, this, &frmMain::openReports);
    auto *calendarColumn = new QVBoxLayout;
    calendarColumn->setSpacing(8);
    calendarColumn->addWidget(m_calendarView);
    auto *cmdDayBook = new QPushButton(QStringLiteral("Day Book"));
    cmdDayBook->setObjectName(QStringLiteral("cmdDayBook"));
    cmdDayBook->setMinimumWidth(110);
    cmdDayBook->setAutoDefault(false);
    connect(cmdDayBook, &QPushButton::clicked, this, [this] { openDayBook(calendar().selectedDate()); });
    auto *calendarButtons = new QHBoxLayout;
    calendarButtons->addWidget(cmdReports);
    calendarButtons->addWidget(cmdDayBook);
    calendarButtons->addStretch();
    calendarColumn->addLayout(calendarButtons);
    calendarColumn->addStretch(1);
    body->addLayout(calendarColumn);
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

    // The screens that open doors into others' ground get the shell's doors when they are made.
    m_screens.setFactory<frmDaily>([this] { return new frmDaily(m_doors); });
    m_screens.setFactory<frmEmployee>([this] { return new frmEmployee(m_doors); });
    m_screens.setFactory<frmSalesReport>([this] { return new frmSalesReport(calendar().selectedDate()); });
    m_screens.setFactory<frmDayBook>([this] {
        auto *book = new frmDayBook(calendar().selectedDate(), m_doors);
        // A check-in opens the daily ticket; a booking changes the calendar's marks.
        book->setCheckIn([this](QWidget *parent, const checkin::Request &request) { return openTicketFor(parent, request); });
        connect(book, &frmDayBook::bookChanged, this, &frmMain::refreshAppointmentMarks);
        return book;
    });
}

frmMain::~frmMain()
{
    frmLogin::releaseShared();
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

    // Shown on a server desk only: which books this desk writes to, under which name.
    m_books = new QLabel;
    m_books->setObjectName(QStringLiteral("lblBooks"));
    m_books->setWordWrap(true);
    m_books->hide();

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
    layout->addWidget(m_books, 6, 0, 1, 2);
    layout->setRowStretch(7, 1);
    layout->addWidget(cmdExit, 8, 1, Qt::AlignRight | Qt::AlignBottom);
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
    if (salon::isServer(salon::employeeDb())) {
        const salon::BookChoice choice = salon::bookChoice();
        m_books->setText(QStringLiteral("Books on %1, desk %2").arg(choice.service, choice.desk));
        m_books->show();
    }

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
    case DailyActivity: {
        const pointer::Busy busy;
        if (frmDaily *daily = openScreen<frmDaily>())
            daily->ClearTicket();
        break;
    }
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

std::optional<QString> frmMain::openTicketFor(QWidget *parent, const checkin::Request &request)
{
    if (m_ending)
        return QStringLiteral("The program is closing.");
    return m_doors.openTicketFor(parent, request);
}

void frmMain::openReports()
{
    if (m_ending)
        return;
    const pointer::Busy busy;
    openScreen<frmSalesReport>();
}

void frmMain::openDayBook(QDate day)
{
    if (m_ending)
        return;
    const pointer::Busy busy;
    if (auto *book = openScreen<frmDayBook>(); book && book->day() != day)
        book->showDay(day);
}

const MonthCalendar &frmMain::calendar() const
{
    return m_calendarView->calendar();
}

void frmMain::showCalendar(QDate date)
{
    m_calendarView->showDate(date);
}

void frmMain::refreshAppointmentMarks()
{
    m_calendarView->refreshAppointmentMarks();
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
    // An employee screen that was already open only comes to the front: nothing moves in it.
    const pointer::Busy busy;
    openScreen<frmEmployee>();
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
