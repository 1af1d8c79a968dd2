#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

// Types `text` into the focused editor `widget` as a user does: ASCII key by key,
// Chinese as an input method commits it (QTest cannot press those keys).
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClicks(widget, QString(c));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(widget, &commit);
        }
    }
}
