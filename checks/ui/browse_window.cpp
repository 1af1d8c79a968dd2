#include "checks/ui/browse_window.h"

#include "db/cached_dataset.h"
#include "ui/messages.h"
#include "ui/navigation_buttons.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

BrowseWindow::BrowseWindow(const QString &className, const QString &caption, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(className);
    setWindowTitle(caption);
    setModal(true);

    m_navigation = new NavigationButtons(this);
    connect(m_navigation, &NavigationButtons::moved, this, [this] {
        m_navigation->refresh();
        afterMove();
    });
    m_exit = new QPushButton(QStringLiteral("離開"), this);
    m_exit->setObjectName(QStringLiteral("sbExit"));
    m_exit->setFocusPolicy(Qt::NoFocus);
    m_exit->setAutoDefault(false);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);

    m_buttons = new QHBoxLayout;
    for (QPushButton *b : m_navigation->buttons())
        m_buttons->addWidget(b);
    m_buttons->addStretch(1);
    m_buttons->addWidget(m_exit);

    auto *layout = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body, 1);
    layout->addLayout(m_buttons);
}

bool BrowseWindow::openNavigated(CachedDataset *dataset)
{
    m_navigation->setDataset(dataset);
    m_navigation->setAllEnabled(true);
    if (!dataset->isOpen() && !dataset->open()) {
        Messages::current().error(dataset->lastError(), this);
        return false;
    }
    dataset->first();
    return true;
}

void BrowseWindow::addButton(QPushButton *button)
{
    button->setParent(this);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    m_buttons->insertWidget(m_buttons->indexOf(m_exit), button);
}
