// Times the record-store paths of the screens on a large generated salon book against plain
// queries over the same file, and prints each as a ratio; then opens every screen on a book
// ten times that size and prints its opening time and the program's resident memory.
// Usage: velorine-bench [folder]  (the books are generated once and kept there; by default
// in "books" beside the program). The server lines (serverbench.h) run between the two books;
// velorine-bench --server [folder] runs them alone. The sales reports are timed on the ten-times
// book after its screens; velorine-bench --reports [folder] times them alone.

#include "appointmentbench.h"
#include "bookgenerator.h"
#include "database.h"
#include "frmreport.h"
#include "namesearch.h"
#include "recordset.h"
#include "reportbench.h"
#include "salebench.h"
#include "screens.h"
#include "serverbench.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QSqlQuery>
#include <cstdio>
#include <functional>

namespace {

constexpr int customerCount = 100000;
constexpr int journalCount = 1000000;
constexpr int scale = 10;
constexpr double screenGoalMs = 250;
constexpr double memoryGoalMb = 100;
constexpr double yearReportGoalMs = 1000;
constexpr double daySheetGoalMs = 100;

// The best of several runs, in microseconds.
double bestMicros(int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1000.0);
    }
    return best;
}

void report(const char *what, double ours, double plain)
{
    std::printf("%-48s %10.1f us  plain %10.1f us  ratio %6.2f\n", what, ours, plain, ours / plain);
}

