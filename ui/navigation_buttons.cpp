#include "ui/navigation_buttons.h"

#include "db/cached_dataset.h"

#include <QPushButton>

NavigationButtons::NavigationButtons(QWidget *parent)
    : QObject(parent)
{
    const struct {
        Move move;
        const char *name;
        QString caption;
    } buttons[] = {
        {First, "sbFirst", QStringLiteral("首筆")},
        {Last, "sbLast", QStringLiteral("末筆")},
        {Prior, "sbPrior", QStringLiteral("前筆")},
        {Next, "sbNext", QStringLiteral("後筆")},
    };
    for (const auto &b : buttons) {
        auto *button = new QPushButton(b.caption, parent);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        const Move which = b.move;
        connect(button, &QPushButton::clicked, this, [this, which] { move(which); });
        m_buttons.append(button);
    }
}

void NavigationButtons::move(Move which)
{
    if (m_dataset && m_dataset->isOpen()) {
        if (which == First || which == Prior) {
            if (!m_dataset->bof())
                which == First ? m_dataset->first() : m_dataset->prior();
        } else if (!m_dataset->eof()) {
            which == Last ? m_dataset->last() : m_dataset->next();
        }
    }
    emit moved(which);
}

void NavigationButtons::refresh()
{
    if (!m_dataset || !m_dataset->hasRow(1)) {   // fewer than two rows
        setAllEnabled(false);
        return;
    }
    m_buttons.at(Last)->setEnabled(!m_dataset->eof());
    m_buttons.at(Next)->setEnabled(!m_dataset->eof());
    m_buttons.at(First)->setEnabled(!m_dataset->bof());
    m_buttons.at(Prior)->setEnabled(!m_dataset->bof());
}

void NavigationButtons::setAllEnabled(bool enabled)
{
    for (QPushButton *button : std::as_const(m_buttons))
        button->setEnabled(enabled);
}
