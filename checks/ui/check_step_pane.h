#pragma once

#include "checks/formula_explanation.h"

#include <QWidget>
#include <optional>

class QLabel;
class QStandardItemModel;
class QTableView;

// The lower part of the result window: why the current row's formula fails. A
// title naming the formula (labFormula, "公式 001 計算明細"), its steps in the
// grid dgSteps (side, account, name, period, operator, amount or "缺少", running
// value, note: the fields velq8-cli check --explain prints) and the comparison of
// the two values (labCompare). Empty for a row without an explanation (a missing
// account).
class CheckStepPane : public QWidget
{
    Q_OBJECT
public:
    enum Column { Side = 0, Code, Name, Period, Operator, Amount, Running, Note, ColumnCount };

    explicit CheckStepPane(QWidget *parent = nullptr);

    void showExplanation(const std::optional<FormulaExplanation> &explanation);

    QLabel *labFormula = nullptr;
    QTableView *dgSteps = nullptr;
    QLabel *labCompare = nullptr;
    QStandardItemModel *model() const { return m_model; }

private:
    QStandardItemModel *m_model = nullptr;
};
