#pragma once

#include "checks/ui/formula_browse_window.h"

// TfmVELQRules, "營運科目公式資料表": the operating formulas of RuleNo1 and
// RuleNo2 over CACNO.
class TfmVELQRules : public FormulaBrowseWindow
{
    Q_OBJECT
public:
    explicit TfmVELQRules(QWidget *parent = nullptr)
        : FormulaBrowseWindow({QStringLiteral("TfmVELQRules"), QStringLiteral("營運科目公式資料表"),
                               QStringLiteral("營運科目公式"), FormulaTables::operating(), 248, 235},
                              parent)
    {
    }
};
