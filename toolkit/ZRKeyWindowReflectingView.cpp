#include "toolkit/ZRKeyWindowReflectingView.h"

#include <QEvent>

void ZRKeyWindowReflectingView::reflectKeyWindowStatusChange() {
    update();
}

bool ZRKeyWindowReflectingView::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // Qt tells only the window itself of an activation change; these two reach every shown view inside it.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
        reflectKeyWindowStatusChange();
    return handled;
}
