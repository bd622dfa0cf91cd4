#pragma once
#include <QString>

// Keeps a second copy of the program off the same data folder: an advisory lock held on the
// open lock file for the whole run. The operating system lets go of it when the process ends,
// however it ends, so only a living copy can refuse a second one; what the file holds does
// not matter.
class InstanceLock
{
public:
    enum class Result { Acquired, HeldByAnother, Failed };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    Result acquire();
    // Why acquire() failed, naming the lock file, for the message shown.
    QString failureText() const { return m_failure; }
    static QString lockPath();

private:
    // Refuses a lock file that is a link, not a plain file, or another user's.
    Result refuseNotOwn(const QString &path);

    int m_fd = -1;
    QString m_failure;
};
