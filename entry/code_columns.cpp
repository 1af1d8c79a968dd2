#include "entry/code_columns.h"

#include "db/cached_dataset.h"
#include "ui/code_delegate.h"
#include "ui/messages.h"
#include "ui/record_grid.h"

#include <QFontMetrics>

namespace {

// The code as the first characters of the cell; blanks after it do not count.
QString codeOf(const QString &cell, int length)
{
    QString code = cell.left(length);
    while (code.endsWith(u' '))
        code.chop(1);
    return code;
}

} // namespace

CodeColumns::CodeColumns(Shell &shell, const QList<RowTabDescription::CodeColumn> &columns)
    : m_shell(shell), m_columns(columns)
{
    for (int i = 0; i < m_columns.size(); ++i)
        m_byDisplay.insert(m_columns.at(i).displayField, i);
}

void CodeColumns::install(RecordGrid &grid, const QStringList &fields)
{
    m_pickLists.clear();
    for (const RowTabDescription::CodeColumn &column : std::as_const(m_columns)) {
        auto *pickList = new CodeDelegate(CodeDelegate::Writes::Text, &grid);
        pickList->setObjectName(column.displayField);
        grid.setItemDelegateForColumn(int(fields.indexOf(column.displayField)), pickList);
        m_pickLists.append(pickList);
    }
}

void CodeColumns::rebuildPickLists()
{
    for (int i = 0; i < m_columns.size(); ++i) {
        QList<CodeDelegate::Item> items;
        for (const auto &[code, text] : m_columns.at(i).items(m_shell))
            items.append({code, text});
        m_pickLists.at(i)->setItems(items);
    }
}

void CodeColumns::clearPickLists()
{
    for (CodeDelegate *pickList : std::as_const(m_pickLists))
        pickList->clearItems();
}

int CodeColumns::labelWidth(const QString &displayField, const QFontMetrics &metrics) const
{
    const auto it = m_byDisplay.constFind(displayField);
    if (it == m_byDisplay.constEnd())
        return 0;
    constexpr int Margins = 12;
    int widest = 0;
    for (const auto &[code, text] : m_columns.at(*it).items(m_shell))
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest + Margins;
}

bool CodeColumns::check(CachedDataset &rows, const QString &displayField, QWidget *window) const
{
    const auto it = m_byDisplay.constFind(displayField);
    if (it == m_byDisplay.constEnd())
        return true;
    const RowTabDescription::CodeColumn &column = m_columns.at(*it);
    const QString code = codeOf(rows.value(displayField).toString(), column.codeLength);
    const std::optional<QString> shown = column.entered(m_shell, code);
    if (!shown) {
        Messages::current().warning(column.unknownMessage, window);
        rows.setValue(displayField, QString());
        return false;
    }
    rows.setValue(column.codeField, code);
    rows.setValue(displayField, *shown);
    return true;
}

bool CodeColumns::labelsRows() const
{
    for (const RowTabDescription::CodeColumn &column : m_columns) {
        if (column.loaded)
            return true;
    }
    return false;
}

void CodeColumns::labelCurrentRow(CachedDataset &rows) const
{
    for (const RowTabDescription::CodeColumn &column : m_columns) {
        if (!column.loaded)
            continue;
        // A code that is no number of the list keeps what the statement computed
        // (the bare code and blanks).
        const QString label = column.loaded(rows.value(column.codeField).toString());
        if (!label.isEmpty())
            rows.setValue(column.displayField, label);
    }
}
