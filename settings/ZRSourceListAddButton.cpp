#include "settings/ZRSourceListAddButton.h"

#include "shell/ZRMainController.h"

#include <QMenu>

ZRSourceListAddButton::ZRSourceListAddButton(ZRMainController& controller, QWidget* parent)
    : QToolButton(parent), m_controller(controller), m_menu(new QMenu(this)) {
    setObjectName(QStringLiteral("Add"));
    setToolTip(tr("New Custom Action"));
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setAutoRaise(true);
    setMenu(m_menu);
    // The menu is a window of its own; it takes the settings window's style all the same.
    m_menu->setAttribute(Qt::WA_WindowPropagation);
    connect(m_menu, &QMenu::aboutToShow, this, &ZRSourceListAddButton::populateAddMenu);
}

void ZRSourceListAddButton::populateAddMenu() {
    m_controller.populateAddMenu(m_menu);
}
