#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// One detail row of a report as printed: one text per column, already formatted
// by its picture. A "\n" in a text starts a new line within the cell (the two
// lines of a check report's remark, the second possibly empty).
struct ReportRow
{
    QStringList cells;
    QString group;   // the group the row belongs to (see ReportDefinition::groupsStartPages)
    // The figure behind each cell that prints one, by column, as a double in the
    // report's unit and unrounded, so that a workbook keeps it as a number; null
    // for a text cell and for a figure without a value. Empty: every cell is text.
    QVariantList figures = {};
};
