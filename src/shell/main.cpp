#include "appointmentcalendar.h"
#include "apptitle.h"
#include "bookcopy.h"
#include "commandline.h"
#include "csvexport.h"
#include "database.h"
#include "dates.h"
#include "desktopidentity.h"
#include "serverbook.h"
#include "serverupgrade.h"
#include "dialogs.h"
#include "frmmain.h"
#include "salesreport.h"
#include "startup.h"
#include "stderrdialogs.h"
#include "storeerror.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <chrono>
#include <map>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

enum class CommandLine { StartDesk, Done };

void nameTheProgram()
{
    QCoreApplication::setApplicationName(app::title);
    QCoreApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(app::versionMajor).arg(app::versionMinor).arg(app::versionRevision));
}

int said(const QString &problem)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(app::title), qPrintable(problem));
    return 1;
}

// --report: the chosen report of the period as aligned text, or into a CSV file.
int runReport(const QString &grouping, const QString &from, const QString &to, const std::optional<QString> &employee,
              const QString &csv)
{
    const std::map<QString, salon::ReportKind> kinds{{QStringLiteral("technician"), salon::ReportKind::Technician},
                                                     {QStringLiteral("service"), salon::ReportKind::Service},
                                                     {QStringLiteral("technician-service"), salon::ReportKind::TechnicianService},
                                                     {QStringLiteral("day"), salon::ReportKind::Day}};
    const auto kind = kinds.find(grouping);
    if (kind == kinds.end())
        return said(QStringLiteral("Unknown report '%1': use technician, service, technician-service or day.").arg(grouping));
    salon::ReportPeriod period;
    period.from = fromIsoDateText(from);
    period.to = fromIsoDateText(to);
    if (!period.from.isValid() || !period.to.isValid())
        return said(QStringLiteral("A report needs --from and --to as dates written YYYY-MM-DD."));
    if (period.to < period.from)
        return said(QStringLiteral("The report's last day (--to %1) is before its first (--from %2).").arg(to, from));
    if (employee) {
        bool ok = false;
        const qint64 id = employee->toLongLong(&ok);
        if (!ok)
            return said(QStringLiteral("--employee needs a technician's number, not '%1'.").arg(*employee));
        period.employeeId = id;
    }
    try {
        const salon::ReportTable table = salon::readReport(kind->second, period);
        if (csv.isEmpty()) {
            std::printf("%s", table.rows.empty() ? "" : qPrintable(salon::reportText(table)));
            return 0;
        }
        if (auto problem = salon::writeReportCsv(table, QDir::current().absoluteFilePath(csv)))
            return said(*problem);
        return 0;
    } catch (const StoreError &error) {
        return said(error.text());
    }
}

// --export-ics: every technician's appointments of the period as a calendar file; by default
// from today for 90 days.
int runCalendarExport(const QString &named, const std::optional<QString> &fromText, const std::optional<QString> &toText)
{
    QDate from = QDate::currentDate();
    if (fromText) {
        from = fromIsoDateText(*fromText);
        if (!from.isValid())
            return said(QStringLiteral("--from needs a date written YYYY-MM-DD, not '%1'.").arg(*fromText));
    }
    QDate to = from.addDays(90);
    if (toText) {
        to = fromIsoDateText(*toText);
        if (!to.isValid())
            return said(QStringLiteral("--to needs a date written YYYY-MM-DD, not '%1'.").arg(*toText));
    }
    if (to < from)
        return said(QStringLiteral("The calendars' last day (--to %1) is before their first (--from %2).")
                        .arg(to.toString(Qt::ISODate), from.toString(Qt::ISODate)));
    // An empty name stays empty, so the export refuses it rather than write into this folder.
    const QString folder = named.isEmpty() ? QString() : QDir::current().absoluteFilePath(named);
    const salon::CalendarExport result = salon::exportCalendars(folder, from, to);
    if (!result.error.isEmpty())
        return said(result.error);
    std::printf("%lld %s from %s to %s exported into %s\n", static_cast<long long>(result.files.size()),
                result.files.size() == 1 ? "calendar" : "calendars", qPrintable(from.toString(Qt::ISODate)),
                qPrintable(to.toString(Qt::ISODate)), qPrintable(folder));
    return 0;
}

