#pragma once

#include "platform/OverlayWindows.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QTimer;
class QWidget;

// The keyboard or the pointer held for a window of the program while this object lives. A grab left
// behind locks the user out of the device, so it is given back on every way out: when this object is
// destroyed (with the window, as its child, or by its owner on any return or exception), when the
// window hides, when released, and when the program quits.
//
// A window that was just shown may not be on the screen yet, and the desktop refuses it; another program
// may hold the device for a moment. A refusal is tried again a few times a short while apart, then
// reported and logged; a grab is never assumed.
//
// While the keyboard is held, keys that Qt would hand to another window of the program (the one the
// window manager gave the focus) go to the grabbing window, as the grab promises. A Qt popup menu takes
// the keyboard for itself while it is open and lets it go when it closes: an overlay that opens one takes
// its grab again afterwards.
class WindowInputGrab : public QObject {
    Q_OBJECT
public:
    enum class Device { Keyboard, Pointer };

    // Starts taking the device for the window from the desktop's overlay windows, which outlive this object;
    // finished hears once whether it was granted.
    WindowInputGrab(QWidget* window, OverlayWindows& overlays, Device device,
                    std::function<void(bool granted)> finished = {});
    ~WindowInputGrab() override;

    bool isHeld() const { return m_grab != nullptr; }
    // Still trying.
    bool isPending() const;
    // Gives the device back now, or stops trying; nothing more is reported.
    void release();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    OverlayWindows& m_overlays;
    void attempt();
    void finish(bool granted);

    QPointer<QWidget> m_window;
    Device m_device;
    std::function<void(bool)> m_finished;
    std::unique_ptr<InputGrab> m_grab;
    QTimer* m_retry;
    int m_attempts = 0;
    GrabStatus m_lastStatus = GrabStatus::Failed;
};
