#pragma once

#include "checks/check_value.h"

#include <QString>
#include <QTypeInfo>
#include <optional>

// One row of a check's findings, in the layout of CACNONO3: the remark (text of
// 120) and the two side values. A missing-account row has no values.
struct CheckResultRow
{
    static constexpr int RemarkWidth = 120;

    // Where a failing formula's row came from, so that its steps can be worked
    // out again when someone asks why it fails: the formula's position in the
    // formula set the check judged and, in the county check, the county's position
    // in the counties judged (-1 in the operating data check). Positions, not
    // codes: a check writes one for every failing row, and copying numbers costs
    // it nothing.
    struct Source
    {
        int formula = -1;
        int county = -1;

        friend bool operator==(const Source &, const Source &) = default;
    };

    QString remark;
    std::optional<CheckValue> left;    // MONEY1, the left side's value (it may be out of range)
    std::optional<CheckValue> right;   // MONEY2, the right side's value
    std::optional<Source> source;    // none for a missing-account row

    // The remark cut to the field's 120 characters.
    static QString cutRemark(const QString &text);

    // Rows are equal when they show the same: the three fields of CACNONO3. The
    // source is not shown and does not count.
    friend bool operator==(const CheckResultRow &a, const CheckResultRow &b)
    {
        return a.remark == b.remark && a.left == b.left && a.right == b.right;
    }
};

// A row moves as its bytes (a text and plain values): the thousands of rows of a
// county check grow their list without copying each.
Q_DECLARE_TYPEINFO(CheckResultRow, Q_RELOCATABLE_TYPE);
