#include "hotkeys/HotKeyEventRouter.h"

#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyHandler.h"
#include "hotkeys/ZRHotKeyReferencePool.h"
#include "platform/GlobalHotKeys.h"
#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ModifierFlagsMatching.h"
#include "toolkit/ZRLog.h"

#include <algorithm>

namespace {

const QString ToggleRepeatableHotKeysKey = QStringLiteral("Toggle Repeatable Hot Keys");

// The window system repeats a held key as a release and a press close together (about a millisecond
// apart), not always marked as a repeat: the release of a held hot key stands only when no press of the
// key follows within this many seconds.
constexpr double AutoRepeatGap = 0.03;
// No repetition comes sooner than this after the previous one, however long the action took.
constexpr double MinimumRepeatDelay = 0.01;
// The pace when the desktop reports none that can be used.
constexpr double FallbackRepeatDelay = 0.5;

} // namespace

bool HotKeyEventRouter::toggleRepeatableHotKeys() const {
    return m_defaults && m_defaults->boolForKey(ToggleRepeatableHotKeysKey);
}

double HotKeyEventRouter::keyRepeatDelay() const {
    const double delay = m_desktop ? m_desktop->inputState().keyRepeatDelay() : 0;
    return delay < MinimumRepeatDelay ? FallbackRepeatDelay : delay;
}

double HotKeyEventRouter::keyRepeatInterval() const {
    const double interval = m_desktop ? m_desktop->inputState().keyRepeatInterval() : 0;
    return interval < MinimumRepeatDelay ? keyRepeatDelay() : interval;
}

// Whether the modifier keys of the press are still the ones held. A release can get lost (the desktop
// hands the keyboard elsewhere in between); once the modifiers are let go, the hot key cannot be held.
bool HotKeyEventRouter::modifiersStillHeld(const KeyEvent& event) const {
    if (!m_desktop)
        return true;
    return ZRHotKeyModifierFlagsMatch(m_desktop->inputState().modifierFlags(), event.modifierFlags,
                                      ZRModifierMatchOptions());
}

HotKeyEventRouter::HotKeyEventRouter(RunLoop& mainRunLoop) : m_mainRunLoop(mainRunLoop) {
    m_unregistrations =
        ZRHotKeyReferencePool::defaultPool().referenceUnregistered.connect([this](HotKeyReference reference) {
            // A registration taken back from the desktop sends no release any more.
            if (m_eventToRepeat && m_eventToRepeat->type == KeyEventType::SystemDefined &&
                hotKeyReferencesAgree(m_eventToRepeat->data1, reference))
                stopRepetition();
        });
}

HotKeyEventRouter::~HotKeyEventRouter() = default;

Connection HotKeyEventRouter::listenTo(Platform& desktop, const UserDefaults& defaults) {
    m_heldHotKey.reset();
    m_desktop = &desktop;
    m_defaults = &defaults;
    m_hotKeyEvents = desktop.globalHotKeys().hotKeyEvent.connect([this](const HotKeyEvent& event) {
        sendEvent(std::make_shared<const KeyEvent>(keyEventFromHotKeyEvent(event, event.modifierFlags)));
    });
    return Connection([this, listening = ++m_listening] {
        if (listening == m_listening)
            stopListening();
    });
}

const InputState* HotKeyEventRouter::inputState() const {
    return m_desktop ? &m_desktop->inputState() : nullptr;
}

void HotKeyEventRouter::stopListening() {
    m_hotKeyEvents.disconnect();
    m_heldHotKey.reset();
    m_releaseHeldHotKey.cancel();
    stopRepetition();
    m_desktop = nullptr;
    m_defaults = nullptr;
}

bool HotKeyEventRouter::sendEvent(const std::shared_ptr<const KeyEvent>& event) {
    if (!event)
        return false;
    switch (event->type) {
    case KeyEventType::KeyDown:
        return handleKeyDownEvent(event, false);
    case KeyEventType::SystemDefined:
        if (event->isHotKeyRelease()) {
            // With the toggle setting a repeating hot key runs until it is pressed again.
            if (!toggleRepeatableHotKeys())
                triggerRepetitionForSystemDefinedEvent(nullptr, -1.0);
            return true;
        }
        if (event->isHotKeyPress())
            return handleKeyDownEvent(event, true);
        return false;
    }
    return false;
}

