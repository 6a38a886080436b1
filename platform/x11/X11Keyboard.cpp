#include "platform/x11/X11Keyboard.h"

#include "platform/GlobalHotKeys.h"
#include "platform/PlatformLog.h"
#include "platform/x11/X11KeyTable.h"

#include "platform/x11/X11Xkb.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace {

constexpr double MillisecondsPerSecond = 1000.0;
constexpr int ModifierCount = 8;

ModifierFlags sideBitForKeysym(xkb_keysym_t keysym) {
    switch (keysym) {
    case XKB_KEY_Shift_L:
        return ModifierFlag::LeftShift;
    case XKB_KEY_Shift_R:
        return ModifierFlag::RightShift;
    case XKB_KEY_Control_L:
        return ModifierFlag::LeftControl;
    case XKB_KEY_Control_R:
        return ModifierFlag::RightControl;
    case XKB_KEY_Alt_L:
    case XKB_KEY_Meta_L:
        return ModifierFlag::LeftOption;
    case XKB_KEY_Alt_R:
    case XKB_KEY_Meta_R:
    case XKB_KEY_ISO_Level3_Shift:
        return ModifierFlag::RightOption;
    case XKB_KEY_Super_L:
    case XKB_KEY_Hyper_L:
        return ModifierFlag::LeftCommand;
    case XKB_KEY_Super_R:
    case XKB_KEY_Hyper_R:
        return ModifierFlag::RightCommand;
    default:
        return 0;
    }
}

// The program's flags for an X modifier state, with the side bits of the modifier keys that are down.
ModifierFlags flagsFromState(std::uint16_t state, const X11ModifierMasks& masks, ModifierFlags sideBits) {
    ModifierFlags flags = 0;
    if (state & masks.lock)
        flags |= ModifierFlag::CapsLock;
    if (state & masks.shift)
        flags |= ModifierFlag::Shift;
    if (state & masks.control)
        flags |= ModifierFlag::Control;
    if (masks.alt && (state & masks.alt))
        flags |= ModifierFlag::Option;
    if (masks.super && (state & masks.super))
        flags |= ModifierFlag::Command;
    // A side bit only counts beside the modifier it belongs to.
    const std::pair<ModifierFlags, ModifierFlags> sides[] = {
        {ModifierFlag::Shift, ModifierFlag::LeftShift | ModifierFlag::RightShift},
        {ModifierFlag::Control, ModifierFlag::LeftControl | ModifierFlag::RightControl},
        {ModifierFlag::Option, ModifierFlag::LeftOption | ModifierFlag::RightOption},
        {ModifierFlag::Command, ModifierFlag::LeftCommand | ModifierFlag::RightCommand},
    };
    for (const auto& [modifier, bits] : sides)
        if (flags & modifier)
            flags |= sideBits & bits;
    return flags;
}

} // namespace

X11Keyboard::X11Keyboard(X11Connection& connection, bool watchState) : m_connection(connection) {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    if (!xkb_x11_setup_xkb_extension(m_connection.xcb(), XKB_X11_MIN_MAJOR_XKB_VERSION,
                                     XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS,
                                     &major, &minor, &m_eventBase, nullptr)) {
        platformLog(QStringLiteral("the x server has no keyboard extension"));
        return;
    }
    m_deviceId = xkb_x11_get_core_keyboard_device_id(m_connection.xcb());
    m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const std::uint16_t selectedWhole =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    const std::uint16_t events = selectedWhole | (watchState ? XCB_XKB_EVENT_TYPE_STATE_NOTIFY : 0);
    const std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                   XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                                   XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                   XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    // Of the state, only changes of the modifiers: buttons and groups would wake us for nothing.
    xcb_xkb_select_events_details_t details{};
    details.affectState = XCB_XKB_STATE_PART_MODIFIER_STATE;
    details.stateDetails = XCB_XKB_STATE_PART_MODIFIER_STATE;
    xcb_xkb_select_events_aux(m_connection.xcb(), XCB_XKB_ID_USE_CORE_KBD, events, 0, selectedWhole, mapParts,
                              mapParts, &details);
    reload();
    m_eventConnection =
        m_connection.events.connect([this](const xcb_generic_event_t* event) { handleEvent(event); });
}

X11Keyboard::~X11Keyboard() {
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    if (m_context)
        xkb_context_unref(m_context);
}

bool X11Keyboard::isValid() const {
    std::lock_guard lock(m_mutex);
    return m_keymap != nullptr;
}

