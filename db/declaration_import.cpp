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

namespace {

QString monthCondition(const DeclarationImport &rule)
{
    return QStringLiteral("BANK_CODE = :%1 and M_YEAR = :%2 and M_MONTH = :%3")
        .arg(rule.institutionParam, rule.yearParam, rule.monthParam);
}

} // namespace

QString DeclarationImport::monthCountStatement(const QString &table) const
{
    return QStringLiteral("select count(*) from %1 where %2").arg(table, monthCondition(*this));
}

QString DeclarationImport::monthDeleteStatement(const QString &table) const
{
    return QStringLiteral("delete from %1 where %2").arg(table, monthCondition(*this));
}
