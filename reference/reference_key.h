#pragma once

#include "db/database.h"

#include <QString>
#include <optional>

// Look-ups of the codes a reference table (BN01, CD01) is keyed on.
namespace ReferenceKey {

// Whether `table` holds a row whose `field` is `code`; nullopt and *error when
// the engine failed. The maintenance windows' duplicate check.
std::optional<bool> isStored(const QString &table, const QString &field, const QString &code, QString *error,
                             const QString &connectionName = Database::connectionName());

} // namespace ReferenceKey
