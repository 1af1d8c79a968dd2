#pragma once

#include "common/decimal4.h"
#include "interchange/field_reading.h"

#include <QByteArrayView>
#include <QMap>
#include <QList>
#include <QString>
#include <QVariantMap>

class DeclarationKind;
struct DeclarationField;

// Where one field stands in a line: the kind's own layout, or what a schema
// file says (SchemaFile::parse).
struct FieldLayout
{
    QString name;    // table field name
    int offset = 0;  // 0-based
    int width = 0;

    friend bool operator==(const FieldLayout &, const FieldLayout &) = default;
};

// Reads one line of a declaration file into the values of one table row.
//
// Every field is taken from its offset and width; what stands beyond the last
// field is not read. The line is refused, with its number and the field, when
// it is shorter than its fields, holds a byte that is not printable ASCII, has
// a year (1-999) or month (1-12) out of range or not a number, a number field
// that is not a number, an empty text field, or a text wider than its table
// column. A line is never taken half-read: either every value or an error.
//
// Readings: year and month as decimal integers; BANK_CODE and BANK_CODE1
// "ABC0000" -> "ABC"; other text fields as read (trailing blanks are not
// significant); numbers divided by their factor (1000 for the amount of a "p"
// account, decided on ACC_CODE as read) and rounded half to even to four
// decimals.
class RecordReader
{
public:
    struct Result
    {
        // Table field name -> value: QString for text fields, int for M_YEAR and
        // M_MONTH, double for numbers (the exact four-decimal value).
        QVariantMap values;
        QMap<QString, Decimal4> numbers;    // the number fields, exact (one or two: a map is cheaper than a hash)
        int lineNo = 0;
        QString field;                      // the refused field (empty for the whole line)
        QString error;                      // "第 3 行 AMT 欄位: ..."; empty on success
        bool ok() const { return error.isEmpty(); }
    };

    // The kind's own layout.
    explicit RecordReader(const DeclarationKind &kind);
    // A layout from a schema file; it must name every field of the kind once
    // (SchemaFile::parse guarantees it).
    RecordReader(const DeclarationKind &kind, const QList<FieldLayout> &layout);

    // The kind's own layout for each field, in the kind's order.
    static QList<FieldLayout> standardLayout(const DeclarationKind &kind);

    // One line, with or without its line end (CR LF, LF or CR); lineNo counts from 1.
    Result read(QByteArrayView line, int lineNo) const;
    // The same reading into `fields` (one per field of the kind, in its order),
    // the texts viewing `line`: a file read line by line allocates nothing for
    // the lines it takes. False with *field and *error set when refused.
    bool read(QByteArrayView line, int lineNo, FieldReading *fields, QString *field, QString *error) const;
    // The Result of a line read by the call above.
    Result resultOf(const FieldReading *fields, int lineNo) const;
    // The value a field's reading stands for in Result::values.
    static QVariant valueOf(const DeclarationField &field, const FieldReading &reading);
    static Result read(const DeclarationKind &kind, QByteArrayView line, int lineNo);

    const DeclarationKind &kind() const { return m_kind; }
    const QList<FieldLayout> &layout() const { return m_layout; }
    // The shortest line that holds every field.
    int requiredLength() const { return m_required; }

private:
    const DeclarationKind &m_kind;
    QList<FieldLayout> m_layout;   // in the kind's field order
    int m_required = 0;
};
