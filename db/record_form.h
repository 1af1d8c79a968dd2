#pragma once

#include <QString>

// What a window does for its RecordEditor: the steps of a save or a delete that
// need the screen or the user. The editor keeps the order of the steps and the
// words said; a form only carries them out, so a row tab and a maintenance
// window save alike and a test can drive the flow with a form of its own.
class RecordForm
{
public:
    enum class Mode { Browse, Modify, Add };
    enum class Tone { Information, Warning, Error };
    // What a save was refused for, so the window puts the cursor where it is mended.
    enum class Refusal { Input, Duplicate, Engine };

    virtual ~RecordForm() = default;

    // The editing mode the window shows (and the mode the row is saved in).
    virtual Mode mode() const = 0;
    virtual void setMode(Mode mode) = 0;
    // The text being typed written into the row and the check of its column
    // run; false when the cell refused it (and said why).
    virtual bool settleEditor() = 0;
    // Whether the row holds every value it needs before it is posted.
    virtual bool hasRequiredValues() const = 0;
    virtual void refused(Refusal why) = 0;
    // The row was written (before the next row opens or the window browses).
    virtual void written() {}
    // An add was written: opens the next row of the run; false when none opened.
    virtual bool openNextRow() = 0;
    // Buttons and grid as the rows now stand, in browse mode.
    virtual void showBrowse() = 0;

    virtual void say(Tone tone, const QString &text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool confirm(const QString &question) = 0;
};
