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
    // row: no allocation per row once it is large enough. The key as a line
    // of the operation holds it: without the operation's own fields when the
    // row's are the operation's, else whole.
    void key(QString &out, const CachedRow &row, bool original, const ChangeLineKey &line) const
    {
        start(out, m_key.size());
        bool first = true;
        for (qsizetype i = 0; i < m_key.size(); ++i) {
            const Field &f = m_key.at(i);
            if (line.isOwn(int(i))) {
                if (!line.matches(int(i), value(f, row, original))) {
                    text(out, m_key, row, original);
                    return;
                }
                continue;
            }
            if (!first)
                out += ChangeValues::Separator;
            first = false;
            ChangeValues::appendValue(out, f.kind, value(f, row, original));
        }
    }
    void values(QString &out, const CachedRow &row, bool original) const { text(out, m_values, row, original); }
    // Whether the row's month is `month`, told without making its key: the
    // rows of a save are nearly always all of one month.
    bool isOfMonth(const CachedRow &row, bool original, const MonthKey &month) const
    {
        const QVariant &institution = value(m_month.at(0), row, original);
        if (institution.metaType().id() != QMetaType::QString
            || QStringView(*static_cast<const QString *>(institution.constData())).trimmed() != std::get<0>(month))
            return false;
        return value(m_month.at(1), row, original).toInt() == std::get<1>(month)
            && value(m_month.at(2), row, original).toInt() == std::get<2>(month);
    }
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

    // The value read in place where the row keeps it as one (a row keyed in),
    // else decoded into m_scratch: valid until the next call.
    const QVariant &value(const Field &f, const CachedRow &row, bool original) const
    {
        if (f.index < 0)
            return f.param;
        if (const QVariant *held = original ? row.heldOriginalValue(f.index) : row.heldValue(f.index))
            return *held;
        m_scratch = original ? row.originalValue(f.index) : row.value(f.index);
        return m_scratch;
    }

    static void start(QString &out, qsizetype fields)
    {
        out.resize(0);
        if (out.capacity() < 16 * fields)
            out.reserve(16 * fields);
        if (out.isNull())   // never null: NULL in the history means "the row was not there"
            out = QStringLiteral("");
    }

    void text(QString &out, const QList<Field> &fields, const CachedRow &row, bool original) const
    {
        start(out, fields.size());
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out += ChangeValues::Separator;
            ChangeValues::appendValue(out, fields.at(i).kind, value(fields.at(i), row, original));
        }
    }

    QList<Field> m_key;
    QList<Field> m_values;
    QList<Field> m_month;
    mutable QVariant m_scratch;   // a value decoded from a packed row
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
        ChangeOperation *before = was ? &operationOf(row, true) : nullptr;
        ChangeOperation *after = is ? &operationOf(row, false) : nullptr;
        if (before) {
            texts.key(oldKey, row, true, before->lineKey());
            texts.values(oldValues, row, true);
        }
        if (after) {
            texts.key(newKey, row, false, after->lineKey());
            texts.values(newValues, row, false);
        }
        if (before == after && oldKey == newKey) {
            if (oldValues != newValues)
                after->addRow(newKey, oldValues, newValues);
            continue;
        }
        // Not there before (after): a null text, which addRow tells from an
        // empty one.
        if (before)
            before->addRow(oldKey, oldValues, QString());
        if (after)
            after->addRow(newKey, QString(), newValues);
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
    const std::pair<const MonthKey, std::unique_ptr<ChangeOperation>> *last = nullptr;
    addChanges(rows, texts, [&](const CachedRow &row, bool original) -> ChangeOperation & {
        if (last && texts.isOfMonth(row, original, last->first))
            return *last->second;
        const MonthKey month = texts.month(row, original);
        auto found = operations.try_emplace(month).first;
        if (!found->second)
            found->second = std::make_unique<ChangeOperation>(rows.connectionName(), operationKind, *kind,
                                                              std::get<0>(month), std::get<1>(month),
                                                              std::get<2>(month));
        last = &*found;
        return *found->second;
    });
    // A month whose rows all kept their values (a look-up column changed) has
    // no operation.
    for (auto &[month, operation] : operations) {
        if (operation->hasRows() && !operation->write(error))
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
