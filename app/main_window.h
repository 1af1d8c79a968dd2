#pragma once

#include "app/shell.h"

#include <QDate>
#include <QList>
#include <QMainWindow>
#include <functional>
#include <memory>

class CachedDataset;
class DataTab;
class QLabel;
class QPushButton;
class QTabWidget;
class TableCursor;

// The main window: seven tabs (five data tabs and two button tabs), the status
// bar, the declaring institution and the default period. It owns the
// connection's reference cursors and every data tab's dataset (through the tabs).
class TfmVELQ8MAIN : public QMainWindow, public Shell
{
    Q_OBJECT
public:
    // The database connection "CVELQ" must be open. `today` is injected so the
    // default period does not depend on the clock in tests.
    explicit TfmVELQ8MAIN(const QDate &today = QDate::currentDate(), QWidget *parent = nullptr);
    ~TfmVELQ8MAIN() override;

    static QString title() { return QStringLiteral("Velqora<VELQ8>"); }

    // Shell
    int editMode() const override { return m_editMode; }
    void setEditMode(int mode) override { m_editMode = mode; }
    QString declaringBankCode() override;
    QString declaringBankName() override;
    TableCursor &tblBN01() override { return *m_tblBN01; }
    CachedDataset &qryCACNO() override { return *m_qryCACNO; }
    void setStatusText(const QString &text) override;
    void setButtonTabsEnabled(bool enabled) override;
    void setImportKind(int kind) override { m_importKind = kind; }
    int importKind() const override { return m_importKind; }
    void setImportInProgress(bool on) override { m_importInProgress = on; }
    bool importInProgress() const override { return m_importInProgress; }
    void requestClose() override { close(); }
    QDate today() const override { return m_today; }
    QWidget *window() override { return this; }

    // Re-reads BN01 and sets the five name labels (after the institution dialog).
    void refreshBankName();

    QString statusText(int panel) const;
    QList<DataTab *> dataTabs() const { return m_dataTabs; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildStatusBar();
    void buildPages();
    QWidget *buildButtonPage(const QString &name, const QList<QPushButton *> &buttons);
    QPushButton *addDialogButton(const QString &objectName, const QString &caption,
                                 std::function<void()> open);
    void openReferenceData();
    void toggleCapsLock();
    bool saveTabsOnClose();

    QDate m_today;
    int m_editMode = Browse;
    int m_importKind = 0;
    bool m_importInProgress = false;
    bool m_focusGiven = false;

    std::unique_ptr<TableCursor> m_tblBN01;
    std::unique_ptr<TableCursor> m_tblCustomer;
    std::unique_ptr<TableCursor> m_tblCD01;
    CachedDataset *m_qryCACNO = nullptr;
    CachedDataset *m_qryCD01 = nullptr;
    CachedDataset *m_qryHCACNO = nullptr;

    QTabWidget *m_pages = nullptr;
    QWidget *m_maintenancePage = nullptr;
    QWidget *m_reportPage = nullptr;
    QList<QLabel *> m_panels;
    QList<DataTab *> m_dataTabs;
};
