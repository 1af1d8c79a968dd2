#include "app/export_log_window.h"

#include "common/period.h"
#include "db/export_record.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

ExportLogWindow::ExportLogWindow(const QList<ExportRecord> &records, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TfmExportLog"));
    setWindowTitle(QStringLiteral("匯出紀錄"));
    auto *layout = new QVBoxLayout(this);
    m_table = new QTableWidget(int(records.size()), 8, this);
    m_table->setObjectName(QStringLiteral("grdExportLog"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("時間"), QStringLiteral("匯出者"), QStringLiteral("種類"),
                                        QStringLiteral("機構"), QStringLiteral("期間"), QStringLiteral("筆數"),
                                        QStringLiteral("SHA-256"), QStringLiteral("檔案")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int row = 0; row < records.size(); ++row) {
        const ExportRecord &r = records.at(row);
        const Period period{r.year, r.month};
        const QStringList cells{r.doneAt, r.doneBy, r.kind, r.bankCode,
                                period.yearText() + u'/' + period.monthText(), QString::number(r.records), r.sha256,
                                QDir::toNativeSeparators(QDir(r.folder).filePath(r.fileName))};
        for (int column = 0; column < cells.size(); ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->resizeColumnsToContents();
    layout->addWidget(m_table);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(960, 420);
}
