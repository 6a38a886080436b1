#include "platform/x11/X11KeyTable.h"

#include <algorithm>
#include <array>
#include <xkbcommon/xkbcommon.h>

namespace {

constexpr auto table = std::to_array<X11KeyTableEntry>({
    {Key::A, "AC01", XKB_KEY_a},
    {Key::S, "AC02", XKB_KEY_s},
    {Key::D, "AC03", XKB_KEY_d},
    {Key::F, "AC04", XKB_KEY_f},
    {Key::H, "AC06", XKB_KEY_h},
    {Key::G, "AC05", XKB_KEY_g},
    {Key::Z, "AB01", XKB_KEY_z},
    {Key::X, "AB02", XKB_KEY_x},
    {Key::C, "AB03", XKB_KEY_c},
    {Key::V, "AB04", XKB_KEY_v},
    {Key::ISOSection, "LSGT", XKB_KEY_less},
    {Key::B, "AB05", XKB_KEY_b},
    {Key::Q, "AD01", XKB_KEY_q},
    {Key::W, "AD02", XKB_KEY_w},
    {Key::E, "AD03", XKB_KEY_e},
    {Key::R, "AD04", XKB_KEY_r},
    {Key::Y, "AD06", XKB_KEY_y},
    {Key::T, "AD05", XKB_KEY_t},
    {Key::Digit1, "AE01", XKB_KEY_1},
    {Key::Digit2, "AE02", XKB_KEY_2},
    {Key::Digit3, "AE03", XKB_KEY_3},
    {Key::Digit4, "AE04", XKB_KEY_4},
    {Key::Digit6, "AE06", XKB_KEY_6},
    {Key::Digit5, "AE05", XKB_KEY_5},
    {Key::Equal, "AE12", XKB_KEY_equal},
    {Key::Digit9, "AE09", XKB_KEY_9},
    {Key::Digit7, "AE07", XKB_KEY_7},
    {Key::Minus, "AE11", XKB_KEY_minus},
    {Key::Digit8, "AE08", XKB_KEY_8},
    {Key::Digit0, "AE10", XKB_KEY_0},
    {Key::RightBracket, "AD12", XKB_KEY_bracketright},
    {Key::O, "AD09", XKB_KEY_o},
    {Key::U, "AD07", XKB_KEY_u},
    {Key::LeftBracket, "AD11", XKB_KEY_bracketleft},
    {Key::I, "AD08", XKB_KEY_i},
    {Key::P, "AD10", XKB_KEY_p},
    {Key::Return, "RTRN", XKB_KEY_Return},
    {Key::L, "AC09", XKB_KEY_l},
    {Key::J, "AC07", XKB_KEY_j},
    {Key::Quote, "AC11", XKB_KEY_apostrophe},
    {Key::K, "AC08", XKB_KEY_k},
    {Key::Semicolon, "AC10", XKB_KEY_semicolon},
    {Key::Backslash, "BKSL", XKB_KEY_backslash},
    {Key::Comma, "AB08", XKB_KEY_comma},
    {Key::Slash, "AB10", XKB_KEY_slash},
    {Key::N, "AB06", XKB_KEY_n},
    {Key::M, "AB07", XKB_KEY_m},
    {Key::Period, "AB09", XKB_KEY_period},
    {Key::Tab, "TAB", XKB_KEY_Tab},
    {Key::Space, "SPCE", XKB_KEY_space},
    {Key::Grave, "TLDE", XKB_KEY_grave},
    {Key::Delete, "BKSP", XKB_KEY_BackSpace},
    {Key::Escape, "ESC", XKB_KEY_Escape},
    {Key::RightCommand, "RWIN", XKB_KEY_Super_R},
    {Key::Command, "LWIN", XKB_KEY_Super_L},
    {Key::Shift, "LFSH", XKB_KEY_Shift_L},
    {Key::CapsLock, "CAPS", XKB_KEY_Caps_Lock},
    {Key::Option, "LALT", XKB_KEY_Alt_L},
    {Key::Control, "LCTL", XKB_KEY_Control_L},
    {Key::RightShift, "RTSH", XKB_KEY_Shift_R},
    {Key::RightOption, "RALT", XKB_KEY_Alt_R},
    {Key::RightControl, "RCTL", XKB_KEY_Control_R},
    {Key::Function, "", XKB_KEY_NoSymbol},
    {Key::F17, "FK17", XKB_KEY_F17},
    {Key::KeypadDecimal, "KPDL", XKB_KEY_KP_Decimal},
    {Key::KeypadMultiply, "KPMU", XKB_KEY_KP_Multiply},
    {Key::KeypadPlus, "KPAD", XKB_KEY_KP_Add},
    {Key::KeypadClear, "NMLK", XKB_KEY_Clear},
    {Key::VolumeUp, "VOL+", XKB_KEY_XF86AudioRaiseVolume},
    {Key::VolumeDown, "VOL-", XKB_KEY_XF86AudioLowerVolume},
    {Key::Mute, "MUTE", XKB_KEY_XF86AudioMute},
    {Key::KeypadDivide, "KPDV", XKB_KEY_KP_Divide},
    {Key::KeypadEnter, "KPEN", XKB_KEY_KP_Enter},
    {Key::KeypadMinus, "KPSU", XKB_KEY_KP_Subtract},
    {Key::F18, "FK18", XKB_KEY_F18},
    {Key::F19, "FK19", XKB_KEY_F19},
    {Key::KeypadEquals, "KPEQ", XKB_KEY_KP_Equal},
    {Key::Keypad0, "KP0", XKB_KEY_KP_0},
    {Key::Keypad1, "KP1", XKB_KEY_KP_1},
    {Key::Keypad2, "KP2", XKB_KEY_KP_2},
    {Key::Keypad3, "KP3", XKB_KEY_KP_3},
    {Key::Keypad4, "KP4", XKB_KEY_KP_4},
    {Key::Keypad5, "KP5", XKB_KEY_KP_5},
    {Key::Keypad6, "KP6", XKB_KEY_KP_6},
    {Key::Keypad7, "KP7", XKB_KEY_KP_7},
    {Key::F20, "FK20", XKB_KEY_F20},
    {Key::Keypad8, "KP8", XKB_KEY_KP_8},
    {Key::Keypad9, "KP9", XKB_KEY_KP_9},
    {Key::JISYen, "AE13", XKB_KEY_yen},
    {Key::JISUnderscore, "AB11", XKB_KEY_underscore},
    {Key::JISKeypadComma, "KPCO", XKB_KEY_KP_Separator},
    {Key::F5, "FK05", XKB_KEY_F5},
    {Key::F6, "FK06", XKB_KEY_F6},
    {Key::F7, "FK07", XKB_KEY_F7},
    {Key::F3, "FK03", XKB_KEY_F3},
    {Key::F8, "FK08", XKB_KEY_F8},
    {Key::F9, "FK09", XKB_KEY_F9},
    {Key::JISEisu, "MUHE", XKB_KEY_Muhenkan},
    {Key::F11, "FK11", XKB_KEY_F11},
    {Key::JISKana, "HENK", XKB_KEY_Henkan},
    {Key::F13, "FK13", XKB_KEY_F13},
    {Key::F16, "FK16", XKB_KEY_F16},
    {Key::F14, "FK14", XKB_KEY_F14},
    {Key::F10, "FK10", XKB_KEY_F10},
    {Key::ContextMenu, "COMP", XKB_KEY_Menu},
    {Key::F12, "FK12", XKB_KEY_F12},
    {Key::F15, "FK15", XKB_KEY_F15},
    {Key::Help, "INS", XKB_KEY_Insert},
    {Key::Home, "HOME", XKB_KEY_Home},
    {Key::PageUp, "PGUP", XKB_KEY_Prior},
    {Key::ForwardDelete, "DELE", XKB_KEY_Delete},
    {Key::F4, "FK04", XKB_KEY_F4},
    {Key::End, "END", XKB_KEY_End},
    {Key::F2, "FK02", XKB_KEY_F2},
    {Key::PageDown, "PGDN", XKB_KEY_Next},
    {Key::F1, "FK01", XKB_KEY_F1},
    {Key::LeftArrow, "LEFT", XKB_KEY_Left},
    {Key::RightArrow, "RGHT", XKB_KEY_Right},
    {Key::DownArrow, "DOWN", XKB_KEY_Down},
    {Key::UpArrow, "UP", XKB_KEY_Up},
});

} // namespace

