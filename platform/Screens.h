#pragma once

#include "platform/Geometry.h"
#include "platform/Signal.h"

#include <QString>
#include <cstdint>
#include <vector>

struct ScreenInfo {
    std::uint32_t identifier = 0;
    QString name;
    Rect frame;        // Cocoa
    Rect visibleFrame; // Cocoa: the frame less the menu bar, docks and panels
    double backingScaleFactor = 1.0;
};

class Screens {
public:
    virtual ~Screens() = default;

    // The primary screen first; its frame's origin is (0, 0).
    virtual std::vector<ScreenInfo> screens() const = 0;
    // Whether every screen has its own set of workspaces.
    virtual bool screensHaveSeparateSpaces() const = 0;
    // Whether a compositing manager blends the translucent pixels of windows with what lies beneath
    // them; without one they show black.
    virtual bool compositingActive() const = 0;

    // Screens were added, removed, moved or resized.
    Signal<> screensChanged;
    // A compositing manager started or stopped.
    Signal<> compositingChanged;
};
