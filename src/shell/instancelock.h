#pragma once
#include <QLockFile>
#include <QString>
#include <memory>

// Keeps a second copy of the program off the same data folder: a lock file in the folder,
// held for the whole run. A lock left behind by a run that crashed is taken over.
class InstanceLock
{
public:
    enum class Result { Acquired, HeldByAnother, Failed };

    InstanceLock();
    Result acquire();
    // Why acquire() failed, for the message shown.
    QString failureText() const { return m_failure; }
    static QString lockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_failure;
};
