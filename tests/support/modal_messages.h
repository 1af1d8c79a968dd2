#pragma once

#include "ui/messages.h"

#include <QMessageBox>
#include <QTest>
#include <QTimer>

// Scripted messages that also do to the focus what a real box does: every box
// and question opens a real modal QMessageBox, which takes the active window
// from the tab while it is up and is closed as soon as it has it. What a window
// does when its editor loses the focus to a box (the discard question, a
// refusal) is then tested as a user meets it.
class ModalMessages : public ScriptedMessages
{
public:
    void show(Icon icon, const QString &text, const QString &caption, const QString &detail,
              QWidget *parent) override
    {
        popUp(parent);
        ScriptedMessages::show(icon, text, caption, detail, parent);
    }
    bool ask(Icon icon, const QString &text, QWidget *parent) override
    {
        popUp(parent);
        return ScriptedMessages::ask(icon, text, parent);
    }

private:
    static void popUp(QWidget *parent)
    {
        QMessageBox box(parent);
        box.setText(QStringLiteral("modal"));
        QTimer::singleShot(0, &box, [&box] {
            if (!QTest::qWaitForWindowActive(&box))
                qWarning("ModalMessages: the box never became the active window");
            box.done(0);
        });
        box.exec();
        // The platform gives the window back its activation (and the editor its
        // focus) when the box goes; offscreen it is asked for.
        if (parent) {
            parent->window()->activateWindow();
            if (!QTest::qWaitForWindowActive(parent->window()))
                qWarning("ModalMessages: the window did not get the focus back");
        }
    }
};
