// The yardstick of the start-up and memory benchmarks: a bare Qt main window, started the same
// way as Velorine. At its first paint it prints the monotonic clock ("first-paint-ns"), the
// processor time used ("first-paint-cpu-us") and its peak resident memory ("peak-rss-kb"), then ends.
#include "benchsupport.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>

namespace {
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget *window) : m_window(window) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_done && watched == m_window && event->type() == QEvent::Paint) {
            m_done = true;
            std::printf("first-paint-ns %lld\n", bench::monotonicNanos());
            std::printf("first-paint-cpu-us %lld\n", bench::processorMicros());
            QTimer::singleShot(0, qApp, [] {
                std::printf("peak-rss-kb %lld\n", bench::peakResidentKb());
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_done = false;
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setCentralWidget(new QLabel(QStringLiteral("A bare Qt main window")));
    window.resize(965, 330);
    FirstPaint firstPaint(&window);
    window.installEventFilter(&firstPaint);
    window.show();
    return QApplication::exec();
}
