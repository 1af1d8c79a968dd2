#pragma once

#include <QDialog>
#include <QList>

struct ExportRecord;
class QTableWidget;

// Every declaration file written, newest first (ExportRecord::list): when,
// who, kind, institution, period, records, SHA-256 and the file. Opened from
// the maintenance tab (匯出紀錄); read-only.
class ExportLogWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ExportLogWindow(const QList<ExportRecord> &records, QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table = nullptr;
};
