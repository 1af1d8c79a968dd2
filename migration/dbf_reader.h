#pragma once

#include "migration/dbf_field.h"
#include "migration/dbf_record.h"

#include <QFile>
#include <QList>
#include <QString>

// Reads a dBASE table (.dbf): a 32-byte header (record count, header length,
// record length), 32-byte field descriptors ended by 0x0D, then fixed-length
// records, each starting with its flag byte (' ' active, '*' deleted). This is
// the layout of dBASE III and of the versions after it that kept it (dBASE IV,
// FoxPro); dBASE 7, whose descriptors are longer, is refused.
//
// The old program wrote a record before it raised the header's count, so a run
// of it that crashed mid-append leaves records beyond the count. They are read
// too, up to the end-of-file mark (0x1A, or a NUL of padding, where a record
// would start) or the end of the file: each whole one as a record, numbered on
// from the counted ones; a last one cut short is not handed out but told by
// cutRecordBytes().
//
// The reader hands out the bytes of each field exactly as stored: no trimming,
// no code page. The old tables hold Big5 text, and only the caller knows how a
// field is to be read.
class DbfReader
{
public:
    // Opens the file and checks that its header and size agree with each other:
    // a table cut short is refused here, before any record is read.
    bool open(const QString &path, QString *error);

    const QList<DbfField> &fields() const { return m_fields; }
    // The records the header counts.
    int recordCount() const { return m_recordCount; }
    // Whole records read so far beyond the header's count.
    int recordsBeyondCount() const { return qMax(0, m_read - m_recordCount); }
    // After next() gave false without an error: the bytes of a record cut short
    // at the end of the file (0 when the file ended at a record's boundary), and
    // the number that record would have had.
    int cutRecordBytes() const { return m_cutBytes; }
    int cutRecordNumber() const { return m_read + 1; }
    int recordLength() const { return m_recordLength; }

    // The next record in stored order; false after the last one, or with *error
    // set when the file could not be read.
    bool next(DbfRecord *record, QString *error);

private:
    bool readHeader(QString *why);
    bool readFields(const QByteArray &header, QString *why);
    bool nextBeyondCount(DbfRecord *record);

    QFile m_file;
    QList<DbfField> m_fields;
    int m_recordCount = 0;
    int m_headerLength = 0;
    int m_recordLength = 0;
    int m_read = 0;
    int m_cutBytes = 0;
};
