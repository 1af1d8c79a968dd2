#pragma once

#include "common/period.h"
#include "db/database.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class DeclarationKind;

// The export of one month's declaration files: one file per chosen kind, in the
// fixed order B01, B02, B05, B03, B04, into one directory.
//
// For each kind it selects the month's rows (every institution stored for the
// month), names the file after the declaring institution, and
//  - no rows: writes nothing, reports the kind's no-rows message;
//  - a file of that name exists: asks confirmOverwrite(entry path); No keeps it;
//  - otherwise renders every line first, then writes them whole or not at all
//    (WholeFileWriter: a temporary file beside it, synced, then renamed into
//    place). Before the rename the temporary is read back from the disk as the
//    import reads it and compared with the rows (ReadBackCheck); its SHA-256
//    fingerprint is taken from those bytes. A value that does not fit its
//    field, a database error, a file that cannot be written (missing or
//    read-only folder, full disk) or one that does not read back as its rows
//    leaves nothing under the name (an older file of the name stays as it
//    was), reports the kind's writing-failed message with the row, the line or
//    the system's reason, and ends the export: the kinds after it are not
//    processed.
// Each file written is recorded (ExportRecord) in a write transaction that
// begins once it reads back and commits after the rename: a record that cannot
// be written fails the kind before the rename, as a write would; a commit
// that fails after it (rare: the record was written already) leaves the file
// and fails the kind with recordFailedMessage(), so no file is reported
// written without its record.
// Before the first kind, the temporaries of an export that was killed midway
// in that folder are deleted.
// After each kind that did not fail, leftover files of an interrupted import
// (entry + ".TXT" and ".SCH", names compared without regard to case) are
// deleted. At the end, "匯出作業完成!!!" when at least one file was written,
// its detail naming each file written with its records and fingerprint.
//
// The engine shows nothing itself: it reports through the callbacks.
class ExportEngine
{
public:
    enum class Outcome {
        NotProcessed,   // not chosen, or not reached after a failure
        Written,
        NoRows,
        Kept,           // the file existed and the answer was No
        Failed,
    };

    struct Message
    {
        enum class Icon { None, Information, Warning };
        Icon icon = Icon::None;
        QString text;
        QString detail;                           // e.g. the row that did not fit
        const DeclarationKind *kind = nullptr;    // the kind it is about, if any
        Outcome outcome = Outcome::NotProcessed;  // what happened to that kind
        QString entryPath;                        // that kind's entry, if any
    };

    struct Request
    {
        Period period;
        QList<const DeclarationKind *> kinds;   // any order; each processed once
        QString directory;
        QString institutionCode;                // the declaring institution (BANK_NO)
        QString connectionName = Database::connectionName();
        // Asked with the entry path when its file exists; true replaces it.
        std::function<bool(const QString &entryPath)> confirmOverwrite;
        // Receives every message in order.
        std::function<void(const Message &)> report;
        // Called with the written temporary before it is read back. Tests alter
        // the file there, as a medium that does not keep what it was given
        // would, to prove that such a file never takes the name.
        std::function<void(const QString &writtenFile)> beforeReadBack;
    };

    struct KindResult
    {
        Outcome outcome = Outcome::NotProcessed;
        QString entryPath;
        int lines = 0;          // the records written
        QString fingerprint;    // of the file written (FileFingerprint); else empty
    };

    struct Result
    {
        QHash<int, KindResult> kinds;   // by DeclarationKind::Id
        bool anyWritten = false;
        bool failed = false;
        KindResult of(const DeclarationKind &kind) const;
    };

    static QString completedMessage();      // "匯出作業完成!!!"
    static QString nothingChosenMessage();  // "沒有選擇任何欲傳送的資料 !!!"
    // The question before replacing an existing file.
    static QString overwriteQuestion(const QString &entryPath);
    // A file written, as the completion message names it:
    // "/out/B01ABC000008805  3 筆  SHA-256 9f86d081...".
    static QString writtenFileLine(const KindResult &written);
    // The detail when a file's record (ExportRecord) cannot be kept.
    static QString recordFailedMessage(const QString &reason);

    // The entry of a kind: directory, "/" unless the root, base name.
    static QString entryPath(const QString &directory, const DeclarationKind &kind,
                             const QString &institutionCode, const Period &period);

    static Result run(const Request &request);
};
