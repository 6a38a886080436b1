#pragma once

#include <QWidget>

// A plain container: widgets already lay out from the top, so it adds nothing but a name for the panes'
// containers.
class ZRFlippedView : public QWidget {
public:
    using QWidget::QWidget;
};
