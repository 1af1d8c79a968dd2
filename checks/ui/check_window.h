#pragma once

#include "checks/check_result_row.h"

#include <QDialog>
#include <QList>

class CheckResultModel;
class QPushButton;
class QTableView;

// TfmVELQ8CHECK, the result window of the operating and county data checks
// ("公式檢核"): one read-only grid of the result rows and the button "離開".
// Opened maximised; it shows exactly the rows it was given.
class TfmVELQ8CHECK : public QDialog
{
    Q_OBJECT
public:
    static constexpr int DesignWidth = 808;
    static constexpr int DesignHeight = 608;
    static constexpr int RemarkColumnWidth = 609;
    static constexpr int AmountColumnWidth = 140;

    explicit TfmVELQ8CHECK(const QList<CheckResultRow> &rows, QWidget *parent = nullptr);

    // What both checks do with their findings: none, the warning "資料完全符合!!!";
    // otherwise this window, modal over the tab's window (through DialogRunner),
    // freed when it closes.
    static void showFindings(const QList<CheckResultRow> &rows, QWidget *tab);

    QTableView *DBGridExt1 = nullptr;
    QPushButton *sbExit = nullptr;
    CheckResultModel *model() const { return m_model; }

private slots:
    void sbExitClick();

private:
    CheckResultModel *m_model = nullptr;
};
