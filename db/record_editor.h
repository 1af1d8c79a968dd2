#pragma once

#include "db/record_form.h"

#include <QStringList>
#include <functional>
#include <optional>

class CachedDataset;

// Saves and deletes the row in editing of a dataset, the same way wherever a
// person keys rows in (the row tabs, the maintenance windows):
//
//   save     settle the cell editor, the required values ("輸入資料格式有誤,
//            無法存檔,請查明!!!"), the post with the duplicate guard
//            ("資料重覆!!!"), the write (RecordSave), then the next row of an
//            add run, or browse and "存檔成功!!!". A write that fails puts the
//            row back into editing in the mode it had, the engine's words said.
//   remove   the question, the row removed and written ("刪除成功!!!"); a write
//            that fails brings the row back as stored.
//
// The window is the RecordForm; the dataset's post guard calls duplicateGuard().
class RecordEditor
{
public:
    // The duplicate guard: a modified row whose key fields keep their loaded
    // values is not checked; any other asks `isStored` whether another stored
    // row has the key (nullopt and *error when the engine failed).
    struct DuplicateRule
    {
        QStringList keyFields;
        std::function<std::optional<bool>(QString *error)> isStored;
    };

    // What follows a successful save.
    enum class After { NextOrBrowse, Close };

    static const QString WrongInput;   // "輸入資料格式有誤,無法存檔,請查明!!!"
    static const QString Duplicate;    // "資料重覆!!!"

    RecordEditor(CachedDataset &rows, RecordForm &form, DuplicateRule rule);

    // True when the row was written.
    bool save(After after = After::NextOrBrowse);
    enum class Removal { Declined, Failed, Deleted };
    Removal remove(const QString &question);

    // Whether save() is posting the row now (a guard may let only that post through).
    bool isPosting() const { return m_posting; }
    // The duplicate step of the post guard: false refuses the post (said).
    bool duplicateGuard();

private:
    bool keepsLoadedKey() const;

    CachedDataset &m_rows;
    RecordForm &m_form;
    DuplicateRule m_rule;
    bool m_posting = false;
};
