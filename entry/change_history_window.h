#pragma once

#include <QDialog>
#include <QList>
#include <QString>

struct ChangeEntry;
class QTableWidget;

// The history of one declaration row (ChangeEntry::ofRow), oldest first: when,
// who, the operation, its values before and after. Read-only: nothing here
// changes the history.
class ChangeHistoryWindow : public QDialog
{
    Q_OBJECT
public:
    ChangeHistoryWindow(const QString &rowCaption, const QList<ChangeEntry> &entries, QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }

private:
    QTableWidget *m_table = nullptr;
};
