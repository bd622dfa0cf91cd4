#pragma once
#include "monthcalendar.h"
#include "screenregistry.h"
#include "shelldoors.h"
#include "storeerror.h"

#include <QWidget>
#include <memory>

class CalendarView;
class QLabel;
class QMenu;
class QTabBar;
class QTimer;
class RecordSet;

// The home screen: the tab strip that opens every other screen (one instance each), the month
// calendar with the Reports button under it, the salon's name under "Used By", a saying in the
// caption every two seconds, and the Help pop-up menu. Closing it (Exit, the close box, or
// Cancel on the Employees tab's password dialog) first closes the open screens, newest first,
// so their edits are stored.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    // The tabs, numbered as the desk knows them.
    enum Tab {
        Employees = 1, Customers, DailyActivity, Calculator, ServiceReport,
        RegisterInformation, TextEditor, Help, ReadMe, Suppliers
    };

    frmMain();
    ~frmMain() override;

    // The window's start-up work: centring, the calendar on today and the sayings. The window
    // is not shown. Its messages are shown over `messageParent` (the splash at start-up), so
    // they stay above it. Start-up has already refused a second copy.
    bool load(QWidget *messageParent = nullptr);
    void setCompany(const QString &company);
    // Says once that a book is damaged and keeps a note of it on the window.
    void showBookDamaged(const QString &path, const QString &detail);

    // Runs a tab's action (1 to 10).
    void chooseTab(int tab);
    // The Reports button under the calendar: the sales reports, starting on the marked day.
    void openReports();
    // The appointment book on a day, brought forward on that day when it is open already.
    void openDayBook(QDate day);

    // Opens a screen as a single instance; the one line that wires a tab to its screen.
    template <class T>
    T *showSingle() { return m_screens.showSingle<T>(); }
    // The same for a record screen, whose books may fail to open: the store's text is shown
    // and the main window goes on.
    template <class T>
    T *openScreen()
    {
        try {
            return showSingle<T>();
        } catch (const StoreError &error) {
            reportOpenFailure(error);
            return nullptr;
        }
    }
    ScreenRegistry &screens() { return m_screens; }
    // The doors the screens are given: the shop-password gate and payroll entry.
    Doors &doors() { return m_doors; }
    // A check-in from the appointment book: the daily ticket opened (or brought forward)
    // without the technician question, on the request's technician and customer, reset. The
    // reason when it could not, for the caller to show over `parent`.
    std::optional<QString> openTicketFor(QWidget *parent, const checkin::Request &request);

    void reportOpenFailure(const StoreError &error);

    const MonthCalendar &calendar() const;
    // Puts the calendar on a date's month with that day marked.
    void showCalendar(QDate date);
    // One tick of the caption timer.
    void showSaying();

    static QString programName();

public slots:
    // The appointment book changed: the calendar reads its day marks again.
    void refreshAppointmentMarks();

signals:
    // The program is to end (the window has closed and its screens with it).
    void programEnded();
    // A day of the calendar was opened (double-click, or Enter on the calendar): its book.
    void dayBookRequested(QDate day);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildSidePanel();
    void buildHelpMenu();
    void tabClicked(int index);
    void queueTab(int tab);
    void popUpHelp();
    void chooseEmployees();

    // The doors go after the screens that hold them (members are destroyed in reverse order).
    ShellDoors m_doors{m_screens};
    ScreenRegistry m_screens;
    std::unique_ptr<RecordSet> m_data2;
    QTabBar *m_tabStrip = nullptr;
    CalendarView *m_calendarView = nullptr;
    QMenu *m_helpMenu = nullptr;
    QLabel *m_company = nullptr;
    QLabel *m_bookDamaged = nullptr;
    QLabel *m_books = nullptr;   // on a server desk: "Books on SERVICE, desk NAME"
    QTimer *m_timer = nullptr;
    bool m_ending = false;
};
