#include "appointmentcalendar.h"
#include "appointments.h"
#include "calendarreader.h"
#include "database.h"
#include "testhome.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

// The technicians' calendar files written from the book, on either back end, read back with an
// independent reader. CTest sets TZ=EST5EDT,M3.2.0,M11.1.0: on 2026-03-08 the clocks skip
// 02:00-02:59, so the period 7-9 March holds starts on both sides of the change.

namespace {

struct Expected
{
    QString uid;
    QString dtstamp;
    QString dtstart;
    QString dtend;
    QString summary;
    int sequence;
    QString status;
};

salon::Booking booking(qint64 employee, QVariant customer, QDate date, QTime time,
                       std::vector<salon::AppointmentService> services, int buffer = 0)
{
    salon::Booking b;
    b.employeeId = employee;
    b.customerId = customer;
    b.date = date;
    b.time = time;
    b.services = std::move(services);
    b.buffer = buffer;
    return b;
}

salon::AppointmentService service(const char *name, int minutes)
{
    return {QVariant(), QString::fromUtf8(name), minutes};
}

QString stampOf(const salon::Appointment &appointment)
{
    return appointment.changed.toUTC().toString(Qt::ISODate);
}

} // namespace

class TestAppointmentCalendar : public QObject
{
    Q_OBJECT

    // Three technicians (Zoe has no appointments) and two customers.
    static void addPeople()
    {
        addEmployee(1, QStringLiteral("Ivy"), QStringLiteral("Lane"));
        addEmployee(2, QStringLiteral("Max"), QStringLiteral("Ray"));
        addEmployee(3, QStringLiteral("Zoe"), QStringLiteral("Fox"));
        addCustomer(7, QStringLiteral("Ann"), QStringLiteral("Lee"));
        addCustomer(8, QStringLiteral("Bo"), QStringLiteral("Kim, Jr."));
    }

private slots:
    void initTestCase() { QCOMPARE(qgetenv("TZ"), QByteArray("EST5EDT,M3.2.0,M11.1.0")); }

