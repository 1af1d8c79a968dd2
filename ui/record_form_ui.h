#pragma once

#include "db/record_form.h"
#include "ui/messages.h"
#include "ui/shell.h"

// How a window carries out a RecordForm's plain steps: its modes are the edit
// modes of the windows, and what it says goes through Messages.
namespace RecordFormUi {

inline EditMode editMode(RecordForm::Mode mode)
{
    switch (mode) {
    case RecordForm::Mode::Add:
        return EditMode::Add;
    case RecordForm::Mode::Modify:
        return EditMode::Modify;
    default:
        return EditMode::Browse;
    }
}

inline RecordForm::Mode formMode(EditMode mode)
{
    switch (mode) {
    case EditMode::Add:
        return RecordForm::Mode::Add;
    case EditMode::Modify:
        return RecordForm::Mode::Modify;
    default:
        return RecordForm::Mode::Browse;
    }
}

inline void say(RecordForm::Tone tone, const QString &text, QWidget *parent)
{
    Messages &messages = Messages::current();
    switch (tone) {
    case RecordForm::Tone::Information:
        messages.information(text, parent);
        break;
    case RecordForm::Tone::Warning:
        messages.warning(text, parent);
        break;
    case RecordForm::Tone::Error:
        messages.error(text, parent);
        break;
    }
}

} // namespace RecordFormUi