// The options work without a display, so they run before any window system is touched:
// --help and --version print and end; --export-csv writes the book's tables and ends;
// --export-ics the technicians' calendars.
// The toolkit's own options were set aside before and never reach this parser.
CommandLine runOptions(int &argc, char *argv[], int &status)
{
    QCoreApplication application(argc, argv);
    nameTheProgram();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The front desk of a nail and hair salon. Without options it starts the desk.\n"
                       "The salon's data folder is $VELORINE_HOME when set, otherwise ~/.local/share/Velorine."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption exportOption(
        QStringLiteral("export-csv"),
        QStringLiteral("Writes every table of the salon's book as a CSV file into <folder> and ends. "
                       "Files that exist are never written over."),
        QStringLiteral("folder"));
    parser.addOption(exportOption);
    const QCommandLineOption useServerOption(
        QStringLiteral("use-server"),
        QStringLiteral("Keeps this desk's books on the PostgreSQL server of libpq service <service> "
                       "(~/.pg_service.conf; the password in ~/.pgpass) and ends."),
        QStringLiteral("service"));
    const QCommandLineOption useLocalOption(QStringLiteral("use-local"),
                                            QStringLiteral("Keeps this desk's books in the data folder again and ends."));
    const QCommandLineOption deskNameOption(QStringLiteral("desk-name"),
                                            QStringLiteral("Names this desk on the server (the host name unless set) and ends."),
                                            QStringLiteral("name"));
    const QCommandLineOption initServerOption(
        QStringLiteral("init-server"),
        QStringLiteral("Makes new, empty books in the empty database of service <service> and ends."),
        QStringLiteral("service"));
    const QCommandLineOption copyBookOption(
        QStringLiteral("copy-book-to"),
        QStringLiteral("Copies the salon's book from the data folder into the empty database of service <service> "
                       "and ends."),
        QStringLiteral("service"));
    const QCommandLineOption upgradeServerOption(
        QStringLiteral("upgrade-server"),
        QStringLiteral("Brings the books of service <service> up to this version of Velorine (after a copy into "
                       "backups/) and ends."),
        QStringLiteral("service"));
    const QCommandLineOption reportOption(
        QStringLiteral("report"),
        QStringLiteral("Prints what was sold from --from to --to (both days included) by technician, service, "
                       "technician-service, or every line as the day sheet, and ends. The books are only read."),
        QStringLiteral("grouping"));
    const QCommandLineOption calendarOption(
        QStringLiteral("export-ics"),
        QStringLiteral("Writes each technician's appointments from --from to --to (both days included; by default "
                       "today and the next 90 days) as technician-<EmployeeID>.ics into <folder> and ends. The books "
                       "are only read; files that exist are never written over."),
        QStringLiteral("folder"));
    const QCommandLineOption fromOption(QStringLiteral("from"), QStringLiteral("The first day of the report or calendars."),
                                        QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption toOption(QStringLiteral("to"), QStringLiteral("The last day of the report or calendars."),
                                      QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption employeeOption(QStringLiteral("employee"),
                                            QStringLiteral("Narrows the report to technician <N>."), QStringLiteral("N"));
    const QCommandLineOption csvOption(QStringLiteral("csv"),
                                       QStringLiteral("Writes the report as CSV into <file> (never over one that exists)."),
                                       QStringLiteral("file"));
    for (const QCommandLineOption *option : {&useServerOption, &useLocalOption, &deskNameOption, &initServerOption,
                                             &copyBookOption, &upgradeServerOption, &reportOption, &calendarOption, &fromOption,
                                             &toOption, &employeeOption, &csvOption})
        parser.addOption(*option);
    // --help, --version and unknown options end here; messages start with the program's name.
    parser.process(application);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "%s: Unexpected argument '%s'.\n", qPrintable(app::title), qPrintable(parser.positionalArguments().constFirst()));
        status = 1;
        return CommandLine::Done;
    }
    // Each tool says what it did in one line, or why it could not, and ends.
    const auto finish = [&status](const std::optional<QString> &problem, const QString &done) {
        if (problem) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(app::title), qPrintable(*problem));
            status = 1;
        } else {
            std::printf("%s\n", qPrintable(done));
            status = 0;
        }
        return CommandLine::Done;
    };
    if (parser.isSet(deskNameOption)) {
        const QString name = parser.value(deskNameOption).trimmed();
        return finish(salon::setDeskName(name), QStringLiteral("This desk is named %1.").arg(name));
    }
    if (parser.isSet(initServerOption)) {
        const QString service = parser.value(initServerOption);
        return finish(salon::initServer(service), QStringLiteral("New books made on service %1.").arg(service));
    }
    if (parser.isSet(copyBookOption)) {
        const QString service = parser.value(copyBookOption);
        const salon::BookCopy copy = salon::copyBookTo(salon::employeeDbPath(), service);
        return finish(copy.problem, QStringLiteral("%1 rows copied to service %2.").arg(copy.rows).arg(service));
    }
    if (parser.isSet(upgradeServerOption)) {
        const salon::ServerUpgrade upgrade = salon::upgradeServer(parser.value(upgradeServerOption));
        return finish(upgrade.problem, upgrade.said);
    }
    if (parser.isSet(useServerOption)) {
        const QString service = parser.value(useServerOption);
        return finish(salon::useServer(service),
                      QStringLiteral("This desk now keeps its books on service %1.").arg(service));
    }
    if (parser.isSet(reportOption)) {
        status = runReport(parser.value(reportOption), parser.value(fromOption), parser.value(toOption),
                           parser.isSet(employeeOption) ? std::optional(parser.value(employeeOption)) : std::nullopt,
                           parser.value(csvOption));
        return CommandLine::Done;
    }
    if (parser.isSet(calendarOption)) {
        const auto given = [&parser](const QCommandLineOption &option) {
            return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
        };
        status = runCalendarExport(parser.value(calendarOption), given(fromOption), given(toOption));
        return CommandLine::Done;
    }
    if (parser.isSet(useLocalOption))
        return finish(salon::useLocal(), QStringLiteral("This desk now keeps its books in %1.").arg(salon::dataFolder()));
    if (!parser.isSet(exportOption))
        return CommandLine::StartDesk;

    // An empty name stays empty, so the export refuses it rather than write into this folder.
    const QString named = parser.value(exportOption);
    const QString folder = named.isEmpty() ? QString() : QDir::current().absoluteFilePath(named);
    const salon::CsvExport result = salon::exportBooks(folder);
    if (!result.error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(app::title), qPrintable(result.error));
        status = 1;
        return CommandLine::Done;
    }
    std::printf("%lld tables exported into %s\n", static_cast<long long>(result.files.size()), qPrintable(folder));
    status = 0;
    return CommandLine::Done;
}

