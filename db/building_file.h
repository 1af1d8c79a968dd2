#pragma once

#include "db/path_lock.h"

#include <QString>

// The temporary file a new database is built in: "<target>.new-XXXXXX" beside
// its target (so that the rename stays on one file system), with SQLite's
// "<temporary>-journal" beside it while it is written, renamed into place when
// it is whole. The run holds a PathLock on it all the while.
//
// Every build sweeps first (sweepAbandoned): a temporary whose lock can be
// taken belongs to a run that ended before its rename (killed, crashed, the
// machine stopped) and is removed with its journal; one whose lock is held
// belongs to a live run, the window's first start or another init, and is left
// alone. Only names of exactly this shape are touched.
class BuildingFile
{
public:
    explicit BuildingFile(const QString &target) : m_target(target) {}
    ~BuildingFile() { remove(); }
    BuildingFile(const BuildingFile &) = delete;
    BuildingFile &operator=(const BuildingFile &) = delete;

    // Creates the empty temporary and takes its lock. False with *detail when
    // the folder does not take a new file.
    bool create(QString *detail);
    QString path() const { return m_path; }
    // Renames the temporary to the target, never replacing a file that has
    // the name meanwhile; the lock goes with it.
    bool rename(QString *detail);
    // Removes the temporary and its journal (nothing once renamed).
    void remove();

    static void sweepAbandoned(const QString &target);
    // Whether a file name is one of a build of the target's name: a temporary,
    // or its journal when `journal` is set.
    static bool isTemporaryName(const QString &name, const QString &targetName, bool journal);

private:
    QString m_target;
    QString m_path;
    PathLock m_lock;
};
