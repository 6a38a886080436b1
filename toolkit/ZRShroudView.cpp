#include "toolkit/ZRShroudView.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QChildEvent>
#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QLineEdit>
#include <QTextEdit>

namespace {

constexpr double ShroudOpacity = 0.5;
constexpr auto OwnEnabledProperty = "ZRShroudAwareEnabled";

bool isControl(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSlider*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           widget->property(OwnEnabledProperty).isValid();
}

bool ownEnabledState(const QWidget* control) {
    const QVariant own = control->property(OwnEnabledProperty);
    return !own.isValid() || own.toBool();
}

void applyShroud(QWidget* control, bool shrouded) {
    control->setEnabled(!shrouded && ownEnabledState(control));
}

} // namespace

void ZRShroudView::setShrouded(bool shrouded) {
    if (m_shrouded == shrouded)
        return;
    m_shrouded = shrouded;
    updateControls();
}

bool ZRShroudView::isEffectivelyShrouded() const {
    if (m_shrouded)
        return true;
    const ZRShroudView* outer = enclosingShroudView(this);
    return outer && outer->isEffectivelyShrouded();
}

void ZRShroudView::updateControls() {
    const bool shrouded = isEffectivelyShrouded();
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect());
    if (m_shrouded && !effect) {
        effect = new QGraphicsOpacityEffect(this);
        effect->setOpacity(ShroudOpacity);
        setGraphicsEffect(effect);
    } else if (!m_shrouded && effect) {
        setGraphicsEffect(nullptr);
    }
    for (QWidget* child : findChildren<QWidget*>()) {
        if (enclosingShroudView(child) != this)
            continue;
        if (auto* inner = qobject_cast<ZRShroudView*>(child))
            inner->updateControls();
        else if (isControl(child))
            applyShroud(child, shrouded);
    }
}

void ZRShroudView::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    // A control added to a shrouded group is shrouded before it is first shown.
    if (event->polished() && isEffectivelyShrouded()) {
        if (auto* control = qobject_cast<QWidget*>(event->child()); control && isControl(control))
            applyShroud(control, true);
    }
}

ZRShroudView* enclosingShroudView(const QWidget* widget) {
    for (QWidget* parent = widget ? widget->parentWidget() : nullptr; parent;
         parent = parent->parentWidget()) {
        if (auto* shroud = qobject_cast<ZRShroudView*>(parent))
            return shroud;
    }
    return nullptr;
}

void setShroudAwareEnabled(QWidget* control, bool enabled) {
    if (!control)
        return;
    control->setProperty(OwnEnabledProperty, enabled);
    const ZRShroudView* shroud = enclosingShroudView(control);
    applyShroud(control, shroud && shroud->isEffectivelyShrouded());
}

bool isShroudAwareEnabled(const QWidget* control) {
    if (!control)
        return false;
    const QVariant own = control->property(OwnEnabledProperty);
    return own.isValid() ? own.toBool() : control->isEnabled();
}
