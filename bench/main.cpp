// Times the record-store paths of the screens on a large generated salon book against plain
// queries over the same file, and prints each as a ratio. Usage: velorine-bench [scratch folder]

#include "bookgenerator.h"
#include "database.h"
#include "recordset.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

constexpr int customerCount = 100000;
constexpr int journalCount = 1000000;

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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();
    QDir().mkpath(folder);
    qputenv("VELORINE_HOME", folder.toLocal8Bit());
    const bool fresh = !QFileInfo::exists(folder + QStringLiteral("/Employee.db"));
    if (auto problem = salon::open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    QSqlDatabase db = salon::employeeDb();
    if (fresh) {
        QElapsedTimer timer;
        timer.start();
        generateBook(db, customerCount, journalCount);
        std::printf("generated %d customers and %d journal rows in %.1f s\n", customerCount, journalCount,
                    double(timer.elapsed()) / 1000.0);
    }

    // Opening a record set on Customers against reading its keys with a plain query.
    const double open = bestMicros(5, [&] { RecordSet customers(db, QStringLiteral("Customers")); });
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
    return 0;
}
