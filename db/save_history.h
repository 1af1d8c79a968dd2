#pragma once

#include "db/change_operation.h"

#include <QString>

class CachedDataset;
struct TableDef;

// The history of a save of cached rows (RecordSave): each inserted, modified
// and deleted row of a declaration table, with its key and its values before
// and after, as one operation of `kind` (keyed, or a month deleted) per institution and
// month. A dataset that
// writes any other table (a reference table, its own statements) has no
// history. A modify that left the table's own fields as they were (a look-up
// column only) is no change; a modify of the key is the old row going and a
// new one coming.
//
// Run after the rows are applied and before the caller's transaction ends, on
// the dataset's connection.
namespace SaveHistory {

bool record(const CachedDataset &rows, ChangeOperation::Kind kind, QString *error);

// The same rows of `rows` (a dataset whose fields are those of `table`, which
// it writes) added to one operation, whatever their institution and month: an
// import's rows, taken from memory as they were written instead of read back.
void addTo(const CachedDataset &rows, const TableDef &table, ChangeOperation &operation);

} // namespace SaveHistory
