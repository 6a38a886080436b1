#pragma once

#include "toolkit/AttachedPanelGeometry.h"

#include <QPainterPath>
#include <QPointer>
#include <QWidget>

// The popover of the general settings: a window that hangs below a control with an arrow pointing at it and
// takes the keyboard. A transient one closes at a click anywhere else, on Escape, when another of the
// program's windows takes the keyboard, and when the program loses the keyboard to another one; an
// application-defined one stays until it is closed.
class ZRGeneralSettingsPopover : public QWidget {
    Q_OBJECT
public:
    enum class Behavior { Transient, ApplicationDefined };

    static constexpr double ArrowHeight = 10;
    static constexpr double ArrowBaseWidth = 22;
    static constexpr double CornerRadius = 10;
    static constexpr double BorderWidth = 1;
    // Between the control and the arrow's tip.
    static constexpr double Distance = 2;

    // Takes the content; the popover is a window of its own, in front of the given one.
    ZRGeneralSettingsPopover(QWidget* content, QWidget* window);

    Behavior behavior() const { return m_behavior; }
    void setBehavior(Behavior behavior) { m_behavior = behavior; }

    // Shows the popover below the rectangle (screen coordinates) of the control; a click on that control
    // while a transient popover is shown only closes it.
    void showRelativeToRect(const QRect& screenRect, QWidget* anchor);
    bool isShown() const { return isVisible(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPainterPath shape() const;
    void focusWindowDidChange(QWindow* focus);

    QPointer<QWidget> m_content;
    QPointer<QWidget> m_anchor;
    Behavior m_behavior = Behavior::Transient;
    AttachedPanelLayout m_layout;
    QMetaObject::Connection m_applicationState;
    QMetaObject::Connection m_focusWindow;
};
