#pragma once

// Process-wide switches that shared components read, set once by the main controller's load hook
// (ZRMainController::load) before anything else runs.
struct ZRProcessFlags {
    // Screen background views draw the strips of the menu bar and the dock above and below the screen.
    bool screenBackgroundViewsDrawMenuBarAndDock = false;
    // The help manager works in its indexing mode; the program never uses it.
    bool helpManagerIndexesPages = true;
};

ZRProcessFlags& ZRSharedProcessFlags();
