#pragma once

#include <QList>
#include <QObject>

class CachedDataset;
class QPushButton;
class QWidget;

// The four navigation buttons of a window over one dataset, "首筆" (sbFirst),
// "末筆" (sbLast), "前筆" (sbPrior) and "後筆" (sbNext), with the rule that the
// browse and maintenance windows share:
//  - a button moves unless the dataset already stands there: 首筆 and 前筆 do
//    nothing at the beginning, 末筆 and 後筆 nothing at the end; then moved();
//  - refresh(): with at most one row all four are disabled; otherwise 末筆 and
//    後筆 are disabled exactly while the dataset is at its end and 首筆 and 前筆
//    exactly while it is at its beginning.
// The buttons are children of the parent given and take no keyboard focus, so an
// open cell editor stays open; the window lays them out.
class NavigationButtons : public QObject
{
    Q_OBJECT
public:
    enum Move { First, Last, Prior, Next };
    Q_ENUM(Move)

    explicit NavigationButtons(QWidget *parent);

    void setDataset(CachedDataset *dataset) { m_dataset = dataset; }
    QPushButton *button(Move which) const { return m_buttons.at(which); }
    // 首筆, 末筆, 前筆, 後筆.
    const QList<QPushButton *> &buttons() const { return m_buttons; }

    void move(Move which);
    void refresh();
    void setAllEnabled(bool enabled);

signals:
    // After a button's move (also when it did not move), before anything else.
    void moved(NavigationButtons::Move which);

private:
    CachedDataset *m_dataset = nullptr;
    QList<QPushButton *> m_buttons;
};
