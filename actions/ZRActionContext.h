#pragma once

#include "hotkeys/ZRHotKeyContext.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;
class ZRAction;
class ZRActionCapturer;
class ZRActionHost;
class ZRKeyboardControlHotKeyMissingAlert;

// What an action reaches beyond itself, in one place: the layers above fill it in as they are made
// and empty their part as they go. The store holds it (ZRActionManager::actionContext), so that what
// an action may call is listed here rather than spread over hooks.
struct ZRActionContext {
    // The main controller; not owned.
    ZRActionHost* host = nullptr;
    // The engine's window capture; not owned.
    ZRActionCapturer* capturer = nullptr;
    // The editor pane the settings make for an action; empty before the settings are built.
    std::function<QWidget*(ZRAction& action)> configurationViewFactory;
    // The question asked before a local hot key is set without a "Keyboard Controls" hot key; empty
    // asks with the message box.
    std::unique_ptr<ZRKeyboardControlHotKeyMissingAlert> keyboardControlHotKeyMissingAlert;
    // Told after any stored property of any action changed; the store saves the actions it holds.
    std::function<void(const ZRAction& action)> changeObserver;
    // What the hot keys of actions are made with: the installed store's desktop, settings and run loop;
    // null while no store is installed.
    const ZRHotKeyContext* hotKeys = nullptr;
};