void X11Keyboard::reload() {
    if (!m_context)
        return;
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(m_context, m_connection.xcb(), m_deviceId,
                                                        XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        platformLog(QStringLiteral("cannot read the keyboard map"));
        return;
    }
    // The modifier map tells which X modifier bit each modifier key sets.
    X11ModifierMasks masks;
    std::array<ModifierFlags, 256> sideBits{};
    auto* c = m_connection.xcb();
    const auto mapping = m_connection.reply(xcb_get_modifier_mapping_reply, xcb_get_modifier_mapping(c));
    if (mapping) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
        const int perModifier = mapping->keycodes_per_modifier;
        for (int modifier = 0; modifier < ModifierCount; ++modifier)
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
                if (keycode == 0)
                    continue;
                const xkb_keysym_t* symbols = nullptr;
                const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, 0, 0, &symbols);
                for (int s = 0; s < count; ++s) {
                    const auto bit = static_cast<std::uint16_t>(1u << modifier);
                    switch (symbols[s]) {
                    case XKB_KEY_Alt_L:
                    case XKB_KEY_Alt_R:
                    case XKB_KEY_Meta_L:
                    case XKB_KEY_Meta_R:
                        masks.alt = masks.alt ? masks.alt : bit;
                        break;
                    case XKB_KEY_Super_L:
                    case XKB_KEY_Super_R:
                        masks.super = masks.super ? masks.super : bit;
                        break;
                    case XKB_KEY_Num_Lock:
                        masks.numLock = bit;
                        break;
                    case XKB_KEY_Scroll_Lock:
                        masks.scrollLock = bit;
                        break;
                    default:
                        break;
                    }
                }
            }
    }
    for (xkb_keycode_t keycode = xkb_keymap_min_keycode(keymap);
         keycode <= xkb_keymap_max_keycode(keymap) && keycode < sideBits.size(); ++keycode) {
        const xkb_keysym_t* symbols = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, 0, 0, &symbols);
        for (int s = 0; s < count && !sideBits[keycode]; ++s)
            sideBits[keycode] = sideBitForKeysym(symbols[s]);
    }
    std::array<std::optional<KeyCode>, 256> virtualKeys{};
    for (const X11KeyTableEntry& entry : X11KeyTable::entries()) {
        const auto keycode = X11KeyTable::keycodeForVirtualKey(keymap, entry.virtualKey);
        if (keycode && *keycode < virtualKeys.size() && !virtualKeys[*keycode])
            virtualKeys[*keycode] = entry.virtualKey;
    }
    std::lock_guard lock(m_mutex);
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    m_keymap = keymap;
    m_masks = masks;
    m_sideBits = sideBits;
    m_virtualKeys = virtualKeys;
}

void X11Keyboard::handleEvent(const xcb_generic_event_t* event) {
    // Without the extension its base is 0, the type of errors.
    if (m_eventBase == 0 || x11EventType(event) != m_eventBase)
        return;
    // Every XKB event carries its own type in the second byte.
    const std::uint8_t xkbType = event->pad0;
    if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY) {
        reload();
        changed.emit();
    } else if (xkbType == XCB_XKB_STATE_NOTIFY) {
        followModifierKeys(*reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event));
    }
}

void X11Keyboard::followModifierKeys(const xcb_xkb_state_notify_event_t& event) {
    std::lock_guard lock(m_mutex);
    if (event.keycode < m_sideBits.size() && m_sideBits[event.keycode]) {
        const auto bit = static_cast<std::uint8_t>(1u << (event.keycode % 8));
        if (event.eventType == XCB_KEY_PRESS)
            m_modifierKeysDown[event.keycode / 8] |= bit;
        else if (event.eventType == XCB_KEY_RELEASE)
            m_modifierKeysDown[event.keycode / 8] &= static_cast<std::uint8_t>(~bit);
    }
    // A modifier that is off has none of its keys down, whatever release was missed.
    const ModifierFlags held = flagsFromState(event.mods, m_masks, ModifierFlag::SideMask);
    for (std::size_t keycode = 0; keycode < m_sideBits.size(); ++keycode)
        if (m_sideBits[keycode] && !(held & m_sideBits[keycode]))
            m_modifierKeysDown[keycode / 8] &= static_cast<std::uint8_t>(~(1u << (keycode % 8)));
}

ModifierFlags X11Keyboard::flagsOfEventState(std::uint16_t state) const {
    X11KeysDown keys;
    {
        std::lock_guard lock(m_mutex);
        keys = m_modifierKeysDown;
    }
    return flags(state & X11ModifierBits, keys);
}

X11ModifierMasks X11Keyboard::masks() const {
    std::lock_guard lock(m_mutex);
    return m_masks;
}

std::optional<std::uint32_t> X11Keyboard::keycodeForVirtualKey(KeyCode virtualKey) const {
    std::lock_guard lock(m_mutex);
    return X11KeyTable::keycodeForVirtualKey(m_keymap, virtualKey);
}

