#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

struct TableDef;

// The fields of a dataset's statement: their names, and of each its kind and
// width, and how a value is held in the cache and bound to a statement.
//
// The kind of a field comes from the schema of the table the dataset writes
// (setUpdateTable) where that table has the field, else from the type the
// engine gave the statement's column; only a schema text field has a width
// (bytes of Big5). Values are normalised on the way into the cache (a number
// typed as text becomes a number) so that an edit back to the loaded value is
// no change, and bound on the way out in the form the table keeps ('' for an
// unset text, ISO dates).
class FieldKinds
{
public:
    enum class Kind { Unknown, Integer, Float, Text, Date };

    FieldKinds() = default;
    // `columnTypes` are QMetaType ids, one per field, as the statement's record gives them.
    FieldKinds(const QStringList &names, const QList<int> &columnTypes);
    // The table whose schema decides the kinds and widths of the fields it has;
    // nullptr: the column types alone.
    void useTable(const TableDef *table);
    const TableDef *table() const { return m_table; }

    int count() const { return int(m_names.size()); }
    const QStringList &names() const { return m_names; }
    QString name(int field) const { return m_names.value(field); }
    // Case-insensitive; -1 when there is none. Of a repeated name, the first.
    int indexOf(const QString &name) const { return m_index.value(name.toUpper(), -1); }

    Kind kind(int field) const { return m_kinds.value(field, Kind::Unknown); }
    bool isNumber(int field) const;
    int width(int field) const { return m_widths.value(field, 0); }

    // The value as the cache keeps it: numbers as numbers (a blank is NULL), a
    // date as ISO text, text as text. What cannot be read is kept as given,
    // for the table to refuse when it is written.
    QVariant normalized(int field, const QVariant &value) const;
    // The value as a statement binds it: an unset text as '', never NULL.
    QVariant bindable(int field, const QVariant &value) const;
    // Why a text cannot go into the field (Big5Text::refusal: a character Big5
    // lacks, or too wide in Big5 bytes), or an empty string when it can or the
    // field has no width.
    QString textRefusal(int field, const QString &text) const;
    // What a user typed into a cell of the field, as the value to keep
    // (*stored); false and *why when it cannot be kept: a number that is not
    // one, an integer outside 16 bits, a text the field cannot hold. `asNumber`
    // reads the input as a number whatever the kind (a column with a number
    // picture).
    bool fromInput(int field, const QVariant &input, bool asNumber, QVariant *stored, QString *why) const;

    // NULL, invalid or a null string.
    static bool isNull(const QVariant &value);

private:
    void refreshKinds();

    QStringList m_names;
    QHash<QString, int> m_index;   // key: upper-case name
    QList<int> m_columnTypes;
    const TableDef *m_table = nullptr;
    QList<Kind> m_kinds;
    QList<int> m_widths;
};
