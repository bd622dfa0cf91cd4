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

struct Run
{
    double wallMs = -1;   // from starting the program to its first paint
    double cpuMs = -1;    // processor time the program had used by then
};

Run startToFirstPaint(const QString &program, const QProcessEnvironment &env)
{
    long long started = 0;
    QByteArray output;
    const long long painted = bench::runForValue(program, {}, env, QStringLiteral("first-paint-ns"), &started, &output);
    if (painted < 0)
        return {};
    return {double(painted - started) / 1e6, double(bench::valueIn(output, QStringLiteral("first-paint-cpu-us"))) / 1e3};
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
    const bench::ChildDisplay display(folder.path());
    if (!display.ok())
        return 1;
    QProcessEnvironment env = display.environment();
    env.insert(QStringLiteral("VELORINE_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    env.remove(QStringLiteral("VELORINE_DIALOGS"));

    // One run of each first, so neither pays for a cold file cache.
    startToFirstPaint(bare, env);
    startToFirstPaint(velorine, env);
    std::vector<double> bareTimes, velorineTimes, bareCpu, velorineCpu;
    for (int i = 0; i < runs; ++i) {
        const Run b = startToFirstPaint(bare, env);
        const Run v = startToFirstPaint(velorine, env);
        if (b.wallMs < 0 || v.wallMs < 0)
            return 1;
        bareTimes.push_back(b.wallMs);
        velorineTimes.push_back(v.wallMs);
        bareCpu.push_back(b.cpuMs);
        velorineCpu.push_back(v.cpuMs);
    }
    const double b = bench::median(bareTimes);
    const double v = bench::median(velorineTimes);
    const double bc = bench::median(bareCpu);
    const double vc = bench::median(velorineCpu);
    std::printf("start to first paint, median of %d runs (%s)    wall        processor\n", runs,
                qPrintable(env.value(QStringLiteral("DISPLAY"))));
    std::printf("  bare Qt main window                    %8.1f ms  %8.1f ms\n", b, bc);
    std::printf("  Velorine                               %8.1f ms  %8.1f ms\n", v, vc);
    std::printf("  ratio                                  %8.2f     %8.2f     (goal: at most 1.50)\n", v / b, vc / bc);
    // The processor column is steadier on a busy machine; the goal is on the wall clock.
    return 0;
}
