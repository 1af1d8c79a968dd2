#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <functional>

// Writes a file whole or not at all, and leaves nothing behind that a later run
// cannot recognise. The bytes go to a temporary file beside the file, named after
// it with the suffix ".velq8-part"; it is written, flushed to the disk (fsync)
// and only then renamed over the file. A write that fails removes the temporary
// and leaves an older file of the name as it was. A write that is killed midway
// leaves only the temporary, which removeStale() deletes at the next export into
// that folder (the export does so). (A temporary of random name, as a removable FAT disk gets from
// QSaveFile, could never be told from the user's own files.)
//
// A run holds a lock (flock) on its temporary from creation to rename, and the
// kernel drops it when the run ends however it ends; only a temporary whose
// lock can be taken is removed, so two runs writing into one folder at once
// never remove each other's live temporaries. Two runs writing the same file at
// once: the second fails with busyMessage() and leaves the first's alone.
//
// Failures say the operating system's reason ("No space left on device", "File
// too large") whatever the size of the file and wherever the write stopped.
namespace WholeFileWriter {

// "/out/B01ABC000008805" -> "/out/B01ABC000008805.velq8-part".
QString temporaryPath(const QString &path);
// True for the name (without directory) of such a temporary.
bool isTemporaryName(QStringView fileName);

// The reason write() gives when another live run is writing the same file.
QString busyMessage();

// Looks at the temporary once it is written, synced and closed, before it is
// renamed over the file: false + *reason stops the write there.
using Check = std::function<bool(const QString &temporaryPath, QString *reason)>;

// Whether write() makes its rename durable at once by syncing the folder
// (Now), or leaves that to one syncFolder() after a batch of files (Later), so
// that several files written into one folder cost one folder sync.
enum class FolderSync { Now, Later };

// Writes `content` as the file `path`. False + *error ("path: reason") when
// anything fails or `check` refuses the temporary; then the file is as it was
// before and no temporary is left.
bool write(const QString &path, QByteArrayView content, QString *error, const Check &check = {},
           FolderSync folderSync = FolderSync::Now);

// Makes the renames of the writes done into `directory` with FolderSync::Later
// durable: one sync of the folder. A folder that cannot be opened or synced
// (some file systems refuse it) leaves the files written all the same.
void syncFolder(const QString &directory);

// Writes every byte to an open file descriptor, going on after a partial write
// and an interrupted call. False + *error (the system's reason) when the system
// refuses a write.
bool writeAll(int fd, QByteArrayView content, QString *error);

// Deletes the temporaries left in a folder by writes that never finished (no
// live run holds their lock); the number deleted.
int removeStale(const QString &directory);

} // namespace WholeFileWriter
