#pragma once

#include "db/database.h"

#include <QString>
#include <QVariantMap>
#include <optional>

// Questions a window asks the database about stored rows, answered here so that
// no window runs a statement itself. Each answer is true or false, or nullopt
// when the engine failed (*error then holds its message, for the window to say).
namespace StoredRows {

// Whether `statement` selects any row, its named parameters bound from `params`
// (names without ':'). A row tab's duplicate check hands its statement here.
std::optional<bool> any(const QString &statement, const QVariantMap &params, QString *error,
                        const QString &connectionName = Database::connectionName());

// Whether the declaration table holds rows of the period, of any institution.
std::optional<bool> ofPeriod(const QString &table, int year, int month, QString *error,
                             const QString &connectionName = Database::connectionName());

} // namespace StoredRows
