#include "entry/operating_data_tab.h"

#include "ui/messages.h"
#include "ui/shell.h"
#include "db/cached_dataset.h"
#include "db/database.h"
#include "db/reference_lists.h"
#include "db/savepoint.h"
#include "ui/amount_delegate.h"
#include "ui/period_spin_edit.h"
#include "ui/record_grid.h"

#include <QHBoxLayout>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>

namespace {

const QString AmountField = QStringLiteral("AMT");
constexpr int AmountColumn = 3;

const QString MessageWrongPeriod = QStringLiteral("請輸入正確之申報年月資料!!!");

} // namespace

QString OperatingDataTab::monthStatement(bool byYear, bool byMonth)
{
    return DeclarationKind::get(DeclarationKind::B01).tabQuery().statement(byYear, byMonth);
}

OperatingDataTab::OperatingDataTab(Shell &shell, QWidget *parent)
    : DataTabPage(shell, DeclarationKind::B01, parent)
{
    m_qryMPBANK = new CachedDataset(QString::fromLatin1(Database::ConnectionName), this);
    m_qryMPBANK->setObjectName(QStringLiteral("qryMPBANK"));
    m_qryMPBANK->setSql(monthStatement(true, true));
    m_qryMPBANK->setUpdateTable(QStringLiteral("MPBANK"));
    m_qryMPBANK->setColumns({QStringLiteral("M_YEAR"), QStringLiteral("M_MONTH"),
                             QStringLiteral("ACCNAME"), AmountField});
    m_qryMPBANK->setColumnTitle(QStringLiteral("M_YEAR"), QStringLiteral("年"));
    m_qryMPBANK->setColumnTitle(QStringLiteral("M_MONTH"), QStringLiteral("月"));
    m_qryMPBANK->setColumnTitle(QStringLiteral("ACCNAME"),
                                QStringLiteral("科        目        名        稱"));
    m_qryMPBANK->setColumnTitle(AmountField, QStringLiteral("金額"));
    m_qryMPBANK->setColumnFormat(AmountField, QStringLiteral(",#.###"), QStringLiteral("#.###"));
    m_qryMPBANK->setAllColumnsReadOnly(true);

    m_grid = new RecordGrid(QStringLiteral("DBGEMPBANK"), this);
    m_grid->setDataset(m_qryMPBANK);
    m_grid->setItemDelegateForColumn(AmountColumn, new AmountDelegate(m_grid));
    m_grid->setAdvanceColumns(3);
    m_grid->setColumnWidth(0, 30);
    m_grid->setColumnWidth(1, 30);
    m_grid->setColumnWidth(2, 360);
    m_grid->setColumnWidth(3, 285);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    setGrid(m_grid);

    m_labDEL = new QLabel(this);
    m_labDEL->setObjectName(QStringLiteral("labDEL"));
    m_gdeDEL = new QProgressBar(this);
    m_gdeDEL->setObjectName(QStringLiteral("gdeDEL"));
    m_gdeDEL->setRange(0, 100);
    m_gdeDEL->setValue(0);
    m_gdeDEL->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: yellow; }"));
    m_gdeDEL->setMinimumWidth(200);
    m_gdeDEL->hide();
    headerLayout()->addWidget(m_labDEL);
    headerLayout()->addWidget(m_gdeDEL);

    RecordToolbar::Binding binding;
    binding.shell = &shell;
    binding.dataset = m_qryMPBANK;
    binding.grid = m_grid;
    binding.year = yearEdit();
    binding.month = monthEdit();
    binding.editableFields = {AmountField};
    toolbar()->bind(binding);
    toolbar()->setAction(RecordToolbar::Query, [this] { query(); });
    toolbar()->setAction(RecordToolbar::Add, [this] { add(); });
    toolbar()->setAction(RecordToolbar::Edit, [this] { modify(); });
    toolbar()->setAction(RecordToolbar::Del, [this] { deleteMonth(); });
    toolbar()->setAction(RecordToolbar::Post, [this] { save(); });
    toolbar()->setButtonsEnabled({RecordToolbar::Query, RecordToolbar::Add, RecordToolbar::Exit,
                                  RecordToolbar::Clear},
                                 true);
}

