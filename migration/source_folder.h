#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The old tables in a folder: one file per table, named as the table in any
// case, with the extension .dbf in any case (BN01.DBF, mpbank.dbf). Two files
// for one table are refused, since either could be the one meant.
class SourceFolder
{
public:
    bool scan(const QString &folder, QString *error);

    // The file of the table (its name in the schema); empty when there is none.
    QString fileOf(const QString &table) const { return m_files.value(table); }
    // .dbf files that are no table of the database, by file name.
    QStringList unknownFiles() const { return m_unknown; }

private:
    QHash<QString, QString> m_files;
    QStringList m_unknown;
};
