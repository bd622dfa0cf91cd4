#include "appointments.h"
#include "captionsaying.h"
#include "database.h"
#include "dates.h"
#include "frmdaily.h"
#include "frmemployee.h"
#include "frmmain.h"
#include "frmreadme.h"
#include "calendarview.h"
#include "frmappointment.h"
#include "frmdaybook.h"
#include "daybookview.h"
#include "frmsalesreport.h"
#include "frmregister.h"
#include "modalwatch.h"
#include "pointer.h"
#include "recordset.h"
#include "screenhelpers.h"
#include "startup.h"
#include "startupcheck.h"
#include "instancelock.h"
#include "scripteddialogs.h"
#include "testhome.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabBar>
#include <QtTest>

// A stand-in for a record screen: on closing it stores its pending edit (as the binding layer
// does) and notes the order in which screens closed.
QStringList closedScreens;

class ScreenA : public QWidget
{
public:
    ScreenA() { setWindowTitle(QStringLiteral("Screen A")); }
    QString pendingZip;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (!pendingZip.isEmpty()) {
            execSql(QStringLiteral("UPDATE Misc SET Zip = ?"), {pendingZip});
        }
        closedScreens << windowTitle();
        QWidget::closeEvent(event);
    }
};

class ScreenB : public ScreenA
{
public:
    ScreenB() { setWindowTitle(QStringLiteral("Screen B")); }
};

class StubbornScreen : public QWidget
{
public:
    StubbornScreen() { setWindowTitle(QStringLiteral("Stubborn")); }

protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;

    std::unique_ptr<frmMain> loadedWindow()
    {
        auto window = std::make_unique<frmMain>();
        if (!window->load())
            return nullptr;
        window->show();
        return window;
    }
    static QString phraseOfRecord(qint64 position)
    {
        RecordSet idioms(salon::idiomsDb(), QStringLiteral("Idiom"));
        idioms.move(position);
        return idioms.value(QStringLiteral("Phrase")).toString();
    }
    QLabel *dayCell(frmMain &window, int cell) const
    {
        return window.findChild<QLabel *>(QStringLiteral("DayLabel%1").arg(cell));
    }
    static void book(qint64 technician, QDate day, QTime time, salon::AppointmentStatus status = salon::AppointmentStatus::Booked)
    {
        salon::Booking booking;
        booking.employeeId = technician;
        booking.customerId = 7;
        booking.date = day;
        booking.time = time;
        booking.minutes = 60;
        const salon::Appointment booked = salon::bookAppointment(salon::employeeDb(), booking);
        if (status != salon::AppointmentStatus::Booked)
            salon::setAppointmentStatus(salon::employeeDb(), booked.id, status);
    }
    // March 2026 (the 1st a Sunday, so day N is cell N): two on the 10th (a third cancelled),
    // one done on the 12th, only a cancelled and a no-show on the 13th; one on 2 April.
    static void bookMarch2026()
    {
        for (qint64 id : {1, 2})
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id},
                                                {QStringLiteral("FirstName"), id == 1 ? QStringLiteral("Ivy") : QStringLiteral("Max")}});
        addCustomer(7, QStringLiteral("Ann"), QStringLiteral("Lee"));
        using salon::AppointmentStatus;
        book(1, QDate(2026, 3, 10), QTime(10, 0));
        book(2, QDate(2026, 3, 10), QTime(10, 0));
        book(1, QDate(2026, 3, 10), QTime(12, 0), AppointmentStatus::Cancelled);
        book(1, QDate(2026, 3, 12), QTime(9, 0), AppointmentStatus::Done);
        book(1, QDate(2026, 3, 13), QTime(9, 0), AppointmentStatus::Cancelled);
        book(2, QDate(2026, 3, 13), QTime(11, 0), AppointmentStatus::NoShow);
        book(1, QDate(2026, 4, 2), QTime(9, 0));
    }
    static QString zip()
    {
        const QVariantList zips = queryValues(QStringLiteral("SELECT Zip FROM Misc"));
        return zips.isEmpty() ? QString() : zips[0].toString();
    }

