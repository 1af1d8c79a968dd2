#include "reports/remark_lines.h"

#include "common/big5_text.h"

namespace RemarkLines {

QString twoLines(const QString &remark)
{
    const QString first = Big5Text::cut(remark, FirstLineBytes);
    // A remark of more than 120 bytes (it is cut at 120 characters) keeps its
    // tail on the second line too: the cell wraps it rather than losing it.
    return first + u'\n' + remark.mid(first.size());
}

} // namespace RemarkLines
