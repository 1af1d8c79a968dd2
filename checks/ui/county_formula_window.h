#pragma once

#include "checks/ui/formula_browse_window.h"

// TfmVELQHRules, "銀行縣市別營運科目公式資料表": the county formulas of HRuleNo1
// and HRuleNo2 over HCACNO. Its period column is filled as in the operating
// window.
class TfmVELQHRules : public FormulaBrowseWindow
{
    Q_OBJECT
public:
    explicit TfmVELQHRules(QWidget *parent = nullptr)
        : FormulaBrowseWindow({QStringLiteral("TfmVELQHRules"), QStringLiteral("銀行縣市別營運科目公式資料表"),
                               QStringLiteral("銀行縣市別營運科目公式"), FormulaTables::county(), 224, 234},
                              parent)
    {
    }
};
