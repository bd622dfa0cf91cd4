// Start-up: from process start to the main window's first paint, Velorine on a book whose first
// run is done against a bare Qt main window started the same way (same X server and platform
// plugin), each the median of interleaved runs, and the ratio of the two.
// Usage: velorine-startup-bench [runs]   (an X server of its own unless DISPLAY is set)
#include "benchsupport.h"
#include "database.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool prepareBook(const QString &folder)
{
    qputenv("VELORINE_HOME", folder.toLocal8Bit());
    if (auto problem = salon::open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return false;
    }
    const bool cleared = QSqlQuery(salon::employeeDb()).exec(QStringLiteral("UPDATE Misc SET count = 0"));
    salon::close();
    return cleared;
}

// Milliseconds from starting `program` to its first paint; -1 when it printed none.
double startToFirstPaint(const QString &program, const QProcessEnvironment &env)
{
    long long started = 0;
    const long long painted = bench::runForValue(program, {}, env, QStringLiteral("first-paint-ns"), &started);
    return painted < 0 ? -1 : double(painted - started) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 15;
    const QString here = QCoreApplication::applicationDirPath();
    const QString velorine = here + QStringLiteral("/../src/shell/velorine");
    const QString bare = here + QStringLiteral("/velorine-barewindow");

    QTemporaryDir folder;
    if (!prepareBook(folder.path()))
        return 1;
    std::unique_ptr<bench::XServer> xserver;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (env.value(QStringLiteral("DISPLAY")).isEmpty()) {
        xserver = std::make_unique<bench::XServer>();
        if (xserver->display().isEmpty()) {
            std::fprintf(stderr, "No DISPLAY, and Xvfb could not be started.\n");
            return 1;
        }
        env.insert(QStringLiteral("DISPLAY"), xserver->display());
    }
    QTemporaryDir runtime;
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("VELORINE_HOME"), folder.path());
    env.insert(QStringLiteral("VELORINE_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    env.remove(QStringLiteral("VELORINE_DIALOGS"));

    // One run of each first, so neither pays for a cold file cache.
    startToFirstPaint(bare, env);
    startToFirstPaint(velorine, env);
    std::vector<double> bareTimes, velorineTimes;
    for (int i = 0; i < runs; ++i) {
        const double b = startToFirstPaint(bare, env);
        const double v = startToFirstPaint(velorine, env);
        if (b < 0 || v < 0)
            return 1;
        bareTimes.push_back(b);
        velorineTimes.push_back(v);
    }
    const double b = bench::median(bareTimes);
    const double v = bench::median(velorineTimes);
    std::printf("start to first paint, median of %d runs (%s)\n", runs, qPrintable(env.value(QStringLiteral("DISPLAY"))));
    std::printf("  bare Qt main window %8.1f ms\n", b);
    std::printf("  Velorine            %8.1f ms\n", v);
    std::printf("  ratio               %8.2f  (goal: at most 1.50)\n", v / b);
    return 0;
}
