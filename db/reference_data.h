#pragma once

#include <QSqlDatabase>
#include <QString>

// The reference data shipped with the program (counties, account codes, formulas,
// the sample institution, ...) that a new database starts with.
//
// Each table's rows are kept in a file "<TABLE>.tsv" (the table's name as the
// schema writes it), UTF-8:
//   - lines starting with "#" are comments, blank lines are skipped;
//   - the first other line names the fields, separated by tabs: any subset of the
//     table's fields, in any order;
//   - every following line is one row, its cells separated by tabs, one cell per
//     named field. An empty cell is NULL for numbers and dates and '' for text.
//     Numbers are plain decimals ("12", "-3.5"), dates "yyyy-MM-dd".
// Rows are inserted in file order, so the stored order (rowid) is the file's.
// A table without a file stays empty.
namespace ReferenceData {

// Loads the files of the program's resources (":/data/<TABLE>.tsv").
bool load(QSqlDatabase db, QString *error);

// Loads the files of a folder (or resource prefix such as ":/data"). The caller
// runs this inside a transaction; on failure *error names the file, the line and
// the field, and the rows inserted so far are left for the caller to roll back.
bool load(QSqlDatabase db, const QString &folder, QString *error);

} // namespace ReferenceData
