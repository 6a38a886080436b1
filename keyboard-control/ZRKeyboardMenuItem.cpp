#include "keyboard-control/ZRKeyboardMenuItem.h"

#include <algorithm>

namespace {

constexpr int LightThemeTextAlpha = 217;

} // namespace

std::shared_ptr<ZRKeyboardMenuItem> ZRKeyboardMenuItem::item(const QString& title) {
    auto item = std::make_shared<ZRKeyboardMenuItem>();
    item->m_title = title;
    return item;
}

void ZRKeyboardMenuItem::setImage(const QImage& image, bool isTemplate) {
    m_image = image;
    m_imageIsTemplate = isTemplate;
}

void ZRKeyboardMenuItem::setSelectedChild(ZRKeyboardMenuItem* child) {
    // Only a child of this node may be its selection: the pointer is valid because the node owns it.
    if (child && child->m_parent != this)
        return;
    m_selectedChild = child;
}

bool ZRKeyboardMenuItem::addChild(const std::shared_ptr<ZRKeyboardMenuItem>& item) {
    if (!item || item.get() == this || item->m_parent)
        return false;
    m_children.push_back(item);
    item->m_parent = this;
    return true;
}

bool ZRKeyboardMenuItem::addSeparatorChild() {
    return addChild(std::make_shared<ZRKeyboardMenuItem>());
}

bool ZRKeyboardMenuItem::select() {
    if (!m_parent)
        return false;
    m_parent->m_selectedChild = this;
    return true;
}

bool ZRKeyboardMenuItem::isSelected() const {
    return m_parent && m_parent->m_selectedChild == this;
}

QColor ZRKeyboardMenuItem::textColorForDarkTheme(bool dark) const {
    return dark || isSelected() ? QColor(Qt::white) : lightThemeTextColor();
}

QColor ZRKeyboardMenuItem::lightThemeTextColor() {
    return QColor(0, 0, 0, LightThemeTextAlpha);
}

std::shared_ptr<ZRKeyboardMenuItem> ZRKeyboardMenuItem::topmostAncestor() {
    ZRKeyboardMenuItem* root = this;
    while (root->m_parent)
        root = root->m_parent;
    return root->shared_from_this();
}
