#include "app/export_log_window.h"

#include "common/period.h"
#include "db/export_record.h"
#include "ui/read_only_list.h"

#include <QDir>
#include <QVBoxLayout>

ExportLogWindow::ExportLogWindow(const QList<ExportRecord> &records, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TfmExportLog"));
    setWindowTitle(QStringLiteral("匯出紀錄"));
    auto *layout = new QVBoxLayout(this);
    QList<QStringList> rows;
    for (const ExportRecord &r : records) {
        const Period period{r.year, r.month};
        rows.append({r.doneAt, r.doneBy, r.kind, r.bankCode, period.yearText() + u'/' + period.monthText(),
                     QString::number(r.records), r.sha256,
                     QDir::toNativeSeparators(QDir(r.folder).filePath(r.fileName))});
    }
    m_table = ReadOnlyList::add(this, layout, QStringLiteral("grdExportLog"),
                                {QStringLiteral("時間"), QStringLiteral("匯出者"), QStringLiteral("種類"),
                                 QStringLiteral("機構"), QStringLiteral("期間"), QStringLiteral("筆數"),
                                 QStringLiteral("SHA-256"), QStringLiteral("檔案")},
                                rows);
    resize(960, 420);
}
