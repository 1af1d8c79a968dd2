#include "entry/overdue_ratio_tab.h"

#include "db/reference_lists.h"
#include "db/table_cursor.h"
#include "entry/branch_selector.h"
#include "ui/ratio_delegate.h"
#include "ui/shell.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

// A unit as the grid shows it: its code, two blanks and its name.
QString unitText(const TableCursor &institutions, int row)
{
    return institutions.value(row, QStringLiteral("BANK_NO")).toString().trimmed() + QStringLiteral("  ")
        + institutions.value(row, QStringLiteral("BANK_NAME")).toString().trimmed();
}

RowTabDescription::CodeColumn unitColumn()
{
    RowTabDescription::CodeColumn unit;
    unit.displayField = QStringLiteral("BANK_NAME");
    unit.codeField = QStringLiteral("BANK_CODE1");
    unit.codeLength = 7;
    unit.unknownMessage = QStringLiteral("無此銀行機構,請查明再行輸入!!!");
    // The declaring institution itself, the first record, is never offered.
    unit.items = [](Shell &shell) {
        QList<std::pair<QString, QString>> items;
        TableCursor &institutions = shell.references().tblBN01();
        for (int row = 1; row < institutions.recordCount(); ++row)
            items.append({institutions.value(row, QStringLiteral("BANK_NO")).toString().trimmed(),
                          unitText(institutions, row)});
        return items;
    };
    // Any BN01 record by its exact code.
    unit.entered = [](Shell &shell, const QString &code) -> std::optional<QString> {
        TableCursor &institutions = shell.references().tblBN01();
        const int row = code.isEmpty() ? -1 : institutions.indexOfKey({code});
        if (row < 0)
            return std::nullopt;
        return unitText(institutions, row);
    };
    return unit;
}

} // namespace

RowTabDescription OverdueRatioTab::description()
{
    using Editing = RowTabDescription::Editing;
    RowTabDescription d;
    d.kind = DeclarationKind::B02;
    d.gridName = QStringLiteral("DBGEMPBANK4");
    d.columns = {
        {.field = QStringLiteral("M_YEAR"), .title = QStringLiteral("年"), .width = 30, .editing = Editing::AddOnly},
        {.field = QStringLiteral("M_MONTH"), .title = QStringLiteral("月"), .width = 30, .editing = Editing::AddOnly},
        {.field = QStringLiteral("BANK_NAME"),
         .title = QString(14, u' ') + QStringLiteral("逾期放款比率高於3%的營業單位"),
         .width = 400,
         .editing = Editing::Always,
         .centred = true},
        {.field = QStringLiteral("M_RATE"),
         .title = QStringLiteral("  逾期放款比率  "),
         .displayPicture = QStringLiteral(",#.###"),
         .editPicture = QStringLiteral("#.###"),
         .editing = Editing::Always,
         .delegate = [](QObject *parent) { return new RatioDelegate(parent); },
         // An empty ratio counts as 0; exactly 3 passes.
         .warnWhen = [](const QVariant &ratio) { return ratio.toDouble() < 3.0; },
         .warning = QStringLiteral("此利率低於百分之三,不符合條件,請查明再行輸入!!!")},
    };
    d.codeColumns = {unitColumn()};
    d.titleFont = QStringLiteral("標楷體");
    d.titlePixels = 16;
    d.cellFont = QStringLiteral("細明體");
    d.cellPixels = 16;
    d.duplicateStatement = QStringLiteral("Select * from EM03 Where M_YEAR = :M_YEAR2 and M_MONTH = :M_MONTH2 "
                                          "and BANK_CODE1=:BANK_CODE1 ");
    d.keyByPeriodAndCodes(QStringLiteral("M_YEAR2"), QStringLiteral("M_MONTH2"));
    d.pagesDisabledWhileEditing = {DeclarationKind::B01, DeclarationKind::B03, DeclarationKind::B04,
                                   DeclarationKind::B05};
    d.periodRule = true;
    return d;
}

OverdueRatioTab::OverdueRatioTab(Shell &shell, QWidget *parent)
    : RowTab(shell, description(), parent)
{
    m_branches = new BranchSelector(shell.references(), this);
    // Beside the period, before the header's closing stretch.
    const int at = headerLayout()->count() - 1;
    headerLayout()->insertWidget(at, new QLabel(QStringLiteral("分行"), this));
    headerLayout()->insertWidget(at + 1, m_branches);
    connect(m_branches, &QComboBox::currentIndexChanged, this, [this] { closeRows(); });
}

RowTab::Filter OverdueRatioTab::ownFilter() const
{
    // A unit narrows whatever the period filters are, a year or month of 0 included.
    const QString unit = m_branches->unitCode();
    if (unit.isEmpty())
        return {};
    return {QStringLiteral("AND EM03.BANK_CODE1=:BANKCODE "), {{QStringLiteral("BANKCODE"), unit}}};
}

void OverdueRatioTab::clearOwn()
{
    m_branches->clearSelection();
}

void OverdueRatioTab::ownButtonStates(bool browse)
{
    // Choosing a unit closes the rows: never while one is in editing.
    m_branches->setEnabled(browse);
}
