#pragma once
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QThread;

// Checks the salon's books once per start on a thread of its own, so the main window does not
// wait for it. A book found damaged is marked so (nothing more is written to it, and whoever
// listens for damage is told) back on the interface thread.
class StartupCheck : public QObject
{
    Q_OBJECT
public:
    StartupCheck(QStringList paths, QObject *parent = nullptr);
    // Waits for a check still running.
    ~StartupCheck() override;
    void start();
    bool isFinished() const;

signals:
    // Every book has been checked (damage, if any, has been marked).
    void finished();

private:
    void report();

    QStringList m_paths;
    std::unique_ptr<QThread> m_thread;
    // Written by the check thread, read once it has finished.
    std::vector<std::optional<QString>> m_findings;
    bool m_reported = false;
};
