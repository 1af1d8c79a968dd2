#pragma once

#include "checks/check_result_row.h"
#include "checks/formula_explanation.h"

#include <QDialog>
#include <QList>
#include <functional>
#include <optional>

class CheckResultModel;
class CheckStepPane;
class QPushButton;
class QTableView;

// TfmVELQ8CHECK, the result window of the operating and county data checks
// ("公式檢核"): one read-only grid of the result rows and the button "離開".
// Opened maximised; it shows exactly the rows it was given.
//
// Given an explainer (the check that made the rows), a pane under the grid
// (pnlSteps) shows why the current row's formula fails, worked out when the row
// becomes current; it is empty on a missing-account row.
class TfmVELQ8CHECK : public QDialog
{
    Q_OBJECT
public:
    using Explainer = std::function<std::optional<FormulaExplanation>(const CheckResultRow &)>;

    static constexpr int DesignWidth = 808;
    static constexpr int DesignHeight = 608;
    static constexpr int RemarkColumnWidth = 609;
    static constexpr int AmountColumnWidth = 140;

    explicit TfmVELQ8CHECK(const QList<CheckResultRow> &rows, QWidget *parent = nullptr,
                           Explainer explain = {});

    // What both checks do with their findings: none, the warning "資料完全符合!!!";
    // otherwise this window, modal over the tab's window (through DialogRunner),
    // freed when it closes.
    static void showFindings(const QList<CheckResultRow> &rows, QWidget *tab, const Explainer &explain = {});

    QTableView *DBGridExt1 = nullptr;
    QPushButton *sbExit = nullptr;
    CheckStepPane *pnlSteps = nullptr;   // only with an explainer
    CheckResultModel *model() const { return m_model; }

private slots:
    void sbExitClick();
    void DBGridExt1RowChanged(const QModelIndex &current);

private:
    CheckResultModel *m_model = nullptr;
    Explainer m_explain;
};
