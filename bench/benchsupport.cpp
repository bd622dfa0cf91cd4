#include "benchsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <sys/resource.h>
#include <chrono>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace bench {

long long monotonicNanos()
{
    // The steady clock is the monotonic clock the program reports its first paint by.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

long long processorMicros()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

long long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

XServer::XServer()
{
    // Xvfb writes the display it took to the descriptor given by -displayfd, once it listens.
    int fds[2];
    if (pipe(fds) != 0)
        return;
    m_process.setChildProcessModifier([fds] {
        dup2(fds[1], 9);
        close(fds[0]);
    });
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("9"), QStringLiteral("-screen"),
                                             QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                                             QStringLiteral("tcp"), QStringLiteral("-noreset")});
    close(fds[1]);
    if (!m_process.waitForStarted(5000)) {
        close(fds[0]);
        return;
    }
    // The whole line: Xvfb dies of a broken pipe if the reader leaves before its line end.
    QByteArray line;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(fds[0]);
    if (line.isEmpty())
        return;
    // Xvfb names its display a moment before it takes connections: wait until one is taken.
    const QString number = QString::fromLatin1(line).trimmed();
    const QByteArray socketPath = QByteArrayLiteral("/tmp/.X11-unix/X") + number.toLatin1();
    for (int attempt = 0; attempt < 500; ++attempt) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.constData(), sizeof address.sun_path - 1);
        const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        close(fd);
        if (connected) {
            m_display = QStringLiteral(":") + number;
            return;
        }
        usleep(10000);
    }
}

XServer::~XServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
}

long long valueIn(const QByteArray &output, const QString &key)
{
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts[0] == key.toUtf8())
            return parts[1].toLongLong();
    }
    return -1;
}

long long runForValue(const QString &program, const QStringList &arguments, const QProcessEnvironment &env,
                      const QString &key, long long *startedNanos, QByteArray *output)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const long long started = monotonicNanos();
    process.start(program, arguments);
    if (startedNanos)
        *startedNanos = started;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    }
    const QByteArray printed = process.readAllStandardOutput();
    if (output)
        *output = printed;
    const long long value = valueIn(printed, key);
    if (value < 0)
        std::fprintf(stderr, "%s printed no %s:\n%s%s\n", qPrintable(program), qPrintable(key), printed.constData(),
                     process.readAllStandardError().constData());
    return value;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

ChildDisplay::ChildDisplay(const QString &dataFolder)
{
    if (m_env.value(QStringLiteral("DISPLAY")).isEmpty()) {
        m_xserver = std::make_unique<XServer>();
        if (m_xserver->display().isEmpty()) {
            std::fprintf(stderr, "No DISPLAY, and Xvfb could not be started.\n");
            m_ok = false;
        }
        m_env.insert(QStringLiteral("DISPLAY"), m_xserver->display());
    }
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_env.insert(QStringLiteral("VELORINE_HOME"), dataFolder);
}

} // namespace bench
