#include "instancelock.h"

#include "database.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

QString InstanceLock::lockPath()
{
    return salon::dataFolder() + QStringLiteral("/velorine.lock");
}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);   // closing the file releases the lock
}

InstanceLock::Result InstanceLock::refuseNotOwn(const QString &path)
{
    m_failure = QStringLiteral("The lock file %1 is not a plain file of your own, so Velorine will not use it. "
                               "Remove it and start again.")
                    .arg(path);
    return Result::Failed;
}

InstanceLock::Result InstanceLock::acquire()
{
    if (m_fd >= 0)
        return Result::Acquired;
    const QString path = lockPath();
    const QByteArray native = QFile::encodeName(path);
    // The file is only ever opened, never written: a full disk cannot keep the desk out.
    // A link is never followed: through it the lock would change the mode of a file elsewhere,
    // or create one outside the data folder. O_NONBLOCK keeps a FIFO from holding the start.
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, S_IRUSR | S_IWUSR);
    if (fd < 0 && errno == ELOOP)
        return refuseNotOwn(path);
    if (fd < 0) {
        m_failure = QStringLiteral("The lock file %1 cannot be opened: %2.")
                        .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return Result::Failed;
    }
    struct stat status{};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
        ::close(fd);
        return refuseNotOwn(path);
    }
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::HeldByAnother;
        m_failure = QStringLiteral("The lock file %1 cannot be locked: %2.")
                        .arg(path, QString::fromLocal8Bit(std::strerror(error)));
        return Result::Failed;
    }
    // A lock file left by an older run may be readable by others; like the books, it is the
    // user's alone.
    ::fchmod(fd, S_IRUSR | S_IWUSR);
    m_fd = fd;
    return Result::Acquired;
}
