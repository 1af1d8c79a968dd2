#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

struct TableDef;

// The key a line of an operation of the history holds (ChangePack): the row's
// key (ChangeValues) without the fields the operation records once for all its
// rows, its year and month and its institution where it names one, when the
// row's own values of them are the operation's, as every row of a month's
// save, import or delete has them. They are most of what a key repeats from
// line to line: left out, an operation packs and stores less.
//
// A row whose values of them differ keeps its whole key. A reader tells the
// two apart by their count of parts (separators inside texts are escaped, so
// the count is exact) and puts the operation's values back (whole()).
class ChangeLineKey
{
public:
    ChangeLineKey(const TableDef &table, const QString &institution, int year, int month);

    // The key's fields, in order; of each, whether it is one of the
    // operation's, its text as ChangeValues writes it (null where it is not
    // one of them) and its value (to bind in a condition).
    int fieldCount() const { return int(m_ownTexts.size()); }
    bool isOwn(int field) const { return !m_ownTexts.at(field).isNull(); }
    const QString &ownText(int field) const { return m_ownTexts.at(field); }
    const QVariant &ownValue(int field) const { return m_ownValues.at(field); }
    // Whether a row's value of an own field is the operation's: ChangeValues
    // would write it as ownText(), which this tells without writing it.
    bool matches(int field, const QVariant &value) const;
    // How many fields a line leaves out when it leaves them out.
    int ownCount() const { return m_ownCount; }

    // The whole key of a line's key text: the text itself when it is whole
    // (or of no shape this operation writes).
    QString whole(const QString &lineKey) const;

private:
    QStringList m_ownTexts;
    QList<int> m_kinds;   // ChangeValues::Kind of each field
    QString m_institution;   // as a row's text field compares to it
    QList<qint64> m_numbers; // each field's own number (the year, the month), else 0
    QList<QVariant> m_ownValues;
    int m_ownCount = 0;
};
