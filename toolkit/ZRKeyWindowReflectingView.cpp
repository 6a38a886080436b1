#include "toolkit/ZRKeyWindowReflectingView.h"

#include <QEvent>

void ZRKeyWindowReflectingView::reflectKeyWindowStatusChange() {
    update();
}

void ZRKeyWindowReflectingView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        reflectKeyWindowStatusChange();
}
