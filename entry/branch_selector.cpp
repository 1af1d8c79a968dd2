#include "entry/branch_selector.h"

#include "db/reference_lists.h"
#include "db/table_cursor.h"

#include <QSignalBlocker>

namespace {
constexpr int HeadOfficeCodeLength = 3;
}

BranchSelector::BranchSelector(ReferenceLists &references, QWidget *parent)
    : QComboBox(parent), m_references(references)
{
    setObjectName(QStringLiteral("cbxBank"));
    setEditable(false);
    setMinimumContentsLength(24);
    refill();
}

void BranchSelector::refill()
{
    const QString chosen = currentIndex() < 0 ? QString() : unitCode();
    // Refilling is no change of the unit: the tab closes its rows only when the user picks.
    const QSignalBlocker quiet(this);
    clear();
    TableCursor &institutions = m_references.tblBN01();
    for (int row = 0; row < institutions.recordCount(); ++row) {
        const QString code = institutions.value(row, QStringLiteral("BANK_NO")).toString().trimmed();
        if (code.size() <= HeadOfficeCodeLength)
            continue;
        addItem(code + QStringLiteral("  ")
                + institutions.value(row, QStringLiteral("BANK_NAME")).toString().trimmed());
    }
    int index = -1;
    for (int i = 0; i < count() && !chosen.isEmpty() && index < 0; ++i) {
        if (itemText(i).left(7) == chosen)
            index = i;
    }
    setCurrentIndex(index);
}

void BranchSelector::showPopup()
{
    refill();
    QComboBox::showPopup();
}
