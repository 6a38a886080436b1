#include "help-browser/ZRHelpManagerHeaderView.h"

#include <QPainter>

namespace {
constexpr double LineAlpha = 0.12;
}

ZRHelpManagerHeaderView* ZRHelpManagerHeaderView::headerViewWithFrame(const QRect& frame, bool blur) {
    auto* view = new ZRHelpManagerHeaderView;
    view->setGeometry(frame);
    view->setFixedHeight(frame.height());
    view->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return view;
}

void ZRHelpManagerHeaderView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    QColor line(Qt::black);
    line.setAlphaF(LineAlpha);
    painter.fillRect(QRect(0, height() - 1, width(), 1), line);
}