std::span<const X11KeyTableEntry> X11KeyTable::entries() {
    return table;
}

const X11KeyTableEntry* X11KeyTable::entryForVirtualKey(KeyCode virtualKey) {
    for (const X11KeyTableEntry& entry : table)
        if (entry.virtualKey == virtualKey)
            return &entry;
    return nullptr;
}

std::optional<std::uint32_t> X11KeyTable::keycodeForVirtualKey(xkb_keymap* keymap, KeyCode virtualKey) {
    const X11KeyTableEntry* entry = entryForVirtualKey(virtualKey);
    if (!keymap || !entry)
        return std::nullopt;
    if (entry->keyName[0] != '\0') {
        const xkb_keycode_t keycode = xkb_keymap_key_by_name(keymap, entry->keyName);
        if (keycode != XKB_KEYCODE_INVALID)
            return keycode;
    }
    if (entry->keysym == XKB_KEY_NoSymbol)
        return std::nullopt;
    // A keymap without the usual names: the first key whose base level gives the symbol.
    for (xkb_keycode_t keycode = xkb_keymap_min_keycode(keymap); keycode <= xkb_keymap_max_keycode(keymap);
         ++keycode) {
        const xkb_keysym_t* symbols = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, 0, 0, &symbols);
        if (std::find(symbols, symbols + count, entry->keysym) != symbols + count)
            return keycode;
    }
    return std::nullopt;
}
