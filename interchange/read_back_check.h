#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariantList>

class DeclarationKind;

// The export's proof that a file it wrote says what its rows say. The file is
// read as it lies on the disk, through the import's own checks
// (DeclarationFileCheck) under the name it is to carry, and every record is
// compared with the row it was rendered from, field by field, as the format
// tells values apart: codes with their padding ("ABC" is "ABC0000"), texts
// without trailing blanks, amounts to four decimals. Then the bytes read must
// be the bytes rendered, which catches what the reading does not look at (line
// ends, text beyond the last field).
//
// Anything else fails it: a line the import refuses or skips, a record missing
// or too many, a value that differs. The reason names the line and field.
class ReadBackCheck
{
public:
    // rows: the values of each line's row in the kind's field order, in the
    // order of the lines; rendered: the bytes written. Both must outlive check().
    ReadBackCheck(const DeclarationKind &kind, const QString &baseName, const QList<QVariantList> &rows,
                  QByteArrayView rendered);

    // Reads the file at `path` and compares it; false + *reason on a difference.
    bool check(const QString &path, QString *reason);

    // The fingerprint of the bytes the last check() read (FileFingerprint).
    QString fingerprint() const { return m_fingerprint; }

private:
    QString compareRecords(QByteArrayView bytes) const;
    QString compareBytes(QByteArrayView bytes) const;

    const DeclarationKind &m_kind;
    QString m_baseName;
    const QList<QVariantList> &m_rows;
    QByteArrayView m_rendered;
    QString m_fingerprint;
};
