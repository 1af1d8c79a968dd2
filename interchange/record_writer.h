#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

class DeclarationKind;

// Renders one table row of a declaration kind into its line: exactly the kind's
// record length, ASCII only, without the line end. A value that does not fit its
// field (too wide, not ASCII, not a number, year or month out of range, an empty
// code, a code with a blank before its last character) is refused with the field
// and the reason; nothing is cut or widened. What it writes, the import reads
// back as it was stored.
class RecordWriter
{
public:
    struct Result
    {
        QByteArray line;     // empty when refused
        QString field;       // the refused field
        QString error;       // why, in words for the user; empty on success
        bool ok() const { return error.isEmpty(); }
    };

    explicit RecordWriter(const DeclarationKind &kind);

    const DeclarationKind &kind() const { return m_kind; }

    // Values in the order of kind().fields().
    Result write(const QVariantList &values) const;
    // The same line appended to `lines` (a file being rendered), without a
    // QByteArray of its own; Result::line stays empty. A refused value leaves
    // `lines` as it was.
    Result appendTo(QByteArray &lines, const QVariantList &values) const;
    // Values by table field name (case-insensitive); a missing field is refused.
    Result write(const QVariantMap &row) const;

private:
    const DeclarationKind &m_kind;
};
