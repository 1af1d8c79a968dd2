#pragma once

#include "app/shell.h"
#include "db/cached_dataset.h"
#include "db/table_cursor.h"

#include <QDate>

// A main window reduced to what a data tab asks of it, recording what the tab
// told it (edit mode, status panel, button tabs, import kind, close requests).
class FakeShell : public Shell
{
public:
    FakeShell()
        : m_bn01(QStringLiteral("BN01"))
    {
        m_cacno.setSql(QStringLiteral(
            "select A.ACC_CODE,A.ACC_NAME,(A.ACC_CODE || '  ' || A.ACC_NAME) AS ACCNAME "
            "FROM CACNO A ORDER BY A.rowid"));
    }

    bool open() { return m_bn01.open() && m_cacno.open(); }

    int editMode() const override { return mode; }
    void setEditMode(int m) override { mode = m; }
    QString declaringBankCode() override
    {
        m_bn01.first();
        return m_bn01.isEmpty() ? QString() : m_bn01.text(QStringLiteral("BANK_NO"));
    }
    QString declaringBankName() override
    {
        m_bn01.first();
        return m_bn01.isEmpty() ? QString() : m_bn01.text(QStringLiteral("BANK_NAME"));
    }
    TableCursor &tblBN01() override { return m_bn01; }
    CachedDataset &qryCACNO() override { return m_cacno; }
    void setStatusText(const QString &text) override { status = text; }
    void setButtonTabsEnabled(bool enabled) override { buttonTabs = enabled; }
    void setImportKind(int kind) override { importKindValue = kind; }
    int importKind() const override { return importKindValue; }
    void setImportInProgress(bool on) override { importRunning = on; }
    bool importInProgress() const override { return importRunning; }
    void requestClose() override { ++closeRequests; }
    QDate today() const override { return QDate(2026, 1, 15); }
    QWidget *window() override { return nullptr; }

    int mode = Browse;
    QString status;
    bool buttonTabs = true;
    int importKindValue = 0;
    bool importRunning = false;
    int closeRequests = 0;

private:
    TableCursor m_bn01;
    CachedDataset m_cacno;
};
