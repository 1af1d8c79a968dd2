#include "entry/bills_code_column.h"

#include <QHash>
#include <memory>

namespace BillsCodeColumn {

RowTabDescription::CodeColumn make(const QString &displayField, const QString &codeField, BillsCodes::List list,
                                   const QString &unknownMessage)
{
    QList<std::pair<QString, QString>> items;
    QHash<QString, QString> labelOfCode;
    for (const BillsCodes::Entry &entry : BillsCodes::pickEntries(list)) {
        items.append({BillsCodes::code(entry), entry.label});
        labelOfCode.insert(BillsCodes::code(entry), entry.label);
    }

    RowTabDescription::CodeColumn column;
    column.displayField = displayField;
    column.codeField = codeField;
    column.codeLength = int(items.value(0).first.size());
    column.unknownMessage = unknownMessage;
    column.items = [items](Shell &) { return items; };
    column.entered = [labelOfCode](Shell &, const QString &code) -> std::optional<QString> {
        const auto it = labelOfCode.constFind(code);
        if (it == labelOfCode.constEnd())
            return std::nullopt;
        return *it;
    };
    // Each stored code text is read as a number once, however many rows carry it.
    auto stored = std::make_shared<QHash<QString, QString>>();
    column.loaded = [list, stored](const QString &code) {
        auto it = stored->constFind(code);
        if (it == stored->constEnd())
            it = stored->insert(code, BillsCodes::label(list, code));
        return *it;
    };
    return column;
}

} // namespace BillsCodeColumn
