#pragma once

#include "db/bills_codes.h"
#include "db/name_list.h"

#include <QString>

// A field that the import sets on every row it appends besides the fields of
// the file: the number of the line the row came from, the display text of one of
// the row's codes from a reference table ("11000  現金"), or the label of a bills
// code ("1-初級市場"). A code that its list does not hold leaves the field empty.
struct AddedField
{
    enum class Source {
        LineNumber,       // 1-based, counting skipped lines
        ReferenceName,    // `names` looked up by the value of `codeField`
        BillsCodeLabel,   // the label in `codes` of the value of `codeField`
    };

    QString field;        // the field of the target: SERIAL, ACCNAME, MFLAG1, ...
    Source source = Source::LineNumber;
    QString codeField;    // the row's field whose value is looked up: ACC_CODE, FLAG1, ...
    NameList names = NameList::Accounts;
    BillsCodes::List codes = BillsCodes::List::RateMarket;
};
