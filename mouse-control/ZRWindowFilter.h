#pragma once

#include "platform/Geometry.h"
#include "platform/WindowServer.h"

#include <QString>
#include <optional>

class UserDefaults;

// Whether mouse control may act on the window under a point (Quartz), asked by hover, snapping and the
// palette before they touch it. Cheap enough for every rested mouse move: it reads only the window list
// and the ignore lists, never another application's elements. Main thread.
//
// It refuses while one of our own windows is modal (application-wide, or to its parent window), refuses
// tiny windows and windows of applications on the "Full" ignore list, and a pointer below the title bar of
// an application on the "Content" list. With skipLargeTopEdgeDistances (the palette's call) it also refuses
// a pointer far below a window's top edge. Yes when no relevant window lies under the point.
//
// Each out value may be null; every one given is set, also when the answer comes early:
//  - lowercaseBundleIdentifier: the owner's, empty for an owner without one; none for a large window whose
//    owner has none, and when no relevant window was found;
//  - windowDescription: the window-list entry that decided; none when there was none;
//  - wantsExactMatch: irrelevant entries (shadows, overlays, windows on an "Irrelevant" ignore list) lay in
//    front of it, so its element should be found by its number or frame, never by the point.
//
//     std::optional<WindowListEntry> entry;
//     bool exact = false;
//     if (shouldProcessTappedMouseEventAtLocation(location, false, nullptr, &entry, &exact, defaults))
//         window = ZRWindowForWindowListEntry(location, entry ? &*entry : nullptr, exact);
bool shouldProcessTappedMouseEventAtLocation(Point location, bool skipLargeTopEdgeDistances,
                                             std::optional<QString>* lowercaseBundleIdentifier,
                                             std::optional<WindowListEntry>* windowDescription,
                                             bool* wantsExactMatch, const UserDefaults& defaults);

// How the log names a window-list entry.
QString zrLogDescription(const WindowListEntry& entry);
