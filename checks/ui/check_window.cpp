#include "checks/ui/check_window.h"
#include "ui/window_placement.h"

#include "checks/ui/check_result_model.h"
#include "checks/ui/check_step_pane.h"
#include "checks/ui/read_only_grid.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

TfmVELQ8CHECK::TfmVELQ8CHECK(const QList<CheckResultRow> &rows, QWidget *parent, Explainer explain)
    : QDialog(parent), m_explain(std::move(explain))
{
    setObjectName(QStringLiteral("TfmVELQ8CHECK"));
    setWindowTitle(QStringLiteral("公式檢核"));
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    m_model = new CheckResultModel(rows, this);
    m_model->setObjectName(QStringLiteral("qryCACNONO3"));

    DBGridExt1 = new QTableView(this);
    ReadOnlyGrid::setUp(DBGridExt1, QStringLiteral("DBGridExt1"), m_model);
    DBGridExt1->setColumnWidth(CheckResultModel::Remark, RemarkColumnWidth);
    DBGridExt1->setColumnWidth(CheckResultModel::Money1, AmountColumnWidth);
    DBGridExt1->setColumnWidth(CheckResultModel::Money2, AmountColumnWidth);

    QWidget *results = DBGridExt1;
    if (m_explain) {
        pnlSteps = new CheckStepPane(this);
        auto *splitter = new QSplitter(Qt::Vertical, this);
        splitter->setObjectName(QStringLiteral("splSteps"));
        splitter->setChildrenCollapsible(false);
        splitter->addWidget(DBGridExt1);
        splitter->addWidget(pnlSteps);
        splitter->setStretchFactor(0, 3);
        splitter->setStretchFactor(1, 2);
        results = splitter;
        connect(DBGridExt1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &TfmVELQ8CHECK::DBGridExt1RowChanged);
    }
    if (m_model->rowCount() > 0)
        DBGridExt1->setCurrentIndex(m_model->index(0, 0));

    sbExit = new QPushButton(QStringLiteral("離開"), this);
    sbExit->setObjectName(QStringLiteral("sbExit"));
    sbExit->setAutoDefault(false);
    connect(sbExit, &QPushButton::clicked, this, &TfmVELQ8CHECK::sbExitClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sbExit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(results, 1);
    layout->addLayout(buttons);

    // Centred on the screen at the design size when restored, opened maximised.
    resize(DesignWidth, DesignHeight);
    WindowPlacement::maximise(this);
}

void TfmVELQ8CHECK::sbExitClick()
{
    accept();
}

void TfmVELQ8CHECK::DBGridExt1RowChanged(const QModelIndex &current)
{
    // Worked out for the row just opened only, so a long result list costs nothing more.
    const bool known = current.isValid() && current.row() < m_model->rowCount();
    pnlSteps->showExplanation(known ? m_explain(m_model->rows().at(current.row())) : std::nullopt);
}

void TfmVELQ8CHECK::showFindings(const QList<CheckResultRow> &rows, QWidget *tab, const Explainer &explain)
{
    if (rows.isEmpty()) {
        Messages::current().warning(QStringLiteral("資料完全符合!!!"), tab);
        return;
    }
    TfmVELQ8CHECK window(rows, tab ? tab->window() : nullptr, explain);
    DialogRunner::run(window);
}
