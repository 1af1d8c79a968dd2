#pragma once

#include "checks/formula_explanation.h"

#include <QWidget>
#include <optional>

class CheckStepModel;
class QLabel;
class QTableView;

// The lower part of the result window: why the current row's formula fails. A
// title naming the formula ("公式 001 計算明細"), the grid of its steps (dgSteps)
// and the comparison of the two values (labCompare). Empty for a row without an
// explanation (a missing account).
class CheckStepPane : public QWidget
{
    Q_OBJECT
public:
    explicit CheckStepPane(QWidget *parent = nullptr);

    void showExplanation(const std::optional<FormulaExplanation> &explanation);

    QLabel *labFormula = nullptr;
    QTableView *dgSteps = nullptr;
    QLabel *labCompare = nullptr;
    CheckStepModel *model() const { return m_model; }

private:
    CheckStepModel *m_model = nullptr;
};
