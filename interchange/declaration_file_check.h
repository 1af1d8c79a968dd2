#pragma once

#include "common/decimal4.h"
#include "common/small_int.h"
#include "common/period.h"
#include "interchange/record_reader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QList>
#include <QString>
#include <QVariantMap>

class DeclarationKind;

// The checks of a whole declaration file, as the import makes them before it
// touches anything, and what they read. The import, the export's read-back of a
// file it wrote and `velq8-cli verify` all go through here, so a file one of
// them accepts the others accept too.
//
//  - the year and month come from the name (characters 11 to 13 and 14 to 15 of
//    the name without directory and extension); the first line's must be those,
//    and so must those of every line that is read;
//  - the layout is the kind's own (its fields' offsets and widths);
//  - a line whose institution field is blank is skipped without a message (a
//    wholly blank line counts as one);
//  - every other line is exactly the kind's record (no two kinds have records
//    of one length, so a file of another kind is refused here, whatever its
//    digits would read as) and holds every field (printable ASCII, numbers
//    that are numbers, year 1-999, month 1-12, texts that fit their columns,
//    codes without a blank inside);
//  - the name's year and month are in range too (a name of year 000 is
//    reported as such, not as a mismatch with its lines);
//  - a repeated key keeps its first line or refuses the file, as the kind says
//    (DeclarationImport::repeats);
//  - a kind that stores the line number (B01's SERIAL, a small integer) takes
//    no line beyond MaxLineNumber.
// A DOS end-of-file mark (0x1A) as the very last byte is not a line; anywhere
// else it is a byte that is not printable and refuses its line.
class DeclarationFileCheck
{
public:
    enum class Status {
        Ok,
        OpenFailed,      // no file given, or it could not be read
        MonthMismatch,   // the name has no period, or a line has another one
        FormatError,     // a line could not be read, or the file is no declaration file
    };

    // What check() keeps of the lines it takes: rows of values, as the import
    // stores them, or only the readings, as a comparison needs them.
    enum class Content { Rows, Readings };

    // A line as the import takes it.
    struct Row
    {
        QVariantMap values;                 // as RecordReader reads them
        QMap<QString, Decimal4> numbers;    // the number fields, exact
        int lineNo = 0;                     // 1-based, counting skipped lines
    };

    struct Result
    {
        Status status = Status::OpenFailed;
        QString detail;      // the line and field and why; empty when Ok
        int lineNo = 0;      // the offending line, if any
        QString field;       // the offending field, if any

        Period period;       // from the name
        int lines = 0;       // lines in the file
        QList<Row> rows;     // the lines taken, in file order (Content::Rows)
        // With Content::Readings instead: the fields of every line taken, the
        // kind's fields().size() a line, in file order, texts viewing the bytes
        // checked; and each of those lines' number.
        QList<FieldReading> readings;
        QList<int> readingLines;
        QString bankCode;    // BANK_CODE of the last line taken

        bool ok() const { return status == Status::Ok; }
    };

    // A declaration file is small (a county file of every county and account is
    // well under a megabyte): anything far larger is not one, and is not loaded.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
    // The line number is stored as a small integer (SERIAL).
    static constexpr int MaxLineNumber = SmallInt::Max;

    // Loads the file at `path` into *bytes. False with *result's status and
    // detail set when there is no such file, it is too large or unreadable.
    static bool load(const QString &path, QByteArray *bytes, Result *result);

    // Checks `bytes` as a file of the kind named `baseName` (without directory
    // and extension).
    static Result check(const DeclarationKind &kind, const QString &baseName, QByteArrayView bytes,
                        Content content = Content::Rows);

    // load() and check() of the file at `path`, named as it is; *bytes (when
    // given) receives what was read, which Content::Readings view.
    static Result checkFile(const DeclarationKind &kind, const QString &path, QByteArray *bytes = nullptr,
                            Content content = Content::Rows);

    // One line as the import takes it: the record reader's reading, and in
    // addition a code or flag with a blank before its last character (" 1234",
    // "AB 0000") is refused, since no stored code has one and it could not be
    // written back as read.
    static RecordReader::Result readRecord(const RecordReader &reader, QByteArrayView line, int lineNo);
    // The same into `fields` (RecordReader::read's readings); false with *field
    // and *error set when refused.
    static bool readRecord(const RecordReader &reader, QByteArrayView line, int lineNo, FieldReading *fields,
                           QString *field, QString *error);
};
