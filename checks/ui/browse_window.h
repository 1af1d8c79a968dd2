#pragma once

#include <QDialog>

class CachedDataset;
class NavigationButtons;
class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

// The pattern of the four read-only browse windows (the formula windows and the
// account windows): one dataset moved by the navigation buttons "首筆", "末筆",
// "前筆", "後筆" (NavigationButtons, refreshed after every move), and "離開"
// (sbExit), which closes the window. Nothing shown is ever written back.
//
// When the window opens all four navigation buttons are enabled until the first
// navigation action. A window puts its grids into body() and may add buttons to
// buttonRow() before "離開".
class BrowseWindow : public QDialog
{
    Q_OBJECT
public:
    NavigationButtons *navigation() const { return m_navigation; }
    QPushButton *exitButton() const { return m_exit; }

protected:
    BrowseWindow(const QString &className, const QString &caption, QWidget *parent);

    // The dataset the buttons move; it is opened when not open yet and stands on
    // its first row. False when it cannot be opened (the engine's message was shown).
    bool openNavigated(CachedDataset *dataset);
    QVBoxLayout *body() const { return m_body; }
    // Inserts a button just before "離開".
    void addButton(QPushButton *button);
    // After every navigation action, once the buttons are refreshed.
    virtual void afterMove() {}

private:
    NavigationButtons *m_navigation = nullptr;
    QPushButton *m_exit = nullptr;
    QVBoxLayout *m_body = nullptr;
    QHBoxLayout *m_buttons = nullptr;
};
