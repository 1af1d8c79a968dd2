#pragma once

#include "entry/row_tab.h"

class BranchSelector;

// The overdue loan ratio tab ("各營業單位逾期放款比率檔"): one row of EM03 per
// year, month and business unit of the declaring institution, a unit once a
// month whatever the institution. The unit is typed as its 7-character code or
// picked from the units (every BN01 record but the first); a ratio below 3 is
// warned of and kept. Its own is the unit selector cbxBank ("分行"): a unit
// chosen narrows the query to it, and choosing another closes the rows.
class OverdueRatioTab : public RowTab
{
    Q_OBJECT
public:
    explicit OverdueRatioTab(Shell &shell, QWidget *parent = nullptr);

    static RowTabDescription description();
    BranchSelector *branchSelector() const { return m_branches; }

protected:
    Filter ownFilter() const override;
    void clearOwn() override;
    void ownButtonStates(bool browse) override;

private:
    BranchSelector *m_branches = nullptr;
};
