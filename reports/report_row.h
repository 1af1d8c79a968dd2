#pragma once

#include <QString>
#include <QStringList>

// One detail row of a report as printed: one text per column, already formatted
// by its picture. A "\n" in a text starts a new line within the cell (the two
// lines of a check report's remark, the second possibly empty).
struct ReportRow
{
    QStringList cells;
    QString group;   // the group the row belongs to (see ReportDefinition::groupsStartPages)
};