// Opens the salon book in `folder`, generating it first when it is not there (or was left
// half made by an interrupted run). False when it cannot be opened.
bool useBook(const QString &folder, int customers, int journalRows)
{
    salon::close();
    QDir().mkpath(folder);
    qputenv("VELORINE_HOME", folder.toLocal8Bit());
    const QString done = folder + QStringLiteral("/generated");
    if (!QFileInfo::exists(done))
        for (const QString &name : {QStringLiteral("Employee.db"), QStringLiteral("Employee.db-wal"), QStringLiteral("Employee.db-shm")})
            QFile::remove(folder + u'/' + name);
    if (auto problem = salon::open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return false;
    }
    if (!QFileInfo::exists(done)) {
        std::printf("generating %d customers and %d journal rows in %s ...\n", customers, journalRows, qPrintable(folder));
        std::fflush(stdout);
        QElapsedTimer timer;
        timer.start();
        generateBook(salon::employeeDb(), customers, journalRows);
        QSqlQuery(salon::employeeDb()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        QFile(done).open(QIODevice::WriteOnly);
        std::printf("generated in %.1f s\n", double(timer.elapsed()) / 1000.0);
    }
    addAppointmentsIfMissing(salon::employeeDb());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // The visiting report is a real window; it needs no screen to be measured.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool serverOnly = argc > 1 && QByteArray(argv[1]) == "--server";
    const bool reportsOnly = argc > 1 && QByteArray(argv[1]) == "--reports";
    const int folderArgument = serverOnly || reportsOnly ? 2 : 1;
    const QString root = argc > folderArgument ? QString::fromLocal8Bit(argv[folderArgument])
                                               : QCoreApplication::applicationDirPath() + QStringLiteral("/books");
    if (serverOnly) {
        // The generated book is made (or found) first; the copy reads it through a connection of its own.
        if (!useBook(root + QStringLiteral("/standard"), customerCount, journalCount))
            return 1;
        salon::close();
        return serverLinesMain(root + QStringLiteral("/standard"));
    }
    if (reportsOnly) {
        if (!useBook(root + QStringLiteral("/tenfold"), customerCount * scale, journalCount * scale))
            return 1;
        const bool ok = benchReports(salon::employeeDb(), yearReportGoalMs, daySheetGoalMs, memoryGoalMb);
        salon::close();
        return !ok;
    }
    if (!useBook(root + QStringLiteral("/standard"), customerCount, journalCount))
        return 1;
    QSqlDatabase db = salon::employeeDb();
    std::printf("book: %d customers, %d journal rows\n", customerCount, journalCount);

    // Opening a record set on Customers against reading its keys with a plain query.
    const double open = bestMicros(5, [&] {
        RecordSet customers(db, QStringLiteral("Customers"));
        customers.recordCount();
    });
    const double keys = bestMicros(5, [&] {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        query.exec(QStringLiteral("SELECT rowid FROM Customers"));
        qint64 sum = 0;
        while (query.next())
            sum += query.value(0).toLongLong();
    });
    report("open Customers record set vs SELECT rowid", open, keys);

    // A seek by last name on the index against a plain indexed query, 1,000 names each.
    RecordSet table(db, QStringLiteral("Customers"));
    const double setIndex = bestMicros(1, [&] { table.setIndex(QStringLiteral("LastName")); });
    std::printf("%-48s %10.1f us\n", "set the LastName index (once per screen)", setIndex);
    table.seek(generatedLastName(1));   // the first seek builds the position map
    const double seek = bestMicros(3, [&] {
        for (int i = 0; i < 1000; ++i) {
            table.seek(generatedLastName(i * 37 + 1));
            table.value(QStringLiteral("FirstName"));
        }
    });
    QSqlQuery plainSeek(db);
    plainSeek.setForwardOnly(true);
    plainSeek.prepare(QStringLiteral("SELECT * FROM Customers WHERE LastName = ? COLLATE NOCASE ORDER BY LastName COLLATE NOCASE, rowid LIMIT 1"));
    const double indexed = bestMicros(3, [&] {
        for (int i = 0; i < 1000; ++i) {
            plainSeek.bindValue(0, generatedLastName(i * 37 + 1));
            plainSeek.exec();
            plainSeek.next();
            plainSeek.value(1);
        }
    });
    report("1,000 seeks by last name vs indexed query", seek, indexed);

    // The visiting report moving to the next customer and showing all of its journal rows,
    // against a plain indexed query for the same customer's rows; 200 customers each.
    frmReport visits;
    RecordSet *customers = visits.datPrimaryRS();
    RecordSet *journal = visits.datSecondaryRS();
    qint64 shownRows = 0;
    const double reportMoves = bestMicros(3, [&] {
        customers->moveFirst();
        for (int i = 0; i < 200; ++i) {
            customers->moveNext();
            for (qint64 row = 0; row < journal->recordCount(); ++row)
                shownRows += journal->rowAt(row).size();
        }
    });
    QSqlQuery plainRows(db);
    plainRows.setForwardOnly(true);
    plainRows.prepare(QStringLiteral("SELECT [ServiceID], [CustomerID], [EmployeeID], [ServiceDate], [NameOfService], "
                                     "[Quantity], [Cost], [Count] FROM [Service Records] WHERE [CustomerID] = ?"));
    const double plainMoves = bestMicros(3, [&] {
        for (int id = 2; id <= 201; ++id) {
            plainRows.bindValue(0, id);
            plainRows.exec();
            while (plainRows.next())
                shownRows += plainRows.value(6).isValid();
        }
    });
    report("report: 200 next customers with their rows", reportMoves, plainMoves);

    // The customer name search (first and last name) against a plain indexed query, 20 names.
    const double search = bestMicros(3, [&] {
        for (int i = 1; i <= 20; ++i) {
            const int id = i * 4999;
            namesearch::search(QStringLiteral("First%1").arg(id), generatedLastName(id), namesearch::Direction::First);
        }
    });
    QSqlQuery plainName(db);
    plainName.setForwardOnly(true);
    plainName.prepare(QStringLiteral("SELECT rowid, CustomerID FROM Customers WHERE LastName = ? COLLATE NOCASE "
                                     "AND FirstName = ? COLLATE NOCASE ORDER BY rowid LIMIT 1"));
    const double plainSearch = bestMicros(3, [&] {
        for (int i = 1; i <= 20; ++i) {
            const int id = i * 4999;
            plainName.bindValue(0, generatedLastName(id));
            plainName.bindValue(1, QStringLiteral("First%1").arg(id));
            plainName.exec();
            plainName.next();
        }
    });
    report("customer name search: 20 names", search, plainSearch);
    benchSaleLine(db);
    benchAppointments(db);

    // A grid's set made on no customer's rows and re-pointed at once reads only the rows it shows.
    const double repoint = bestMicros(3, [&] {
        RecordSet rows(db, frmReport::journalSource(db, QVariant()));
        rows.repoint({7});
        shownRows += rows.recordCount();
    });
    const double plainOne = bestMicros(3, [&] {
        plainRows.bindValue(0, 7);
        plainRows.exec();
        while (plainRows.next())
            shownRows += plainRows.value(6).isValid();
    });
    report("journal set re-pointed at once vs one query", repoint, plainOne);
    db = QSqlDatabase();
    // In a process of its own; its lines never change this program's status.
    std::fflush(stdout);
    runServerLines(QCoreApplication::applicationFilePath(), root);

    // Every screen on the ten-times book: opening time and the program's memory while it is open.
    if (!useBook(root + QStringLiteral("/tenfold"), customerCount * scale, journalCount * scale))
        return 1;
    std::printf("book: %d customers, %d journal rows; goals: %.0f ms a screen, %.0f MB\n", customerCount * scale,
                journalCount * scale, screenGoalMs, memoryGoalMb);
    // In the program the main window is up before any screen opens, and has paid for the
    // first window's fonts and style: so here, or the first screen listed would pay for them.
    {
        QWidget mainWindowStandIn;
        mainWindowStandIn.show();
        QCoreApplication::processEvents();
    }
    bool withinGoals = true;
    withinGoals = benchAppointments(salon::employeeDb()) && withinGoals;
    for (const BenchScreen &screen : benchScreens()) {
        const ScreenTiming timing = timeScreen(screen);
        const double first = timing.firstMs;
        const double best = timing.bestMs;
        const double memory = timing.residentMb;
        const bool ok = first <= screenGoalMs && memory <= memoryGoalMb;
        withinGoals = withinGoals && ok;
        std::printf("open %-40s first %7.1f ms  best %7.1f ms  resident %6.1f MB  %s\n", qPrintable(screen.name), first,
                    best, memory, ok ? "ok" : "OVER");
    }
    withinGoals = benchReports(salon::employeeDb(), yearReportGoalMs, daySheetGoalMs, memoryGoalMb) && withinGoals;
    std::printf("program resident at the end: %.1f MB\n", residentMb());
    salon::close();
    return shownRows < 0 || !withinGoals;
}