void OperatingDataTab::focusYear()
{
    yearEdit()->setFocus(Qt::OtherFocusReason);
}

std::optional<bool> OperatingDataTab::runMonthQuery()
{
    CachedDataset &dataset = *m_qryMPBANK;
    dataset.close();
    const int year = toolbar()->year();
    const int month = toolbar()->month();
    dataset.disableControls();
    dataset.setSql(monthStatement(year != 0, month != 0));
    dataset.clearParams();
    dataset.setParam(QStringLiteral("BANK_CODE"), shell().declaringBankCode());
    if (year != 0)
        dataset.setParam(QStringLiteral("seYYY"), year);
    if (month != 0)
        dataset.setParam(QStringLiteral("seMM"), month);
    const bool opened = dataset.open();
    dataset.enableControls();
    if (!opened) {
        Messages::current().error(dataset.lastError(), window());
        return std::nullopt;
    }
    return dataset.recordCount() > 0;
}

void OperatingDataTab::createMonthRows()
{
    CachedDataset &dataset = *m_qryMPBANK;
    CachedDataset &accounts = shell().references().qryCACNO();
    if (!accounts.isOpen() && !accounts.open()) {
        Messages::current().error(accounts.lastError(), window());
        return;
    }
    const QVariant year = toolbar()->year();
    const QVariant month = toolbar()->month();
    const QVariant bank = shell().declaringBankCode();
    const bool hasAccName = accounts.fieldIndex(QStringLiteral("ACCNAME")) >= 0;
    const QVariant zero = 0.0;

    dataset.disableControls();
    const int count = accounts.recordCount();
    for (int i = 0; i < count; ++i) {
        const QVariant code = accounts.value(i, QStringLiteral("ACC_CODE"));
        const QVariant name = hasAccName
            ? accounts.value(i, QStringLiteral("ACCNAME"))
            : QVariant(code.toString() + QStringLiteral("  ")
                       + accounts.value(i, QStringLiteral("ACC_NAME")).toString());
        dataset.append();
        dataset.setValue(QStringLiteral("M_YEAR"), year);
        dataset.setValue(QStringLiteral("M_MONTH"), month);
        dataset.setValue(QStringLiteral("BANK_CODE"), bank);
        dataset.setValue(QStringLiteral("ACC_CODE"), code);
        dataset.setValue(QStringLiteral("SERIAL"), i + 1);
        dataset.setValue(QStringLiteral("ACCNAME"), name);
        dataset.setValue(AmountField, zero);
        dataset.post();
    }
    dataset.first();
    dataset.enableControls();
}

void OperatingDataTab::query()
{
    toolbar()->query([this] { return runMonthQuery(); });
}

bool OperatingDataTab::refuseIncompletePeriod(const QString &message)
{
    if (toolbar()->year() != 0 && toolbar()->month() != 0)
        return false;
    Messages::current().warning(message, window());
    focusYear();
    return true;
}

void OperatingDataTab::add()
{
    toolbar()->zeroEmptyPeriod();
    if (refuseIncompletePeriod(MessageWrongPeriod))
        return;
    const std::optional<bool> rows = runMonthQuery();
    if (!rows)
        return;
    if (*rows) {
        // An existing month is never created again: at most it is modified.
        if (Messages::current().question(QStringLiteral("資料已存在是否確定修改!!!"), window())) {
            shell().setEditMode(EditMode::Modify);
            toolbar()->refresh();
            m_grid->focusColumn(AmountColumn);
        } else {
            toolbar()->refresh();
        }
        return;
    }
    shell().setEditMode(EditMode::Add);
    createMonthRows();
    toolbar()->refresh();
    m_grid->focusColumn(AmountColumn);
}

