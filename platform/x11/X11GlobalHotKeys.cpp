#include "platform/x11/X11GlobalHotKeys.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Xkb.h"

#include <limits>

namespace {

// Every combination of the given lock bits, none included.
std::vector<std::uint16_t> lockCombinations(std::uint16_t locks) {
    std::vector<std::uint16_t> bits;
    for (int bit = 0; bit < 16; ++bit)
        if (locks & (1u << bit))
            bits.push_back(static_cast<std::uint16_t>(1u << bit));
    std::vector<std::uint16_t> combinations;
    for (unsigned subset = 0; subset < (1u << bits.size()); ++subset) {
        std::uint16_t combination = 0;
        for (std::size_t i = 0; i < bits.size(); ++i)
            if (subset & (1u << i))
                combination |= bits[i];
        combinations.push_back(combination);
    }
    return combinations;
}

} // namespace

X11GlobalHotKeys::X11GlobalHotKeys(std::shared_ptr<X11Desktop> desktop, std::shared_ptr<X11Keyboard> keyboard)
    : m_desktop(std::move(desktop)), m_keyboard(std::move(keyboard)) {
    X11Connection& connection = m_desktop->connection();
    // Held keys then repeat as presses only, so a press without a release between is a repeat.
    const auto flags =
        connection.reply(xcb_xkb_per_client_flags_reply,
                         xcb_xkb_per_client_flags(connection.xcb(), XCB_XKB_ID_USE_CORE_KBD,
                                                  XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                                  XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0));
    if (!flags || !(flags->value & XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT))
        platformLog(QStringLiteral("the x server cannot tell repeated keys; held hot keys may repeat"));
    probeSuperKey();
    m_connections.push_back(
        connection.events.connect([this](const xcb_generic_event_t* event) { handleEvent(event); }));
    m_connections.push_back(m_keyboard->changed.connect([this] { keyboardChanged(); }));
}

X11GlobalHotKeys::~X11GlobalHotKeys() {
    for (auto& [reference, registration] : m_registrations)
        ungrab(registration);
    m_desktop->connection().flush();
}

HotKeyRegistrationStatus X11GlobalHotKeys::registerHotKey(KeyCode keyCode, HotKeyModifierMask modifiers,
                                                          std::uint32_t signature, std::uint32_t identifier,
                                                          HotKeyReference& reference) {
    reference = 0;
    Registration registration;
    registration.virtualKey = keyCode;
    registration.modifiers = modifiers;
    registration.signature = signature;
    registration.identifier = identifier;
    const HotKeyRegistrationStatus status = grab(registration);
    if (status != HotKeyRegistrationStatus::Success)
        return status;
    reference = m_nextReference++;
    m_registrations.emplace(reference, registration);
    return status;
}

bool X11GlobalHotKeys::unregisterHotKey(HotKeyReference reference) {
    auto it = m_registrations.find(reference);
    if (it == m_registrations.end())
        return false;
    ungrab(it->second);
    m_registrations.erase(it);
    m_desktop->connection().flush();
    return true;
}

std::optional<HotKeyEvent> X11GlobalHotKeys::registeredHotKey(KeyCode keyCode,
                                                              ModifierFlags modifiers) const {
    Registration pressed;
    pressed.virtualKey = keyCode;
    pressed.modifiers = hotKeyModifierMask(modifiers);
    Grab grab;
    if (locate(pressed, grab) != HotKeyRegistrationStatus::Success)
        return std::nullopt;
    for (const auto& [reference, registration] : m_registrations) {
        if (registration.grab.keycode == grab.keycode && registration.grab.state == grab.state) {
            HotKeyEvent event = eventFor(reference, registration, true);
            event.modifierFlags = modifiers;
            return event;
        }
    }
    return std::nullopt;
}

HotKeyRegistrationStatus X11GlobalHotKeys::locate(const Registration& registration, Grab& grab) const {
    const auto keycode = m_keyboard->keycodeForVirtualKey(registration.virtualKey);
    if (!keycode || *keycode == 0 || *keycode > std::numeric_limits<xcb_keycode_t>::max())
        return HotKeyRegistrationStatus::InvalidKey;
    const auto state = m_keyboard->modifierStateForHotKeyMask(registration.modifiers);
    if (!state)
        return HotKeyRegistrationStatus::Failed;
    grab = {*keycode, *state, static_cast<std::uint16_t>(m_keyboard->masks().locks() & ~*state)};
    return HotKeyRegistrationStatus::Success;
}