bool HotKeyEventRouter::sendKeyOfRegisteredHotKey(KeyCode keyCode, ModifierFlags modifierFlags, bool pressed,
                                                  bool autoRepeat) {
    const bool held = m_heldHotKey && m_heldHotKey->keyCode == keyCode;
    if (!pressed) {
        if (!held)
            return false;
        // A repeat: the key is still down.
        if (!autoRepeat)
            m_releaseHeldHotKey = m_mainRunLoop.performLater(AutoRepeatGap, [this, modifierFlags] {
                HotKeyEvent release = std::exchange(m_heldHotKey, std::nullopt)->event;
                release.pressed = false;
                sendEvent(std::make_shared<const KeyEvent>(keyEventFromHotKeyEvent(release, modifierFlags)));
            });
        return true;
    }
    if (held) {
        m_releaseHeldHotKey.cancel();
        return true;
    }
    const auto hotKey =
        m_desktop ? m_desktop->globalHotKeys().registeredHotKey(keyCode, modifierFlags) : std::nullopt;
    if (!hotKey)
        return false;
    m_heldHotKey = HeldHotKey{keyCode, *hotKey};
    sendEvent(std::make_shared<const KeyEvent>(keyEventFromHotKeyEvent(*hotKey, modifierFlags)));
    return true;
}

void HotKeyEventRouter::statusItemClicked() {
    if (m_handler && m_handler->answersMenuNeedsUpdate())
        m_handler->menuNeedsUpdate(nullptr);
}

bool HotKeyEventRouter::handleKeyDownEvent(const std::shared_ptr<const KeyEvent>& event,
                                           bool triggerRepetition) {
    if (!event)
        return false;
    const double start = now();
    if (triggerRepetition && m_eventToRepeat && m_eventToRepeat != event) {
        const bool sameHotKey = hotKeyReferencesAgree(m_eventToRepeat->data1, event->data1);
        stopRepetition();
        // With the toggle setting, pressing the repeating hot key again only stops it.
        if (sameHotKey && toggleRepeatableHotKeys())
            return true;
    }
    if (!m_handler)
        return false;
    bool repeat = false;
    if (!m_handler->handleKeyDownEvent(*event, repeat)) {
        // A repetition the handler declines ends there; left behind, it would swallow the next press of
        // its hot key as a toggle.
        if (m_eventToRepeat == event)
            stopRepetition();
        return false;
    }
    triggerRepetitionForSystemDefinedEvent(triggerRepetition && repeat ? event : nullptr, start);
    return true;
}

void HotKeyEventRouter::triggerRepetitionForSystemDefinedEvent(const std::shared_ptr<const KeyEvent>& event,
                                                               double referenceTimestamp) {
    m_repeat.cancel();
    if (!event) {
        m_eventToRepeat.reset();
        return;
    }
    double delay = 0;
    if (event == m_eventToRepeat) {
        delay = keyRepeatInterval();
    } else {
        m_eventToRepeat = event;
        delay = keyRepeatDelay();
    }
    // The time the action took counts against the delay.
    delay = std::max(MinimumRepeatDelay, delay - (now() - referenceTimestamp));
    m_repeat = m_mainRunLoop.performLater(delay, [this] { repeatSystemDefinedEvent(); });
}

void HotKeyEventRouter::repeatSystemDefinedEvent() {
    const std::shared_ptr<const KeyEvent> event = m_eventToRepeat;
    if (!event)
        return;
    if (!toggleRepeatableHotKeys() && !modifiersStillHeld(*event)) {
        if (ZRDebugLogEnabled())
            ZRLog("[Debug] hot key repetition stopped: its modifier keys are no longer held");
        stopRepetition();
        return;
    }
    handleKeyDownEvent(event, true);
}

void HotKeyEventRouter::setClock(std::function<double()> clock) {
    m_clock = std::move(clock);
}

void HotKeyEventRouter::stopRepetition() {
    triggerRepetitionForSystemDefinedEvent(nullptr, -1.0);
}

double HotKeyEventRouter::now() const {
    return m_clock ? m_clock() : m_mainRunLoop.now();
}
