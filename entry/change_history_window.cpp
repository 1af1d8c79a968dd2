#include "entry/change_history_window.h"

#include "db/change_list.h"
#include "db/change_operation.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

ChangeHistoryWindow::ChangeHistoryWindow(const QString &rowCaption, const QList<ChangeEntry> &entries,
                                         QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TfmChangeHistory"));
    setWindowTitle(QStringLiteral("資料異動紀錄"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(rowCaption, this));
    m_table = new QTableWidget(int(entries.size()), 5, this);
    m_table->setObjectName(QStringLiteral("grdChangeHistory"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("時間"), QStringLiteral("異動者"), QStringLiteral("作業"), QStringLiteral("異動前"),
         QStringLiteral("異動後")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int row = 0; row < entries.size(); ++row) {
        const ChangeEntry &e = entries.at(row);
        const QStringList cells{e.doneAt, e.doneBy, ChangeOperation::words(e.operation), e.describeOld(),
                                e.describeNew()};
        for (int column = 0; column < cells.size(); ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->resizeColumnsToContents();
    layout->addWidget(m_table);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(820, 360);
}
