#pragma once

#include "migration/table_report.h"

#include <QList>
#include <QStringList>

// What a migration made: every table of the new database in schema order, and
// the .dbf files of the folder that are no table of it (not read).
struct MigrationReport
{
    QList<TableReport> tables;
    QStringList unknownFiles;

    int refusedCount() const
    {
        int n = 0;
        for (const TableReport &t : tables)
            n += int(t.refused.size());
        return n;
    }
};
