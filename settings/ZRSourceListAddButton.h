#pragma once

#include <QToolButton>

class QMenu;
class ZRMainController;

// The toolbar's add pop-up: a button with a plus that opens the menu of new actions, filled anew each time
// it opens (ZRMainController::populateAddMenu). It follows the appearance of the window it is in.
class ZRSourceListAddButton : public QToolButton {
    Q_OBJECT
public:
    // The main controller fills the menu.
    explicit ZRSourceListAddButton(ZRMainController& controller, QWidget* parent = nullptr);
    QMenu* addMenu() const { return m_menu; }
    // Fills the menu as opening it does.
    void populateAddMenu();

private:
    ZRMainController& m_controller;
    QMenu* m_menu;
};
