#include "appointments.h"
#include "database.h"
#include "serverbook.h"
#include "storeerror.h"
#include "testhome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QtTest>
#include <cstdio>
#include <memory>

// The appointment book on either back end: a technician is never booked twice (the store
// itself refuses, also a row written past the program, also from two desks at once), the
// questions asked before booking, the hours the clocks skip, and a change raising Sequence.
// CTest sets TZ=EST5EDT,M3.2.0,M11.1.0: on 2026-03-08 the clocks skip 02:00-02:59.

using salon::Appointment;
using salon::AppointmentStatus;
Q_DECLARE_METATYPE(AppointmentStatus)

namespace {

const QDate tuesday(2026, 3, 10);
const QString annClash = QStringLiteral("Ivy Lane already has an appointment from 10:00 to 11:00 (Ann Lee); nothing was stored.");

salon::Booking booking(qint64 employee, QDate date, QTime time, int minutes, int buffer = 0, qint64 customer = 7)
{
    salon::Booking b;
    b.employeeId = employee;
    b.customerId = customer;
    b.date = date;
    b.time = time;
    b.minutes = minutes;
    b.buffer = buffer;
    return b;
}

Appointment book(const salon::Booking &b)
{
    return salon::bookAppointment(salon::employeeDb(), b);
}

// What a booking or a change gave: "booked" or the refusal's text.
template<typename Action>
QString outcome(Action action, int expectedCode = StoreError::Clash)
{
    try {
        action();
        return QStringLiteral("booked");
    } catch (const StoreError &error) {
        if (error.number() != expectedCode)
            return QStringLiteral("error %1: %2").arg(error.number()).arg(error.text());
        return error.text();
    }
}

void reply(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// The child of the two-desk test: one desk on the server, which books on "book EMPLOYEE
// CUSTOMER" and answers "booked ID" or "refused TEXT".
int runDesk(const QString &name, const QString &folder, const QString &service)
{
    qputenv("VELORINE_HOME", folder.toLocal8Bit());
    std::optional<QString> problem = salon::setDeskName(name);
    if (!problem)
        problem = salon::useServer(service);
    if (!problem)
        problem = salon::open();
    if (problem) {
        reply(QStringLiteral("failed ") + *problem);
        return 1;
    }
    reply(QStringLiteral("ready"));
    QTextStream in(stdin);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        const QStringList word = line.split(u' ');
        if (word.size() == 3 && word[0] == QLatin1String("book")) {
            try {
                const Appointment booked = book(booking(word[1].toLongLong(), tuesday, QTime(10, 0), 60, 0, word[2].toLongLong()));
                reply(QStringLiteral("booked %1").arg(booked.id));
            } catch (const StoreError &error) {
                reply(QStringLiteral("refused %1 ").arg(error.number()) + error.text());
            }
        }
    }
    salon::close();
    return 0;
}

class Desk
{
public:
    Desk(const QString &name, const QString &folder, const QString &service)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--desk"), name, folder, service});
    }
    ~Desk()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }
    void send(const QString &command)
    {
        m_process.write(command.toUtf8() + '\n');
        m_process.waitForBytesWritten();
    }
    QString next(int timeoutMs = 20000)
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_process.canReadLine() && waited.elapsed() < timeoutMs)
            m_process.waitForReadyRead(qMax(1, int(timeoutMs - waited.elapsed())));
        return m_process.canReadLine() ? QString::fromUtf8(m_process.readLine()).trimmed() : QString();
    }

private:
    QProcess m_process;
};

} // namespace

class TestAppointments : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> home;

    QSqlDatabase db() const { return salon::employeeDb(); }

