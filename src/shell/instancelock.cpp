#include "instancelock.h"

#include "database.h"

QString InstanceLock::lockPath()
{
    return salon::dataFolder() + QStringLiteral("/velorine.lock");
}

InstanceLock::InstanceLock() : m_lock(std::make_unique<QLockFile>(lockPath()))
{
    // The lock lives as long as the program: never treat it as stale by age, only when the
    // process that wrote it is gone.
    m_lock->setStaleLockTime(0);
}

InstanceLock::Result InstanceLock::acquire()
{
    if (m_lock->isLocked() || m_lock->tryLock(0))
        return Result::Acquired;
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        return Result::HeldByAnother;
    case QLockFile::PermissionError:
        m_failure = QStringLiteral("The lock file %1 cannot be created: permission denied.").arg(lockPath());
        return Result::Failed;
    default:
        m_failure = QStringLiteral("The lock file %1 cannot be created.").arg(lockPath());
        return Result::Failed;
    }
}
