#include "db/record_editor.h"

#include "db/cached_dataset.h"
#include "db/record_save.h"

using Mode = RecordForm::Mode;
using Tone = RecordForm::Tone;

const QString RecordEditor::WrongInput = QStringLiteral("輸入資料格式有誤,無法存檔,請查明!!!");
const QString RecordEditor::Duplicate = QStringLiteral("資料重覆!!!");

RecordEditor::RecordEditor(CachedDataset &rows, RecordForm &form, DuplicateRule rule)
    : m_rows(rows), m_form(form), m_rule(std::move(rule))
{
}

bool RecordEditor::save(After after)
{
    if (!m_form.settleEditor())
        return false;
    if (!m_form.hasRequiredValues()) {
        m_form.say(Tone::Warning, WrongInput);
        m_form.refused(RecordForm::Refusal::Input);
        return false;
    }
    // The window leaves editing while the row is posted and written, and goes
    // back to the mode it had when either is refused.
    const Mode mode = m_form.mode();
    m_form.setMode(Mode::Browse);
    m_posting = true;
    const bool posted = m_rows.post();
    m_posting = false;
    if (!posted) {
        m_form.setMode(mode);
        return false;
    }
    RecordSave write(m_rows);
    if (!write.run()) {
        m_form.setMode(mode);
        m_rows.edit();   // the row stays in editing, to be mended or discarded
        m_form.say(Tone::Error, write.error());
        m_form.refused(RecordForm::Refusal::Engine);
        return false;
    }
    m_form.written();
    if (after == After::NextOrBrowse && mode == Mode::Add && m_form.openNextRow())
        return true;
    m_form.showBrowse();
    if (after == After::NextOrBrowse)
        m_form.say(Tone::Information, QStringLiteral("存檔成功!!!"));
    return true;
}

RecordEditor::Removal RecordEditor::remove(const QString &question)
{
    if (!m_form.confirm(question))
        return Removal::Declined;
    m_rows.remove();
    RecordSave write(m_rows);
    if (!write.run()) {
        m_rows.cancelUpdates();   // the row is back, as stored
        m_form.say(Tone::Error, write.error());
        return Removal::Failed;
    }
    m_form.say(Tone::Information, QStringLiteral("刪除成功!!!"));
    return Removal::Deleted;
}

bool RecordEditor::duplicateGuard()
{
    if (m_rows.state() == CachedDataset::State::Edit && keepsLoadedKey())
        return true;
    QString error;
    const std::optional<bool> stored = m_rule.isStored ? m_rule.isStored(&error) : std::optional<bool>(false);
    if (!stored) {
        m_form.say(Tone::Error, error);
        return false;
    }
    if (*stored) {
        m_form.say(Tone::Warning, Duplicate);
        m_form.refused(RecordForm::Refusal::Duplicate);
        return false;
    }
    return true;
}

bool RecordEditor::keepsLoadedKey() const
{
    for (const QString &field : m_rule.keyFields) {
        const QVariant loaded = m_rows.originalValue(field);
        if (loaded.isNull() || m_rows.value(field).toString().trimmed() != loaded.toString().trimmed())
            return false;
    }
    return true;
}
