#pragma once

#include <QList>
#include <QStringList>

class QDialog;
class QTableWidget;
class QVBoxLayout;

// The body of a window that lists records nobody may change (the export
// records, a row's change history): rows of texts under their headings, whole
// rows selected, nothing editable, and a Close button below.
namespace ReadOnlyList {

// Adds the table and the Close button to `layout` of `window`; returns the table.
QTableWidget *add(QDialog *window, QVBoxLayout *layout, const QString &objectName, const QStringList &headings,
                  const QList<QStringList> &rows);

} // namespace ReadOnlyList
