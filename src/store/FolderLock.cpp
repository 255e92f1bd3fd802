#include "FolderLock.h"

#include "SqlError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace store {

FolderLock::~FolderLock()
{
    close();
}

void FolderLock::open()
{
    if (m_fd >= 0)
        return;
    if (m_path.isEmpty())
        throw SqlError(QStringLiteral("Nincs megadva a zárolófájl."));
    const QByteArray path = QFile::encodeName(m_path);
    // No O_CREAT: a missing lock file is an error, not something to make up.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw SqlError(QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        throw SqlError(QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(error))));
    }
    m_fd = fd;
}

bool FolderLock::heldElsewhere(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

void FolderLock::close()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace store
