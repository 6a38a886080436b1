#pragma once

class QMenu;
struct KeyEvent;

// What the application object asks of the application's delegate (the main controller).
class ZRHotKeyHandler {
public:
    virtual ~ZRHotKeyHandler() = default;

    // Answers whether the press was handled; sets repeat (false on entry) when its action may repeat
    // while the key is held.
    virtual bool handleKeyDownEvent(const KeyEvent& event, bool& repeat) = 0;

    // The status item was clicked and its menu is about to open: a handler that answers rebuilds it.
    virtual bool answersMenuNeedsUpdate() const { return false; }
    virtual void menuNeedsUpdate(QMenu* menu) {}
};
