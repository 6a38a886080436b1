#pragma once

#include "platform/Screens.h"

#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

class X11Compositing;
class X11Desktop;

// The monitors of RandR 1.5 (or the whole root when there are none), the primary first, each with
// its usable frame: the monitor less the struts of the docks and panels that reach into it.
class X11Screens : public Screens {
public:
    explicit X11Screens(std::shared_ptr<X11Desktop> desktop);
    ~X11Screens() override;

    std::vector<ScreenInfo> screens() const override;
    bool screensHaveSeparateSpaces() const override { return false; }
    bool compositingActive() const override;

    struct Monitor {
        std::uint32_t identifier = 0;
        QString name;
        Rect frame; // root coordinates
        bool primary = false;
    };
    // Monitors in root coordinates and their usable areas into the platform's screens: the primary
    // first, frames flipped into Cocoa coordinates by the primary's height.
    static std::vector<ScreenInfo> screensFromMonitors(std::vector<Monitor> monitors,
                                                       const std::vector<Rect>& usable);
    // The index of the primary monitor, for the order of the screens and the origin of coordinates
    // alike: the one RandR marks; else the one that holds the root's origin; else the one nearest it.
    static std::size_t primaryMonitor(const std::vector<Monitor>& monitors);
    // The work area of the desktop from _NET_WORKAREA's values (four per desktop); none when absent.
    static std::optional<Rect> currentWorkArea(const std::vector<std::uint32_t>& workAreas,
                                               std::uint32_t desktop);
    // The usable area of a monitor, cut down to the work area where they meet.
    static Rect withinWorkArea(const Rect& usable, const std::optional<Rect>& workArea);

private:
    QString monitorName(std::uint32_t name) const;
    // What the screens are made of, apart from the struts of clients.
    struct Layout {
        std::vector<Monitor> monitors;
        int rootWidth = 0;
        int rootHeight = 0;
        std::optional<Rect> workArea;
    };
    Layout readLayout() const;
    void refresh();

    std::shared_ptr<X11Desktop> m_desktop;
    std::unique_ptr<X11Compositing> m_compositing;
    std::uint8_t m_randrEventBase = 0;
    bool m_hasMonitors = false;
    mutable std::mutex m_namesMutex;
    mutable std::unordered_map<std::uint32_t, QString> m_names; // of the monitors' name atoms
    std::vector<ScreenInfo> m_last;
    // The layout as last read, with the desktop's count of changes then: a hot key asks for the screens
    // several times, and the server for nothing while nothing changed.
    mutable std::mutex m_layoutMutex;
    mutable std::optional<Layout> m_layout;
    mutable std::uint64_t m_layoutGeneration = 0;
    std::vector<Connection> m_connections;
};
