#include "checks/ui/formula_browse_window.h"

#include "checks/formula_import.h"
#include "checks/ui/browse_grid.h"
#include "db/cached_dataset.h"
#include "db/database.h"
#include "ui/dialog_runner.h"
#include "ui/messages.h"
#include "ui/navigation_buttons.h"
#include "ui/status_panels.h"
#include "ui/window_placement.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

const QString FormulaBrowseWindow::OperatorMessage =
    QStringLiteral("請輸入正確的運算式 \"+\", \"-\", \"*\", \"/\" !!!");

namespace {

constexpr int OperatorColumn = 1;
constexpr int ShownFaults = 10;

} // namespace

FormulaBrowseWindow::FormulaBrowseWindow(const Spec &spec, QWidget *parent)
    : BrowseWindow(spec.className, spec.caption, parent), m_spec(spec)
{
    m_qryRuleNo = new CachedDataset(Database::connectionName(), this);
    m_qryRuleNo->setObjectName(QStringLiteral("qryRuleNo"));
    m_qryRuleNo->setSql(QStringLiteral("Select A.acc_type, A.cano, A.quop, A.remark from %1 A Order by A.cano")
                            .arg(spec.tables.headerTable));
    m_qryRuleNo->setColumns({QStringLiteral("cano"), QStringLiteral("remark")});
    m_qryRuleNo->setColumnTitle(QStringLiteral("cano"), QStringLiteral("公式編號"));
    m_qryRuleNo->setColumnTitle(QStringLiteral("remark"), QStringLiteral("公式說明"));
    m_qryRuleNo->setAllColumnsReadOnly(true);
    m_qryRuleLeft = makeTermDataset(QStringLiteral("qryRuleLeft"), QStringLiteral("0"));
    m_qryRuleRight = makeTermDataset(QStringLiteral("qryRuleRight"), QStringLiteral("1"));

    m_dgRuleNo = new BrowseGrid(QStringLiteral("dgRuleNo"), m_qryRuleNo, this);
    m_dgRuleNo->setColumnWidths({CanoWidth, RemarkWidth});
    m_dgRuleLeft = makeTermGrid(QStringLiteral("dgRuleLeft"), m_qryRuleLeft, spec.leftNameWidth);
    m_dgRuleRight = makeTermGrid(QStringLiteral("dgRuleRight"), m_qryRuleRight, spec.rightNameWidth);

    m_cmbQuop = new QComboBox(this);
    m_cmbQuop->setObjectName(QStringLiteral("CmbQuop"));
    // Editable, so that a comparison outside the list ("<>") is shown as well.
    m_cmbQuop->setEditable(true);
    m_cmbQuop->addItems({QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<"),
                         QStringLiteral(">="), QStringLiteral("<=")});
    m_cmbQuop->setEnabled(false);
    m_cmbQuop->setMaximumWidth(70);
    // Disabled, but the comparison is there to be read: drawn in the normal colour.
    QPalette palette = m_cmbQuop->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    m_cmbQuop->setPalette(palette);

    auto *terms = new QGridLayout;
    terms->addWidget(new QLabel(QStringLiteral("左式"), this), 0, 0);
    terms->addWidget(new QLabel(QStringLiteral("等式"), this), 0, 1);
    terms->addWidget(new QLabel(QStringLiteral("右式"), this), 0, 2);
    terms->addWidget(m_dgRuleLeft, 1, 0);
    terms->addWidget(m_cmbQuop, 1, 1, Qt::AlignTop);
    terms->addWidget(m_dgRuleRight, 1, 2);
    terms->setColumnStretch(0, 1);
    terms->setColumnStretch(2, 1);
    body()->addWidget(m_dgRuleNo, 1);
    body()->addLayout(terms, 1);

    auto *import = new QPushButton(QStringLiteral("匯入公式"));
    import->setObjectName(QStringLiteral("sbImport"));
    addButton(import);
    connect(import, &QPushButton::clicked, this, &FormulaBrowseWindow::chooseFile);

    m_status = new StatusPanels(QStringLiteral("StatusBar"), this);
    layout()->addWidget(m_status);

    connect(m_qryRuleNo, &CachedDataset::currentRowChanged, this, &FormulaBrowseWindow::readTerms);
    connect(m_dgRuleNo, &QAbstractItemView::clicked, this, &FormulaBrowseWindow::formulaCellClicked);

    openFormulas();
    resize(1000, 700);
    WindowPlacement::maximise(this);
}

