#pragma once

#include "db/bills_codes.h"
#include "entry/row_tab_description.h"

// A code column of the bills statistics tabs over one of the fixed BillsCodes
// lists: the code is the cell's first character (two for the kind of bill),
// compared as text with the list's codes ("9" is no kind of bill, "09" is); a
// code keyed in shows as the pick list labels it ("09-金融債券"), a stored code
// read as a whole number as the rows read back label it ("09-金融俵券"), and a
// stored code that is no number of the list keeps the query's bare code.
namespace BillsCodeColumn {

RowTabDescription::CodeColumn make(const QString &displayField, const QString &codeField, BillsCodes::List list,
                                   const QString &unknownMessage);

} // namespace BillsCodeColumn