void X11GlobalHotKeys::probeSuperKey() {
    // A window manager (icewm) or launcher that grabs the Super key alone takes every press of it, and
    // with it the keys pressed while it is held: a hot key with Command would register and never
    // fire. Whether someone holds it shows in a grab of our own, given back at once.
    X11Connection& connection = m_desktop->connection();
    std::vector<std::pair<xcb_keycode_t, xcb_void_cookie_t>> probes;
    for (const KeyCode key : {Key::Command, Key::RightCommand}) {
        const auto keycode = m_keyboard->keycodeForVirtualKey(key);
        if (!keycode || *keycode == 0 || *keycode > std::numeric_limits<xcb_keycode_t>::max())
            continue;
        const auto code = static_cast<xcb_keycode_t>(*keycode);
        probes.emplace_back(code, xcb_grab_key_checked(connection.xcb(), 1, connection.root(), 0, code,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    for (const auto& [keycode, cookie] : probes) {
        const auto error = connection.check(cookie, {X11ErrorCode::BadAccess});
        if (!error)
            xcb_ungrab_key(connection.xcb(), keycode, connection.root(), 0);
        else if (error->error_code == X11ErrorCode::BadAccess)
            m_superKeyTaken = true;
    }
    connection.flush();
    if (m_superKeyTaken)
        platformLog(QStringLiteral("another program (the window manager) takes the super key: hot keys with "
                                   "command are refused"));
}

HotKeyRegistrationStatus X11GlobalHotKeys::sendGrab(const Registration& registration, PendingGrab& pending,
                                                    const std::vector<PendingGrab>& alongside) {
    if (m_superKeyTaken && (registration.modifiers & HotKeyModifier::Command)) {
        platformLog(QStringLiteral("the hot key with key code %1 and modifiers %2 needs the super key, which "
                                   "another program takes")
                        .arg(registration.virtualKey)
                        .arg(registration.modifiers));
        return HotKeyRegistrationStatus::Taken;
    }
    Grab& wanted = pending.wanted;
    switch (locate(registration, wanted)) {
    case HotKeyRegistrationStatus::Success:
        break;
    case HotKeyRegistrationStatus::InvalidKey:
        platformLog(
            QStringLiteral("no key of this keyboard has the key code %1").arg(registration.virtualKey));
        return HotKeyRegistrationStatus::InvalidKey;
    default:
        platformLog(QStringLiteral("this keyboard has no modifier for the hot-key modifiers %1")
                        .arg(registration.modifiers));
        return HotKeyRegistrationStatus::Failed;
    }
    // Two registrations of one combination would share one grab and lose it together.
    auto same = [&](const Grab& other) {
        return other.keycode == wanted.keycode && other.state == wanted.state;
    };
    for (const auto& [reference, other] : m_registrations)
        if (&other != &registration && same(other.grab))
            return HotKeyRegistrationStatus::Taken;
    for (const PendingGrab& other : alongside)
        if (same(other.wanted))
            return HotKeyRegistrationStatus::Taken;

    X11Connection& connection = m_desktop->connection();
    pending.combinations = lockCombinations(wanted.locks);
    for (std::uint16_t combination : pending.combinations)
        pending.cookies.push_back(xcb_grab_key_checked(
            connection.xcb(), 1, connection.root(), wanted.state | combination,
            static_cast<xcb_keycode_t>(wanted.keycode), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    return HotKeyRegistrationStatus::Success;
}

HotKeyRegistrationStatus X11GlobalHotKeys::finishGrab(Registration& registration,
                                                      const PendingGrab& pending) {
    // The first check waits for the server once; it has answered every grab sent before by then.
    X11Connection& connection = m_desktop->connection();
    bool refused = false;
    bool failed = false;
    std::vector<std::uint16_t> grabbed;
    for (std::size_t i = 0; i < pending.cookies.size(); ++i) {
        const auto error = connection.check(pending.cookies[i], {X11ErrorCode::BadAccess});
        if (!error)
            grabbed.push_back(pending.combinations[i]);
        else if (error->error_code == X11ErrorCode::BadAccess)
            refused = true;
        else
            failed = true;
    }
    if (refused || failed) {
        // Nothing of a refused hot key stays grabbed.
        for (std::uint16_t combination : grabbed)
            xcb_ungrab_key(connection.xcb(), static_cast<xcb_keycode_t>(pending.wanted.keycode),
                           connection.root(), pending.wanted.state | combination);
        connection.flush();
        platformLog(
            refused ? QStringLiteral("another program holds the hot key with key code %1 and modifiers %2")
                          .arg(registration.virtualKey)
                          .arg(registration.modifiers)
                    : QStringLiteral("cannot grab the hot key with key code %1 and modifiers %2")
                          .arg(registration.virtualKey)
                          .arg(registration.modifiers));
        return refused ? HotKeyRegistrationStatus::Taken : HotKeyRegistrationStatus::Failed;
    }
    registration.grab = pending.wanted;
    return HotKeyRegistrationStatus::Success;
}

HotKeyRegistrationStatus X11GlobalHotKeys::grab(Registration& registration) {
    PendingGrab pending;
    const HotKeyRegistrationStatus sent = sendGrab(registration, pending, {});
    return sent == HotKeyRegistrationStatus::Success ? finishGrab(registration, pending) : sent;
}

void X11GlobalHotKeys::registerHotKeys(std::vector<HotKeyRegistrationRequest>& requests) {
    // Every grab goes out before any answer is read, so that the answers of all take one round trip.
    std::vector<Registration> registrations(requests.size());
    std::vector<PendingGrab> pending;
    std::vector<std::size_t> sent;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        HotKeyRegistrationRequest& request = requests[i];
        request.reference = 0;
        Registration& registration = registrations[i];
        registration.virtualKey = request.keyCode;
        registration.modifiers = request.modifiers;
        registration.signature = request.signature;
        registration.identifier = request.identifier;
        PendingGrab grab;
        request.status = sendGrab(registration, grab, pending);
        if (request.status != HotKeyRegistrationStatus::Success)
            continue;
        pending.push_back(std::move(grab));
        sent.push_back(i);
    }
    for (std::size_t k = 0; k < sent.size(); ++k) {
        HotKeyRegistrationRequest& request = requests[sent[k]];
        request.status = finishGrab(registrations[sent[k]], pending[k]);
        if (request.status != HotKeyRegistrationStatus::Success)
            continue;
        request.reference = m_nextReference++;
        m_registrations.emplace(request.reference, registrations[sent[k]]);
    }
}

void X11GlobalHotKeys::ungrab(Registration& registration) {
    if (registration.grab.keycode == 0)
        return;
    X11Connection& connection = m_desktop->connection();
    for (std::uint16_t combination : lockCombinations(registration.grab.locks))
        xcb_ungrab_key(connection.xcb(), static_cast<xcb_keycode_t>(registration.grab.keycode),
                       connection.root(), registration.grab.state | combination);
    registration.grab = {};
}

void X11GlobalHotKeys::keyboardChanged() {
    // The server reports a change also when only the device behind the keyboard switched, with
    // every key in its place: grabs that still fit stay, so no press slips past them meanwhile.
    std::vector<std::pair<HotKeyReference, Registration*>> moved;
    for (auto& [reference, registration] : m_registrations) {
        Grab wanted;
        const bool located = locate(registration, wanted) == HotKeyRegistrationStatus::Success;
        // A hot key that fits as it is, or that had no key before and still has none, stays.
        if (located ? registration.grab == wanted : registration.grab.keycode == 0)
            continue;
        // Let go of every grab that moved before taking new ones: two hot keys may swap keys.
        ungrab(registration);
        moved.emplace_back(reference, &registration);
    }
    std::vector<HotKeyEvent> releases;
    for (auto& [reference, registration] : moved) {
        // Its release would come under the old key code, or not at all.
        if (registration->pressed) {
            registration->pressed = false;
            releases.push_back(eventFor(reference, *registration, false));
        }
        if (grab(*registration) != HotKeyRegistrationStatus::Success)
            platformLog(
                QStringLiteral("the hot key %1 stays inactive after the keyboard changed").arg(reference));
    }
    m_desktop->connection().flush();
    // Last, as a receiver may unregister hot keys.
    for (const HotKeyEvent& release : releases)
        hotKeyEvent.emit(release);
}

void X11GlobalHotKeys::handleEvent(const void* raw) {
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const std::uint8_t type = x11EventType(event);
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    const bool press = type == XCB_KEY_PRESS;
    for (auto& [reference, registration] : m_registrations) {
        if (registration.grab.keycode == 0 || registration.grab.keycode != key->detail)
            continue;
        const std::uint16_t state = key->state & X11ModifierBits & ~registration.grab.locks;
        if (press) {
            if (state != registration.grab.state || registration.pressed)
                continue;
            registration.pressed = true;
        } else {
            // The modifiers may already be up when the key comes up.
            if (!registration.pressed)
                continue;
            registration.pressed = false;
        }
        HotKeyEvent hotKey = eventFor(reference, registration, press);
        hotKey.modifierFlags = m_keyboard->flagsOfEventState(key->state);
        hotKeyEvent.emit(hotKey);
        return;
    }
}

HotKeyEvent X11GlobalHotKeys::eventFor(HotKeyReference reference, const Registration& registration,
                                       bool pressed) {
    HotKeyEvent hotKey;
    hotKey.reference = reference;
    hotKey.pressed = pressed;
    hotKey.signature = registration.signature;
    hotKey.identifier = registration.identifier;
    hotKey.timestamp = RunLoop::main().now();
    return hotKey;
}
