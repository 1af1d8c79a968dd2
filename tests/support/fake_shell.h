#pragma once

#include "db/reference_lists.h"
#include "ui/shell.h"

#include <QDate>
#include <optional>

// A main window reduced to what a data tab or dialog asks of it, recording what
// it was told (edit mode, status panel, button tabs, disabled data tabs, import
// kind and flag, close requests). Its reference lists are the application's own,
// opened on the connection "CVELQ" by open(). The declaring institution is the
// first BN01 record unless `bankCode`/`bankName` say otherwise.
class FakeShell : public Shell
{
public:
    bool open() { return m_references.open(); }

    EditMode editMode() const override { return mode; }
    void setEditMode(EditMode m) override { mode = m; }
    ReferenceLists &references() override { return m_references; }
    QString declaringBankCode() override { return bankCode ? *bankCode : m_references.declaringBankCode(); }
    QString declaringBankName() override { return bankName ? *bankName : m_references.declaringBankName(); }
    void setStatusText(const QString &text) override { status = text; }
    void setButtonTabsEnabled(bool enabled) override { buttonTabs = enabled; }
    void setDataPagesEnabled(const QList<DeclarationKind::Id> &kinds, bool enabled) override
    {
        for (DeclarationKind::Id kind : kinds) {
            disabledPages.removeAll(kind);
            if (!enabled)
                disabledPages.append(kind);
        }
    }
    void setImportKind(DeclarationKind::Id kind) override { importKindValue = kind; }
    DeclarationKind::Id importKind() const override { return importKindValue; }
    void setImportInProgress(bool on) override { importRunning = on; }
    bool importInProgress() const override { return importRunning; }
    void requestClose() override { ++closeRequests; }
    QDate today() const override { return todayValue; }
    QWidget *window() override { return nullptr; }

    EditMode mode = EditMode::Browse;
    QString status;
    bool buttonTabs = true;
    QList<DeclarationKind::Id> disabledPages;   // data tabs whose contents are disabled
    DeclarationKind::Id importKindValue = DeclarationKind::B01;
    bool importRunning = false;
    int closeRequests = 0;
    QDate todayValue = QDate(2026, 1, 15);
    std::optional<QString> bankCode;
    std::optional<QString> bankName;

private:
    ReferenceLists m_references;
};
