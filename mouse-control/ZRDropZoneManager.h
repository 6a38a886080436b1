#pragma once

#include "actions/ZRDropZoneActivation.h"
#include "mouse-control/ZRDropZone.h"
#include "mouse-control/ZRMouseControlContext.h"
#include "mouse-control/ZRMouseControlDropZones.h"
#include "mouse-control/ZRMouseGestures.h"
#include "platform/EventStream.h"
#include "platform/foundation/RunLoop.h"
#include "window-access/VirtualScreen.h"

#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

class ZRHotKey;

namespace ZRDropZoneDefault {
// Covered windows of a layout show no zone even when the layout applies to them.
inline const QString IgnoreObstructedWindows = QStringLiteral("Drop Snap: Ignore Obstructed Windows");
// Zones move proportionally onto screens whose usable frame differs from the saved one, also for layouts
// that do not adapt.
inline const QString AlwaysAdapt = QStringLiteral("Drop Snap: Always Adapt");
} // namespace ZRDropZoneDefault

// The windows of a saved layout as drop zones on the current screens while a window is dragged: shown by
// the focus window, the zone under the pointer outlined, its frame taken by the dragged window at the mouse
// up (snapping reads dropFrame). The zones close at the mouse up, after a pause without drag events, on a
// key that the action engine handles, and on Escape, which also keeps them closed for the rest of the drag.
// Frames are in Cocoa coordinates unless named CG. Main thread only.
class ZRDropZoneManager : public ZRMouseControlDropZones, public ZRDropZoneActivation {
public:
    // The manager of the mouse controller: the one made last, while it lives. There must be one.
    static ZRDropZoneManager& dropZoneManager();

    // The gestures and the context outlive the manager: a window dragged or hover-moved keeps the zones'
    // gesture going.
    ZRDropZoneManager(const ZRMouseGestures& gestures, const ZRMouseControlContext& context);
    ~ZRDropZoneManager() override;
    ZRDropZoneManager(const ZRDropZoneManager&) = delete;
    ZRDropZoneManager& operator=(const ZRDropZoneManager&) = delete;

    // The zones of the layout's windows, in the order of the layout's screens and, within a screen, front to
    // back. A layout saved on one screen is offered on every current screen; one saved on several puts each
    // of its screens on the most relevant current one left, and leaves out the screens that find none. With
    // keepAsSaved the zones stand exactly as saved; otherwise a zone saved in another usable frame is moved
    // proportionally into the grid's inner frame of its screen.
    static std::vector<ZRDropZone> dropZonesForWindows(const QVariantList& windowDescriptions,
                                                       const std::vector<ZRVirtualScreen>& screens,
                                                       bool keepAsSaved, const UserDefaults& defaults);

    bool isActive() const override { return m_active; }
    // A window is dragged by its title bar or moved by the hover keys.
    bool isDraggingWindow() const override;
    // Shows the zones of the layout (replacing any shown), holds the Escape hot key while they show, and
    // picks the zone under the pointer; false, and closed, when there is nothing to show.
    bool activateForAction(const ZRAction& action) override;
    // The same for the layout that the drag selects: none closes the zones, and after Escape the drag shows
    // none until it ends.
    bool activateForAction(const std::shared_ptr<ZRAction>& action) override;
    // Picks the first zone that holds the point (Quartz) and outlines it, and puts the pause off; false while
    // no zones are shown.
    bool updateWithCGLocation(const Point& location) override;
    // Closes the zones and lets go of the Escape hot key and the focus window; false when none were shown.
    // The drop frame keeps its last value.
    bool deactivate() override;
    // Closes the zones once "Auto-Deactivate Interval" has passed without a call of this again.
    void deactivateAfterDelay();
    Rect dropFrame() const override { return m_dropFrame; }
    void setDropFrame(const Rect& dropFrame) { m_dropFrame = dropFrame; }

    const std::vector<ZRDropZone>& dropZones() const { return m_dropZones; }
    // Registered while the zones show; null when none is held (the keys were taken).
    const std::shared_ptr<ZRHotKey>& escapeHotKey() const { return m_escapeHotKey; }

private:
    void holdEscapeHotKey();
    void releaseEscapeHotKey();
    void schedulePause(double seconds);
    // Escape is heard from the stream of every application's keys, since the window manager may hold the
    // keyboard during the drag, and the hot key then never fires.
    void followGesture();
    void gestureEvent(const TapEvent& event);
    void endGesture();

    const ZRMouseGestures& m_gestures;
    const ZRMouseControlContext& m_context;
    bool m_active = false;
    std::vector<ZRDropZone> m_dropZones;
    std::shared_ptr<ZRHotKey> m_escapeHotKey;
    // Registering failed during this showing: not tried on every drag event.
    bool m_escapeHotKeyRefused = false;
    Rect m_dropFrame;

    RunLoop::TimerId m_pauseTimer = 0;
    double m_pauseDue = 0;

    std::unique_ptr<EventTap> m_gestureTap;
    // Escape closed the zones during the current drag.
    bool m_escaped = false;
};