void OperatingDataTab::modify()
{
    // An empty spin edit counts as 0 here but keeps its text: writing a 0 into
    // it would run the change rule and close the loaded month.
    if (refuseIncompletePeriod(MessageWrongPeriod))
        return;
    const std::optional<bool> rows = runMonthQuery();
    if (!rows)
        return;
    if (*rows) {
        shell().setEditMode(EditMode::Modify);
        m_qryMPBANK->edit();
        toolbar()->refresh();
        m_grid->focusColumn(AmountColumn);
        return;
    }
    if (!Messages::current().question(QStringLiteral("查無此資料，請問是否要新增 ???"), window()))
        return;
    shell().setEditMode(EditMode::Add);
    createMonthRows();
    m_qryMPBANK->edit();
    toolbar()->refresh();
    m_grid->focusColumn(AmountColumn);
}

void OperatingDataTab::deleteMonth()
{
    // As Modify: an empty spin edit counts as 0 and keeps its text.
    if (refuseIncompletePeriod(QStringLiteral("請輸入欲刪除之年月資料!!!")))
        return;
    shell().setStatusText(QStringLiteral("刪除"));
    const std::optional<bool> rows = runMonthQuery();
    if (!rows)
        return;
    if (!*rows) {
        Messages::current().warning(QStringLiteral("查無欲刪除之年月資料!!!"), window());
        return;
    }
    if (!Messages::current().confirm(QStringLiteral("確定要刪除嗎 ???"), window()))
        return;

    CachedDataset &dataset = *m_qryMPBANK;
    m_labDEL->setText(QStringLiteral("資料刪除中請稍候...."));
    m_labDEL->repaint();
    const int start = dataset.recordCount();
    m_gdeDEL->setValue(0);
    m_gdeDEL->show();
    dataset.disableControls();
    dataset.first();
    // The gauge follows every deletion; it is painted at most once a frame, which
    // is all an eye can follow and keeps the loop from waiting on the screen.
    QElapsedTimer sincePaint;
    sincePaint.start();
    int deleted = 0;
    while (dataset.recordCount() > 0) {
        if (!dataset.remove())
            break;
        ++deleted;
        if (dataset.recordCount() > 0) {
            m_gdeDEL->setValue(deleted * 100 / start);
            if (sincePaint.elapsed() >= 16) {
                m_gdeDEL->repaint();
                sincePaint.restart();
            }
        }
    }

    // The month goes as a whole or not at all.
    Savepoint transaction(Database::connection(), QStringLiteral("velq8_delete_month"));
    QString error = transaction.error();
    bool ok = transaction.isActive();
    if (ok && !dataset.applyUpdates()) {
        ok = false;
        error = dataset.lastError();
    }
    if (ok && !transaction.release()) {
        ok = false;
        error = transaction.error();
    }
    if (ok) {
        dataset.commitUpdates();
        dataset.enableControls();
        Messages::current().information(QStringLiteral("刪除成功!!!"), window());
    } else {
        transaction.rollback();
        dataset.enableControls();
        Messages::current().information(QStringLiteral("刪除失敗!!!"), window(), error);
    }
    m_gdeDEL->hide();
    m_labDEL->clear();
}

bool OperatingDataTab::save()
{
    return toolbar()->save();
}

void OperatingDataTab::afterImport()
{
    shell().setEditMode(EditMode::Browse);
    toolbar()->refresh();
    if (!m_qryMPBANK->isEmpty())
        m_grid->setFocus();
}

bool OperatingDataTab::saveOnClose()
{
    CachedDataset &dataset = *m_qryMPBANK;
    if (!dataset.isOpen())
        return true;
    // A value refused in the cell keeps the window open, so it can be mended.
    if (!m_grid->settleEditor())
        return false;
    const bool editing = dataset.state() == CachedDataset::State::Edit
        || dataset.state() == CachedDataset::State::Insert;
    // Rows keyed in but no longer in the editor are saved as well: closing never
    // drops them without a word.
    if (!editing && !dataset.hasPendingUpdates())
        return true;
    if (!dataset.applyUpdates()) {
        Messages::current().error(dataset.lastError(), window());
        return false;
    }
    dataset.commitUpdates();
    shell().setEditMode(EditMode::Browse);
    toolbar()->refresh();
    return true;
}