// For the start-up benchmark (VELORINE_REPORT_FIRST_PAINT=1): when the main window first
// paints, prints the monotonic clock in nanoseconds and the processor time it has used, then ends.
class FirstPaintReport : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_done && event->type() == QEvent::Paint && watched->objectName() == QLatin1String("frmMain")) {
            m_done = true;
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("first-paint-ns %lld\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("first-paint-cpu-us %lld\n",
                        (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL + usage.ru_utime.tv_usec
                            + usage.ru_stime.tv_usec);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    bool m_done = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    const CommandLineSplit split = splitCommandLine(arguments);
    if (!split.own.isEmpty()) {
        ArgumentVector own(argv[0], split.own);
        int status = 0;
        if (runOptions(own.argc(), own.argv(), status) == CommandLine::Done)
            return status;
    }

    ArgumentVector toolkit(argv[0], split.toolkit);
    QApplication application(toolkit.argc(), toolkit.argv());
    nameTheProgram();
    setDesktopIdentity();
    // The program ends when the main window closes, not when the splash or a dialog does.
    QApplication::setQuitOnLastWindowClosed(false);

    FirstPaintReport firstPaint;
    if (qEnvironmentVariableIsSet("VELORINE_REPORT_FIRST_PAINT"))
        application.installEventFilter(&firstPaint);

    StderrDialogs stderrDialogs;
    if (qEnvironmentVariable("VELORINE_DIALOGS") == QLatin1String("stderr"))
        Dialogs::setInstance(&stderrDialogs);

    int status = 0;
    // The desk holds the single-instance lock until it is let go of here, after the window.
    Desk desk = startUp(status);
    if (desk.window) {
        QObject::connect(desk.window.get(), &frmMain::programEnded, &application, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        status = QApplication::exec();
        desk = {};
    }
    salon::close();
    Dialogs::setInstance(nullptr);
    return status;
}
