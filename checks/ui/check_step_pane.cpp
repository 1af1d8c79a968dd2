#include "checks/ui/check_step_pane.h"

#include "checks/explanation_text.h"
#include "checks/ui/read_only_grid.h"

#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Titles and pixel widths of the step grid's columns; the note takes what is left.
struct StepColumn
{
    const char *title;
    int width;
    Qt::Alignment alignment;
};

constexpr Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment Centre = Qt::AlignHCenter | Qt::AlignVCenter;
constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;

const StepColumn StepColumns[CheckStepPane::ColumnCount] = {
    {"左右式", 60, Left}, {"科目", 70, Left},    {"科目名稱", 260, Left}, {"期別", 50, Centre},
    {"運算", 50, Centre}, {"金額", 150, Right}, {"累計", 150, Right},    {"說明", 0, Left},
};

QList<QStandardItem *> stepItems(const QStringList &fields)
{
    QList<QStandardItem *> items;
    for (int column = 0; column < fields.size(); ++column) {
        auto *item = new QStandardItem(fields.at(column));
        item->setEditable(false);
        item->setTextAlignment(StepColumns[column].alignment);
        items.append(item);
    }
    return items;
}

} // namespace

CheckStepPane::CheckStepPane(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlSteps"));
    labFormula = new QLabel(this);
    labFormula->setObjectName(QStringLiteral("labFormula"));

    m_model = new QStandardItemModel(0, ColumnCount, this);
    for (int column = 0; column < ColumnCount; ++column)
        m_model->setHeaderData(column, Qt::Horizontal, QString::fromUtf8(StepColumns[column].title));
    dgSteps = new QTableView(this);
    ReadOnlyGrid::setUp(dgSteps, QStringLiteral("dgSteps"), m_model);
    dgSteps->horizontalHeader()->setStretchLastSection(true);
    dgSteps->verticalHeader()->hide();
    for (int column = 0; column < Note; ++column)
        dgSteps->setColumnWidth(column, StepColumns[column].width);

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
    m_model->removeRows(0, m_model->rowCount());
    labFormula->clear();
    labCompare->clear();
    if (!explanation)
        return;
    using ExplanationText::Numbers;
    for (const bool left : {true, false}) {
        for (const FormulaStep &step : left ? explanation->left : explanation->right)
            m_model->appendRow(stepItems(QStringList{ExplanationText::side(left)}
                                         + ExplanationText::stepFields(step, Numbers::Grouped)));
    }
    labFormula->setText(QStringLiteral("公式 %1 計算明細").arg(explanation->cano));
    // "比較：左式 411,522.5 = 右式 0，不成立"
    const QStringList fields = ExplanationText::comparisonFields(*explanation, Numbers::Grouped);
    labCompare->setText(QStringLiteral("比較：%1 %2 %3 %4 %5，%6")
                            .arg(ExplanationText::side(true), fields.at(0), fields.at(1),
                                 ExplanationText::side(false), fields.at(2), fields.at(3)));
}
