#include "common/bounded_file.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BoundedFile {

namespace {

Reading failed(Fault fault, int error)
{
    Reading r;
    r.fault = fault;
    r.reason = qt_error_string(error);
    return r;
}

} // namespace

Reading read(const QString &path, qint64 maxSize)
{
    // O_NONBLOCK: opening a pipe without a writer would otherwise wait for ever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(errno == ENOENT || errno == ENOTDIR ? Fault::Missing : Fault::Unreadable, errno);
    Reading r;
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        r = failed(Fault::Unreadable, errno);
    } else if (!S_ISREG(info.st_mode)) {
        r.fault = Fault::NotRegular;
    } else if (info.st_size > maxSize) {
        r.fault = Fault::TooLarge;
        r.size = info.st_size;
    } else {
        // One byte more than the limit tells a file that grew meanwhile.
        r.bytes.resize(qsizetype(info.st_size) + 1);
        qint64 got = 0;
        while (r.fault == Fault::None) {
            if (got == r.bytes.size()) {
                if (got > maxSize) {
                    r.fault = Fault::TooLarge;
                    break;
                }
                r.bytes.resize(qsizetype(std::min<qint64>(maxSize + 1, got * 2 + 4096)));
            }
            const ssize_t n = ::read(fd, r.bytes.data() + got, size_t(r.bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                r = failed(Fault::Unreadable, errno);
            else if (n == 0)
                break;
            else
                got += n;
        }
        r.size = got;
        if (r.fault == Fault::None)
            r.bytes.truncate(qsizetype(got));
        else
            r.bytes.clear();
    }
    ::close(fd);
    return r;
}

} // namespace BoundedFile
