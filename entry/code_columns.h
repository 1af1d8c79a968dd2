#pragma once

#include "entry/row_tab_description.h"

#include <QHash>
#include <QList>

class CachedDataset;
class CodeDelegate;
class QFontMetrics;
class QWidget;
class RecordGrid;

// The code columns of a row tab: the pick list of each (an editable drop-down
// that writes the text as picked or typed), the check of a cell as the cursor
// leaves its column, and the labels the stored codes get once the rows are read.
//
// The check takes the first characters of the cell as the code. A code the
// column knows goes into the code field and the cell shows it as the column
// labels an entered code; any other is said with the column's message, the
// cell is emptied and the code field keeps what it had.
class CodeColumns
{
public:
    CodeColumns(Shell &shell, const QList<RowTabDescription::CodeColumn> &columns);

    // A pick list on the grid's column of each display field; `fields` are the
    // grid's columns in order.
    void install(RecordGrid &grid, const QStringList &fields);
    void rebuildPickLists();
    void clearPickLists();

    bool isCodeColumn(const QString &displayField) const { return m_byDisplay.contains(displayField); }
    // Pixels the widest label of the column's pick list takes, margins included;
    // 0 for a column that is no code column.
    int labelWidth(const QString &displayField, const QFontMetrics &metrics) const;
    // The check of the current row's cell of `displayField`; false when refused
    // (said, with `window` as the parent of the message).
    bool check(CachedDataset &rows, const QString &displayField, QWidget *window) const;
    // Whether the tab labels its rows after reading them.
    bool labelsRows() const;
    // Labels the codes of the current row (it is put into editing).
    void labelCurrentRow(CachedDataset &rows) const;

private:
    Shell &m_shell;
    QList<RowTabDescription::CodeColumn> m_columns;
    QHash<QString, int> m_byDisplay;           // display field -> column
    QList<CodeDelegate *> m_pickLists;         // one per column, owned by the grid
};
