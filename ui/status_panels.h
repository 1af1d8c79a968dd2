#pragma once

#include <QList>
#include <QStatusBar>

class QLabel;

// The status bar of a window: five panels, the first showing the current action
// ("Ready", "修改", "新增", "刪除"; 250 pixels wide), then "Num", "Cap", "Scrl"
// and an empty one (50 pixels each).
class StatusPanels : public QStatusBar
{
    Q_OBJECT
public:
    StatusPanels(const QString &objectName, QWidget *parent = nullptr);

    void setAction(const QString &text);
    QString text(int panel) const;

private:
    QList<QLabel *> m_panels;
};
