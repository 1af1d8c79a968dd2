#include "common/whole_file_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace WholeFileWriter {

namespace {

const QString Suffix = QStringLiteral(".velq8-part");

QString failure(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, qt_error_string(error));
}

// Makes the rename itself durable; a folder that cannot be opened or synced
// (some file systems refuse it) leaves the file written all the same.
void syncDirectory(const QString &directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

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

bool write(const QString &path, QByteArrayView content, QString *error, const Check &check)
{
    const QString temporary = temporaryPath(path);
    const QByteArray nativeTemporary = QFile::encodeName(temporary);
    const QByteArray nativePath = QFile::encodeName(path);

    // A temporary of an earlier write that never finished is ours to replace;
    // anything else of that name (a link planted there) is refused by O_EXCL.
    ::unlink(nativeTemporary.constData());
    const int fd = ::open(nativeTemporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = failure(path, errno);
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
    syncDirectory(QFileInfo(path).absolutePath());
    return true;
}

int removeStale(const QString &directory)
{
    const QDir dir(directory);
    int removed = 0;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString &name : names) {
        if (isTemporaryName(name) && QFile::remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
}

} // namespace WholeFileWriter
