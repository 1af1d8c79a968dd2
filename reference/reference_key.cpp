#include "reference/reference_key.h"

#include "db/stored_rows.h"

namespace ReferenceKey {

std::optional<bool> isStored(const QString &table, const QString &field, const QString &code, QString *error,
                             const QString &connectionName)
{
    const QString statement = QStringLiteral("Select * from %1 Where %2=:%2 ").arg(table, field);
    return StoredRows::any(statement, {{field, code}}, error, connectionName);
}

} // namespace ReferenceKey
