#pragma once

#include "toolkit/ZRTextAttributes.h"

#include <QString>
#include <functional>

class QAction;
class QMenu;

// Extensions of menus; separators come from QMenu::addSeparator, which answers the new item already.

// Adds an item whose title is drawn with the attributes' font and calls the action when chosen.
QAction* addItemWithTitle(QMenu* menu, const QString& title, const ZRTextAttributes& attributes,
                          std::function<void()> action);

// The attributes of a small menu title: the menu font, two points smaller.
ZRTextAttributes smallMenuItemTitleAttributes();
