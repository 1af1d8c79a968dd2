#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What became of one table of the new database.
struct TableReport
{
    // A record that did not come over, and why.
    struct Refusal
    {
        int record = 0;    // its number in the old table, 1-based, deleted records counted
        QString reason;
    };

    QString table;             // the table's name in the new database
    QString file;              // the old table's file name; empty when there was none
    int stored = 0;            // rows written into the new table
    int deleted = 0;           // records marked deleted, skipped
    int headerCount = 0;       // the records the file's header counts
    int beyondCount = 0;       // whole records found after those, read as the others
    QList<Refusal> refused;
    QStringList missingFields; // fields of the new table the file lacks
    QStringList extraFields;   // fields of the file the new table lacks, not read

    bool isAbsent() const { return file.isEmpty(); }
};
