#include "connections.h"
#include "dates.h"
#include "daybookview.h"
#include "frmappointment.h"
#include "frmbooking.h"
#include "frmdaybook.h"
#include "frmopeninghours.h"
#include "screenhelpers.h"
#include "scripteddialogs.h"
#include "testdoors.h"
#include "testhome.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QtTest>
#include <memory>

// The day book on either back end, driven as the desk would: the day's grid, booking a free
// slot (and what stops a booking), opening an appointment, check-in, the hours behind the shop
// password, a technician's day on paper and as a calendar file.
// CTest sets TZ=EST5EDT,M3.2.0,M11.1.0: on Sunday 2026-03-08 the clocks skip 02:00-02:59.

using salon::Appointment;
using salon::AppointmentStatus;

namespace {

const QDate tuesday(2026, 3, 10);
const QString annClash = QStringLiteral("Ivy Lane already has an appointment from 10:00 to 11:00 (Ann Lee); nothing was stored.");

Appointment bookFor(qint64 employee, QDate date, QTime time, int minutes, qint64 customer = 7, int buffer = 0)
{
    salon::Booking b;
    b.employeeId = employee;
    b.customerId = customer;
    b.date = date;
    b.time = time;
    b.minutes = minutes;
    b.buffer = buffer;
    b.services = {salon::bookableServices(salon::employeeDb()).at(0)};
    return salon::bookAppointment(salon::employeeDb(), b);
}

template<typename T>
T *shownDialog(const QString &name)
{
    QWidget *found = visibleTopLevel(name);
    return qobject_cast<T *>(found);
}

int rowOf(const frmDayBook &book, QTime time)
{
    const daybook::Grid &grid = book.view()->grid();
    for (int row = 0; row < grid.rowCount(); ++row)
        if (grid.rowTime(row) == time)
            return row;
    return -1;
}

std::vector<Appointment> day(QDate date)
{
    return salon::appointmentsOn(salon::employeeDb(), date);
}

} // namespace