std::optional<KeyCode> X11Keyboard::virtualKeyForKeycode(std::uint32_t keycode) const {
    std::lock_guard lock(m_mutex);
    return keycode < m_virtualKeys.size() ? m_virtualKeys[keycode] : std::nullopt;
}

ModifierFlags X11Keyboard::sideBitForKeycode(std::uint32_t keycode) const {
    std::lock_guard lock(m_mutex);
    return keycode < m_sideBits.size() ? m_sideBits[keycode] : 0;
}

ModifierFlags X11Keyboard::flags(std::uint16_t modifierState, const X11KeysDown& keysDown) const {
    ModifierFlags sideBits = 0;
    X11ModifierMasks masks;
    {
        std::lock_guard lock(m_mutex);
        masks = m_masks;
        for (std::size_t keycode = 0; keycode < m_sideBits.size(); ++keycode)
            if (m_sideBits[keycode] && (keysDown[keycode / 8] & (1u << (keycode % 8))))
                sideBits |= m_sideBits[keycode];
    }
    return flagsFromState(modifierState, masks, sideBits);
}

std::optional<std::uint16_t> X11Keyboard::modifierStateForHotKeyMask(std::uint32_t hotKeyMask) const {
    // Fn has no modifier bit on X11; recorded function keys carry it, so it is left out, not refused.
    const X11ModifierMasks m = masks();
    std::uint16_t state = 0;
    if (hotKeyMask & HotKeyModifier::Shift)
        state |= m.shift;
    if (hotKeyMask & HotKeyModifier::Control)
        state |= m.control;
    if (hotKeyMask & HotKeyModifier::Option) {
        if (!m.alt)
            return std::nullopt;
        state |= m.alt;
    }
    if (hotKeyMask & HotKeyModifier::Command) {
        if (!m.super)
            return std::nullopt;
        state |= m.super;
    }
    return state;
}

X11KeysDown X11Keyboard::keysDown() const {
    auto* c = m_connection.xcb();
    const auto reply = m_connection.reply(xcb_query_keymap_reply, xcb_query_keymap(c));
    X11KeysDown keys{};
    if (reply)
        std::copy(std::begin(reply->keys), std::end(reply->keys), keys.begin());
    return keys;
}

ModifierFlags X11Keyboard::currentFlags() const {
    auto* c = m_connection.xcb();
    const auto stateCookie = xcb_xkb_get_state(c, XCB_XKB_ID_USE_CORE_KBD);
    const X11KeysDown keys = keysDown();
    const auto state = m_connection.reply(xcb_xkb_get_state_reply, stateCookie);
    return state ? flags(state->mods, keys) : 0;
}

QString X11Keyboard::character(KeyCode virtualKey, ModifierFlags modifiers) const {
    auto* c = m_connection.xcb();
    const auto live =
        m_connection.reply(xcb_xkb_get_state_reply, xcb_xkb_get_state(c, XCB_XKB_ID_USE_CORE_KBD));
    std::lock_guard lock(m_mutex);
    const auto keycode = X11KeyTable::keycodeForVirtualKey(m_keymap, virtualKey);
    if (!keycode)
        return {};
    std::uint32_t mods = 0;
    if (modifiers & ModifierFlag::Shift)
        mods |= m_masks.shift;
    if (modifiers & ModifierFlag::CapsLock)
        mods |= m_masks.lock;
    if (modifiers & ModifierFlag::Control)
        mods |= m_masks.control;
    if (modifiers & ModifierFlag::Option)
        mods |= m_masks.alt;
    if (modifiers & ModifierFlag::Command)
        mods |= m_masks.super;
    xkb_state* state = xkb_state_new(m_keymap);
    if (!state)
        return {};
    xkb_state_update_mask(state, mods, 0, 0, 0, 0, live ? live->group : 0);
    char text[64] = {};
    xkb_state_key_get_utf8(state, *keycode, text, sizeof(text));
    xkb_state_unref(state);
    const QString result = QString::fromUtf8(text);
    // Control characters are no characters of the key.
    if (result.size() == 1 && result.front().isPrint() == false && !result.front().isSpace())
        return {};
    return result;
}

double X11Keyboard::repeatDelay() const {
    auto* c = m_connection.xcb();
    const auto controls =
        m_connection.reply(xcb_xkb_get_controls_reply, xcb_xkb_get_controls(c, XCB_XKB_ID_USE_CORE_KBD));
    return controls ? controls->repeatDelay / MillisecondsPerSecond : 0;
}

double X11Keyboard::repeatInterval() const {
    auto* c = m_connection.xcb();
    const auto controls =
        m_connection.reply(xcb_xkb_get_controls_reply, xcb_xkb_get_controls(c, XCB_XKB_ID_USE_CORE_KBD));
    return controls ? controls->repeatInterval / MillisecondsPerSecond : 0;
}
