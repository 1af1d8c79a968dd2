#include "db/path_lock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

PathLock::~PathLock()
{
    release();
}

bool PathLock::hold(const QString &path)
{
    return take(path, true);
}

bool PathLock::tryHold(const QString &path)
{
    return take(path, false);
}

void PathLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd);   // drops the lock
    m_fd = -1;
}

bool PathLock::take(const QString &path, bool wait)
{
    release();
    const QByteArray name = QFile::encodeName(path);
    // O_RDONLY opens a folder as well as a file; a symbolic link is never followed.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    } while (locked != 0 && errno == EINTR);
    struct stat opened {};
    struct stat named {};
    if (locked != 0 || ::fstat(fd, &opened) != 0 || ::lstat(name.constData(), &named) != 0
        || opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}
