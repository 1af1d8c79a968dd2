#include "ui/messages.h"

#include <QMessageBox>

namespace {
Messages *g_installed = nullptr;
}

QString Messages::appCaption() { return QStringLiteral("Velqora"); }

Messages &Messages::current()
{
    static QtMessages real;
    return g_installed ? *g_installed : real;
}

void Messages::install(Messages *messages) { g_installed = messages; }

void QtMessages::show(Icon icon, const QString &text, const QString &caption,
                      const QString &detail, QWidget *parent)
{
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool QtMessages::ask(Icon icon, const QString &text, QWidget *parent)
{
    QMessageBox box(parent);
    // The platform's standard caption of a question of this kind.
    box.setWindowTitle(icon == Icon::Information ? QMessageBox::tr("Information") : QMessageBox::tr("Confirm"));
    box.setText(text);
    box.setIcon(icon == Icon::Information ? QMessageBox::Information : QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void ScriptedMessages::show(Icon icon, const QString &text, const QString &caption,
                            const QString &detail, QWidget *)
{
    m_records.append({icon, text, caption, detail, false, false});
}

bool ScriptedMessages::ask(Icon icon, const QString &text, QWidget *)
{
    const bool answer = m_answers.isEmpty() ? m_default : m_answers.takeFirst();
    m_records.append({icon, text, QString(), QString(), true, answer});
    return answer;
}

QStringList ScriptedMessages::texts() const
{
    QStringList list;
    for (const Record &r : m_records)
        list.append(r.text);
    return list;
}
