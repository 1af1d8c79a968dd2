#include "migration/field_mapping.h"

bool FieldMapping::build(const TableDef &table, const QList<DbfField> &fileFields, FieldMapping *mapping,
                         QString *error)
{
    FieldMapping m;
    auto fileField = [&](const QString &name) -> const DbfField * {
        for (const DbfField &f : fileFields) {
            if (f.name.compare(name, Qt::CaseInsensitive) == 0)
                return &f;
        }
        return nullptr;
    };
    for (const FieldDef &f : table.fields) {
        const DbfField *source = fileField(f.name);
        if (!source) {
            if (table.key.contains(f.name)) {
                *error = QStringLiteral("缺少鍵欄位 %1").arg(f.name);
                return false;
            }
            m.m_missing << f.name;
        } else if (!source->isReadable()) {
            *error = QStringLiteral("欄位 %1 的型別 %2 無法轉換").arg(source->name, QChar::fromLatin1(source->type));
            return false;
        }
        m.m_sources << source;
    }
    for (const DbfField &f : fileFields) {
        if (!table.field(f.name))
            m.m_extra << f.name;
    }
    *mapping = std::move(m);
    return true;
}
