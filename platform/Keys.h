#pragma once

#include <cstdint>

// Keys and modifiers in the program's canonical form: the virtual key codes of the platform the
// behaviour was first written for, and its modifier flags. Stored records and exported files carry
// these values, so every backend translates into them.

using KeyCode = std::uint16_t;
using ModifierFlags = std::uint64_t;

namespace ModifierFlag {
inline constexpr ModifierFlags CapsLock = 0x10000;
inline constexpr ModifierFlags Shift = 0x20000;
inline constexpr ModifierFlags Control = 0x40000;
inline constexpr ModifierFlags Option = 0x80000;
inline constexpr ModifierFlags Command = 0x100000;
inline constexpr ModifierFlags NumericPad = 0x200000;
inline constexpr ModifierFlags Help = 0x400000;
inline constexpr ModifierFlags Function = 0x800000;
// Shift, Control, Option and Command.
inline constexpr ModifierFlags ShiftControlOptionCommand = 0x1E0000;
// Every device-independent bit.
inline constexpr ModifierFlags DeviceIndependentMask = 0xFFFF0000;

// Which key of a pair is down (device-dependent bits).
inline constexpr ModifierFlags LeftControl = 0x1;
inline constexpr ModifierFlags LeftShift = 0x2;
inline constexpr ModifierFlags RightShift = 0x4;
inline constexpr ModifierFlags LeftCommand = 0x8;
inline constexpr ModifierFlags RightCommand = 0x10;
inline constexpr ModifierFlags LeftOption = 0x20;
inline constexpr ModifierFlags RightOption = 0x40;
inline constexpr ModifierFlags RightControl = 0x2000;
inline constexpr ModifierFlags SideMask = 0x207F;
} // namespace ModifierFlag

