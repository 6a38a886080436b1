#pragma once

#include <QMetaObject>
#include <QPointer>
#include <functional>
#include <memory>

class EventTap;
class Platform;
class QWidget;
class WindowInputGrab;

// The keyboard held for an overlay that is never the active window (the keyboard menu, the keyboard control
// panel), and what stands for its losing the keys, which such an overlay cannot hear: a click outside it,
// or another window of the program taking the focus. Other overlays never take the keys, whatever a window
// system says of their focus, so their focus counts for nothing. The keyboard goes back when released, when
// the overlay hides, at quit and with this object (WindowInputGrab.h). Main thread only.
class OverlayKeyboard {
public:
    // The keyboard comes from the desktop, which outlives this object, and so do the clicks that tell of its
    // loss. refused: the keyboard could not be had; lost: the overlay lost the keys while watched.
    OverlayKeyboard(QWidget* overlay, Platform& desktop, std::function<void()> refused,
                    std::function<void()> lost);
    ~OverlayKeyboard();
    OverlayKeyboard(const OverlayKeyboard&) = delete;
    OverlayKeyboard& operator=(const OverlayKeyboard&) = delete;

    // Starts taking the keyboard, unless it is held or being taken.
    void take();
    // Gives it back now; also from within refused.
    void release();
    bool isHeld() const;
    // Hears of the loss of the keys while on.
    void watchForLoss(bool watch);

private:
    QWidget* m_overlay;
    Platform& m_desktop;
    std::function<void()> m_refused;
    std::function<void()> m_lost;
    QPointer<WindowInputGrab> m_grab;
    std::unique_ptr<EventTap> m_clickTap;
    QMetaObject::Connection m_focusWindowChanged;
};
