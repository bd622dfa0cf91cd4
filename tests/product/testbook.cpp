// Prepares a data folder for the tests that run the real program: the books are created by
// the program's own first-start step, then the first-run flag is cleared, so the program goes
// straight to its main window.
//   velorine-testbook FOLDER [COMPANY]
#include "database.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: velorine-testbook FOLDER [COMPANY]\n");
        return 2;
    }
    qputenv("VELORINE_HOME", arguments[1].toLocal8Bit());
    if (auto problem = salon::open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    {
        QSqlQuery query(salon::employeeDb());
        query.prepare(QStringLiteral("UPDATE Misc SET count = 0, Company = ?"));
        query.addBindValue(arguments.size() > 2 ? arguments[2] : QStringLiteral("Test Salon"));
        if (!query.exec()) {
            std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
            return 1;
        }
    }
    salon::close();
    return 0;
}
