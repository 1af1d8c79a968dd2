#include "ui/status_panels.h"

#include <QLabel>

StatusPanels::StatusPanels(const QString &objectName, QWidget *parent)
    : QStatusBar(parent)
{
    setObjectName(objectName);
    setSizeGripEnabled(false);
    const QStringList texts{QStringLiteral("Ready"), QStringLiteral("Num"), QStringLiteral("Cap"),
                            QStringLiteral("Scrl"), QString()};
    for (int i = 0; i < texts.size(); ++i) {
        auto *panel = new QLabel(texts.at(i), this);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(i == 0 ? 250 : 50);
        addWidget(panel);
        m_panels.append(panel);
    }
}

void StatusPanels::setAction(const QString &text) { m_panels.at(0)->setText(text); }

QString StatusPanels::text(int panel) const
{
    return panel >= 0 && panel < m_panels.size() ? m_panels.at(panel)->text() : QString();
}
