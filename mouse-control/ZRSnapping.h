#pragma once

#include "mouse-control/ZRMouseControlContext.h"
#include "mouse-control/ZRMouseControlSnapping.h"
#include "mouse-control/ZRMouseGestures.h"
#include "mouse-control/ZRSnapZones.h"
#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/Signal.h"
#include "platform/foundation/RunLoop.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowObserver.h"

#include <cstdint>
#include <memory>
#include <optional>

class ZRAction;
class ZRActionController;
class ZRMouseController;

// The position under which snapping and drop snap remember the frame they gave a window; snap back acts on
// windows whose last frame was given under it.
inline constexpr std::int64_t ZRLastSnapPosition = 1002;

// Snapping a window dragged by its title bar (or moved with the hover keys) to the edges and corners of the
// screens: the window is tracked from the mouse down, seen to move, and when the pointer rests in a zone its
// frame is set at once ("Snap: Auto-Snap") or shown by the focus window's outline and set at the mouse up.
// A zone holds a standard frame or a custom action; a folder, or a layout of several windows, offers its
// members as a chooser in the keyboard menu, the member under the pointer's place along the edge being the
// target. A snapped window dragged away from the edges gets back its former size (snap back), and a window
// released over drop zones takes the zone's frame (drop snap).
//
// While the window manager drags the window it puts back its own frame at the next motion, so a frame set
// meanwhile is set between the end of its move and the move resumed at the pointer. Frames of the window
// are in Quartz coordinates, screen frames in Cocoa coordinates. Main thread only.
class ZRSnapping : public ZRMouseControlSnapping, public ZRWindowObserverDelegate {
public:
    // The controller and the gestures outlive the part, which tracks the snap gesture and follows a hover
    // move; the frames the part sets are remembered by the main controller's actions area.
    ZRSnapping(ZRMouseController& controller, ZRMouseGestures& gestures);
    ~ZRSnapping() override;
    ZRSnapping(const ZRSnapping&) = delete;
    ZRSnapping& operator=(const ZRSnapping&) = delete;

    void setSnapWindowFromTappedMouseEvent(const TapEvent* event) override;
    void updateSnapWindowStatusWithTappedMouseDraggedEvent(const TapEvent& event) override;
    void observedWindow(const AXElementRef& window, const QString& notification) override;
    void prepareToSnap() override;
    // Previews the snap of the zone under the pointer, or sets it at once with auto-snap.
    void snapWhenReady();
    // Shows or hides the preview; the focus window holds one activation while ready.
    void setReadyForSnap(bool ready);
    void snap();
    void snapBack() override;
    void dropSnap() override;

    // The target frame (Cocoa) of the zone under the pointer, or of snapping back; the zero rectangle for
    // none. Sets it when performing. The screen frame is written when a screen was found.
    Rect snapFrameAtCurrentMouseLocation(bool forSnappingBack, bool performAction, Rect* getScreenFrame);

    // Whether a snap waits for the mouse up.
    bool isReadyToSnap() const { return m_isReadyToSnap; }

private:
    struct Target;

    void endTracking(bool realEnd);
    // The target of a zone: its standard frame, or the frame of its custom action (of the chooser's member
    // under the pointer); none when it has none. Shows, moves or closes the chooser.
    std::optional<Target> targetOfZone(std::int64_t position, const ZRVirtualScreen& screen, Point location,
                                       double cornerReach, const AXElementRef& window);
    std::optional<Target> targetOfAction(const ZRAction& action, const ZRVirtualScreen& screen) const;
    void showChooser(const ZRAction& chooser, const ZRVirtualScreen& screen);
    Rect snapBackFrame(const AXElementRef& window, Point location, bool performAction);
    bool apply(const AXElementRef& window, const Target& target);
    // How a frame is set.
    struct FrameSetting {
        bool setSize = false;
        bool keepRightEdge = false;
        bool keepBottomEdge = false;
        // First moved inside the screen's visible frame, for windows that refuse a size while they stick out.
        bool viaVisibleFrame = false;
        // Animated when "Animation" is on.
        bool animate = true;
        // The window manager's move goes on afterwards: the button is still down.
        bool resume = true;
    };
    // Sets the frame (Quartz), between the end of the window manager's move and its resumption while it
    // drags the window.
    bool setWindowFrame(const AXElementRef& window, const Rect& frame, const FrameSetting& how,
                        Rect* obtainedFrame = nullptr);
    ZRActionController& actions() const;
    // The screens and the zones' settings, read once per drag (again when the screens change).
    const std::vector<ZRVirtualScreen>& screens();
    const ZRSnapZoneSettings& zoneSettings();

    ZRMouseController& m_controller;
    const ZRMouseControlContext& m_context;
    ZRMouseGestures& m_gestures;
    WindowNumber m_snapWindowNumber = 0;
    Rect m_snapWindowDescriptionCGFrame;
    Rect m_snapWindowOriginalCGFrame;
    Rect m_snapWindowSnapCGFrameToConfirm;
    bool m_isReadyToSnap = false;
    bool m_didAttemptSnapBack = false;
    std::shared_ptr<ZRAction> m_snapChooserAction;
    // The window manager moves the tracked window: it was pressed on, not moved by the hover keys.
    bool m_windowManagerDrags = false;
    // The mouse up is being handled.
    bool m_buttonIsUp = false;
    RunLoop::TimerId m_snapTimer = 0;
    std::optional<std::vector<ZRVirtualScreen>> m_screens;
    std::optional<ZRSnapZoneSettings> m_zoneSettings;
    Connection m_screensChanged;
};
