#pragma once

#include "ui/shell.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <functional>
#include <memory>

class DataTab;
class QLabel;
class QPushButton;
class QTabWidget;
class ReferenceLists;

// The main window: seven tabs (five data tabs and two button tabs), the status
// bar, the declaring institution and the default period. It owns the
// connection's reference cursors and every data tab's dataset (through the tabs).
class TfmVELQ8MAIN : public QMainWindow, public Shell
{
    Q_OBJECT
public:
    // The application connection must be open. `today` is injected so the
    // default period does not depend on the clock in tests.
    explicit TfmVELQ8MAIN(const QDate &today = QDate::currentDate(), QWidget *parent = nullptr);
    ~TfmVELQ8MAIN() override;

    static QString title() { return QStringLiteral("Velqora<VELQ8>"); }

    // Shell
    EditMode editMode() const override { return m_editMode; }
    void setEditMode(EditMode mode) override { m_editMode = mode; }
    ReferenceLists &references() override { return *m_references; }
    QString declaringBankCode() override;
    QString declaringBankName() override;
    void setStatusText(const QString &text) override;
    void setButtonTabsEnabled(bool enabled) override;
    void setDataPagesEnabled(const QList<DeclarationKind::Id> &kinds, bool enabled) override;
    void setImportKind(DeclarationKind::Id kind) override { m_importKind = kind; }
    DeclarationKind::Id importKind() const override { return m_importKind; }
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
    EditMode m_editMode = EditMode::Browse;
    DeclarationKind::Id m_importKind = DeclarationKind::B01;
    bool m_importInProgress = false;
    bool m_focusGiven = false;

    std::unique_ptr<ReferenceLists> m_references;

    QTabWidget *m_pages = nullptr;
    QWidget *m_maintenancePage = nullptr;
    QWidget *m_reportPage = nullptr;
    QList<QLabel *> m_panels;
    QList<DataTab *> m_dataTabs;
    QHash<DeclarationKind::Id, QWidget *> m_dataPages;
};
