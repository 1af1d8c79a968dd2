#include "checks/ui/check_step_pane.h"

#include "checks/explanation_text.h"
#include "checks/ui/check_step_model.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Widths of the step grid's columns in pixels; the note takes what is left.
constexpr int StepColumnWidths[] = {60, 70, 260, 50, 50, 150, 150};

} // namespace

CheckStepPane::CheckStepPane(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlSteps"));
    labFormula = new QLabel(this);
    labFormula->setObjectName(QStringLiteral("labFormula"));

    m_model = new CheckStepModel(this);
    dgSteps = new QTableView(this);
    dgSteps->setObjectName(QStringLiteral("dgSteps"));
    dgSteps->setModel(m_model);
    dgSteps->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dgSteps->setSelectionBehavior(QAbstractItemView::SelectRows);
    dgSteps->setSelectionMode(QAbstractItemView::SingleSelection);
    dgSteps->setWordWrap(false);
    dgSteps->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    dgSteps->horizontalHeader()->setStretchLastSection(true);
    dgSteps->verticalHeader()->hide();
    dgSteps->verticalHeader()->setDefaultSectionSize(dgSteps->fontMetrics().height() + 6);
    for (int column = 0; column < int(std::size(StepColumnWidths)); ++column)
        dgSteps->setColumnWidth(column, StepColumnWidths[column]);

    labCompare = new QLabel(this);
    labCompare->setObjectName(QStringLiteral("labCompare"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(labFormula);
    layout->addWidget(dgSteps, 1);
    layout->addWidget(labCompare);
}

void CheckStepPane::showExplanation(const std::optional<FormulaExplanation> &explanation)
{
    m_model->setExplanation(explanation);
    if (!explanation) {
        labFormula->clear();
        labCompare->clear();
        return;
    }
    labFormula->setText(QStringLiteral("公式 %1 計算明細").arg(explanation->cano));
    // "比較：左式 411,522.5 = 右式 0，不成立"
    const QStringList fields = ExplanationText::comparisonFields(*explanation, ExplanationText::Numbers::Grouped);
    labCompare->setText(QStringLiteral("比較：%1 %2 %3 %4 %5，%6")
                            .arg(ExplanationText::side(true), fields.at(0), fields.at(1),
                                 ExplanationText::side(false), fields.at(2), fields.at(3)));
}
