#include "entry/change_history_window.h"

#include "db/change_list.h"
#include "db/change_operation.h"
#include "ui/read_only_list.h"

#include <QLabel>
#include <QVBoxLayout>

ChangeHistoryWindow::ChangeHistoryWindow(const QString &rowCaption, const QList<ChangeEntry> &entries,
                                         QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TfmChangeHistory"));
    setWindowTitle(QStringLiteral("資料異動紀錄"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(rowCaption, this));
    QList<QStringList> rows;
    for (const ChangeEntry &e : entries)
        rows.append({e.doneAt, e.doneBy, ChangeOperation::words(e.operation), e.describeOld(), e.describeNew()});
    m_table = ReadOnlyList::add(this, layout, QStringLiteral("grdChangeHistory"),
                                {QStringLiteral("時間"), QStringLiteral("異動者"), QStringLiteral("作業"),
                                 QStringLiteral("異動前"), QStringLiteral("異動後")},
                                rows);
    resize(820, 360);
}