private slots:
    void initTestCase() { useTestLocale(); }
    void init()
    {
        closedScreens.clear();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
    }
    void cleanup()
    {
        pointer::normal();
        home.reset();
    }

    // A server desk says which books it writes to, under which name; a local desk says nothing.
    void booksOnAServerAreNamed()
    {
        auto window = loadedWindow();
        auto *books = window->findChild<QLabel *>(QStringLiteral("lblBooks"));
        QVERIFY(books);
        QCOMPARE(books->isVisible(), onServer());
        if (onServer())
            QCOMPARE(books->text(), QStringLiteral("Books on %1, desk %2").arg(home->service(), QSysInfo::machineHostName()));
        QCOMPARE(window->findChild<QTabBar *>(QStringLiteral("TabStrip1"))->count(), 10);
    }

    // The books' check after start-up looks at the desk's own files only: a server desk has
    // no salon book in its data folder, and nothing is reported damaged.
    void startUpChecksOnlyTheDesksOwnBooks()
    {
        QVERIFY(execSql(QStringLiteral("UPDATE Misc SET count = 0")));
        ScriptedDialogs dialogs;
        int status = -1;
        Desk desk = startUp(status);
        QVERIFY(desk.window);
        auto *check = desk.window->findChild<StartupCheck *>(QStringLiteral("startupCheck"));
        QVERIFY(check);
        QTRY_VERIFY(check->isFinished());
        QCoreApplication::processEvents();   // a finding is shown once the current event is done
        QCOMPARE(dialogs.shown().size(), 0);
        QVERIFY(desk.window->findChild<QLabel *>(QStringLiteral("lblBookDamaged"))->isHidden());
        QCOMPARE(desk.window->findChild<QLabel *>(QStringLiteral("lblBooks"))->isVisible(), onServer());
        desk = {};
        salon::setDamageListener(nullptr);
    }

    // The Reports button under the calendar opens the sales reports on the marked day, once;
    // the tab strip keeps its ten tabs.
    void reportsOpenOnTheMarkedDay()
    {
        auto window = loadedWindow();
        window->showCalendar(QDate(2026, 3, 15));
        click(window.get(), QStringLiteral("cmdReports"));
        auto *reports = window->screens().find<frmSalesReport>();
        QVERIFY(reports);
        QVERIFY(reports->isVisible());
        QVERIFY(reports->sheet());
        QCOMPARE(reports->sheet()->period.from, QDate(2026, 3, 15));
        QCOMPARE(reports->sheet()->period.to, QDate(2026, 3, 15));
        window->showCalendar(QDate(2026, 3, 16));
        click(window.get(), QStringLiteral("cmdReports"));
        QCOMPARE(window->screens().find<frmSalesReport>(), reports);
        QCOMPARE(window->screens().openCount(), 1);
        QCOMPARE(window->findChild<QTabBar *>(QStringLiteral("TabStrip1"))->count(), 10);
        QVERIFY(!pointer::isBusy());
    }

    // A double-click on a day, Enter on the calendar, or the button opens that day's book;
    // an empty cell opens nothing.
    void dayBookOpensOnTheDay()
    {
        auto window = loadedWindow();
        window->show();
        window->showCalendar(QDate(2026, 3, 15));
        auto *view = window->findChild<CalendarView *>();
        QVERIFY(view);
        const auto cellLabel = [view](int cell) { return view->findChild<QLabel *>(QStringLiteral("DayLabel%1").arg(cell)); };
        window->showCalendar(QDate(2026, 3, 10));
        const int tenth = view->calendar().markedCell();
        window->showCalendar(QDate(2026, 3, 15));
        // March 2026 has its 31 days in cells 1 to 31; cell 33 holds no day.
        QTest::mouseDClick(cellLabel(33), Qt::LeftButton);
        QVERIFY(!window->screens().find<frmDayBook>());
        QCOMPARE(view->calendar().selectedDate(), QDate(2026, 3, 15));

        QTest::mouseClick(cellLabel(tenth), Qt::LeftButton);
        QTest::mouseDClick(cellLabel(tenth), Qt::LeftButton);
        auto *book = window->screens().find<frmDayBook>();
        QVERIFY(book);
        QCOMPARE(book->day(), QDate(2026, 3, 10));

        window->showCalendar(QDate(2026, 3, 20));
        auto *grid = view->findChild<QWidget *>(QStringLiteral("calendarGrid"));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(window->screens().find<frmDayBook>(), book);
        QCOMPARE(book->day(), QDate(2026, 3, 20));

        window->showCalendar(QDate(2026, 4, 2));
        click(window.get(), QStringLiteral("cmdDayBook"));
        QCOMPARE(book->day(), QDate(2026, 4, 2));
        QCOMPARE(window->screens().openCount(), 1);
        QVERIFY(!pointer::isBusy());
    }

    void tabsInOrder()
    {
        frmMain window;
        auto *tabs = window.findChild<QTabBar *>(QStringLiteral("TabStrip1"));
        QStringList captions;
        for (int i = 0; i < tabs->count(); ++i)
            captions << tabs->tabText(i);
        QCOMPARE(captions, QStringList({"Employees", "Customers", "Daily Activity", "Calculator", "Service Report",
                                        "Register Information", "Text Editor", "Help", "ReadMe.1st", "Suppliers"}));
        QCOMPARE(window.windowTitle(), QStringLiteral("Velorine"));
    }

    void calendarStartsOnToday()
    {
        auto window = loadedWindow();
        QVERIFY(window);
        const QDate today = QDate::currentDate();
        QCOMPARE(window->calendar().selectedDate(), today);
        const int marked = window->calendar().markedCell();
        auto *cell = window->findChild<QLabel *>(QStringLiteral("DayLabel%1").arg(marked));
        QCOMPARE(cell->text(), QString::number(today.day()));
        QVERIFY(cell->isVisible());
        QVERIFY(cell->font().italic());
        QCOMPARE(cell->frameShape(), QFrame::Box);
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("DateDisplay"))->text(), longDateText(today));
        QVERIFY(!window->findChild<QLabel *>(QStringLiteral("DayLabel0"))->isVisible());
    }

    void sundayCellsAreRed()
    {
        frmMain window;
        for (int cell : {1, 8, 15, 22, 29, 36}) {
            auto *label = window.findChild<QLabel *>(QStringLiteral("DayLabel%1").arg(cell));
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        }
        auto *monday = window.findChild<QLabel *>(QStringLiteral("DayLabel2"));
        QVERIFY(monday->palette().color(QPalette::WindowText) != QColor(255, 0, 0));
    }

    void pagingButtonsClampTheDay_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("shown");
        QTest::newRow("31 Jan, M >") << QDate(2009, 1, 31) << "cmdNextMonth" << QDate(2009, 2, 28);
        QTest::newRow("31 Jan 2004, M >") << QDate(2004, 1, 31) << "cmdNextMonth" << QDate(2004, 2, 29);
        QTest::newRow("29 Feb 2004, Y >") << QDate(2004, 2, 29) << "cmdNextYear" << QDate(2005, 2, 28);
        QTest::newRow("31 Mar, < M") << QDate(2003, 3, 31) << "cmdPreviousMonth" << QDate(2003, 2, 28);
        QTest::newRow("15 Jun 2003, < Y") << QDate(2003, 6, 15) << "cmdPreviousYear" << QDate(2002, 6, 15);
    }
    void pagingButtonsClampTheDay()
    {
        QFETCH(QDate, start);
        QFETCH(QString, button);
        QFETCH(QDate, shown);
        auto window = loadedWindow();
        window->showCalendar(start);
        pointer::busy();
        window->findChild<QPushButton *>(button)->click();
        QCOMPARE(window->calendar().selectedDate(), shown);
        const int marked = window->calendar().markedCell();
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("DayLabel%1").arg(marked))->text(),
                 QString::number(shown.day()));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("DateDisplay"))->text(), longDateText(shown));
        QVERIFY(!pointer::isBusy());   // filling the calendar puts the pointer back
    }

    void clickingCells()
    {
        auto window = loadedWindow();
        window->showCalendar(QDate(2002, 3, 4));
        auto *day31 = window->findChild<QLabel *>(QStringLiteral("DayLabel36"));
        QCOMPARE(day31->text(), QStringLiteral("31"));
        QTest::mouseClick(day31, Qt::LeftButton);
        QCOMPARE(window->calendar().selectedDate(), QDate(2002, 3, 31));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("DateDisplay"))->text(), QStringLiteral("Sunday, March 31, 2002"));
        QVERIFY(day31->font().italic());
        QVERIFY(!window->findChild<QLabel *>(QStringLiteral("DayLabel9"))->font().italic());
        // An emptied cell draws nothing and cannot be chosen.
        auto *empty = window->findChild<QLabel *>(QStringLiteral("DayLabel37"));
        QTest::mouseClick(empty, Qt::LeftButton);
        QCOMPARE(window->calendar().selectedDate(), QDate(2002, 3, 31));
    }

    // March 2003 shows days 30 and 31 in cells 36 and 37; June 2003 starts on a Sunday and
    // needs cells 1 and 2, in the same places. The emptied 36 and 37 must not cover them.
    void leftoverCellsNeverCoverADay()
    {
        auto window = loadedWindow();
        window->showCalendar(QDate(2003, 3, 1));
        auto *cell36 = window->findChild<QLabel *>(QStringLiteral("DayLabel36"));
        auto *cell37 = window->findChild<QLabel *>(QStringLiteral("DayLabel37"));
        auto *cell1 = window->findChild<QLabel *>(QStringLiteral("DayLabel1"));
        auto *cell2 = window->findChild<QLabel *>(QStringLiteral("DayLabel2"));
        QCOMPARE(cell36->text(), QStringLiteral("30"));
        QCOMPARE(cell37->text(), QStringLiteral("31"));
        QVERIFY(cell36->isVisible() && cell37->isVisible());
        QVERIFY(!cell1->isVisible() && !cell2->isVisible());
        QCOMPARE(cell36->pos(), cell1->pos());
        QCOMPARE(cell37->pos().y(), cell2->pos().y());
        QVERIFY(cell37->pos().x() > cell2->pos().x());

        window->showCalendar(QDate(2003, 6, 1));
        QVERIFY(cell1->isVisible() && cell2->isVisible());
        QCOMPARE(cell1->text(), QStringLiteral("1"));
        QVERIFY(!cell36->isVisible() && !cell37->isVisible());
        QCOMPARE(cell1->parentWidget()->childAt(cell1->geometry().center()), cell1);
    }

    // Days whose appointments hold time are bold with their count in the tooltip; the marks
    // come after the window is first shown, not before.
    void appointmentDaysAreMarkedAfterShowing()
    {
        bookMarch2026();
        frmMain window;
        QVERIFY(window.load());
        window.showCalendar(QDate(2026, 3, 1));
        window.show();
        QVERIFY(!dayCell(window, 10)->font().bold());   // not read yet
        QTRY_VERIFY(dayCell(window, 10)->font().bold());
        QCOMPARE(dayCell(window, 10)->toolTip(), QStringLiteral("2 appointments"));
        QVERIFY(dayCell(window, 12)->font().bold());
        QCOMPARE(dayCell(window, 12)->toolTip(), QStringLiteral("1 appointment"));
        for (int day : {1, 11, 13}) {   // nothing, and cancelled and no-show only
            QVERIFY2(!dayCell(window, day)->font().bold(), qPrintable(QString::number(day)));
            QCOMPARE(dayCell(window, day)->toolTip(), QString());
        }
        // The day's other marks stay as they were.
        QCOMPARE(dayCell(window, 10)->text(), QStringLiteral("10"));
        QVERIFY(dayCell(window, 1)->font().italic());
        QVERIFY(!dayCell(window, 10)->font().italic());
        QCOMPARE(dayCell(window, 8)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }

    void appointmentMarksAreReadAgainOnPagingAndWhenTold()
    {
        bookMarch2026();
        auto window = loadedWindow();
        window->showCalendar(QDate(2026, 3, 1));
        QTRY_VERIFY(dayCell(*window, 10)->font().bold());

        // April 2026 starts on a Wednesday: day N is cell N + 3.
        window->findChild<QPushButton *>(QStringLiteral("cmdNextMonth"))->click();
        QCOMPARE(dayCell(*window, 5)->text(), QStringLiteral("2"));
        QVERIFY(dayCell(*window, 5)->font().bold());
        QCOMPARE(dayCell(*window, 5)->toolTip(), QStringLiteral("1 appointment"));
        QVERIFY(!dayCell(*window, 10)->font().bold());   // 7 April; March's 10th is gone
        QCOMPARE(dayCell(*window, 10)->toolTip(), QString());

        book(2, QDate(2026, 4, 7), QTime(15, 0));
        QVERIFY(!dayCell(*window, 10)->font().bold());
        window->refreshAppointmentMarks();
        QVERIFY(dayCell(*window, 10)->font().bold());

        window->findChild<QPushButton *>(QStringLiteral("cmdPreviousMonth"))->click();
        QCOMPARE(dayCell(*window, 10)->toolTip(), QStringLiteral("2 appointments"));
        QVERIFY(!dayCell(*window, 5)->font().bold());
    }

    // On a server the other desks' bookings mark their days as they are made.
    void anotherDesksBookingMarksItsDay()
    {
        if (!onServer())
            QSKIP("only a server has other desks");
        bookMarch2026();
        auto window = loadedWindow();
        window->showCalendar(QDate(2026, 3, 1));
        QTRY_VERIFY(dayCell(*window, 10)->font().bold());
        QVERIFY(!dayCell(*window, 20)->font().bold());
        OtherDesk deskB;
        deskB.write(QStringLiteral("INSERT INTO Appointments (UID, EmployeeID, CustomerID, Start, Minutes, Status) "
                                   "VALUES ('from desk b', 2, 7, '2026-03-20 09:00', 30, 'booked')"));
        QTRY_VERIFY(dayCell(*window, 20)->font().bold());
        QCOMPARE(dayCell(*window, 20)->toolTip(), QStringLiteral("1 appointment"));
    }

    // On the focused calendar the arrows move a day or a week and the paging keys a month,
    // across the month's end; Enter then opens the day reached.
    void keysMoveTheSelectedDay_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QDate>("to");
        QTest::newRow("left") << QDate(2026, 3, 15) << int(Qt::Key_Left) << QDate(2026, 3, 14);
        QTest::newRow("right") << QDate(2026, 3, 15) << int(Qt::Key_Right) << QDate(2026, 3, 16);
        QTest::newRow("up") << QDate(2026, 3, 15) << int(Qt::Key_Up) << QDate(2026, 3, 8);
        QTest::newRow("down") << QDate(2026, 3, 15) << int(Qt::Key_Down) << QDate(2026, 3, 22);
        QTest::newRow("right past the month") << QDate(2026, 3, 31) << int(Qt::Key_Right) << QDate(2026, 4, 1);
        QTest::newRow("up before the month") << QDate(2026, 4, 3) << int(Qt::Key_Up) << QDate(2026, 3, 27);
        QTest::newRow("page up") << QDate(2026, 3, 31) << int(Qt::Key_PageUp) << QDate(2026, 2, 28);
        QTest::newRow("page down") << QDate(2026, 3, 15) << int(Qt::Key_PageDown) << QDate(2026, 4, 15);
        QTest::newRow("left at the first day reached") << QDate(100, 1, 1) << int(Qt::Key_Left) << QDate(100, 1, 1);
    }
    void keysMoveTheSelectedDay()
    {
        QFETCH(QDate, from);
        QFETCH(int, key);
        QFETCH(QDate, to);
        bookMarch2026();
        auto window = loadedWindow();
        window->showCalendar(from);
        auto *grid = window->findChild<QWidget *>(QStringLiteral("calendarGrid"));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key(key));
        QCOMPARE(window->calendar().selectedDate(), to);
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("DateDisplay"))->text(), longDateText(to));
        QLabel *marked = dayCell(*window, window->calendar().markedCell());
        QCOMPARE(marked->text(), QString::number(to.day()));
        QVERIFY(marked->font().italic());
        if (to == QDate(2026, 4, 1))   // the new month's marks were read: 2 April is booked
            QTRY_VERIFY(dayCell(*window, 5)->font().bold());
        QTest::keyClick(grid, Qt::Key_Return);
        auto *book = window->screens().find<frmDayBook>();
        QVERIFY(book);
        QCOMPARE(book->day(), to);
    }

    // March 2002: the 1st is in cell 6, the 31st in cell 36; cells 1 to 5 and 37 are empty.
    // A double-click selects and opens a day; Enter on the focused calendar opens the
    // selected one; an empty cell opens nothing.
    void openingADay_data()
    {
        QTest::addColumn<int>("cell");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QDate>("opened");   // invalid: nothing
        QTest::newRow("double-click the 31st") << 36 << "double-click" << QDate(2002, 3, 31);
        QTest::newRow("double-click the 15th") << 20 << "double-click" << QDate(2002, 3, 15);
        QTest::newRow("double-click empty 37") << 37 << "double-click" << QDate();
        QTest::newRow("double-click empty 2") << 2 << "double-click" << QDate();
        QTest::newRow("click the 15th, Enter") << 20 << "click, Enter" << QDate(2002, 3, 15);
        QTest::newRow("click the 15th, keypad Enter") << 20 << "click, keypad Enter" << QDate(2002, 3, 15);
        QTest::newRow("click empty 37, Enter") << 37 << "click, Enter" << QDate(2002, 3, 4);
    }
    void openingADay()
    {
        QFETCH(int, cell);
        QFETCH(QString, action);
        QFETCH(QDate, opened);
        auto window = loadedWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->showCalendar(QDate(2002, 3, 4));
        QSignalSpy requested(window.get(), &frmMain::dayBookRequested);
        if (action == QLatin1String("double-click")) {
            QTest::mouseDClick(dayCell(*window, cell), Qt::LeftButton);
        } else {
            auto *grid = window->findChild<QWidget *>(QStringLiteral("calendarGrid"));
            grid->setFocus();   // a click on a visible day gives it the focus as well
            QTest::mouseClick(dayCell(*window, cell), Qt::LeftButton);
            QTRY_COMPARE(QApplication::focusWidget(), grid);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter,
                            action.contains(QLatin1String("keypad")) ? Qt::KeypadModifier : Qt::NoModifier);
        }
        if (opened.isValid()) {
            QCOMPARE(requested.count(), 1);
            QCOMPARE(requested.at(0).at(0).toDate(), opened);
            QCOMPARE(window->calendar().selectedDate(), opened);
        } else {
            QCOMPARE(requested.count(), 0);
            QCOMPARE(window->calendar().selectedDate(), QDate(2002, 3, 4));
        }
    }

    // A click on a day moves the keyboard's focus to the calendar, so Enter opens it.
    void clickingADayFocusesTheCalendar()
    {
        auto window = loadedWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->showCalendar(QDate(2002, 3, 4));
        window->findChild<QPushButton *>(QStringLiteral("cmdExit"))->setFocus();
        QTest::mouseClick(dayCell(*window, 20), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), window->findChild<QWidget *>(QStringLiteral("calendarGrid")));
    }

    void sayingStepRange_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<qint64>("records");
        QTest::addColumn<qint64>("step");
        QTest::newRow("lowest draw") << 0.0 << qint64(1123) << qint64(1);
        QTest::newRow("middle draw") << 0.5 << qint64(1123) << qint64(520);
        QTest::newRow("highest draw") << 0.9999999 << qint64(1123) << qint64(1038);
        QTest::newRow("exactly 1039 records") << 0.9999999 << qint64(1039) << qint64(1038);
        QTest::newRow("short table, high draw") << 0.99 << qint64(3) << qint64(2);
        QTest::newRow("short table, low draw") << 0.0 << qint64(3) << qint64(1);
        QTest::newRow("one record: none to show") << 0.5 << qint64(1) << qint64(0);
        QTest::newRow("empty table") << 0.5 << qint64(0) << qint64(0);
    }
    void sayingStepRange()
    {
        QFETCH(double, r);
        QFETCH(qint64, records);
        QFETCH(qint64, step);
        QCOMPARE(sayingStep(r, records), step);
    }

    void captionNeverShowsTheFirstSaying()
    {
        auto window = loadedWindow();
        auto *timer = window->findChild<QTimer *>(QStringLiteral("Timer1"));
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 2000);
        const QString first = QStringLiteral("Velorine - ") + phraseOfRecord(0);
        QSet<QString> allowed;
        RecordSet idioms(salon::idiomsDb(), QStringLiteral("Idiom"));
        for (qint64 i = 1; i <= 1038 && i < idioms.recordCount(); ++i)
            allowed.insert(QStringLiteral("Velorine - ") + phraseOfRecord(i));
        QSet<QString> seen;
        for (int tick = 0; tick < 300; ++tick) {
            window->showSaying();
            QVERIFY(window->windowTitle() != first);
            QVERIFY2(allowed.contains(window->windowTitle()), qPrintable(window->windowTitle()));
            seen.insert(window->windowTitle());
        }
        QVERIFY(seen.size() > 100);   // it changes
    }

    void shortSayingsTableStaysInRange()
    {
        QSqlQuery query(salon::idiomsDb());
        QVERIFY(query.exec(QStringLiteral("DELETE FROM Idiom WHERE rowid > 3")));
        auto window = loadedWindow();
        QSet<QString> seen;
        for (int tick = 0; tick < 100; ++tick) {
            window->showSaying();
            seen.insert(window->windowTitle());
        }
        QCOMPARE(seen, QSet<QString>({QStringLiteral("Velorine - ") + phraseOfRecord(1),
                                      QStringLiteral("Velorine - ") + phraseOfRecord(2)}));
    }

    void helpMessagesTitledWithCaption_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::newRow("Contents") << "mnuHelpContents" << "There is no Help associated with this project.";
        QTest::newRow("Search") << "mnuHelpSearch" << "Please Email me at: support@velorine.example";
    }
    void helpMessagesTitledWithCaption()
    {
        QFETCH(QString, item);
        QFETCH(QString, text);
        ScriptedDialogs dialogs;
        dialogs.answerMessage();
        auto window = loadedWindow();
        window->showSaying();
        QVERIFY(window->windowTitle().startsWith(QLatin1String("Velorine - ")));
        window->findChild<QAction *>(item)->trigger();
        QCOMPARE(dialogs.messageTexts(), QStringList(text));
        QCOMPARE(dialogs.last().title, window->windowTitle());
        QCOMPARE(dialogs.last().icon, Dialogs::Icon::Information);
        QCOMPARE(dialogs.last().buttons, Dialogs::Buttons::Ok);
    }

    void helpTabPopsUpTheMenu()
    {
        auto window = loadedWindow();
        auto *menu = window->findChild<QMenu *>(QStringLiteral("mnuHelp"));
        QStringList items;
        for (QAction *action : menu->actions())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(items, QStringList({"&Contents", "&Search For Help On...", "-", "&About Velorine...", "-",
                                     "Register Information"}));
        window->chooseTab(frmMain::Help);
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
    }

    // A click on a tab opens its screen; a second click only brings the same one forward.
    void tabsOpenSingleInstances()
    {
        auto window = loadedWindow();
        auto *tabs = window->findChild<QTabBar *>(QStringLiteral("TabStrip1"));
        const QPoint registerTab = tabs->tabRect(frmMain::RegisterInformation - 1).center();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, registerTab);
        QTRY_COMPARE(visibleTopLevels(QStringLiteral("frmRegister")).size(), 1);
        frmRegister *first = window->screens().find<frmRegister>();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, registerTab);   // the tab already selected
        QTest::qWait(20);
        QCOMPARE(window->screens().find<frmRegister>(), first);
        QCOMPARE(visibleTopLevels(QStringLiteral("frmRegister")).size(), 1);

        window->findChild<QAction *>(QStringLiteral("mnuHelpRegister"))->trigger();
        QCOMPARE(window->screens().find<frmRegister>(), first);

        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(frmMain::ReadMe - 1).center());
        QTRY_COMPARE(visibleTopLevels(QStringLiteral("frmReadme")).size(), 1);
        QCOMPARE(window->screens().openCount(), 2);

        // Closed by the user, a screen is loaded afresh next time.
        first->close();
        QTRY_VERIFY(!window->screens().find<frmRegister>());
        window->chooseTab(frmMain::RegisterInformation);
        QVERIFY(window->screens().find<frmRegister>());
    }

    // The arrow keys and the wheel only move across the tabs: landing on Employees asks no
    // password, and no screen opens on the way.
    void arrowKeysAndWheelOnlyMove()
    {
        auto window = loadedWindow();
        auto *tabs = window->findChild<QTabBar *>(QStringLiteral("TabStrip1"));
        QSignalSpy ended(window.get(), &frmMain::programEnded);
        auto asked = std::make_shared<bool>(false);
        ModalWatch watch([](QWidget *modal) { modal->close(); }, asked);
        tabs->setCurrentIndex(frmMain::Customers - 1);
        tabs->setFocus();
        QTest::keyClick(tabs, Qt::Key_Left);
        QCOMPARE(tabs->currentIndex(), frmMain::Employees - 1);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(tabs, Qt::Key_Right);
        QCOMPARE(tabs->currentIndex(), frmMain::Calculator - 1);

        QWheelEvent wheel(QPointF(5, 5), tabs->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(tabs, &wheel);
        QTest::qWait(50);
        QCOMPARE(tabs->currentIndex(), frmMain::Calculator - 1);
        QVERIFY(!*asked);
        QCOMPARE(ended.count(), 0);
        QCOMPARE(window->screens().openCount(), 0);
    }

    // Enter or Space runs the selected tab, once.
    void enterOrSpaceRunsTheSelectedTab_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier);
    }
    void enterOrSpaceRunsTheSelectedTab()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        auto window = loadedWindow();
        auto *tabs = window->findChild<QTabBar *>(QStringLiteral("TabStrip1"));
        tabs->setCurrentIndex(frmMain::ReadMe - 1);
        tabs->setFocus();
        QTest::keyClick(tabs, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE(visibleTopLevels(QStringLiteral("frmReadme")).size(), 1);
        QCOMPARE(window->screens().openCount(), 1);
        QCOMPARE(tabs->currentIndex(), frmMain::ReadMe - 1);
        window->screens().closeAll();
    }

    // Cancel on the password still ends the program when the tab was run from the keyboard.
    void employeesTabByKeyboardCancelEndsTheProgram()
    {
        auto window = loadedWindow();
        auto *tabs = window->findChild<QTabBar *>(QStringLiteral("TabStrip1"));
        QSignalSpy ended(window.get(), &frmMain::programEnded);
        auto asked = std::make_shared<bool>(false);
        ModalWatch watch([](QWidget *modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("frmLogin"));
            modal->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        }, asked);
        tabs->setCurrentIndex(frmMain::Employees - 1);
        tabs->setFocus();
        QTest::keyClick(tabs, Qt::Key_Space);
        QTRY_COMPARE(ended.count(), 1);
        QVERIFY(*asked);
        QVERIFY(!window->isVisible());
    }

    // Each tab opens its screen once; choosing it again brings the same window forward.
    void tabsOpenTheirScreens_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("screen");
        QTest::newRow("Customers") << int(frmMain::Customers) << "frmMember";
        QTest::newRow("Calculator") << int(frmMain::Calculator) << "frmCalculator";
        QTest::newRow("Service Report") << int(frmMain::ServiceReport) << "frmReport";
        QTest::newRow("Text Editor") << int(frmMain::TextEditor) << "frmNotePad";
        QTest::newRow("Suppliers") << int(frmMain::Suppliers) << "frmSupplier";
    }
    void tabsOpenTheirScreens()
    {
        QFETCH(int, tab);
        QFETCH(QString, screen);
        ScriptedDialogs dialogs;
        auto window = loadedWindow();
        window->chooseTab(tab);
        window->chooseTab(tab);
        QTRY_COMPARE(visibleTopLevels(screen).size(), 1);
        QCOMPARE(window->screens().openCount(), 1);
        QCOMPARE(dialogs.shown().size(), 0);
        window->screens().closeAll();
    }

    // A record book whose table cannot be opened reports the store's text; the window goes on.
    void aBookThatCannotOpenIsReported()
    {
        ScriptedDialogs dialogs;
        auto window = loadedWindow();
        QVERIFY(execSql(QStringLiteral("DROP TABLE Suppliers")));
        dialogs.answerMessage();
        window->chooseTab(frmMain::Suppliers);
        QCOMPARE(dialogs.messageTexts().size(), 1);
        QVERIFY(dialogs.messageTexts()[0].startsWith(QStringLiteral("Data error event hit err:")));
        QCOMPARE(window->screens().openCount(), 0);
        QVERIFY(!pointer::isBusy());
    }

    // The Daily Activity tab opens the ticket once (asking for the technician) and resets the
    // ticket every time it is chosen.
    void dailyTabOpensTheTicketAndResetsIt()
    {
        ScriptedDialogs dialogs;
        auto window = loadedWindow();
        auto ticketCells = [] {
            return queryValues(QStringLiteral("SELECT count(*) FROM Products WHERE Quantity <> 0 OR SalePrice <> 0"))
                .value(0).toInt();
        };
        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Quantity = 2, SalePrice = 30")));
        dialogs.answerText(QString());
        window->chooseTab(frmMain::DailyActivity);
        QCOMPARE(dialogs.promptTexts(), QStringList{QStringLiteral("Please enter your Employee ID number: ")});
        QCOMPARE(window->screens().openCount(), 1);
        QCOMPARE(ticketCells(), 0);
        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Quantity = 2, SalePrice = 30")));
        window->chooseTab(frmMain::DailyActivity);
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(ticketCells(), 0);
        QVERIFY(!pointer::isBusy());
    }

    // A check-in opens the daily ticket without the technician question, on the technician
    // and customer by number (neither first in its list), reset; an open ticket is brought
    // forward and moved; an unknown technician is refused and the ticket stays as it was.
    void checkInOpensTheTicketWithoutTheQuestion()
    {
        for (int id : {1, 2, 3})
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id}, {QStringLiteral("FirstName"), QStringLiteral("Tech%1").arg(id)},
                                                {QStringLiteral("SubTotal"), 0}, {QStringLiteral("Total"), 0}});
        for (int id : {1, 2, 3})
            addCustomer(id, QStringLiteral("First%1").arg(id), QStringLiteral("Last%1").arg(id));
        ScriptedDialogs dialogs;
        auto window = loadedWindow();
        auto ticketCells = [] {
            return queryValues(QStringLiteral("SELECT count(*) FROM Products WHERE Quantity <> 0 OR SalePrice <> 0"))
                .value(0).toInt();
        };
        auto onTicket = [&window] {
            frmDaily *daily = window->screens().find<frmDaily>();
            return daily ? QStringLiteral("%1/%2").arg(daily->datPrimaryRS()->value(QStringLiteral("EmployeeID")).toInt())
                               .arg(daily->datThird()->value(QStringLiteral("CustomerID")).toInt())
                         : QStringLiteral("closed");
        };
        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Quantity = 2, SalePrice = 30")));

        QCOMPARE(window->openTicketFor(window.get(), {3, QVariant(2)}), std::nullopt);
        QVERIFY(dialogs.shown().isEmpty());
        QCOMPARE(window->screens().openCount(), 1);
        QCOMPARE(onTicket(), QStringLiteral("3/2"));
        QCOMPARE(ticketCells(), 0);
        QVERIFY(window->screens().find<frmDaily>()->isVisible());
        QVERIFY(!pointer::isBusy());

        frmDaily *daily = window->screens().find<frmDaily>();
        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Quantity = 2, SalePrice = 30")));
        QCOMPARE(window->openTicketFor(window.get(), {2, QVariant(3)}), std::nullopt);
        QCOMPARE(window->screens().find<frmDaily>(), daily);
        QCOMPARE(onTicket(), QStringLiteral("2/3"));
        QCOMPARE(ticketCells(), 0);

        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Quantity = 2, SalePrice = 30")));
        QCOMPARE(window->openTicketFor(window.get(), {9, QVariant(1)}),
                 std::optional<QString>(QStringLiteral("There is no employee with the number 9.")));
        QCOMPARE(onTicket(), QStringLiteral("2/3"));
        QCOMPARE(ticketCells(), 1 * int(rowCount(QStringLiteral("Products"))));
        QVERIFY(dialogs.shown().isEmpty());
    }

    // From the day book's Check In through the shell to the ticket: the ticket opens on the
    // appointment's technician and customer without the question, the appointment is arrived,
    // and its day keeps its mark.
    void checkInFromTheDayBook()
    {
        for (int id : {1, 2, 3})
            addRow(QStringLiteral("Employee"), {{QStringLiteral("EmployeeID"), id}, {QStringLiteral("FirstName"), QStringLiteral("Tech%1").arg(id)},
                                                {QStringLiteral("SubTotal"), 0}, {QStringLiteral("Total"), 0}});
        for (int id : {5, 6, 7})
            addCustomer(id, QStringLiteral("First%1").arg(id), QStringLiteral("Last%1").arg(id));
        const QDate today = QDate::currentDate();
        salon::Booking booking;
        booking.employeeId = 2;
        booking.customerId = 6;
        booking.date = today;
        booking.time = QTime(11, 0);
        booking.minutes = 45;
        const salon::Appointment booked = salon::bookAppointment(salon::employeeDb(), booking);

        ScriptedDialogs dialogs;
        auto window = loadedWindow();
        window->showCalendar(today);
        const int todaysCell = window->calendar().markedCell();
        QTRY_COMPARE(dayCell(*window, todaysCell)->toolTip(), QStringLiteral("1 appointment"));
        window->openDayBook(today);
        auto *book = window->screens().find<frmDayBook>();
        QVERIFY(book);
        const daybook::Grid &grid = book->view()->grid();
        int column = -1;
        for (std::size_t i = 0; i < grid.columns.size(); ++i)
            if (grid.columns[i].employeeId == 2)
                column = int(i);
        QVERIFY(column >= 0);
        book->view()->setCurrent(column, (11 * 60 - grid.firstMinute) / daybook::slotMinutes);
        book->openSelected();
        auto *opened = book->findChild<frmAppointment *>();
        QVERIFY(opened && opened->isVisible());
        QVERIFY(!window->screens().find<frmDaily>());
        click(opened, QStringLiteral("cmdCheckIn"));

        frmDaily *daily = window->screens().find<frmDaily>();
        QVERIFY(daily);
        QVERIFY(daily->isVisible());
        QCOMPARE(daily->datPrimaryRS()->value(QStringLiteral("EmployeeID")).toInt(), 2);
        QCOMPARE(daily->datThird()->value(QStringLiteral("CustomerID")).toInt(), 6);
        QVERIFY(dialogs.shown().isEmpty());   // no technician question, no message
        QCOMPARE(salon::appointmentById(salon::employeeDb(), booked.id)->status, salon::AppointmentStatus::Arrived);
        QCOMPARE(book->view()->appointments().at(0).status, salon::AppointmentStatus::Arrived);
        QCOMPARE(dayCell(*window, todaysCell)->toolTip(), QStringLiteral("1 appointment"));
        QVERIFY(!pointer::isBusy());
    }

    void employeesTabCancelEndsTheProgram()
    {
        ScriptedDialogs dialogs;
        auto window = loadedWindow();
        auto *a = window->showSingle<ScreenA>();
        a->pendingZip = QStringLiteral("97477");
        QSignalSpy ended(window.get(), &frmMain::programEnded);
        auto seen = std::make_shared<bool>(false);
        ModalWatch watch([](QWidget *modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("frmLogin"));
            modal->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        }, seen);
        window->chooseTab(frmMain::Employees);
        QVERIFY(*seen);
        QCOMPARE(ended.count(), 1);
        QVERIFY(!window->isVisible());
        QCOMPARE(closedScreens, QStringList({"Screen A"}));
        QCOMPARE(zip(), QStringLiteral("97477"));   // the open screen's edit was stored
    }

    void employeesTabRightPasswordGoesOn()
    {
        ScriptedDialogs dialogs;
        auto window = loadedWindow();
        QSignalSpy ended(window.get(), &frmMain::programEnded);
        ModalWatch watch([](QWidget *modal) {
            QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("txtPassword")), QStringLiteral("salon"));
            modal->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        window->chooseTab(frmMain::Employees);
        QCOMPARE(ended.count(), 0);
        QVERIFY(window->isVisible());
        QVERIFY(!window->findChild<QWidget *>(QStringLiteral("frmLogin")));   // the fresh dialog is gone
        auto *employees = window->screens().find<frmEmployee>();
        QVERIFY(employees);
        QVERIFY(employees->isVisible());
        QVERIFY(!pointer::isBusy());
    }

    void exitClosesScreensNewestFirst()
    {
        auto window = loadedWindow();
        auto *a = window->showSingle<ScreenA>();
        auto *b = window->showSingle<ScreenB>();
        QCOMPARE(window->showSingle<ScreenA>(), a);   // bringing forward keeps the opening order
        b->pendingZip = QStringLiteral("12345");
        QSignalSpy ended(window.get(), &frmMain::programEnded);
        window->findChild<QPushButton *>(QStringLiteral("cmdExit"))->click();
        QCOMPARE(closedScreens, QStringList({"Screen B", "Screen A"}));
        QCOMPARE(zip(), QStringLiteral("12345"));
        QCOMPARE(ended.count(), 1);
        QCOMPARE(window->screens().openCount(), 0);
    }

    void closeBoxReportsAScreenThatWillNotClose()
    {
        ScriptedDialogs dialogs;
        dialogs.answerMessage();
        auto window = loadedWindow();
        window->showSingle<ScreenA>();
        window->showSingle<StubbornScreen>();
        QSignalSpy ended(window.get(), &frmMain::programEnded);
        QVERIFY(window->close());
        QCOMPARE(dialogs.messageTexts(),
                 QStringList(QStringLiteral("The window \"Stubborn\" could not be closed; its changes may not be stored.")));
        QCOMPARE(dialogs.last().title, QStringLiteral("Velorine"));
        QVERIFY(closedScreens.isEmpty());   // the rest are skipped
        QCOMPARE(ended.count(), 1);         // the program ends either way
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
