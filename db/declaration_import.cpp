#include "db/declaration_import.h"

QList<NameList> DeclarationImport::nameLists() const
{
    QList<NameList> lists;
    for (const AddedField &f : addedFields) {
        if (f.source == AddedField::Source::ReferenceName && !lists.contains(f.names))
            lists.append(f.names);
    }
    return lists;
}
