#include "mouse-control/ZRFocusView.h"

#include "mouse-control/ZRFocusWindow.h"

#include <QPaintEvent>
#include <QPainter>

ZRFocusView::ZRFocusView(ZRFocusWindow* focusWindow) : QWidget(focusWindow), m_focusWindow(focusWindow) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ZRFocusView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    m_focusWindow->updateLayer(painter, event->region());
}
