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

bool toggleRepeatableHotKeys() {
    return UserDefaults::standard().boolForKey(ToggleRepeatableHotKeysKey);
}

double keyRepeatDelay() {
    const double delay = Platform::hasCurrent() ? Platform::current().inputState().keyRepeatDelay() : 0;
    return delay < MinimumRepeatDelay ? FallbackRepeatDelay : delay;
}

double keyRepeatInterval() {
    const double interval = Platform::hasCurrent() ? Platform::current().inputState().keyRepeatInterval() : 0;
    return interval < MinimumRepeatDelay ? keyRepeatDelay() : interval;
}

ModifierFlags currentModifierFlags() {
    return Platform::hasCurrent() ? Platform::current().inputState().modifierFlags() : 0;
}

// Whether the modifier keys of the press are still the ones held. A release can get lost (the desktop
// hands the keyboard elsewhere in between); once the modifiers are let go, the hot key cannot be held.
bool modifiersStillHeld(const KeyEvent& event) {
    if (!Platform::hasCurrent())
        return true;
    return ZRHotKeyModifierFlagsMatch(currentModifierFlags(), event.modifierFlags, ZRModifierMatchOptions());
}

} // namespace

HotKeyEventRouter::HotKeyEventRouter() {
    m_unregistrations =
        ZRHotKeyReferencePool::defaultPool().referenceUnregistered.connect([this](HotKeyReference reference) {
            // A registration taken back from the desktop sends no release any more.
            if (m_eventToRepeat && m_eventToRepeat->type == KeyEventType::SystemDefined &&
                hotKeyReferencesAgree(m_eventToRepeat->data1, reference))
                stopRepetition();
        });
}

HotKeyEventRouter::~HotKeyEventRouter() = default;

void HotKeyEventRouter::listenTo(GlobalHotKeys& globalHotKeys) {
    m_heldHotKey.reset();
    m_hotKeyEvents = globalHotKeys.hotKeyEvent.connect([this](const HotKeyEvent& event) {
        sendEvent(std::make_shared<const KeyEvent>(keyEventFromHotKeyEvent(event, event.modifierFlags)));
    });
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
            m_releaseHeldHotKey = RunLoop::main().performLater(AutoRepeatGap, [this, modifierFlags] {
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
    const auto hotKey = Platform::hasCurrent()
                            ? Platform::current().globalHotKeys().registeredHotKey(keyCode, modifierFlags)
                            : std::nullopt;
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
    RunLoop& runLoop = RunLoop::main();
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
    m_repeat = runLoop.performLater(delay, [this] { repeatSystemDefinedEvent(); });
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
    return m_clock ? m_clock() : RunLoop::main().now();
}
