#pragma once

#include "checks/formula_rows.h"
#include "checks/formula_set.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

// A fault of a formula file: the line it stands on (1-based; 0 for the file as a
// whole) and what is wrong, in the user's words.
struct FormulaFileFault
{
    int line = 0;
    QString message;

    // "第 12 行: ..." (the message alone for line 0).
    QString text() const;
    bool operator==(const FormulaFileFault &) const = default;
};

// The formula file: the headers and terms of one formula table pair as one UTF-8
// text, with which a revision of the balance formulas is loaded without touching
// the database by hand.
//
//   - Lines starting with "#" are comments; blank lines are skipped. A byte order
//     mark and CR LF line ends are accepted.
//   - Every other line is one row, its fields separated by tabs, the first field
//     naming its table, the others following in the table's order:
//       RuleNo1  acc_type  cano  quop  remark
//       RuleNo2  acc_type  cano  left_flag  nserial  acc_code  noop  TCURR
//     (HRuleNo1 and HRuleNo2 for the county set). Trailing blanks of a field do
//     not count; an empty noop or TCURR is a blank one.
//   - The last line is the end line "# 公式檔結束". A file without it was cut
//     short and is refused, whatever it holds; a row after it is refused too.
//
// A file is clean when it has its end line and every line is: a row of one of
// the set's two tables with its number of fields; no control character (a CR, a
// NUL, ...) in any field; every text within its field's width in Big5 bytes; a
// known comparison (= > < >= <= <>); left_flag 0 or 1; nserial a small integer;
// an account present in the set's account table; an operator + - * / or blank;
// no cano and no (cano, left_flag, nserial) given twice; no term of a formula
// without a header; no formula without left terms; and at least one formula.
namespace FormulaFile {

// The file text of the rows: a few comment lines naming the fields, then each
// header followed by its terms (terms without a header last), then the end line.
// False and *error when a text holds a tab, a line break or another control
// character, which the file cannot carry.
bool write(const FormulaTables &tables, const FormulaRows &rows, QString *text, QString *error);

struct Reading
{
    FormulaRows rows;                 // in file order
    QList<FormulaFileFault> faults;   // in line order
    bool isClean() const { return faults.isEmpty(); }
};

// Reads and checks the bytes of a file against the account codes of the set.
Reading read(const QByteArray &bytes, const FormulaTables &tables, const QSet<QString> &accountCodes);

} // namespace FormulaFile
