#pragma once

#include <QString>

// An exclusive lock (flock) on a file or folder that a run builds under a
// temporary name, held for as long as the run owns it. The kernel drops the
// lock when the run ends however it ends (a kill -9 included), so a later run
// that can take the lock knows that no live run owns the path and may remove
// it. A pid written into the name could not tell so much: a pid is reused by
// other programs, and on a shared folder another machine's pid means nothing
// here.
//
// Both ways of taking the lock check afterwards that the path still names the
// file or folder locked: a run that removed it in between (holding the lock
// itself) is noticed.
class PathLock
{
public:
    PathLock() = default;
    ~PathLock();
    PathLock(const PathLock &) = delete;
    PathLock &operator=(const PathLock &) = delete;

    // For the run that made the path: waits while another run holds the lock
    // (one sweeping leftovers holds it only for a moment). False when the path
    // is gone meanwhile or cannot be opened.
    bool hold(const QString &path);
    // For a run sweeping leftovers: true only when no one holds the lock, the
    // path then stays locked by this object until it is released or destroyed.
    bool tryHold(const QString &path);
    void release();
    bool isHeld() const { return m_fd >= 0; }

private:
    bool take(const QString &path, bool wait);

    int m_fd = -1;
};