class tst_FrmDayBook : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TestDoors> doors;
    std::unique_ptr<frmDayBook> form;
    QStringList services;

    frmDayBook &openBook(QDate date = tuesday)
    {
        form = std::make_unique<frmDayBook>(date, *doors);
        form->resize(1100, 700);
        form->show();
        return *form;
    }

    // Enter on a technician's slot.
    void selectSlot(int column, QTime time)
    {
        const int row = rowOf(*form, time);
        QVERIFY2(row >= 0, qPrintable(time.toString()));
        form->view()->setCurrent(column, row);
    }
    void enterOn(int column, QTime time)
    {
        const int row = rowOf(*form, time);
        QVERIFY2(row >= 0, qPrintable(time.toString()));
        form->view()->setCurrent(column, row);
        form->view()->setFocus();
        QTest::keyClick(form->view(), Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(qgetenv("TZ"), QByteArray("EST5EDT,M3.2.0,M11.1.0"));
        useTestLocale();
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        addEmployee(1, QStringLiteral("Ivy"), QStringLiteral("Lane"));
        addEmployee(2, QStringLiteral("Max"), QStringLiteral("Ray"));
        addCustomer(7, QStringLiteral("Ann"), QStringLiteral("Lee"));
        addCustomer(8, QStringLiteral("Bo"), QStringLiteral("Kim"));
        QVERIFY(execSql(QStringLiteral("UPDATE Misc SET Company = ?"), {QStringLiteral("Polished Nails")}));
        for (const salon::AppointmentService &service : salon::bookableServices(salon::employeeDb()))
            services << service.name;
        QVERIFY(services.size() >= 2);
    }
    void cleanupTestCase() { home.reset(); }

    void init()
    {
        for (const char *table : {"Appointments", "[Appointment Services]", "[Opening Hours]", "[Days Off]"})
            QVERIFY(execSql(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table))));
        QVERIFY(execSql(QStringLiteral("DELETE FROM Customers WHERE CustomerID > 8")));
        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Minutes = 30")));
        dialogs = std::make_unique<ScriptedDialogs>();
        doors = std::make_unique<TestDoors>();
    }
    void cleanup()
    {
        form.reset();
        QCOMPARE(dialogs->pending(), 0);
        dialogs.reset();
    }

    // One column per technician, the appointments as blocks on their rows; the days page.
    void showsTheDayAndPages()
    {
        const Appointment ann = bookFor(1, tuesday, QTime(10, 0), 60);
        Appointment bo = bookFor(2, tuesday, QTime(8, 30), 30, 8);
        salon::setAppointmentStatus(salon::employeeDb(), bo.id, AppointmentStatus::Cancelled);
        bookFor(1, tuesday.addDays(1), QTime(9, 0), 30);

        openBook();
        QCOMPARE(child<QLabel>(form.get(), QStringLiteral("lblDay"))->text(), longDateText(tuesday));
        const daybook::Grid &grid = form->view()->grid();
        QCOMPARE(grid.columns.size(), std::size_t(2));
        QCOMPARE(grid.columns[0].name, QStringLiteral("Ivy Lane"));
        QCOMPARE(grid.columns[1].name, QStringLiteral("Max Ray"));
        QCOMPARE(grid.rowTime(0), QTime(8, 30));   // the cancelled one starts before the default day
        QCOMPARE(grid.blocks.size(), std::size_t(2));
        const std::optional<int> at10 = grid.blockAt(0, rowOf(*form, QTime(10, 0)));
        QVERIFY(at10);
        QCOMPARE(form->view()->appointments()[std::size_t(grid.blocks[std::size_t(*at10)].appointment)].uid, ann.uid);
        QCOMPARE(grid.blockAt(0, rowOf(*form, QTime(10, 45))), at10);
        QVERIFY(!grid.blockAt(0, rowOf(*form, QTime(11, 0))));

        click(form.get(), QStringLiteral("cmdNextDay"));
        QCOMPARE(form->day(), tuesday.addDays(1));
        QCOMPARE(child<QLabel>(form.get(), QStringLiteral("lblDay"))->text(), longDateText(tuesday.addDays(1)));
        QCOMPARE(form->view()->grid().blocks.size(), std::size_t(1));
        QCOMPARE(form->view()->grid().rowTime(0), QTime(9, 0));
        click(form.get(), QStringLiteral("cmdPreviousDay"));
        click(form.get(), QStringLiteral("cmdPreviousDay"));
        QCOMPARE(form->day(), tuesday.addDays(-1));
        QVERIFY(form->view()->grid().blocks.empty());
        click(form.get(), QStringLiteral("cmdToday"));
        QCOMPARE(form->day(), QDate::currentDate());
    }

    // Arrows move the selection; Enter on a free slot books there: the customer found by last
    // name, the services' minutes as the length, the technician and time of the slot.
    void bookingAFreeSlotFromTheKeyboard()
    {
        openBook();
        form->view()->setCurrent(0, rowOf(*form, QTime(11, 0)));
        form->view()->setFocus();
        QTest::keyClick(form->view(), Qt::Key_Right);
        QTest::keyClick(form->view(), Qt::Key_Down);
        QTest::keyClick(form->view(), Qt::Key_Return);
        auto *booking = shownDialog<frmBooking>(QStringLiteral("frmBooking"));
        QVERIFY(booking);
        QCOMPARE(child<QComboBox>(booking, QStringLiteral("cboTechnician"))->currentText(), QStringLiteral("Max Ray"));
        QCOMPARE(child<QTimeEdit>(booking, QStringLiteral("tmeStart"))->time(), QTime(11, 15));

        typeInto(booking, QStringLiteral("txtLastName"), QStringLiteral("lee"));
        click(booking, QStringLiteral("cmdFind"));
        QCOMPARE(child<QLabel>(booking, QStringLiteral("lblCustomer"))->text(), QStringLiteral("Ann Lee"));
        auto *list = child<QListWidget>(booking, QStringLiteral("lstServices"));
        list->item(0)->setCheckState(Qt::Checked);
        list->item(1)->setCheckState(Qt::Checked);
        QCOMPARE(child<QSpinBox>(booking, QStringLiteral("spnMinutes"))->value(), 60);
        // Unchosen again, the length goes back to its start.
        list->item(0)->setCheckState(Qt::Unchecked);
        list->item(1)->setCheckState(Qt::Unchecked);
        QCOMPARE(child<QSpinBox>(booking, QStringLiteral("spnMinutes"))->value(), 30);
        list->item(0)->setCheckState(Qt::Checked);
        list->item(1)->setCheckState(Qt::Checked);
        QCOMPARE(child<QSpinBox>(booking, QStringLiteral("spnMinutes"))->value(), 60);
        child<QSpinBox>(booking, QStringLiteral("spnBuffer"))->setValue(10);
        typeInto(booking, QStringLiteral("txtNotes"), QStringLiteral("pale pink"));
        click(booking, QStringLiteral("cmdOK"));
        QVERIFY(!booking->isVisible());
        QCOMPARE(dialogs->shown().size(), 0);

        const std::vector<Appointment> booked = day(tuesday);
        QCOMPARE(booked.size(), std::size_t(1));
        QCOMPARE(booked[0].employeeId, 2);
        QCOMPARE(booked[0].customerId.toLongLong(), 7);
        QCOMPARE(booked[0].time, QTime(11, 15));
        QCOMPARE(booked[0].minutes, 60);
        QCOMPARE(booked[0].buffer, 10);
        QCOMPARE(booked[0].notes, QStringLiteral("pale pink"));
        QCOMPARE(booked[0].services.size(), std::size_t(2));
        QCOMPARE(booked[0].services[1].name, services[1]);
        // The grid shows it at once, its buffer holding the slot after it.
        QVERIFY(!form->view()->grid().isFree(1, rowOf(*form, QTime(12, 15))));
        QVERIFY(form->view()->grid().isFree(1, rowOf(*form, QTime(12, 30))));
    }

    // A click on a free slot books there too; a changed length stays as typed.
    void clickingAFreeSlotBooks()
    {
        openBook();
        const QRect cell = form->view()->cellRect(0, rowOf(*form, QTime(9, 30)));
        QTest::mouseClick(form->view()->viewport(), Qt::LeftButton, {}, cell.center());
        auto *booking = shownDialog<frmBooking>(QStringLiteral("frmBooking"));
        QVERIFY(booking);
        child<QSpinBox>(booking, QStringLiteral("spnMinutes"))->setValue(50);
        child<QListWidget>(booking, QStringLiteral("lstServices"))->item(0)->setCheckState(Qt::Checked);
        QCOMPARE(child<QSpinBox>(booking, QStringLiteral("spnMinutes"))->value(), 50);
        click(booking, QStringLiteral("cmdOK"));
        const std::vector<Appointment> booked = day(tuesday);
        QCOMPARE(booked.size(), std::size_t(1));
        QCOMPARE(booked[0].employeeId, 1);
        QCOMPARE(booked[0].time, QTime(9, 30));
        QCOMPARE(booked[0].minutes, 50);
        QVERIFY(booked[0].customerId.isNull());
    }

    // A day whose last appointment runs past midnight shows the night's rows; a slot there is
    // booked on the next day.
    void aSlotPastMidnightIsTheNextDays()
    {
        bookFor(1, tuesday, QTime(23, 0), 120);
        openBook();
        const int row = rowOf(*form, QTime(0, 30));
        QVERIFY(row > rowOf(*form, QTime(23, 0)));
        QTest::mouseClick(form->view()->viewport(), Qt::LeftButton, {}, form->view()->cellRect(1, row).center());
        auto *booking = shownDialog<frmBooking>(QStringLiteral("frmBooking"));
        QVERIFY(booking);
        QCOMPARE(child<QDateEdit>(booking, QStringLiteral("dtpDate"))->date(), tuesday.addDays(1));
        child<QSpinBox>(booking, QStringLiteral("spnMinutes"))->setValue(30);
        click(booking, QStringLiteral("cmdOK"));
        const std::vector<Appointment> next = day(tuesday.addDays(1));
        QCOMPARE(next.size(), std::size_t(1));
        QCOMPARE((std::tuple{next[0].employeeId, next[0].time}), (std::tuple{qint64(2), QTime(0, 30)}));
        QCOMPARE(day(tuesday).size(), std::size_t(1));

        // The next day's book shows the night's appointments from midnight.
        form->showDay(tuesday.addDays(1));
        QCOMPARE(form->view()->grid().rowTime(0), QTime(0, 0));
        QCOMPARE(form->view()->appointments().size(), std::size_t(2));
        QVERIFY(!form->view()->grid().isFree(0, rowOf(*form, QTime(0, 45))));
        QVERIFY(form->view()->grid().isFree(0, rowOf(*form, QTime(1, 0))));
        QVERIFY(!form->view()->grid().isFree(1, rowOf(*form, QTime(0, 30))));
    }

    // What stops a booking: a start the clock skips, a question answered No, the store's
    // clash. Each is shown, nothing is stored and the dialog stays open.
    void whatStopsABooking_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QList<int>>("answers");   // Dialogs::Answer, in order
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("stored");

        const QString outside = QStringLiteral("Outside opening hours. Book anyway?");
        const QString dayOff = QStringLiteral("Ivy Lane's day off. Book anyway?");
        const int yes = int(Dialogs::Answer::Yes);
        const int no = int(Dialogs::Answer::No);
        const int ok = int(Dialogs::Answer::Ok);
        QTest::newRow("skipped hour") << QDate(2026, 3, 8) << QTime(2, 30) << QList<int>{ok}
                                      << QStringList{QStringLiteral("That time does not exist on this day (the clocks go forward).")} << false;
        QTest::newRow("clash") << tuesday << QTime(10, 30) << QList<int>{ok} << QStringList{annClash} << false;
        QTest::newRow("outside, no") << tuesday << QTime(17, 30) << QList<int>{no} << QStringList{outside} << false;
        QTest::newRow("outside, yes") << tuesday << QTime(17, 30) << QList<int>{yes} << QStringList{outside} << true;
        QTest::newRow("day off, no") << tuesday.addDays(1) << QTime(11, 0) << QList<int>{no} << QStringList{dayOff} << false;
        QTest::newRow("both, yes then no") << tuesday.addDays(1) << QTime(17, 30) << QList<int>{yes, no}
                                           << QStringList{outside, dayOff} << false;
        QTest::newRow("both, yes") << tuesday.addDays(1) << QTime(17, 30) << QList<int>{yes, yes}
                                   << QStringList{outside, dayOff} << true;
    }
    void whatStopsABooking()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, messages);
        QFETCH(bool, stored);
        bookFor(1, tuesday, QTime(10, 0), 60);
        salon::setOpeningHours(salon::employeeDb(), {tuesday.dayOfWeek(), QTime(9, 0), QTime(17, 0)});
        salon::setOpeningHours(salon::employeeDb(), {tuesday.addDays(1).dayOfWeek(), QTime(9, 0), QTime(17, 0)});
        salon::setDayOff(salon::employeeDb(), 1, tuesday.addDays(1), true);
        const int before = int(rowCount(QStringLiteral("Appointments")));

        openBook(date);
        form->view()->setCurrent(0, 0);
        form->bookSelected();
        auto *booking = shownDialog<frmBooking>(QStringLiteral("frmBooking"));
        QVERIFY(booking);
        child<QTimeEdit>(booking, QStringLiteral("tmeStart"))->setTime(time);
        child<QSpinBox>(booking, QStringLiteral("spnMinutes"))->setValue(30);
        for (int answer : answers)
            dialogs->answerMessage(Dialogs::Answer(answer));
        click(booking, QStringLiteral("cmdOK"));
        QCOMPARE(dialogs->messageTexts(), messages);
        QCOMPARE(booking->isVisible(), !stored);
        QCOMPARE(rowCount(QStringLiteral("Appointments")), before + (stored ? 1 : 0));
    }

    // A new customer is stored with the booking, and not at all when the booking is refused.
    void aNewCustomerComesWithTheBooking()
    {
        bookFor(1, tuesday, QTime(10, 0), 60);
        openBook();
        enterOn(0, QTime(10, 0));   // a busy slot opens the appointment, so book from the button
        auto *opened = shownDialog<frmAppointment>(QStringLiteral("frmAppointment"));
        QVERIFY(opened);
        opened->reject();
        form->view()->setCurrent(0, rowOf(*form, QTime(10, 30)));
        click(form.get(), QStringLiteral("cmdBook"));
        auto *booking = shownDialog<frmBooking>(QStringLiteral("frmBooking"));
        QVERIFY(booking);
        dialogs->answerText(QStringLiteral("Cy"));
        dialogs->answerText(QStringLiteral("Day"));
        click(booking, QStringLiteral("cmdNewCustomer"));
        QCOMPARE(child<QLabel>(booking, QStringLiteral("lblCustomer"))->text(), QStringLiteral("New customer: Cy Day"));
        dialogs->answerMessage();
        click(booking, QStringLiteral("cmdOK"));
        QCOMPARE(dialogs->messageTexts(), QStringList{annClash});
        QCOMPARE(queryValues(QStringLiteral("SELECT count(*) FROM Customers WHERE LastName = 'Day'")).value(0).toInt(), 0);

        child<QTimeEdit>(booking, QStringLiteral("tmeStart"))->setTime(QTime(11, 0));
        click(booking, QStringLiteral("cmdOK"));
        QVERIFY(!booking->isVisible());
        const QVariantList added = queryValues(QStringLiteral("SELECT CustomerID, FirstName FROM Customers WHERE LastName = 'Day'"));
        QCOMPARE(added.size(), 2);
        QCOMPARE(added[0].toLongLong(), 9);
        const std::vector<Appointment> booked = day(tuesday);
        QCOMPARE(booked.back().customer, QStringLiteral("Cy Day"));
    }

    // A customer the search cannot find is said so, as on the ticket.
    void anUnknownLastName()
    {
        openBook();
        form->bookSelected();
        auto *booking = shownDialog<frmBooking>(QStringLiteral("frmBooking"));
        QVERIFY(booking);
        typeInto(booking, QStringLiteral("txtLastName"), QStringLiteral("Zed"));
        dialogs->answerMessage();
        click(booking, QStringLiteral("cmdFind"));
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("No record found with  Zed .")});
        QCOMPARE(child<QLabel>(booking, QStringLiteral("lblCustomer"))->text(), QStringLiteral("No customer chosen"));
        booking->reject();
    }

    // An opened appointment is marked, cancelled or moved; each change raises its Sequence.
    void openingAnAppointment_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("status");
        QTest::newRow("arrived") << QStringLiteral("cmdArrived") << QStringLiteral("arrived");
        QTest::newRow("done") << QStringLiteral("cmdDone") << QStringLiteral("done");
        QTest::newRow("no-show") << QStringLiteral("cmdNoShow") << QStringLiteral("no-show");
        QTest::newRow("cancel") << QStringLiteral("cmdCancelAppointment") << QStringLiteral("cancelled");
    }
    void openingAnAppointment()
    {
        QFETCH(QString, button);
        QFETCH(QString, status);
        const Appointment ann = bookFor(1, tuesday, QTime(10, 0), 60);
        openBook();
        const QRect block = form->view()->blockRect(form->view()->grid().blocks[0]);
        QTest::mouseDClick(form->view()->viewport(), Qt::LeftButton, {}, block.center());
        auto *opened = shownDialog<frmAppointment>(QStringLiteral("frmAppointment"));
        QVERIFY(opened);
        QVERIFY(!child<QPushButton>(opened, QStringLiteral("cmdCheckIn"))->isEnabled());   // no check-in set
        click(opened, button);
        QVERIFY(!opened->isVisible());
        const Appointment after = *salon::appointmentById(salon::employeeDb(), ann.id);
        QCOMPARE(salon::statusText(after.status), status);
        QCOMPARE(after.sequence, 1);
        QCOMPARE(form->view()->appointments()[0].status, after.status);
    }

    void movingAnAppointment()
    {
        const Appointment ann = bookFor(1, tuesday, QTime(10, 0), 60);
        bookFor(2, tuesday, QTime(14, 0), 60, 8);
        openBook();
        enterOn(0, QTime(10, 30));
        auto *opened = shownDialog<frmAppointment>(QStringLiteral("frmAppointment"));
        QVERIFY(opened);
        // Onto Max's 14:00: the clash is shown and nothing moves.
        auto *technician = child<QComboBox>(opened, QStringLiteral("cboTechnician"));
        technician->setCurrentIndex(technician->findData(2));
        child<QTimeEdit>(opened, QStringLiteral("tmeStart"))->setTime(QTime(14, 30));
        dialogs->answerMessage();
        click(opened, QStringLiteral("cmdSave"));
        QCOMPARE(dialogs->messageTexts(),
                 QStringList{QStringLiteral("Max Ray already has an appointment from 14:00 to 15:00 (Bo Kim); nothing was stored.")});
        QVERIFY(opened->isVisible());
        QCOMPARE(salon::appointmentById(salon::employeeDb(), ann.id)->employeeId, 1);

        child<QTimeEdit>(opened, QStringLiteral("tmeStart"))->setTime(QTime(15, 0));
        child<QSpinBox>(opened, QStringLiteral("spnMinutes"))->setValue(45);
        child<QSpinBox>(opened, QStringLiteral("spnBuffer"))->setValue(15);
        typeInto(opened, QStringLiteral("txtNotes"), QStringLiteral("moved"));
        click(opened, QStringLiteral("cmdSave"));
        QVERIFY(!opened->isVisible());
        const Appointment after = *salon::appointmentById(salon::employeeDb(), ann.id);
        QCOMPARE(after.employeeId, 2);
        QCOMPARE(after.time, QTime(15, 0));
        QCOMPARE(after.minutes, 45);
        QCOMPARE(after.buffer, 15);
        QCOMPARE(after.notes, QStringLiteral("moved"));
        QCOMPARE(after.uid, ann.uid);
        QCOMPARE(after.sequence, 1);
        QVERIFY(form->view()->grid().isFree(0, rowOf(*form, QTime(10, 0))));
        QVERIFY(!form->view()->grid().isFree(1, rowOf(*form, QTime(15, 45))));
    }

    // Check in asks the shell's door for the ticket on the technician and customer by key,
    // then marks the appointment arrived; a failure is shown and nothing changes. Without a
    // customer the desk is told to choose one on the ticket.
    void checkingIn_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<qint64>("customer");   // 0: none
        QTest::addColumn<QStringList>("messages");
        const QString failed = QStringLiteral("The daily ticket cannot be opened now.");
        QTest::newRow("opened") << QString() << qint64(8) << QStringList();
        QTest::newRow("failed") << failed << qint64(8) << QStringList{failed};
        QTest::newRow("no customer") << QString() << qint64(0)
                                     << QStringList{QStringLiteral("This appointment has no customer: choose the customer on the ticket.")};
    }
    void checkingIn()
    {
        QFETCH(QString, failure);
        QFETCH(qint64, customer);
        QFETCH(QStringList, messages);
        const QDate today = QDate::currentDate();
        const QTime time(12, 0);
        salon::Booking booking;
        booking.employeeId = 2;
        if (customer)
            booking.customerId = customer;
        booking.date = today;
        booking.time = time;
        booking.minutes = 30;
        const Appointment bo = salon::bookAppointment(salon::employeeDb(), booking);
        openBook(today);
        QList<checkin::Request> requests;
        form->setCheckIn([&](QWidget *, const checkin::Request &request) -> std::optional<QString> {
            requests << request;
            if (failure.isEmpty())
                return std::nullopt;
            return failure;
        });
        enterOn(1, time);
        auto *opened = shownDialog<frmAppointment>(QStringLiteral("frmAppointment"));
        QVERIFY(opened);
        for (int i = 0; i < messages.size(); ++i)
            dialogs->answerMessage();
        click(opened, QStringLiteral("cmdCheckIn"));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].employeeId, 2);
        QCOMPARE(requests[0].customerId.toLongLong(), customer);
        QCOMPARE(requests[0].customerId.isNull(), customer == 0);
        QCOMPARE(dialogs->messageTexts(), messages);
        const AppointmentStatus status = salon::appointmentById(salon::employeeDb(), bo.id)->status;
        if (failure.isEmpty()) {
            QCOMPARE(status, AppointmentStatus::Arrived);
            QVERIFY(!opened->isVisible());
        } else {
            QCOMPARE(status, AppointmentStatus::Booked);
            opened->reject();
        }
    }

    // An appointment changed elsewhere after its dialog opened is not overwritten from the
    // dialog, nor checked in: the desk is told, the dialog closes and the book shows what is
    // stored.
    void anAppointmentChangedMeanwhile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("save") << QStringLiteral("cmdSave");
        QTest::newRow("done") << QStringLiteral("cmdDone");
        QTest::newRow("check in") << QStringLiteral("cmdCheckIn");
    }
    void anAppointmentChangedMeanwhile()
    {
        QFETCH(QString, button);
        const QDate today = QDate::currentDate();
        const Appointment bo = bookFor(2, today, QTime(12, 0), 30, 8);
        openBook(today);
        int checkIns = 0;
        form->setCheckIn([&](QWidget *, const checkin::Request &) {
            ++checkIns;
            return std::optional<QString>();
        });
        enterOn(1, QTime(12, 0));
        auto *opened = shownDialog<frmAppointment>(QStringLiteral("frmAppointment"));
        QVERIFY(opened);
        child<QSpinBox>(opened, QStringLiteral("spnMinutes"))->setValue(60);
        const QString elsewhere = QStringLiteral("UPDATE Appointments SET Start = '%1 13:00', Sequence = Sequence + 1 WHERE AppointmentID = %2")
                                      .arg(today.toString(Qt::ISODate))
                                      .arg(bo.id);
        if (onServer())
            OtherDesk().write(elsewhere);
        else
            QVERIFY(execSql(elsewhere));
        dialogs->answerMessage();
        click(opened, button);
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("This appointment was changed on another desk; nothing was stored.")});
        QVERIFY(!opened->isVisible());
        QCOMPARE(checkIns, 0);
        const Appointment stored = *salon::appointmentById(salon::employeeDb(), bo.id);
        QCOMPARE((std::tuple{stored.time, stored.minutes, stored.sequence}), (std::tuple{QTime(13, 0), 30, 1}));
        QCOMPARE(stored.status, AppointmentStatus::Booked);
        QCOMPARE(form->view()->appointments().at(0).time, QTime(13, 0));
    }

    // Check in is for a booked appointment of today only.
    void checkInOnlyToday()
    {
        bookFor(2, tuesday, QTime(12, 0), 30, 8);
        openBook();
        form->setCheckIn([](QWidget *, const checkin::Request &) { return std::optional<QString>(); });
        enterOn(1, QTime(12, 0));
        auto *opened = shownDialog<frmAppointment>(QStringLiteral("frmAppointment"));
        QVERIFY(opened);
        QVERIFY(!child<QPushButton>(opened, QStringLiteral("cmdCheckIn"))->isEnabled());
        opened->reject();
    }

    // The hours open behind the shop password; saved hours change the rows of the day.
    void openingHoursBehindThePassword()
    {
        openBook();
        click(form.get(), QStringLiteral("cmdHours"));
        QCOMPARE(doors->asked, 1);
        QVERIFY(!visibleTopLevel(QStringLiteral("frmOpeningHours")));
        QCOMPARE(form->view()->grid().rowTime(0), QTime(9, 0));

        doors->answer = [] { return true; };
        click(form.get(), QStringLiteral("cmdHours"));
        auto *hours = shownDialog<frmOpeningHours>(QStringLiteral("frmOpeningHours"));
        QVERIFY(hours);
        const int weekday = tuesday.dayOfWeek();
        child<QComboBox>(hours, QStringLiteral("cboDay%1").arg(weekday))->setCurrentIndex(1);
        child<QTimeEdit>(hours, QStringLiteral("tmeOpens%1").arg(weekday))->setTime(QTime(7, 30));
        child<QTimeEdit>(hours, QStringLiteral("tmeCloses%1").arg(weekday))->setTime(QTime(20, 0));
        child<QComboBox>(hours, QStringLiteral("cboDay7"))->setCurrentIndex(2);
        click(hours, QStringLiteral("cmdSave"));
        QCOMPARE(form->view()->grid().rowTime(0), QTime(7, 30));
        QCOMPARE(form->view()->grid().rowCount(), 50);
        QCOMPARE(child<QLabel>(form.get(), QStringLiteral("lblHours"))->text(), QStringLiteral("Open 07:30-20:00"));
        QCOMPARE(salon::bookingQuestions(salon::employeeDb(), 1, QDate(2026, 3, 15), QTime(10, 0), 30),
                 QStringList{QStringLiteral("Outside opening hours. Book anyway?")});

        // A closing time before the opening is refused and nothing is stored.
        child<QTimeEdit>(hours, QStringLiteral("tmeCloses%1").arg(weekday))->setTime(QTime(7, 0));
        dialogs->answerMessage();
        click(hours, QStringLiteral("cmdSave"));
        QCOMPARE(dialogs->messageTexts(), QStringList{QStringLiteral("On Tuesday the closing time must come after the opening time.")});
        QCOMPARE(form->view()->grid().rowCount(), 50);

        // A day off is stored at once and shown on the technician's column.
        child<QComboBox>(hours, QStringLiteral("cboTechnician"))->setCurrentIndex(1);
        click(hours, QStringLiteral("cmdAddDayOff"));
        QCOMPARE(salon::daysOff(salon::employeeDb(), 2, tuesday, tuesday).size(), std::size_t(1));
        QVERIFY(form->view()->grid().columns[1].dayOff);
        click(hours, QStringLiteral("cmdRemoveDayOff"));
        QVERIFY(salon::daysOff(salon::employeeDb(), 2, tuesday, tuesday).empty());
        hours->reject();
    }

    // A technician's day on paper: the salon, the technician and the date, then the
    // appointments in time order.
    void printingATechniciansDay()
    {
        Appointment late = bookFor(1, tuesday, QTime(15, 0), 45, 8);
        salon::AppointmentChange notes;
        notes.notes = QStringLiteral("bring samples");
        late = salon::changeAppointment(salon::employeeDb(), late.id, notes);
        const Appointment early = bookFor(1, tuesday, QTime(9, 15), 30);
        salon::setAppointmentStatus(salon::employeeDb(), early.id, AppointmentStatus::NoShow);
        bookFor(2, tuesday, QTime(11, 0), 30);   // Max's: not on Ivy's page
        openBook();
        form->view()->setCurrent(0, 0);
        const QString pdf = home->path() + QStringLiteral("/ivy.pdf");
        dialogs->answerPrinter(pdf);
        click(form.get(), QStringLiteral("cmdPrintDay"));

        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished());
        const QString printed = QString::fromUtf8(pdftotext.readAllStandardOutput());
        const QStringList inOrder{QStringLiteral("Polished Nails"), QStringLiteral("Ivy Lane"), longDateText(tuesday),
                                  QStringLiteral("Time"), QStringLiteral("09:15"), QStringLiteral("Ann Lee"), services[0],
                                  QStringLiteral("No-show"), QStringLiteral("15:00"), QStringLiteral("45 min"),
                                  QStringLiteral("Bo Kim"), QStringLiteral("Booked"), QStringLiteral("bring samples")};
        int at = 0;
        for (const QString &expected : inOrder) {
            const int found = printed.indexOf(expected, at);
            QVERIFY2(found >= 0, qPrintable(expected + QStringLiteral(" missing in order from: ") + printed));
            at = found + int(expected.size());
        }
        QVERIFY2(!printed.contains(QStringLiteral("11:00")), qPrintable(printed));
    }

    // Calendar files: one appointment, or the technician's week (Monday to Sunday) across the
    // clocks going forward; never written over a file that is there.
    void calendarFiles()
    {
        const Appointment friday = bookFor(1, QDate(2026, 3, 6), QTime(10, 0), 60);
        const Appointment sunday = bookFor(1, QDate(2026, 3, 8), QTime(10, 0), 30, 8);
        const Appointment monday = bookFor(1, QDate(2026, 3, 9), QTime(10, 0), 30);
        bookFor(2, QDate(2026, 3, 6), QTime(10, 0), 30);   // another technician's
        // A row written past the program: no customer, services or time of change.
        QVERIFY(execSql(QStringLiteral("INSERT INTO Appointments (UID, EmployeeID, Start, Minutes, Status) "
                                       "VALUES ('bare', 1, '2026-03-07 12:00', 30, 'booked')")));
        openBook(QDate(2026, 3, 6));
        form->view()->setCurrent(0, rowOf(*form, QTime(10, 15)));

        const QString week = home->path() + QStringLiteral("/ivy-week.ics");
        dialogs->answerSaveFile(week);
        child<QAction>(form.get(), QStringLiteral("actExportWeek"))->trigger();
        const QString text = QString::fromUtf8(fileContent(week));
        QCOMPARE(text.count(QStringLiteral("BEGIN:VEVENT")), 3);
        QVERIFY(text.contains(QStringLiteral("UID:bare@velorine\r\nDTSTAMP:2")));
        QVERIFY(text.contains(QStringLiteral("SUMMARY:Appointment\r\n")));
        QVERIFY(text.contains(QStringLiteral("UID:") + friday.uid + QStringLiteral("@velorine\r\n")));
        QVERIFY(text.contains(QStringLiteral("UID:") + sunday.uid + QStringLiteral("@velorine\r\n")));
        QVERIFY(!text.contains(monday.uid));
        QVERIFY(text.contains(QStringLiteral("DTSTART:20260306T150000Z\r\n")));   // standard time
        QVERIFY(text.contains(QStringLiteral("DTSTART:20260308T140000Z\r\n")));   // daylight time
        QVERIFY(text.contains(QStringLiteral("SUMMARY:Bo Kim: ") + services[0]));

        // Again onto the same file: refused, the file as it was.
        dialogs->answerSaveFile(week);
        dialogs->answerMessage();
        child<QAction>(form.get(), QStringLiteral("actExportDay"))->trigger();
        QCOMPARE(dialogs->messageTexts().size(), 1);
        QVERIFY(dialogs->messageTexts()[0].contains(QStringLiteral("ivy-week.ics")));
        QCOMPARE(QString::fromUtf8(fileContent(week)), text);

        const QString one = home->path() + QStringLiteral("/one.ics");
        dialogs->answerSaveFile(one);
        child<QAction>(form.get(), QStringLiteral("actExportAppointment"))->trigger();
        const QString single = QString::fromUtf8(fileContent(one));
        QCOMPARE(single.count(QStringLiteral("BEGIN:VEVENT")), 1);
        QVERIFY(single.contains(QStringLiteral("UID:") + friday.uid + QStringLiteral("@velorine\r\n")));
        QVERIFY(single.contains(QStringLiteral("DTEND:20260306T160000Z\r\n")));
        QVERIFY(single.contains(QStringLiteral("DTSTAMP:") + friday.changed.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"))));
    }
};

QTEST_MAIN(tst_FrmDayBook)
#include "tst_frmdaybook.moc"
