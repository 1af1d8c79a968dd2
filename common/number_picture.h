#pragma once

#include <QString>
#include <QStringView>

// The number pictures of the grids and reports:
//   ",#.###"  digit groups with commas, at most three decimals, no trailing zeros
//   "#.###"   the same without digit groups (the edit picture)
//   "#.##"    at most two decimals, no groups
//   ",#"      whole number with digit groups
//   "#"       whole number
//   "#,###,###,###,###,###"  whole number with digit groups (report columns)
// Rounding to the picture's decimals is half away from zero, as a printed
// figure is read. A value that rounds to 0 gives an empty text (an empty cell);
// a fraction keeps its leading zero ("0.5", not ".5"); "-" leads negatives.
namespace NumberPicture {

QString format(double value, QStringView picture);

// Reads what a user typed into an amount cell: optional leading "-", digits and
// at most one "." (surrounding blanks ignored). Empty text reads as 0.
// Returns false for anything else, so the stored value stays.
bool parseAmount(QStringView text, double *value);

} // namespace NumberPicture
