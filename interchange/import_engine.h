#pragma once

#include "common/period.h"
#include "db/database.h"
#include "db/name_list.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

class CachedDataset;
class DeclarationKind;
class ReferenceLists;

// The import of one declaration file into the declaration table of its kind.
//
// The file is read where it is and never renamed, moved, changed or deleted,
// and nothing is written beside it: the schema that describes it is built and
// parsed in memory, so an import that is interrupted leaves no file behind and
// one from a read-only medium works the same.
//
// The whole file is read and checked before anything else happens
// (DeclarationFileCheck: the name's month, the layout, blank institutions
// skipped, repeated keys). A file that fails any of this changes nothing:
// neither the table nor the target dataset.
//
// Then the target dataset (the tab's own dataset) gets the statement of the
// kind that selects no rows, and the file's rows are appended to it with the
// fields the kind adds (line number, account, institution and county names,
// bills code labels). Then one write transaction (WriteTransaction; the
// connection must not be in one already) holds the write lock from the look-up
// of the rows stored for the institution (the converted BANK_CODE of the last
// line that had one) and the name's month to the last insert. Another
// institution the file names must have nothing stored for the month (its rows
// are added, never replaced): else nothing is written and the result says
// which line and what to do. When nothing is stored the target's rows are
// applied, otherwise confirmReplace() decides (without it the answer is No):
// Yes deletes the stored rows and inserts the file's rows, both or neither; No
// discards the rows read and writes nothing. An import of the same month in
// another process meanwhile waits for the connection's busy timeout, then sees
// this one's rows (or fails, saying the database is in use). A failure of the
// database leaves the table as it was and the target dataset without the rows
// read.
//
// The engine shows nothing and asks nothing itself: the question is a callback,
// everything else is in the result.
class ImportEngine
{
public:
    enum class Status {
        Done,            // the file's rows are stored (there may be none)
        OpenFailed,      // no file given, or it could not be read
        MonthMismatch,   // the name's year/month differ from the data's
        FormatError,     // a line could not be read; nothing written
        Declined,        // the month is stored and the answer was No
        DatabaseError,   // the engine refused, or another institution the file
                         // names has the month stored; the table is as it was
    };

    // The display texts the appended rows carry, by reference table, each keyed
    // by code without trailing blanks and holding the finished text ("11000  現金").
    struct Lookups
    {
        QMap<NameList, QHash<QString, QString>> names;

        // The tables the kind's rows need, one query each; false + *error on failure.
        static bool load(const DeclarationKind &kind, const QString &connectionName,
                         Lookups *out, QString *error);
        // The same texts from the lists the application keeps open; a list that
        // is not open is read from the database. False + *error on failure.
        static bool load(const DeclarationKind &kind, ReferenceLists &lists, Lookups *out, QString *error);
    };

    struct Request
    {
        QString file;                                // the user's file, any name
        const DeclarationKind *kind = nullptr;
        CachedDataset *target = nullptr;             // the tab's dataset
        QString connectionName = Database::connectionName();
        // Asked when rows of the institution and month are stored; true replaces
        // them. Without a callback the answer is No.
        std::function<bool()> confirmReplace;
        // Look-up texts; loaded from the database when not given.
        const Lookups *lookups = nullptr;
        // Called with true before the stored rows are changed and with false
        // after (the windows show the wait cursor).
        std::function<void(bool busy)> busy;
    };

    struct Result
    {
        Status status = Status::OpenFailed;
        QString detail;            // the line and field, the engine's message, ...
        int lineNo = 0;            // the offending line (format errors, mismatches)
        QString field;             // the offending field, if any

        Period period;             // from the name
        QString bankCode;          // the institution looked up
        int lines = 0;             // lines in the file
        int rowsRead = 0;          // rows appended to the target
        int storedRows = 0;        // rows that were stored for the month
        bool replaced = false;     // stored rows were found and replaced

        bool ok() const { return status == Status::Done; }
        // No stored rows were found and no line was added: the target is empty.
        bool nothingImported() const { return ok() && !replaced && rowsRead == 0; }
    };

    static Result run(const Request &request);

    static QString formatErrorMessage();     // "檔案格式有誤,請查明 !!!"
    static QString monthMismatchMessage();   // "檔名規則與資料內容不符,請查明再進行匯入!!!!!!"
    static QString replaceQuestion();        // "資料已存在是否確定修改!!!"
    static QString completedMessage();       // "匯入作業完成!!!"
    static QString nothingFoundMessage();    // "查無任何符合資料!!!"
    static QString openFailedMessage();      // "無法讀取匯入檔案 !!!"
};
