#pragma once

#include "common/decimal4.h"

#include <QString>
#include <optional>

// One row of a check's findings, in the layout of CACNONO3: the remark (text of
// 120) and the two side values. A missing-account row has no values.
struct CheckResultRow
{
    static constexpr int RemarkWidth = 120;

    QString remark;
    std::optional<Decimal4> left;    // MONEY1, the left side's value
    std::optional<Decimal4> right;   // MONEY2, the right side's value

    // The remark cut to the field's 120 characters.
    static QString cutRemark(const QString &text);

    friend bool operator==(const CheckResultRow &, const CheckResultRow &) = default;
};
