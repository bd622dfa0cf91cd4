#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// Shared by the start-up and memory benchmarks.
namespace bench {

// The monotonic clock, in nanoseconds, as the programs under test print it.
long long monotonicNanos();
// The processor time (user and system) this process has used, in microseconds.
long long processorMicros();
// The peak resident memory of this process (VmHWM), in kilobytes.
long long peakResidentKb();

// An X server of the bench's own (Xvfb on a free display, 1280x800), so both programs meet the
// same server; ends with the object.
class XServer
{
public:
    XServer();
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;
    // ":N", or empty when Xvfb could not be started.
    QString display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

// Where the benchmarks start the program and the bare window: the X display already set, or an
// Xvfb of its own; a private runtime folder; the xcb platform; `dataFolder` as the data folder.
class ChildDisplay
{
public:
    explicit ChildDisplay(const QString &dataFolder);
    // False when there is no display and Xvfb could not be started (the reason went to stderr).
    bool ok() const { return m_ok; }
    QProcessEnvironment environment() const { return m_env; }

private:
    std::unique_ptr<XServer> m_xserver;
    QTemporaryDir m_runtime;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
    bool m_ok = true;
};

// Runs a program to its end and returns the value after `key` on the line "<key> <value>" of its
// output, or -1 (with the output shown) when there was none. `output` receives all it printed.
long long runForValue(const QString &program, const QStringList &arguments, const QProcessEnvironment &env,
                      const QString &key, long long *startedNanos = nullptr, QByteArray *output = nullptr);
// The value after `key` in a program's output, or -1.
long long valueIn(const QByteArray &output, const QString &key);

double median(std::vector<double> values);

} // namespace bench
