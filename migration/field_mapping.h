#pragma once

#include "db/schema.h"
#include "migration/dbf_field.h"

#include <QList>
#include <QStringList>

// Which field of an old table feeds each field of the new one: the field of the
// same name, whatever its case. A field of the new table that the file lacks
// gets its absent value; a field of the file that the new table lacks is not
// read. A missing key field refuses the file, since no row of it could be told
// from another.
class FieldMapping
{
public:
    static bool build(const TableDef &table, const QList<DbfField> &fileFields, FieldMapping *mapping,
                      QString *error);

    // The file's field for the table's field at `index`; nullptr when missing.
    const DbfField *source(qsizetype index) const { return m_sources.at(index); }
    QStringList missing() const { return m_missing; }
    QStringList extra() const { return m_extra; }

private:
    QList<const DbfField *> m_sources;
    QStringList m_missing;
    QStringList m_extra;
};
