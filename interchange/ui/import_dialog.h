#pragma once

#include "db/declaration_kind.h"
#include "interchange/import_engine.h"

#include <QDialog>
#include <functional>

class CachedDataset;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTreeView;
class Shell;

// "匯入作業": reads one declaration file into the dataset of the tab that opened
// it and stores it, replacing the stored month when the user agrees.
//
// It offers a directory tree (`dlbDIRECT`) with the chosen directory's path
// (`edtDIRECT`), the files of that directory (`fbENTERFILE`) and the full path of
// the chosen file (`edtFILENAME`, which may also be typed). OK (`sbOK`, "確定") imports; "離開"
// (`sbExit`) closes without importing.
//
// The dialog sets the shell's import kind, and for kinds 2 to 5 its
// import-in-progress flag for as long as it exists. After a successful import it
// calls the applied handler with the outcome (before "匯入作業完成!!!", so the
// tab's buttons are set while the messages show) and closes with Accepted. A
// format error, an unreadable file or a refusal of the database keep it open; a
// name that disagrees with the data and a No close it with Rejected.
class TfmENTERY : public QDialog
{
    Q_OBJECT
public:
    enum class Outcome {
        None,            // not imported (yet)
        Imported,        // rows stored; the tab shows them
        ImportedEmpty,   // kind 1: no stored rows and no line added (buttons off)
        Declined,        // the stored month was kept (No)
        Mismatch,        // name and data disagree; nothing written
    };

    // kind: the kind of the tab that opened it; target: the tab's dataset.
    TfmENTERY(DeclarationKind::Id kind, CachedDataset &target, Shell &shell, QWidget *parent = nullptr);
    ~TfmENTERY() override;

    DeclarationKind::Id kind() const { return m_kind; }

    // The directory whose files are listed.
    void setDirectory(const QString &directory);
    QString directory() const;
    // The file OK imports (full path).
    void setFilePath(const QString &path);
    QString filePath() const;

    Outcome outcome() const { return m_outcome; }
    const ImportEngine::Result &lastResult() const { return m_result; }

    // Called after a successful import with Imported or ImportedEmpty.
    void setAppliedHandler(std::function<void(Outcome)> handler) { m_applied = std::move(handler); }

public slots:
    void sbOKClick();
    void sbExitClick();

private:
    void buildControls();
    void dlbDIRECTClick(const QModelIndex &index);
    void fbENTERFILEClick(const QModelIndex &index);
    // Leaves the window in the editing state the kind's tab asks for.
    void setModeAfter(DeclarationTab::Mode mode);

    DeclarationKind::Id m_kind;
    CachedDataset &m_target;
    Shell &m_shell;
    bool m_markSet = false;
    Outcome m_outcome = Outcome::None;
    ImportEngine::Result m_result;
    std::function<void(Outcome)> m_applied;

    QFileSystemModel *m_dirModel = nullptr;
    QFileSystemModel *m_fileModel = nullptr;
    QLineEdit *edtDIRECT = nullptr;
    QTreeView *dlbDIRECT = nullptr;
    QListView *fbENTERFILE = nullptr;
    QLineEdit *edtFILENAME = nullptr;
    QPushButton *sbOK = nullptr;
    QPushButton *sbExit = nullptr;
};
