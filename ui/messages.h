#pragma once

#include <QList>
#include <QString>

class QWidget;

// Every message box and Yes/No question of the windows goes through this one
// interface, so tests can record what was said and answer for the user.
// The real implementation (QtMessages) shows a QMessageBox; tests install
// ScriptedMessages. Engines in the core never call it: they return what
// happened and the window reports it.
class Messages
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };

    // The application title every box carries unless a window names another.
    static QString appCaption();          // "Velqora"

    virtual ~Messages() = default;

    // A box with an OK button. `detail` is extra text a user may unfold (the
    // offending line, the engine's message), empty for none.
    virtual void show(Icon icon, const QString &text, const QString &caption,
                      const QString &detail, QWidget *parent) = 0;
    // A Yes/No question with the platform's standard caption; true for Yes.
    virtual bool ask(Icon icon, const QString &text, QWidget *parent) = 0;

    // Shorthands with the caption "Velqora".
    void warning(const QString &text, QWidget *parent = nullptr, const QString &detail = {})
    { show(Icon::Warning, text, appCaption(), detail, parent); }
    void information(const QString &text, QWidget *parent = nullptr, const QString &detail = {})
    { show(Icon::Information, text, appCaption(), detail, parent); }
    void plain(const QString &text, QWidget *parent = nullptr, const QString &detail = {})
    { show(Icon::None, text, appCaption(), detail, parent); }
    void error(const QString &text, QWidget *parent = nullptr, const QString &detail = {})
    { show(Icon::Critical, text, appCaption(), detail, parent); }
    bool question(const QString &text, QWidget *parent = nullptr)
    { return ask(Icon::Question, text, parent); }
    // A Yes/No dialog of the information kind ("是否確定要離開系統嗎?").
    bool confirm(const QString &text, QWidget *parent = nullptr)
    { return ask(Icon::Information, text, parent); }

    // The instance the windows use. Defaults to QtMessages.
    static Messages &current();
    // Installs another instance (not owned); nullptr restores the default.
    static void install(Messages *messages);
};

// Shows real QMessageBox dialogs.
class QtMessages : public Messages
{
public:
    void show(Icon icon, const QString &text, const QString &caption,
              const QString &detail, QWidget *parent) override;
    bool ask(Icon icon, const QString &text, QWidget *parent) override;
};

// Records every message and answers questions from a script; for tests.
// Questions asked after the script is used up are answered `defaultAnswer`.
class ScriptedMessages : public Messages
{
public:
    struct Record
    {
        Icon icon;
        QString text;
        QString caption;   // empty for questions (platform caption)
        QString detail;
        bool isQuestion = false;
        bool answer = false;
    };

    ScriptedMessages() { install(this); }
    ~ScriptedMessages() override { install(nullptr); }

    void show(Icon icon, const QString &text, const QString &caption,
              const QString &detail, QWidget *parent) override;
    bool ask(Icon icon, const QString &text, QWidget *parent) override;

    void answerNext(bool yes) { m_answers.append(yes); }
    void setDefaultAnswer(bool yes) { m_default = yes; }

    const QList<Record> &records() const { return m_records; }
    QStringList texts() const;
    QString lastText() const { return m_records.isEmpty() ? QString() : m_records.last().text; }
    bool said(const QString &text) const { return texts().contains(text); }
    void clear() { m_records.clear(); }

private:
    QList<Record> m_records;
    QList<bool> m_answers;
    bool m_default = false;
};