CachedDataset *FormulaBrowseWindow::makeTermDataset(const QString &name, const QString &side)
{
    auto *dataset = new CachedDataset(Database::connectionName(), this);
    dataset->setObjectName(name);
    // The period column is display only: worked out here from TCURR, never stored.
    dataset->setSql(QStringLiteral(
                        "Select A.acc_type, A.cano, A.left_flag, A.nserial, A.acc_code, A.noop, A.TCURR, "
                        "(case when trim(coalesce(A.TCURR, '')) = '' then '當期' else '前期' end) AS MTCURR, "
                        "(B.acc_code || ' ' || B.acc_name) as accname "
                        "From %1 A, %2 B "
                        "Where A.left_flag = '%3' and A.acc_code = B.acc_code "
                        "and A.cano = :cano "
                        "Order by A.nserial")
                        .arg(m_spec.tables.termTable, m_spec.tables.accountTable, side));
    dataset->setColumns({QStringLiteral("accname"), QStringLiteral("noop"), QStringLiteral("MTCURR")});
    dataset->setColumnTitle(QStringLiteral("accname"), QStringLiteral("科目名稱"));
    dataset->setColumnTitle(QStringLiteral("noop"), QStringLiteral("運算式"));
    dataset->setColumnTitle(QStringLiteral("MTCURR"), QStringLiteral("期別"));
    dataset->setAllColumnsReadOnly(true);
    return dataset;
}

BrowseGrid *FormulaBrowseWindow::makeTermGrid(const QString &name, CachedDataset *dataset, int nameWidth)
{
    auto *grid = new BrowseGrid(name, dataset, this);
    grid->setColumnWidths({nameWidth, OperatorWidth, PeriodWidth});
    grid->installEventFilter(this);
    return grid;
}

void FormulaBrowseWindow::openFormulas()
{
    m_qryRuleNo->close();
    // Standing on a formula reads its terms; without one they are read empty.
    if (openNavigated(m_qryRuleNo) && m_qryRuleNo->isEmpty())
        readTerms();
}

void FormulaBrowseWindow::readTerms()
{
    const QString cano = m_qryRuleNo->currentRow() >= 0 ? m_qryRuleNo->value(QStringLiteral("cano")).toString()
                                                        : QString();
    m_cmbQuop->setEditText(m_qryRuleNo->currentRow() >= 0
                               ? m_qryRuleNo->value(QStringLiteral("quop")).toString().trimmed()
                               : QString());
    for (CachedDataset *terms : {m_qryRuleLeft, m_qryRuleRight}) {
        terms->setParam(QStringLiteral("cano"), cano);
        if (!terms->open()) {
            Messages::current().error(terms->lastError(), this);
            return;
        }
    }
}

void FormulaBrowseWindow::afterMove()
{
    m_status->setAction(QStringLiteral("Ready"));
}

void FormulaBrowseWindow::formulaCellClicked()
{
    if (m_qryRuleNo->state() != CachedDataset::State::Browse)
        return;
    navigation()->refresh();
    m_cmbQuop->setEnabled(false);
    exitButton()->setEnabled(true);
    m_status->setAction(QStringLiteral("Ready"));
}

bool FormulaBrowseWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *grid = qobject_cast<QAbstractItemView *>(watched);
    if (event->type() == QEvent::KeyPress && (grid == m_dgRuleLeft || grid == m_dgRuleRight)
        && grid->currentIndex().column() == OperatorColumn) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        static const QStringList accepted{QStringLiteral("\t"), QStringLiteral("+"), QStringLiteral("-"),
                                          QStringLiteral("*"), QStringLiteral("/")};
        // Keys without a character (arrows, function keys) are not typing.
        if (!text.isEmpty() && !accepted.contains(text)) {
            Messages::current().information(OperatorMessage, this);
            return true;
        }
    }
    return BrowseWindow::eventFilter(watched, event);
}

void FormulaBrowseWindow::chooseFile()
{
    QFileDialog dialog(this, QStringLiteral("選擇公式檔"));
    dialog.setObjectName(QStringLiteral("FormulaFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("公式檔 (*.tsv *.txt)"), QStringLiteral("所有檔案 (*)")});
    if (DialogRunner::run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    importFile(dialog.selectedFiles().constFirst());
}

bool FormulaBrowseWindow::importFile(const QString &path)
{
    Messages &messages = Messages::current();
    FormulaImport import(m_spec.tables);
    if (!import.prepare(path)) {
        QStringList shown;
        for (const FormulaFileFault &fault : import.faults().mid(0, ShownFaults))
            shown << fault.text();
        if (import.faults().size() > ShownFaults)
            shown << QStringLiteral("... 共 %1 處錯誤").arg(import.faults().size());
        messages.warning(QStringLiteral("公式檔有誤,未載入!!!\n\n") + shown.join(u'\n'), this, import.faultText());
        return false;
    }
    if (!messages.question(QStringLiteral("確定要以公式檔的 %1 個公式取代現有的%2嗎?")
                               .arg(import.formulaCount())
                               .arg(m_spec.setName),
                           this))
        return false;
    if (!import.replace()) {
        messages.error(import.errorText(), this);
        return false;
    }
    messages.information(QStringLiteral("公式載入成功!!!"), this);
    openFormulas();
    return true;
}
