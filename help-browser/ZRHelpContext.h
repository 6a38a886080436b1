#pragma once

class DispatchQueue;
class ZRFindPasteboard;
class RunLoop;
class UserDefaults;

// What the help window uses of the program, handed to it by whoever makes it (the program's main, a test),
// so that a test gives it settings of its own. Each outlives every manager made with it.
struct ZRHelpContext {
    // "ZRHelpManager: Open Relative Path", the quick-access strip's layout, and the settings a help link
    // changes.
    UserDefaults& defaults;
    // The main thread, where the workers hand their results back.
    RunLoop& mainRunLoop;
    // The workers that index the book.
    DispatchQueue& workers;
    // The program's find string, which the find bar shows and Find Next looks for.
    ZRFindPasteboard& findPasteboard;
};
