#pragma once

#include "reference/ui/maintenance_window.h"

class ReferenceLists;

// TfmCD01, "縣市別基本資料維護": the counties of CD01. It has no dataset of its
// own: it shows and edits the main window's qryCD01, so a change saved here is
// seen by the rest of the main window. Its editing state is its own, kept for the
// whole run outside the window (opening does not reset it).
//
// Where it differs from the institutions window: "修改" and "刪除" are enabled on
// an empty table too; an empty code on saving only says so; the next row of an add
// run does not take the focus; a confirmed delete leaves the buttons as they
// were; "離開" re-reads CD01 (qryCD01 and tblCD01) first, dropping any change
// not written.
class TfmCD01 : public MaintenanceWindow
{
    Q_OBJECT
public:
    TfmCD01(ReferenceLists &references, EditMode &state, QWidget *parent = nullptr);

protected:
    void beforeExit() override;

private:
    ReferenceLists &m_references;
};