namespace Key {
inline constexpr KeyCode A = 0;
inline constexpr KeyCode S = 1;
inline constexpr KeyCode D = 2;
inline constexpr KeyCode F = 3;
inline constexpr KeyCode H = 4;
inline constexpr KeyCode G = 5;
inline constexpr KeyCode Z = 6;
inline constexpr KeyCode X = 7;
inline constexpr KeyCode C = 8;
inline constexpr KeyCode V = 9;
inline constexpr KeyCode ISOSection = 10;
inline constexpr KeyCode B = 11;
inline constexpr KeyCode Q = 12;
inline constexpr KeyCode W = 13;
inline constexpr KeyCode E = 14;
inline constexpr KeyCode R = 15;
inline constexpr KeyCode Y = 16;
inline constexpr KeyCode T = 17;
inline constexpr KeyCode Digit1 = 18;
inline constexpr KeyCode Digit2 = 19;
inline constexpr KeyCode Digit3 = 20;
inline constexpr KeyCode Digit4 = 21;
inline constexpr KeyCode Digit6 = 22;
inline constexpr KeyCode Digit5 = 23;
inline constexpr KeyCode Equal = 24;
inline constexpr KeyCode Digit9 = 25;
inline constexpr KeyCode Digit7 = 26;
inline constexpr KeyCode Minus = 27;
inline constexpr KeyCode Digit8 = 28;
inline constexpr KeyCode Digit0 = 29;
inline constexpr KeyCode RightBracket = 30;
inline constexpr KeyCode O = 31;
inline constexpr KeyCode U = 32;
inline constexpr KeyCode LeftBracket = 33;
inline constexpr KeyCode I = 34;
inline constexpr KeyCode P = 35;
inline constexpr KeyCode Return = 36;
inline constexpr KeyCode L = 37;
inline constexpr KeyCode J = 38;
inline constexpr KeyCode Quote = 39;
inline constexpr KeyCode K = 40;
inline constexpr KeyCode Semicolon = 41;
inline constexpr KeyCode Backslash = 42;
inline constexpr KeyCode Comma = 43;
inline constexpr KeyCode Slash = 44;
inline constexpr KeyCode N = 45;
inline constexpr KeyCode M = 46;
inline constexpr KeyCode Period = 47;
inline constexpr KeyCode Tab = 48;
inline constexpr KeyCode Space = 49;
inline constexpr KeyCode Grave = 50;
inline constexpr KeyCode Delete = 51;
inline constexpr KeyCode Escape = 53;
inline constexpr KeyCode RightCommand = 54;
inline constexpr KeyCode Command = 55;
inline constexpr KeyCode Shift = 56;
inline constexpr KeyCode CapsLock = 57;
inline constexpr KeyCode Option = 58;
inline constexpr KeyCode Control = 59;
inline constexpr KeyCode RightShift = 60;
inline constexpr KeyCode RightOption = 61;
inline constexpr KeyCode RightControl = 62;
inline constexpr KeyCode Function = 63;
inline constexpr KeyCode F17 = 64;
inline constexpr KeyCode KeypadDecimal = 65;
inline constexpr KeyCode KeypadMultiply = 67;
inline constexpr KeyCode KeypadPlus = 69;
inline constexpr KeyCode KeypadClear = 71;
inline constexpr KeyCode VolumeUp = 72;
inline constexpr KeyCode VolumeDown = 73;
inline constexpr KeyCode Mute = 74;
inline constexpr KeyCode KeypadDivide = 75;
inline constexpr KeyCode KeypadEnter = 76;
inline constexpr KeyCode KeypadMinus = 78;
inline constexpr KeyCode F18 = 79;
inline constexpr KeyCode F19 = 80;
inline constexpr KeyCode KeypadEquals = 81;
inline constexpr KeyCode Keypad0 = 82;
inline constexpr KeyCode Keypad1 = 83;
inline constexpr KeyCode Keypad2 = 84;
inline constexpr KeyCode Keypad3 = 85;
inline constexpr KeyCode Keypad4 = 86;
inline constexpr KeyCode Keypad5 = 87;
inline constexpr KeyCode Keypad6 = 88;
inline constexpr KeyCode Keypad7 = 89;
inline constexpr KeyCode F20 = 90;
inline constexpr KeyCode Keypad8 = 91;
inline constexpr KeyCode Keypad9 = 92;
inline constexpr KeyCode JISYen = 93;
inline constexpr KeyCode JISUnderscore = 94;
inline constexpr KeyCode JISKeypadComma = 95;
inline constexpr KeyCode F5 = 96;
inline constexpr KeyCode F6 = 97;
inline constexpr KeyCode F7 = 98;
inline constexpr KeyCode F3 = 99;
inline constexpr KeyCode F8 = 100;
inline constexpr KeyCode F9 = 101;
inline constexpr KeyCode JISEisu = 102;
inline constexpr KeyCode F11 = 103;
inline constexpr KeyCode JISKana = 104;
inline constexpr KeyCode F13 = 105;
inline constexpr KeyCode F16 = 106;
inline constexpr KeyCode F14 = 107;
inline constexpr KeyCode F10 = 109;
inline constexpr KeyCode ContextMenu = 110;
inline constexpr KeyCode F12 = 111;
inline constexpr KeyCode F15 = 113;
inline constexpr KeyCode Help = 114;
inline constexpr KeyCode Home = 115;
inline constexpr KeyCode PageUp = 116;
inline constexpr KeyCode ForwardDelete = 117;
inline constexpr KeyCode F4 = 118;
inline constexpr KeyCode End = 119;
inline constexpr KeyCode F2 = 120;
inline constexpr KeyCode PageDown = 121;
inline constexpr KeyCode F1 = 122;
inline constexpr KeyCode LeftArrow = 123;
inline constexpr KeyCode RightArrow = 124;
inline constexpr KeyCode DownArrow = 125;
inline constexpr KeyCode UpArrow = 126;
// Key codes run from 0 to this value; anything above names no key.
inline constexpr KeyCode MaximumKeyCode = 127;
} // namespace Key
