#pragma once

#include "migration/migration_report.h"

#include <QString>

// Moving over from the old dBASE tables: creates a new database from the tables
// found in a folder, one file per table (see SourceFolder).
//
// Every table of the new database comes from its file, and only from it: the
// reference data shipped with the program is not loaded, so that the
// institution's own accounts, formulas and institutions are the ones kept (the
// first BN01 record is the declaring institution). A table without a file is
// created empty and named in the report.
//
// The database is built in a temporary folder beside the target and renamed into
// place when every table is in: a failure leaves no file behind, and an existing
// target is refused before anything is read.
namespace Migration {

// False and *error when nothing was created: the target exists, the folder holds
// no table, a file is not a readable dBASE table (or is cut short), or writing
// failed. Records refused one by one do not stop the migration; the report
// names them.
bool run(const QString &folder, const QString &target, MigrationReport *report, QString *error);

} // namespace Migration