private slots:
    // One book for every test (a server's takes a while to make): two technicians, two
    // customers; the starter price list takes 30 minutes a service.
    void initTestCase()
    {
        QCOMPARE(qgetenv("TZ"), QByteArray("EST5EDT,M3.2.0,M11.1.0"));
        home = std::make_unique<TestHome>();
        QVERIFY2(home->openError().isEmpty(), qPrintable(home->openError()));
        addEmployee(1, QStringLiteral("Ivy"), QStringLiteral("Lane"));
        addEmployee(2, QStringLiteral("Max"), QStringLiteral("Ray"));
        addCustomer(7, QStringLiteral("Ann"), QStringLiteral("Lee"));
        addCustomer(8, QStringLiteral("Bo"), QStringLiteral("Kim"));
    }
    void cleanupTestCase() { home.reset(); }

    // Each test starts on an empty appointment book.
    void init()
    {
        for (const char *table : {"Appointments", "[Appointment Services]", "[Opening Hours]", "[Days Off]"})
            QVERIFY(execSql(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table))));
        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Minutes = 30")));
    }

    // Ivy has 10:00-11:00 (plus its buffer) for Ann; then another appointment is booked, or
    // one booked at 14:00 is moved there. Spans are half-open: touching ones are allowed.
    void aTechnicianIsNeverBookedTwice_data()
    {
        QTest::addColumn<AppointmentStatus>("status");   // of the 10:00 appointment
        QTest::addColumn<int>("heldBuffer");
        QTest::addColumn<qint64>("employee");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("buffer");
        QTest::addColumn<QString>("outcome");
        const auto booked = AppointmentStatus::Booked;
        const QString ok = QStringLiteral("booked");
        QTest::newRow("same start") << booked << 0 << 1LL << QTime(10, 0) << 60 << 0 << annClash;
        QTest::newRow("overlapping its start") << booked << 0 << 1LL << QTime(9, 30) << 60 << 0 << annClash;
        QTest::newRow("overlapping its end") << booked << 0 << 1LL << QTime(10, 59) << 30 << 0 << annClash;
        QTest::newRow("inside") << booked << 0 << 1LL << QTime(10, 15) << 15 << 0 << annClash;
        QTest::newRow("around") << booked << 0 << 1LL << QTime(9, 0) << 180 << 0 << annClash;
        QTest::newRow("touching after") << booked << 0 << 1LL << QTime(11, 0) << 30 << 0 << ok;
        QTest::newRow("touching before") << booked << 0 << 1LL << QTime(9, 0) << 60 << 0 << ok;
        QTest::newRow("in its buffer")
            << booked << 15 << 1LL << QTime(11, 0) << 30 << 0
            << "Ivy Lane already has an appointment from 10:00 to 11:15 (Ann Lee); nothing was stored.";
        QTest::newRow("after its buffer") << booked << 15 << 1LL << QTime(11, 15) << 30 << 0 << ok;
        QTest::newRow("own buffer reaching it") << booked << 0 << 1LL << QTime(9, 0) << 45 << 20 << annClash;
        QTest::newRow("own buffer touching it") << booked << 0 << 1LL << QTime(9, 0) << 45 << 15 << ok;
        QTest::newRow("other technician") << booked << 0 << 2LL << QTime(10, 0) << 60 << 0 << ok;
        QTest::newRow("cancelled") << AppointmentStatus::Cancelled << 0 << 1LL << QTime(10, 0) << 60 << 0 << ok;
        QTest::newRow("no-show") << AppointmentStatus::NoShow << 0 << 1LL << QTime(10, 0) << 60 << 0 << ok;
        QTest::newRow("arrived") << AppointmentStatus::Arrived << 0 << 1LL << QTime(10, 30) << 60 << 0 << annClash;
        QTest::newRow("done") << AppointmentStatus::Done << 0 << 1LL << QTime(10, 30) << 60 << 0 << annClash;
    }
    void aTechnicianIsNeverBookedTwice()
    {
        QFETCH(AppointmentStatus, status);
        QFETCH(int, heldBuffer);
        QFETCH(qint64, employee);
        QFETCH(QTime, time);
        QFETCH(int, minutes);
        QFETCH(int, buffer);
        QFETCH(QString, outcome);
        const Appointment held = book(booking(1, tuesday, QTime(10, 0), 60, heldBuffer));
        if (status != AppointmentStatus::Booked)
            salon::setAppointmentStatus(db(), held.id, status);

        // Booked anew.
        QCOMPARE(::outcome([&] { book(booking(employee, tuesday, time, minutes, buffer, 8)); }), outcome);
        const bool stored = outcome == QLatin1String("booked");
        QCOMPARE(rowCount(QStringLiteral("Appointments")), stored ? 2 : 1);

        // Moved there from 14:00, as the same appointment.
        QVERIFY(execSql(QStringLiteral("DELETE FROM Appointments WHERE AppointmentID <> ?"), {held.id}));
        const Appointment later = book(booking(employee, tuesday, QTime(14, 0), minutes, buffer, 8));
        salon::AppointmentChange move;
        move.time = time;
        QCOMPARE(::outcome([&] { salon::changeAppointment(db(), later.id, move); }), outcome);
        const Appointment after = *salon::appointmentById(db(), later.id);
        QCOMPARE(after.time, stored ? time : QTime(14, 0));
        QCOMPARE(after.sequence, stored ? 1 : 0);
    }

    // The store refuses an overlap written past the program: with the sqlite3 tool on the local
    // file, as another desk's own statement on a server.
    void theStoreItselfRefusesAnOverlap_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("refused");
        const QString insert = QStringLiteral("INSERT INTO Appointments (UID, EmployeeID, Start, Minutes, Status) VALUES ");
        QTest::newRow("inside") << insert + "('x1', 1, '2026-03-10 10:30', 15, 'booked')" << true;
        QTest::newRow("touching") << insert + "('x2', 1, '2026-03-10 11:00', 15, 'booked')" << false;
        QTest::newRow("cancelled over it") << insert + "('x3', 1, '2026-03-10 10:00', 60, 'cancelled')" << false;
        QTest::newRow("done over it") << insert + "('x4', 1, '2026-03-10 09:50', 15, 'done')" << true;
        QTest::newRow("moved onto it") << "UPDATE Appointments SET Start = '2026-03-10 10:45' WHERE UID = 'later'" << true;
        QTest::newRow("lengthened onto it") << "UPDATE Appointments SET Minutes = 200 WHERE UID = 'earlier'" << true;
        QTest::newRow("cancelled one booked again")
            << "UPDATE Appointments SET Status = 'booked' WHERE UID = 'cancelled'" << true;
        QTest::newRow("other technician's") << "UPDATE Appointments SET EmployeeID = 2 WHERE UID = 'cancelled'" << false;
    }
    void theStoreItselfRefusesAnOverlap()
    {
        QFETCH(QString, sql);
        QFETCH(bool, refused);
        book(booking(1, tuesday, QTime(10, 0), 60));
        const auto add = [](const QString &values) {
            QVERIFY(execSql(QStringLiteral("INSERT INTO Appointments (UID, EmployeeID, Start, Minutes, Status) VALUES ") + values));
        };
        add(QStringLiteral("('earlier', 1, '2026-03-10 08:00', 30, 'booked')"));
        add(QStringLiteral("('later', 1, '2026-03-10 15:00', 30, 'booked')"));
        add(QStringLiteral("('cancelled', 1, '2026-03-10 10:00', 30, 'cancelled')"));
        const QVariantList before = queryValues(QStringLiteral("SELECT UID, EmployeeID, Start, Minutes, Status FROM Appointments "
                                                                "ORDER BY AppointmentID"));
        if (onServer()) {
            OtherDesk other;
            bool refusedThere = false;
            try {
                other.write(sql);
            } catch (const StoreError &error) {
                QCOMPARE(error.number(), int(StoreError::Clash));
                refusedThere = true;
            }
            QCOMPARE(refusedThere, refused);
        } else {
            const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
            if (tool.isEmpty())
                QSKIP("the sqlite3 command-line tool is not installed (scripts/install-deps installs it)");
            QProcess sqlite;
            sqlite.start(tool, {salon::employeeDbPath(), sql});
            QVERIFY(sqlite.waitForFinished(10000));
            const QString errors = QString::fromUtf8(sqlite.readAllStandardError());
            QCOMPARE(sqlite.exitCode() != 0, refused);
            if (refused)
                QVERIFY2(errors.contains(QLatin1String("The technician already has an appointment at that time.")),
                         qPrintable(errors));
        }
        const QVariantList after = queryValues(QStringLiteral("SELECT UID, EmployeeID, Start, Minutes, Status FROM Appointments "
                                                               "ORDER BY AppointmentID"));
        if (refused)
            QCOMPARE(after, before);
        else
            QVERIFY(after != before);
    }

    // Two desks book Ivy at 10:00 at the same moment: one has it, the other is told whose it is.
    void twoDesksBookTheSameSlot()
    {
        if (!onServer())
            QSKIP("only a server has two desks");
        Desk front(QStringLiteral("front"), home->path() + QStringLiteral("/front"), home->service());
        Desk bar(QStringLiteral("nail bar"), home->path() + QStringLiteral("/bar"), home->service());
        QCOMPARE(front.next(), QStringLiteral("ready"));
        QCOMPARE(bar.next(), QStringLiteral("ready"));
        front.send(QStringLiteral("book 1 7"));
        bar.send(QStringLiteral("book 1 8"));
        const QStringList answers{front.next(), bar.next()};
        const qsizetype winner = answers[0].startsWith(QLatin1String("booked ")) ? 0 : 1;
        QVERIFY2(answers[winner].startsWith(QLatin1String("booked ")), qPrintable(answers.join(u'|')));
        const QString customer = winner == 0 ? QStringLiteral("Ann Lee") : QStringLiteral("Bo Kim");
        QCOMPARE(answers[1 - winner], QStringLiteral("refused %1 Ivy Lane already has an appointment from 10:00 to 11:00 (%2); "
                                                     "nothing was stored.").arg(int(StoreError::Clash)).arg(customer));
        QCOMPARE(queryValues(QStringLiteral("SELECT AppointmentID, CustomerID FROM Appointments")),
                 (QVariantList{answers[winner].section(u' ', 1).toLongLong(), winner == 0 ? 7 : 8}));
    }

    // Opening hours (Monday to Friday 9 to 18, Sunday closed, Saturday not set) and Ivy's day
    // off on Wednesday are asked about first; the booking itself is not refused.
    void questionsAskedBeforeBooking_data()
    {
        QTest::addColumn<qint64>("employee");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QStringList>("questions");
        const QString outside = QStringLiteral("Outside opening hours. Book anyway?");
        const QString dayOff = QStringLiteral("Ivy Lane's day off. Book anyway?");
        const QDate wednesday(2026, 3, 11);
        QTest::newRow("within the hours") << 1LL << tuesday << QTime(9, 0) << 60 << QStringList();
        QTest::newRow("ending at closing") << 1LL << tuesday << QTime(17, 0) << 60 << QStringList();
        QTest::newRow("before opening") << 1LL << tuesday << QTime(8, 30) << 60 << QStringList{outside};
        QTest::newRow("past closing") << 1LL << tuesday << QTime(17, 30) << 45 << QStringList{outside};
        QTest::newRow("closed day") << 1LL << QDate(2026, 3, 15) << QTime(11, 0) << 30 << QStringList{outside};
        QTest::newRow("no hours set") << 1LL << QDate(2026, 3, 14) << QTime(7, 0) << 30 << QStringList();
        QTest::newRow("day off") << 1LL << wednesday << QTime(10, 0) << 30 << QStringList{dayOff};
        QTest::newRow("day off, outside the hours") << 1LL << wednesday << QTime(18, 0) << 30 << QStringList{outside, dayOff};
        QTest::newRow("another's day off") << 2LL << wednesday << QTime(10, 0) << 30 << QStringList();
    }
    void questionsAskedBeforeBooking()
    {
        QFETCH(qint64, employee);
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(int, minutes);
        QFETCH(QStringList, questions);
        for (int weekday = 1; weekday <= 5; ++weekday)
            salon::setOpeningHours(db(), {weekday, QTime(9, 0), QTime(18, 0)});
        salon::setOpeningHours(db(), {7, std::nullopt, std::nullopt});
        salon::setDayOff(db(), 1, QDate(2026, 3, 11), true);
        salon::setDayOff(db(), 1, QDate(2026, 3, 12), true);
        salon::setDayOff(db(), 1, QDate(2026, 3, 12), false);
        QCOMPARE(salon::daysOff(db(), 1, QDate(2026, 3, 1), QDate(2026, 3, 31)), std::vector<QDate>{QDate(2026, 3, 11)});
        QCOMPARE(salon::openingHours(db()).size(), std::size_t(6));

        QCOMPARE(salon::bookingQuestions(db(), employee, date, time, minutes), questions);
        // Answered Yes, it is booked.
        QCOMPARE(book(booking(employee, date, time, minutes)).time, time);
    }

    void openingHoursMustMakeSense()
    {
        QCOMPARE(outcome([&] { salon::setOpeningHours(db(), {1, QTime(18, 0), QTime(9, 0)}); }, StoreError::ValueRequired),
                 QStringLiteral("The salon must open before it closes."));
        QCOMPARE(outcome([&] { salon::setOpeningHours(db(), {1, QTime(9, 0), std::nullopt}); }, StoreError::ValueRequired),
                 QStringLiteral("The salon must open before it closes."));
        QVERIFY(salon::openingHours(db()).empty());
    }

    // A start in the hour the clocks skip is refused, whether booked or moved there; the
    // repeated hour in autumn is a time like any other on the wall clock.
    void startsTheClocksSkipAreRefused_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("outcome");
        const QString skipped = QStringLiteral("That time does not exist on this day (the clocks go forward).");
        QTest::newRow("skipped hour") << QDate(2026, 3, 8) << QTime(2, 30) << skipped;
        QTest::newRow("skipped hour, first minute") << QDate(2026, 3, 8) << QTime(2, 0) << skipped;
        QTest::newRow("just before it") << QDate(2026, 3, 8) << QTime(1, 55) << "booked";
        QTest::newRow("just after it") << QDate(2026, 3, 8) << QTime(3, 0) << "booked";
        QTest::newRow("repeated hour") << QDate(2026, 11, 1) << QTime(1, 30) << "booked";
    }
    void startsTheClocksSkipAreRefused()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(QString, outcome);
        QCOMPARE(::outcome([&] { book(booking(1, date, time, 30)); }, StoreError::ValueRequired), outcome);
        QCOMPARE(salon::startRefusal(date, time).value_or(QStringLiteral("booked")), outcome);
        const Appointment other = book(booking(2, date, QTime(12, 0), 30));
        salon::AppointmentChange move;
        move.time = time;
        QCOMPARE(::outcome([&] { salon::changeAppointment(db(), other.id, move); }, StoreError::ValueRequired), outcome);
        QCOMPARE(salon::appointmentById(db(), other.id)->time, outcome == QLatin1String("booked") ? time : QTime(12, 0));
    }

    // Every change raises Sequence and stamps Changed; the UID stays. A change that changes
    // nothing stores nothing.
    void changesRaiseTheSequenceAndKeepTheUid()
    {
        const Appointment booked = book(booking(1, tuesday, QTime(10, 0), 45));
        QCOMPARE(booked.sequence, 0);
        QVERIFY(booked.status == AppointmentStatus::Booked);
        QVERIFY(!booked.uid.isEmpty());
        QCOMPARE(booked.changed.timeZone().id(), QByteArray("UTC"));
        QVERIFY(qAbs(booked.changed.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QVERIFY(book(booking(1, tuesday, QTime(12, 0), 45)).uid != booked.uid);

        const auto change = [&](auto set) {
            salon::AppointmentChange c;
            set(c);
            return salon::changeAppointment(db(), booked.id, c);
        };
        QVERIFY(execSql(QStringLiteral("UPDATE Appointments SET Changed = '2000-01-01T00:00:00Z'")));
        Appointment now = change([](auto &c) { c.date = QDate(2026, 3, 12); c.time = QTime(15, 30); });
        QCOMPARE(now.sequence, 1);
        QCOMPARE(now.startText(), QStringLiteral("2026-03-12 15:30"));
        QVERIFY(now.changed > QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC));
        now = change([](auto &c) { c.employeeId = 2; });
        QCOMPARE(now.sequence, 2);
        QCOMPARE(now.technician, QStringLiteral("Max Ray"));
        now = change([](auto &c) { c.minutes = 90; });
        QCOMPARE(now.sequence, 3);
        now = change([](auto &c) { c.buffer = 10; });
        QCOMPARE(now.sequence, 4);
        now = salon::setAppointmentStatus(db(), booked.id, AppointmentStatus::Cancelled);
        QCOMPARE(now.sequence, 5);
        now = change([](auto &c) { c.minutes = 90; c.employeeId = 2; });
        QCOMPARE(now.sequence, 5);
        QCOMPARE(now.uid, booked.uid);
        QCOMPARE(queryValues(QStringLiteral("SELECT UID FROM Appointments WHERE AppointmentID = %1").arg(booked.id)),
                 QVariantList{booked.uid});
        QCOMPARE((std::tuple{now.employeeId, now.minutes, now.buffer}), (std::tuple{qint64(2), 90, 10}));
        QVERIFY(now.status == AppointmentStatus::Cancelled);

        QCOMPARE(outcome([&] { change([](auto &c) { c.minutes = 4; }); }, StoreError::ValueRequired),
                 QStringLiteral("The length must be 5 to 720 minutes."));
        QCOMPARE(outcome([&] { change([](auto &c) { c.buffer = 121; }); }, StoreError::ValueRequired),
                 QStringLiteral("The buffer must be 0 to 120 minutes."));
        QCOMPARE(outcome([&] { salon::setAppointmentStatus(db(), 999, AppointmentStatus::Done); }, StoreError::ItemNotFound),
                 QStringLiteral("That appointment is no longer in the book."));
    }

    // A change made from what a desk showed is refused once the appointment changed since
    // (on another desk): nothing is stored, the newer change stays.
    void aChangeFromAnOlderViewIsRefused()
    {
        const Appointment shown = book(booking(1, tuesday, QTime(10, 0), 45));
        salon::AppointmentChange elsewhere;
        elsewhere.time = QTime(11, 0);
        elsewhere.seenSequence = 0;
        QCOMPARE(salon::changeAppointment(db(), shown.id, elsewhere).sequence, 1);

        salon::AppointmentChange stale;
        stale.minutes = 60;
        stale.seenSequence = shown.sequence;
        const QString refused = QStringLiteral("This appointment was changed on another desk; nothing was stored.");
        QCOMPARE(outcome([&] { salon::changeAppointment(db(), shown.id, stale); }, StoreError::ChangedElsewhere), refused);
        QCOMPARE(outcome([&] { salon::setAppointmentStatus(db(), shown.id, AppointmentStatus::Done, shown.sequence); },
                         StoreError::ChangedElsewhere),
                 refused);
        const Appointment stored = *salon::appointmentById(db(), shown.id);
        QCOMPARE((std::tuple{stored.time, stored.minutes, stored.sequence}), (std::tuple{QTime(11, 0), 45, 1}));
        QVERIFY(stored.status == AppointmentStatus::Booked);

        stale.seenSequence = 1;
        QCOMPARE(salon::changeAppointment(db(), shown.id, stale).minutes, 60);
    }

    // A booking's length is its services' minutes unless given; the day reads back with names
    // and services; the customer's next appointment and missed ones.
    void bookingAndReadingADay()
    {
        QVERIFY(execSql(QStringLiteral("UPDATE Products SET Minutes = 45 WHERE rowid = (SELECT min(rowid) FROM Products)")));
        const std::vector<salon::AppointmentService> services = salon::bookableServices(db());
        QVERIFY(services.size() >= 2);
        QCOMPARE(services[0].minutes, 45);
        QCOMPARE(services[1].minutes, 30);   // the length every service had before

        salon::Booking visit = booking(2, tuesday, QTime(9, 0), 0);
        visit.minutes.reset();
        visit.services = {services[0], services[1]};
        visit.notes = QStringLiteral("pale pink");
        const Appointment first = book(visit);
        QCOMPARE(first.minutes, 75);
        visit.time = QTime(13, 0);
        visit.minutes = 60;
        visit.employeeId = 1;
        visit.customerId = QVariant();
        const Appointment second = book(visit);
        QCOMPARE(second.minutes, 60);
        book(booking(1, tuesday.addDays(1), QTime(9, 0), 30, 0, 7));
        const Appointment missed = book(booking(1, tuesday.addDays(-7), QTime(9, 0), 30, 0, 7));
        salon::setAppointmentStatus(db(), missed.id, AppointmentStatus::NoShow);
        salon::setAppointmentStatus(db(), book(booking(1, tuesday, QTime(16, 0), 30, 0, 7)).id, AppointmentStatus::Cancelled);

        const std::vector<Appointment> day = salon::appointmentsOn(db(), tuesday);
        QCOMPARE(day.size(), std::size_t(3));
        QCOMPARE(day[0].customer, QStringLiteral("Ann Lee"));
        QCOMPARE(day[0].technician, QStringLiteral("Max Ray"));
        QCOMPARE(day[0].notes, QStringLiteral("pale pink"));
        QCOMPARE(day[0].services.size(), std::size_t(2));
        QCOMPARE(day[0].services[0].name, services[0].name);
        QCOMPARE(day[0].services[0].minutes, 45);
        QCOMPARE(day[0].services[1].serviceId, services[1].serviceId);
        QCOMPARE((std::tuple{day[0].startMinute(), day[0].endMinute(), day[0].heldUntilMinute()}), (std::tuple{540, 615, 615}));
        QCOMPARE(day[1].customer, QString());
        QVERIFY(day[1].customerId.isNull());
        QVERIFY(day[2].status == AppointmentStatus::Cancelled);
        QCOMPARE(salon::appointmentsBetween(db(), tuesday, tuesday.addDays(1), 1).size(), std::size_t(3));
        QCOMPARE(salon::appointmentCounts(db(), tuesday.addDays(-7), tuesday.addDays(7)),
                 (std::map<QDate, int>{{tuesday, 2}, {tuesday.addDays(1), 1}}));

        const std::optional<Appointment> next = salon::nextAppointment(db(), 7, QDateTime(tuesday, QTime(9, 30)));
        QVERIFY(next);
        QCOMPARE(next->startText(), QStringLiteral("2026-03-11 09:00"));
        QCOMPARE(salon::nextAppointment(db(), 7, QDateTime(tuesday, QTime(9, 0)))->id, first.id);
        QVERIFY(!salon::nextAppointment(db(), 8, QDateTime(tuesday, QTime(9, 0))));
        QCOMPARE(salon::missedAppointments(db(), 7), 1);
        QCOMPARE(salon::missedAppointments(db(), 8), 0);

        salon::Booking empty = booking(1, tuesday, QTime(18, 0), 0);
        empty.minutes.reset();
        QCOMPARE(outcome([&] { book(empty); }, StoreError::ValueRequired), QStringLiteral("The length must be 5 to 720 minutes."));
        QCOMPARE(outcome([&] { book(booking(0, tuesday, QTime(18, 0), 30)); }, StoreError::ValueRequired),
                 QStringLiteral("Please choose the technician."));
        QCOMPARE(rowCount(QStringLiteral("Appointments")), 5);
        QCOMPARE(rowCount(QStringLiteral("Appointment Services")), 4);

        // A time the desk's clock skips, written past the program, reads back as written.
        QVERIFY(execSql(QStringLiteral("INSERT INTO Appointments (UID, EmployeeID, Start, Minutes) "
                                       "VALUES ('skipped', 2, '2026-03-08 02:30', 30)")));
        QCOMPARE(salon::appointmentsOn(db(), QDate(2026, 3, 8)).at(0).startText(), QStringLiteral("2026-03-08 02:30"));
    }
};

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--desk") == 0) {
        QCoreApplication app(argc, argv);
        return runDesk(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication app(argc, argv);
    TestAppointments test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appointments.moc"
