#pragma once

#include <QDate>
#include <QString>

class CachedDataset;
class TableCursor;
class QWidget;

// What the data tabs and dialogs need from the main window, without knowing it.
// TfmVELQ8MAIN implements it; tests of a tab may use a small fake.
class Shell
{
public:
    enum EditMode { Browse = 0, Modify = 1, Add = 2 };

    virtual ~Shell() = default;

    // The edit mode shared by all data tabs.
    virtual int editMode() const = 0;
    virtual void setEditMode(int mode) = 0;

    // The declaring institution: the first BN01 record in stored order.
    virtual QString declaringBankCode() = 0;
    virtual QString declaringBankName() = 0;

    // The reference cursors that stay open for the whole run.
    virtual TableCursor &tblBN01() = 0;
    virtual CachedDataset &qryCACNO() = 0;   // ACC_CODE, ACC_NAME, ACCNAME in CACNO stored order

    // First panel of the status bar: "Ready", "修改", "新增", "刪除".
    virtual void setStatusText(const QString &text) = 0;
    // The two button tabs ("統計報表列印 " and "基本資料維護").
    virtual void setButtonTabsEnabled(bool enabled) = 0;
    // The import kind (1..5) and the import-in-progress flag.
    virtual void setImportKind(int kind) = 0;
    virtual int importKind() const = 0;
    virtual void setImportInProgress(bool on) = 0;
    virtual bool importInProgress() const = 0;

    // Closes the main window (the close confirmation applies).
    virtual void requestClose() = 0;

    virtual QDate today() const = 0;
    virtual QWidget *window() = 0;
};
