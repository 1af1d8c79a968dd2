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
// A "0" after the point is a decimal always printed ("#.00" gives "0.00" for 0).
// Rounding to the picture's decimals is half away from zero, as a printed
// figure is read. A value that rounds to 0 gives an empty text (an empty cell);
// a fraction keeps its leading zero ("0.5", not ".5"); "-" leads negatives, but
// never a value shown as zero ("-0.0004" in "#.000" is "0.000", "-0" is empty).
namespace NumberPicture {

QString format(double value, QStringView picture);

// A formatted number without the zero before its decimal point (".5", "-.25"),
// as the ratio and rate columns show it; any other text unchanged. The amounts
// keep their zero ("0.5"); a ratio column shows format()'s text through this.
QString withoutLeadingZero(const QString &formatted);

// Reads what a user typed into an amount cell: optional leading "-", digits and
// at most one "." (surrounding blanks ignored). Empty text reads as 0.
// Returns false for anything else, so the stored value stays.
bool parseAmount(QStringView text, double *value);

} // namespace NumberPicture
