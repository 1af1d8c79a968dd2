#pragma once

#include "checks/formula_set.h"
#include "checks/ui/browse_window.h"

class BrowseGrid;
class CachedDataset;
class QComboBox;
class StatusPanels;

// The browse window of one formula set (TfmVELQRules, TfmVELQHRules): the
// formulas (dgRuleNo: "公式編號", "公式說明"), and for the current one its left
// and right terms (dgRuleLeft, dgRuleRight: "科目名稱", "運算式", "期別") and its
// comparison (CmbQuop, disabled). Moving to a formula re-reads its terms; the
// period column shows "前期" for a term with a TCURR and "當期" for one without.
// Terms whose account is not in the set's account table are not listed, as in
// the check.
//
// Typing into a term grid's "運算式" column accepts only Tab, "+", "-", "*" and
// "/" (and changes nothing, the grids being read-only); any other character is
// refused with "請輸入正確的運算式 "+", "-", "*", "/" !!!".
//
// "匯入公式" (sbImport) loads a revision of the set from a formula file: the file
// is checked line by line (its faults are listed and nothing changes), then the
// user is asked before the whole set is replaced.
class FormulaBrowseWindow : public BrowseWindow
{
    Q_OBJECT
public:
    struct Spec
    {
        QString className;     // "TfmVELQRules"
        QString caption;       // "營運科目公式資料表"
        QString setName;       // "營運科目公式", for the import question
        FormulaTables tables;
        int leftNameWidth = 248;
        int rightNameWidth = 235;
    };

    static constexpr int CanoWidth = 69;
    static constexpr int RemarkWidth = 433;
    static constexpr int OperatorWidth = 50;
    static constexpr int PeriodWidth = 60;
    static const QString OperatorMessage;

    FormulaBrowseWindow(const Spec &spec, QWidget *parent = nullptr);

    CachedDataset *formulas() const { return m_qryRuleNo; }
    CachedDataset *leftTerms() const { return m_qryRuleLeft; }
    CachedDataset *rightTerms() const { return m_qryRuleRight; }

    // The import, without the file dialog: true when the set was replaced.
    bool importFile(const QString &path);

protected:
    void afterMove() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CachedDataset *makeTermDataset(const QString &name, const QString &side);
    BrowseGrid *makeTermGrid(const QString &name, CachedDataset *dataset, int nameWidth);
    void openFormulas();
    void readTerms();
    void formulaCellClicked();
    void chooseFile();

    Spec m_spec;
    CachedDataset *m_qryRuleNo = nullptr;
    CachedDataset *m_qryRuleLeft = nullptr;
    CachedDataset *m_qryRuleRight = nullptr;
    BrowseGrid *m_dgRuleNo = nullptr;
    BrowseGrid *m_dgRuleLeft = nullptr;
    BrowseGrid *m_dgRuleRight = nullptr;
    QComboBox *m_cmbQuop = nullptr;
    StatusPanels *m_status = nullptr;
};
