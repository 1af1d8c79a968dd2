#pragma once

#include <QByteArray>
#include <QString>

// Reads a file the user named, whole, when it is a regular file of a bounded
// size. A device (/dev/zero), a pipe or a folder is never read: it may never end,
// and a pipe would block the open itself. The size is checked before reading and
// again while reading, so a file that grows meanwhile is refused as well.
namespace BoundedFile {

enum class Fault {
    None,
    Missing,      // no such file
    NotRegular,   // a folder, a device, a pipe
    TooLarge,     // more than the limit
    Unreadable,   // the system refused to open or read it
};

struct Reading
{
    Fault fault = Fault::None;
    QByteArray bytes;   // the whole file when fault is None
    qint64 size = 0;    // bytes found (at least the limit + 1 when TooLarge)
    QString reason;     // the system's reason (Missing, Unreadable)
};

Reading read(const QString &path, qint64 maxSize);

} // namespace BoundedFile
