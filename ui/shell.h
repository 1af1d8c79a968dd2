#pragma once

#include "db/declaration_kind.h"

#include <QDate>
#include <QList>
#include <QString>

class ReferenceLists;
class QWidget;

// The edit mode shared by all data tabs: browse (0), modify (1) or add (2).
enum class EditMode { Browse = 0, Modify = 1, Add = 2 };

// What the data tabs and dialogs need from the main window, without knowing it.
// TfmVELQ8MAIN implements it; tests use the fake shell of tests/support.
class Shell
{
public:
    virtual ~Shell() = default;

    virtual EditMode editMode() const = 0;
    virtual void setEditMode(EditMode mode) = 0;

    // The reference lists that stay open for the whole run (tblBN01, qryCACNO, ...).
    virtual ReferenceLists &references() = 0;
    // The declaring institution: the first BN01 record in stored order.
    virtual QString declaringBankCode() = 0;
    virtual QString declaringBankName() = 0;

    // First panel of the status bar: "Ready", "修改", "新增", "刪除".
    virtual void setStatusText(const QString &text) = 0;
    // The two button tabs ("統計報表列印 " and "基本資料維護").
    virtual void setButtonTabsEnabled(bool enabled) = 0;
    // The contents of the data tabs of these kinds (a row tab disables the other
    // data tabs while a row is in editing; the tabs themselves stay selectable).
    virtual void setDataPagesEnabled(const QList<DeclarationKind::Id> &kinds, bool enabled) = 0;
    // The import kind a tab's import button sets, and the import-in-progress flag.
    virtual void setImportKind(DeclarationKind::Id kind) = 0;
    virtual DeclarationKind::Id importKind() const = 0;
    virtual void setImportInProgress(bool on) = 0;
    virtual bool importInProgress() const = 0;

    // Closes the main window (the close confirmation applies).
    virtual void requestClose() = 0;

    virtual QDate today() const = 0;
    virtual QWidget *window() = 0;
};
