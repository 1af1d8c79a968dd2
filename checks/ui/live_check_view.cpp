#include "checks/ui/live_check_view.h"

#include "checks/ui/check_result_model.h"
#include "checks/ui/check_step_pane.h"
#include "checks/ui/check_window.h"
#include "checks/ui/read_only_grid.h"
#include "db/cached_dataset.h"
#include "ui/record_grid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int RemarkWidth = 320;

QSettings programSettings()
{
    return QSettings(QStringLiteral("Velqora"), QStringLiteral("velq8"));
}

} // namespace

LiveCheckView::LiveCheckView(LiveCheckSession::Kind kind, CachedDataset &rows, RecordGrid *grid, int amountColumn,
                             QWidget *tab, const QString &connectionName)
    : QObject(tab), m_rows(rows), m_grid(grid), m_amountColumn(amountColumn)
{
    setObjectName(QStringLiteral("liveCheck"));
    m_session = new LiveCheckSession(kind, rows, connectionName, this);
    buildStatus(tab);
    buildPane(tab);
    connect(m_session, &LiveCheckSession::changed, this, [this] {
        showCount();
        if (m_pane->isVisibleTo(m_pane->parentWidget()))
            showFailures();
    });
}

QString LiveCheckView::countText(int failing)
{
    return failing == 0 ? QStringLiteral("公式全部相符") : QStringLiteral("%1 條公式不符").arg(failing);
}

void LiveCheckView::buildStatus(QWidget *tab)
{
    m_status = new QWidget(tab);
    m_status->setObjectName(QStringLiteral("pnlLiveStatus"));
    labLiveCheck = new QLabel(m_status);
    labLiveCheck->setObjectName(QStringLiteral("labLiveCheck"));
    labLiveCheck->setMinimumWidth(120);
    sbLivePane = new QToolButton(m_status);
    sbLivePane->setObjectName(QStringLiteral("sbLivePane"));
    sbLivePane->setText(QStringLiteral("不符明細"));
    sbLivePane->setToolTip(QStringLiteral("顯示或隱藏不符公式的計算明細"));
    sbLivePane->setCheckable(true);
    // Like the toolbar's buttons it takes no focus: an open cell editor stays open.
    sbLivePane->setFocusPolicy(Qt::NoFocus);
    sbLivePane->setChecked(programSettings().value(paneSettingKey(), false).toBool());
    connect(sbLivePane, &QToolButton::toggled, this, [this](bool shown) {
        programSettings().setValue(paneSettingKey(), shown);
        showPane(shown);
    });
    auto *layout = new QHBoxLayout(m_status);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(labLiveCheck);
    layout->addWidget(sbLivePane);
    m_status->hide();
}

void LiveCheckView::buildPane(QWidget *tab)
{
    m_pane = new QWidget(tab);
    m_pane->setObjectName(QStringLiteral("pnlLiveCheck"));
    m_model = new CheckResultModel({}, this);
    dgLiveCheck = new QTableView(m_pane);
    ReadOnlyGrid::setUp(dgLiveCheck, QStringLiteral("dgLiveCheck"), m_model);
    // Narrower than the result window's: the steps stand beside the list.
    dgLiveCheck->setColumnWidth(CheckResultModel::Remark, RemarkWidth);
    dgLiveCheck->setColumnWidth(CheckResultModel::Money1, TfmVELQ8CHECK::AmountColumnWidth);
    dgLiveCheck->setColumnWidth(CheckResultModel::Money2, TfmVELQ8CHECK::AmountColumnWidth);
    connect(dgLiveCheck, &QTableView::clicked, this, &LiveCheckView::goToAccount);
    connect(dgLiveCheck, &QTableView::activated, this, &LiveCheckView::goToAccount);
    pnlSteps = new CheckStepPane(m_pane);
    auto *splitter = new QSplitter(Qt::Horizontal, m_pane);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(dgLiveCheck);
    splitter->addWidget(pnlSteps);
    splitter->setSizes({RemarkWidth + 2 * TfmVELQ8CHECK::AmountColumnWidth + 40, 600});
    auto *layout = new QVBoxLayout(m_pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    m_pane->hide();
}

void LiveCheckView::follow(bool editing, Period period)
{
    if (editing && m_session->start(period.year, period.month)) {
        m_status->show();
        showPane(sbLivePane->isChecked());
        return;
    }
    if (editing && !m_session->errorText().isEmpty()) {
        // The check cannot run, which is said; the editing goes on without it.
        labLiveCheck->setText(QStringLiteral("無法即時檢核"));
        labLiveCheck->setToolTip(m_session->errorText());
        m_status->show();
        return;
    }
    m_session->stop();
    m_status->hide();
    m_pane->hide();
    m_listed.clear();
    setRows({});
    pnlSteps->showExplanation(std::nullopt);
}

void LiveCheckView::showPane(bool shown)
{
    const bool visible = shown && m_session->isRunning();
    if (visible)
        showFailures();
    m_pane->setVisible(visible);
}

void LiveCheckView::showCount()
{
    labLiveCheck->setToolTip({});
    labLiveCheck->setText(m_session->isRunning() ? countText(m_session->check().failingCount()) : QString());
}

void LiveCheckView::showFailures()
{
    const LiveCheck &check = m_session->check();
    // The formula looked at stays current when it still fails.
    const QModelIndex current = dgLiveCheck->currentIndex();
    const std::optional<LiveCheck::Failure> was =
        current.isValid() && current.row() < m_listed.size() ? std::optional(m_listed.at(current.row()))
                                                             : std::nullopt;
    m_listed = check.failures();
    QList<CheckResultRow> rows;
    rows.reserve(m_listed.size());
    for (const LiveCheck::Failure &failure : std::as_const(m_listed))
        rows.append(check.row(failure));
    setRows(rows);
    const qsizetype keep = was ? m_listed.indexOf(*was) : -1;
    if (!m_listed.isEmpty())
        dgLiveCheck->setCurrentIndex(m_model->index(int(std::max<qsizetype>(keep, 0)), 0));
    showSteps();
}

void LiveCheckView::setRows(const QList<CheckResultRow> &rows)
{
    // The old model goes later: a click on it may still be on its way out of the view.
    QItemSelectionModel *oldSelection = dgLiveCheck->selectionModel();
    m_model->deleteLater();
    m_model = new CheckResultModel(rows, this);
    dgLiveCheck->setModel(m_model);
    oldSelection->deleteLater();
    connect(dgLiveCheck->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &LiveCheckView::showSteps);
}

void LiveCheckView::showSteps()
{
    const QModelIndex current = dgLiveCheck->currentIndex();
    if (!current.isValid() || current.row() >= m_listed.size()) {
        pnlSteps->showExplanation(std::nullopt);
        return;
    }
    pnlSteps->showExplanation(m_session->check().explain(m_listed.at(current.row())));
}

void LiveCheckView::goToAccount(const QModelIndex &index)
{
    if (!index.isValid() || index.row() >= m_listed.size())
        return;
    const int row = m_session->rowOf(m_listed.at(index.row()));
    if (row < 0)
        return;
    // The value being typed goes where it belongs before the cursor moves; a
    // refused one keeps the cursor in its cell.
    if (m_grid && !m_grid->settleEditor())
        return;
    m_rows.moveTo(row);
    if (m_grid)
        m_grid->focusColumn(m_amountColumn);
}
