#include "db/save_history.h"

#include "db/cached_dataset.h"
#include "db/change_operation.h"
#include "db/change_values.h"
#include "db/declaration_kind.h"
#include "db/schema.h"

#include <QMap>
#include <map>
#include <memory>
#include <tuple>

namespace {

const DeclarationKind *kindOf(const TableDef *table)
{
    if (!table)
        return nullptr;
    for (const DeclarationKind *kind : DeclarationKind::all()) {
        if (kind->table().compare(table->name, Qt::CaseInsensitive) == 0)
            return kind;
    }
    return nullptr;
}

// A field of a row: the dataset's field, else its parameter of that name (as
// the update statements bind it).
ChangeValues::Lookup lookupIn(const CachedDataset &rows, const QVariantList &values)
{
    return [&rows, values](const QString &field) {
        const int index = rows.fieldIndex(field);
        return index >= 0 ? values.value(index) : rows.param(field);
    };
}

using MonthKey = std::tuple<QString, int, int>;   // institution, year, month

} // namespace

namespace SaveHistory {

bool record(const CachedDataset &rows, ChangeOperation::Kind operationKind, QString *error)
{
    const TableDef *table = rows.updateTable();
    const DeclarationKind *kind = kindOf(table);
    if (!kind || !ChangeOperation::recording())
        return true;

    std::map<MonthKey, std::unique_ptr<ChangeOperation>> operations;
    auto operationOf = [&](const ChangeValues::Lookup &value) -> ChangeOperation & {
        const MonthKey month{value(QStringLiteral("BANK_CODE")).toString().trimmed(),
                             value(QStringLiteral("M_YEAR")).toInt(), value(QStringLiteral("M_MONTH")).toInt()};
        auto &operation = operations[month];
        if (!operation)
            operation = std::make_unique<ChangeOperation>(rows.connectionName(), operationKind, *kind,
                                                          std::get<0>(month), std::get<1>(month), std::get<2>(month));
        return *operation;
    };

    for (const CachedRow &row : rows.storedRows()) {
        if (!row.isChanged())
            continue;
        const auto before = lookupIn(rows, row.original());
        const auto after = lookupIn(rows, row.values());
        const bool was = row.status() != CachedRow::Status::Inserted;
        const bool is = row.status() != CachedRow::Status::Deleted;
        const QString oldKey = was ? ChangeValues::keyOf(*table, before) : QString();
        const QString newKey = is ? ChangeValues::keyOf(*table, after) : QString();
        const QString oldValues = was ? ChangeValues::valuesOf(*table, before) : QString();
        const QString newValues = is ? ChangeValues::valuesOf(*table, after) : QString();
        if (was && is && oldKey == newKey) {
            if (oldValues != newValues)
                operationOf(after).addRow(newKey, oldValues, newValues);
            continue;
        }
        if (was)
            operationOf(before).addRow(oldKey, oldValues, QString());
        if (is)
            operationOf(after).addRow(newKey, QString(), newValues);
    }
    for (auto &[month, operation] : operations) {
        if (!operation->write(error))
            return false;
    }
    return true;
}

} // namespace SaveHistory
