#pragma once

class GlobalHotKeys;
class RunLoop;
class UserDefaults;

// What a hot key uses of the program, handed to it by whoever makes it: the desktop that takes its
// registration, the settings its matching and local rules come from, and the main run loop whose turn
// ends the list of hot keys registered together. Each outlives every hot key made with it.
struct ZRHotKeyContext {
    GlobalHotKeys& globalHotKeys;
    const UserDefaults& settings;
    RunLoop& mainRunLoop;
};
