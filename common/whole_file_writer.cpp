#include "common/whole_file_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace WholeFileWriter {

namespace {

const QString Suffix = QStringLiteral(".velq8-part");

QString failure(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, qt_error_string(error));
}

// The lock a run holds on its temporary from creation to rename: the kernel
// drops it when the run ends, however it ends (kill -9 too), so a temporary
// whose lock can be taken belongs to no live run. A pid in the name, asked with
// kill(pid, 0), could not tell a reused pid, nor a run on another machine
// sharing the folder or in another pid namespace, from the run that wrote it.
//
// Takes the lock of a temporary just created and makes sure it is still the
// file at its name: a cleaner may have locked and removed it in between.
bool lockOwn(int fd)
{
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return true;   // a file system without locks: the write goes on unguarded
    }
    struct stat own;
    return ::fstat(fd, &own) == 0 && own.st_nlink > 0;
}

// Removes a temporary when no live run holds its lock; true when it is gone.
bool removeUnowned(const QByteArray &nativePath)
{
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        // A link or something else that cannot be opened: not a run's temporary.
        return ::unlink(nativePath.constData()) == 0 || errno == ENOENT;
    }
    bool gone = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        // Locked by us now: still the file at the name (not one a new run
        // created after an earlier cleaner removed this one)?
        struct stat locked;
        struct stat named;
        if (::fstat(fd, &locked) == 0 && ::lstat(nativePath.constData(), &named) == 0
            && locked.st_dev == named.st_dev && locked.st_ino == named.st_ino)
            gone = ::unlink(nativePath.constData()) == 0;
        else
            gone = locked.st_nlink == 0;
    } else if (errno != EWOULDBLOCK && errno != EINTR) {
        // A file system without locks: as before locks, the temporary is taken
        // for a leftover.
        gone = ::unlink(nativePath.constData()) == 0 || errno == ENOENT;
    }
    ::close(fd);
    return gone;
}

} // namespace

QString busyMessage()
{
    return QStringLiteral("另一個作業正在寫入這個檔案，請待其完成後再試");
}

QString temporaryPath(const QString &path)
{
    return path + Suffix;
}

bool isTemporaryName(QStringView fileName)
{
    return fileName.size() > Suffix.size() && fileName.endsWith(Suffix, Qt::CaseInsensitive);
}

bool writeAll(int fd, QByteArrayView content, QString *error)
{
    const char *data = content.data();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = qt_error_string(errno);
            return false;
        }
        if (n == 0) {   // not expected of a file; never loop on it
            *error = qt_error_string(EIO);
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

void syncFolder(const QString &directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool write(const QString &path, QByteArrayView content, QString *error, const Check &check, FolderSync folderSync)
{
    const QString temporary = temporaryPath(path);
    const QByteArray nativeTemporary = QFile::encodeName(temporary);
    const QByteArray nativePath = QFile::encodeName(path);

    // The temporary is created (O_EXCL: never a link planted there) and locked
    // before a byte is written. One that is there already is removed only when
    // no live run holds its lock; another run writing this very file makes this
    // write fail, leaving that run's temporary alone.
    int fd = -1;
    for (int attempt = 0; attempt < 3 && fd < 0; ++attempt) {
        fd = ::open(nativeTemporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno != EEXIST) {
                *error = failure(path, errno);
                return false;
            }
            if (!removeUnowned(nativeTemporary)) {
                *error = QStringLiteral("%1: %2").arg(path, busyMessage());
                return false;
            }
            continue;
        }
        if (!lockOwn(fd)) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0) {
        *error = QStringLiteral("%1: %2").arg(path, busyMessage());
        return false;
    }

    // A file that is replaced keeps its permissions.
    struct stat older;
    if (::stat(nativePath.constData(), &older) == 0)
        ::fchmod(fd, older.st_mode & 07777);

    QString reason;
    bool ok = writeAll(fd, content, &reason);
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        reason = qt_error_string(errno);
    }
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = qt_error_string(errno);
    }
    // The file is checked where it lies, before it takes the name: one the check
    // refuses never stands under the name, and an older file keeps it.
    if (ok && check && !check(temporary, &reason))
        ok = false;
    if (ok && ::rename(nativeTemporary.constData(), nativePath.constData()) != 0) {
        ok = false;
        reason = qt_error_string(errno);
    }
    if (!ok) {
        ::unlink(nativeTemporary.constData());
        *error = QStringLiteral("%1: %2").arg(path, reason);
        return false;
    }
    // Makes the rename itself durable (or the caller does, once for its batch).
    if (folderSync == FolderSync::Now)
        syncFolder(QFileInfo(path).absolutePath());
    return true;
}

int removeStale(const QString &directory)
{
    const QDir dir(directory);
    int removed = 0;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString &name : names) {
        if (isTemporaryName(name) && removeUnowned(QFile::encodeName(dir.filePath(name))))
            ++removed;
    }
    return removed;
}

} // namespace WholeFileWriter