    // One file per technician, each holding the period's appointments of every status with
    // every field as the book has it; what starts outside the period is left out.
    void writesEveryTechniciansCalendar()
    {
        if (const auto why = calendarreader::missing())
            QSKIP(qPrintable(*why));
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        addPeople();
        QSqlDatabase db = salon::employeeDb();
        const QDate saturday(2026, 3, 7), sunday(2026, 3, 8), monday(2026, 3, 9);
        // Ivy: before the change, with a buffer that is no part of the event; after it, cancelled.
        const auto gel = salon::bookAppointment(
            db, booking(1, 7, saturday, QTime(10, 0), {service("Manicure", 30), service("Gel polish", 15)}, 15));
        auto cut = salon::bookAppointment(db, booking(1, 8, monday, QTime(10, 0), {service("Cut", 60)}));
        cut = salon::setAppointmentStatus(db, cut.id, salon::AppointmentStatus::Cancelled);
        // Outside the period.
        salon::bookAppointment(db, booking(1, 7, saturday.addDays(-1), QTime(23, 30), {service("Manicure", 30)}));
        salon::bookAppointment(db, booking(1, 7, monday.addDays(1), QTime(0, 0), {service("Manicure", 30)}));
        // Max on the day of the change: before it (done), in the skipped hour (a row written past
        // the program, read with the offset before the skip), and after it (moved there).
        auto early = salon::bookAppointment(db, booking(2, 7, sunday, QTime(1, 30), {service("Pedicure", 30)}));
        early = salon::setAppointmentStatus(db, early.id, salon::AppointmentStatus::Done);
        QVERIFY(execSql(QStringLiteral("INSERT INTO Appointments (UID, EmployeeID, Start, Minutes, Status, Sequence, Changed) "
                                       "VALUES ('past-program', 2, '2026-03-08 02:30', 20, 'no-show', 4, '2026-03-01T12:00:00Z')")));
        auto moved = salon::bookAppointment(db, booking(2, QVariant(), sunday, QTime(8, 0), {service("Manicure", 30)}));
        salon::AppointmentChange later;
        later.time = QTime(9, 0);
        moved = salon::changeAppointment(db, moved.id, later);
        QCOMPARE(cut.sequence, 1);
        QCOMPARE(moved.sequence, 1);

        const std::map<QString, QList<Expected>> expected{
            {QStringLiteral("technician-1.ics"),
             {{gel.uid, stampOf(gel), "2026-03-07T15:00:00Z", "2026-03-07T15:45:00Z", "Ann Lee: Manicure, Gel polish", 0, "CONFIRMED"},
              {cut.uid, stampOf(cut), "2026-03-09T14:00:00Z", "2026-03-09T15:00:00Z", "Bo Kim, Jr.: Cut", 1, "CANCELLED"}}},
            {QStringLiteral("technician-2.ics"),
             {{early.uid, stampOf(early), "2026-03-08T06:30:00Z", "2026-03-08T07:00:00Z", "Ann Lee: Pedicure", 1, "CONFIRMED"},
              {"past-program", "2026-03-01T12:00:00Z", "2026-03-08T07:30:00Z", "2026-03-08T07:50:00Z", "Appointment", 4, "CANCELLED"},
              {moved.uid, stampOf(moved), "2026-03-08T13:00:00Z", "2026-03-08T13:30:00Z", "Manicure", 1, "CONFIRMED"}}},
            {QStringLiteral("technician-3.ics"), {}},
        };

        QTemporaryDir work;
        const QString folder = work.filePath(QStringLiteral("phones/ics"));
        const salon::CalendarExport result = salon::exportCalendars(folder, saturday, monday);
        QCOMPARE(result.error, QString());
        QCOMPARE(result.files, (QStringList{folder + "/technician-1.ics", folder + "/technician-2.ics", folder + "/technician-3.ics"}));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);
        for (const auto &[file, events] : expected) {
            QString error;
            const QJsonObject calendar = calendarreader::read(folder + u'/' + file, &error);
            QVERIFY2(error.isEmpty(), qPrintable(file + u' ' + error));
            QCOMPARE(calendar.value(QStringLiteral("version")).toString(), QStringLiteral("2.0"));
            const QJsonArray read = calendar.value(QStringLiteral("events")).toArray();
            QCOMPARE(read.size(), events.size());
            for (qsizetype i = 0; i < events.size(); ++i) {
                const Expected &e = events[i];
                const QJsonObject r = read[i].toObject();
                QCOMPARE(r.value(QStringLiteral("uid")).toString(), e.uid + QStringLiteral("@velorine"));
                QCOMPARE(r.value(QStringLiteral("dtstamp")).toString(), e.dtstamp);
                QCOMPARE(r.value(QStringLiteral("dtstart")).toString(), e.dtstart);
                QCOMPARE(r.value(QStringLiteral("dtend")).toString(), e.dtend);
                QCOMPARE(r.value(QStringLiteral("summary")).toString(), e.summary);
                QCOMPARE(r.value(QStringLiteral("sequence")).toInt(), e.sequence);
                QCOMPARE(r.value(QStringLiteral("status")).toString(), e.status);
            }
        }
    }

    // Nothing is written when one of the files is there already, nor for an empty folder name.
    void writesAllOrNothing()
    {
        TestHome home;
        QVERIFY2(home.openError().isEmpty(), qPrintable(home.openError()));
        addPeople();
        QTemporaryDir work;
        writeFile(work.filePath(QStringLiteral("technician-2.ics")), "mine");
        const salon::CalendarExport result = salon::exportCalendars(work.path(), QDate(2026, 3, 1), QDate(2026, 3, 31));
        QCOMPARE(result.error, QStringLiteral("The file %1 already exists; nothing was exported.")
                                   .arg(work.filePath(QStringLiteral("technician-2.ics"))));
        QCOMPARE(QDir(work.path()).entryList(QDir::Files), QStringList{QStringLiteral("technician-2.ics")});
        QCOMPARE(fileContent(work.filePath(QStringLiteral("technician-2.ics"))), QByteArray("mine"));

        const salon::CalendarExport unnamed = salon::exportCalendars(QString(), QDate(2026, 3, 1), QDate(2026, 3, 31));
        QCOMPARE(unnamed.error, QStringLiteral("No folder was named for the export; nothing was exported."));
        QVERIFY(unnamed.files.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAppointmentCalendar)
#include "tst_appointmentcalendar.moc"
