#pragma once

#include <QWidget>

// A view that reflects whether its window is the active one: reflectKeyWindowStatusChange runs whenever the
// window becomes or stops being active, also when the view lies deep inside the window. Overrides call this
// class's first.
class ZRKeyWindowReflectingView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Redraws by default.
    virtual void reflectKeyWindowStatusChange();

protected:
    bool event(QEvent* event) override;
};
