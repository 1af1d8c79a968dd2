#include "db/save_history.h"

#include "db/cached_dataset.h"
#include "db/change_operation.h"
#include "db/change_values.h"
#include "db/declaration_kind.h"
#include "db/schema.h"

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

using MonthKey = std::tuple<QString, int, int>;   // institution, year, month

// Where each field of a key or values text is found in a row of the dataset:
// its field (by index), else its parameter of that name (as the update
// statements bind it). Worked out once per save, not once per row and field.
class RowTexts
{
public:
    RowTexts(const CachedDataset &rows, const TableDef &table)
    {
        for (const bool key : {true, false}) {
            for (const FieldDef *f : ChangeValues::fields(table, key)) {
                const int index = rows.fieldIndex(f->name);
                (key ? m_key : m_values).append({ChangeValues::kindOf(*f), index,
                                                 index >= 0 ? QVariant() : rows.param(f->name)});
            }
        }
        for (const char *name : {"BANK_CODE", "M_YEAR", "M_MONTH"}) {
            const int index = rows.fieldIndex(QLatin1String(name));
            m_month.append({ChangeValues::Kind::Other, index, index >= 0 ? QVariant() : rows.param(QLatin1String(name))});
        }
    }

    // The row's key (values) text into `out`, which keeps its room from row to
    // row: no allocation per row once it is large enough.
    void key(QString &out, const CachedRow &row, bool original) const { text(out, m_key, row, original); }
    void values(QString &out, const CachedRow &row, bool original) const { text(out, m_values, row, original); }
    MonthKey month(const CachedRow &row, bool original) const
    {
        return {value(m_month.at(0), row, original).toString().trimmed(), value(m_month.at(1), row, original).toInt(),
                value(m_month.at(2), row, original).toInt()};
    }

private:
    struct Field
    {
        ChangeValues::Kind kind;
        int index;        // in the dataset, -1: a parameter
        QVariant param;
    };

    static QVariant value(const Field &f, const CachedRow &row, bool original)
    {
        if (f.index < 0)
            return f.param;
        return original ? row.originalValue(f.index) : row.value(f.index);
    }

    static void text(QString &out, const QList<Field> &fields, const CachedRow &row, bool original)
    {
        out.resize(0);
        if (out.capacity() < 16 * fields.size())
            out.reserve(16 * fields.size());
        if (out.isNull())   // never null: NULL in the history means "the row was not there"
            out = QStringLiteral("");
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out += ChangeValues::Separator;
            ChangeValues::appendValue(out, fields.at(i).kind, value(fields.at(i), row, original));
        }
    }

    QList<Field> m_key;
    QList<Field> m_values;
    QList<Field> m_month;
};

// Each changed row of the dataset given to `add` as lines of the operation
// `operationOf` picks for the row (as it was, or as it is).
template<typename OperationOf>
void addChanges(const CachedDataset &rows, const RowTexts &texts, OperationOf operationOf)
{
    QString oldKey;
    QString newKey;
    QString oldValues;
    QString newValues;
    for (const CachedRow &row : rows.storedRows()) {
        if (!row.isChanged())
            continue;
        const bool was = row.status() != CachedRow::Status::Inserted;
        const bool is = row.status() != CachedRow::Status::Deleted;
        if (was) {
            texts.key(oldKey, row, true);
            texts.values(oldValues, row, true);
        }
        if (is) {
            texts.key(newKey, row, false);
            texts.values(newValues, row, false);
        }
        if (was && is && oldKey == newKey) {
            if (oldValues != newValues)
                operationOf(row, false).addRow(newKey, oldValues, newValues);
            continue;
        }
        // Not there before (after): a null text, which addRow tells from an
        // empty one.
        if (was)
            operationOf(row, true).addRow(oldKey, oldValues, QString());
        if (is)
            operationOf(row, false).addRow(newKey, QString(), newValues);
    }
}

} // namespace

namespace SaveHistory {

bool record(const CachedDataset &rows, ChangeOperation::Kind operationKind, QString *error)
{
    const TableDef *table = rows.updateTable();
    const DeclarationKind *kind = kindOf(table);
    if (!kind || !ChangeOperation::recording())
        return true;

    const RowTexts texts(rows, *table);
    std::map<MonthKey, std::unique_ptr<ChangeOperation>> operations;
    addChanges(rows, texts, [&](const CachedRow &row, bool original) -> ChangeOperation & {
        const MonthKey month = texts.month(row, original);
        auto &operation = operations[month];
        if (!operation)
            operation = std::make_unique<ChangeOperation>(rows.connectionName(), operationKind, *kind,
                                                          std::get<0>(month), std::get<1>(month), std::get<2>(month));
        return *operation;
    });
    for (auto &[month, operation] : operations) {
        if (!operation->write(error))
            return false;
    }
    return true;
}

void addTo(const CachedDataset &rows, const TableDef &table, ChangeOperation &operation)
{
    if (!ChangeOperation::recording())
        return;
    addChanges(rows, RowTexts(rows, table), [&](const CachedRow &, bool) -> ChangeOperation & { return operation; });
}

} // namespace SaveHistory
