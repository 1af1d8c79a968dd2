#include "checks/check_result_row.h"

QString CheckResultRow::cutRemark(const QString &text)
{
    if (text.size() <= RemarkWidth)
        return text;
    qsizetype cut = RemarkWidth;
    // Never leave half of a surrogate pair at the end.
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut);
}
