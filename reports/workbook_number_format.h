#pragma once

#include <QString>
#include <QStringView>

// The number format a spreadsheet cell shows a figure in, made from the number
// picture the report prints it in: ",#" is "#,##0", ",#.###" is "#,##0.###",
// "#.00" is "0.00". As the picture prints zero as an empty cell, the format
// shows a zero cell empty (its third section is empty) and the cell keeps the 0.
//
// A spreadsheet ends a whole figure in "#,##0.###" with a lone point ("1,234."),
// where the picture prints "1,234": a figure the picture prints without
// decimals gets the format without them, so every cell reads as printed.
namespace WorkbookNumberFormat {

// The format for `value` printed in `picture`; empty (the spreadsheet's
// general format) for an empty picture.
QString of(QStringView picture, double value);

} // namespace WorkbookNumberFormat
