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

    QString key(const CachedRow &row, bool original) const { return text(m_key, row, original); }
    QString values(const CachedRow &row, bool original) const { return text(m_values, row, original); }
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

    static QString text(const QList<Field> &fields, const CachedRow &row, bool original)
    {
        QString out;
        out.reserve(16 * fields.size());
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out += ChangeValues::Separator;
            ChangeValues::appendValue(out, fields.at(i).kind, value(fields.at(i), row, original));
        }
        // Never a null text: NULL in the history means "the row was not there".
        return out.isNull() ? QStringLiteral("") : out;
    }

    QList<Field> m_key;
    QList<Field> m_values;
    QList<Field> m_month;
};

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
    auto operationOf = [&](const CachedRow &row, bool original) -> ChangeOperation & {
        const MonthKey month = texts.month(row, original);
        auto &operation = operations[month];
        if (!operation)
            operation = std::make_unique<ChangeOperation>(rows.connectionName(), operationKind, *kind,
                                                          std::get<0>(month), std::get<1>(month), std::get<2>(month));
        return *operation;
    };

    for (const CachedRow &row : rows.storedRows()) {
        if (!row.isChanged())
            continue;
        const bool was = row.status() != CachedRow::Status::Inserted;
        const bool is = row.status() != CachedRow::Status::Deleted;
        const QString oldKey = was ? texts.key(row, true) : QString();
        const QString newKey = is ? texts.key(row, false) : QString();
        const QString oldValues = was ? texts.values(row, true) : QString();
        const QString newValues = is ? texts.values(row, false) : QString();
        if (was && is && oldKey == newKey) {
            if (oldValues != newValues)
                operationOf(row, false).addRow(newKey, oldValues, newValues);
            continue;
        }
        if (was)
            operationOf(row, true).addRow(oldKey, oldValues, QString());
        if (is)
            operationOf(row, false).addRow(newKey, QString(), newValues);
    }
    for (auto &[month, operation] : operations) {
        if (!operation->write(error))
            return false;
    }
    return true;
}

} // namespace SaveHistory
