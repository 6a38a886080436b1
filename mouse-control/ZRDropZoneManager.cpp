#include "mouse-control/ZRDropZoneManager.h"

#include "actions/ZRAction.h"
#include "hotkeys/ZRHotKey.h"
#include "mouse-control/ZRAutoDeactivateInterval.h"
#include "mouse-control/ZRFocusWindow.h"
#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRMainController.h"
#include "toolkit/ZRLog.h"
#include "window-access/Coordinates.h"
#include "window-access/GridGeometry.h"

#include <algorithm>

namespace {

ZRDropZoneManager* currentManager = nullptr;

// Escape, the button that ends a drag, and the keys that end a hover move.
constexpr std::uint64_t GestureEventMask =
    tapEventMaskBit(TapEventType::KeyDown) | tapEventMaskBit(TapEventType::LeftMouseDown) |
    tapEventMaskBit(TapEventType::LeftMouseUp) | tapEventMaskBit(TapEventType::FlagsChanged);

// The zones of the windows saved on one screen, named by that screen's "Screen Frame".
struct ScreenGroup {
    QString screenFrame;
    std::vector<ZRDropZone> zones;
};

std::vector<ScreenGroup> screenGroupsOfWindows(const QVariantList& windowDescriptions) {
    std::vector<ScreenGroup> groups;
    for (const QVariant& value : windowDescriptions) {
        const ZRWindowDescription description = value.toMap();
        const QVariant screenFrame = description.value(ZRWindowDescriptionKey::ScreenFrame);
        if (screenFrame.typeId() != QMetaType::QString)
            continue;
        const auto zone = ZRDropZone::dropZoneWithWindowDescription(description);
        if (!zone)
            continue;
        const QString text = screenFrame.toString();
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const ScreenGroup& g) { return g.screenFrame == text; });
        if (group == groups.end())
            group = groups.insert(groups.end(), ScreenGroup{text, {}});
        group->zones.push_back(*zone);
    }

    // Older records lack the usable frame: a sibling on the same screen knows it, else the windows
    // themselves outline it.
    const auto unknown = [](const ZRDropZone& zone) { return zone.originalSkafableFrame.isEmpty(); };
    for (ScreenGroup& group : groups) {
        if (std::none_of(group.zones.begin(), group.zones.end(), unknown))
            continue;
        const auto known = std::find_if_not(group.zones.begin(), group.zones.end(), unknown);
        Rect usable;
        if (known != group.zones.end()) {
            usable = known->originalSkafableFrame;
        } else {
            for (const ZRDropZone& zone : group.zones)
                usable = usable.united(zone.windowFrame);
        }
        for (ZRDropZone& zone : group.zones)
            zone.originalSkafableFrame = usable;
    }
    return groups;
}

void assignScreen(ZRDropZone& zone, const ZRVirtualScreen& screen, const UserDefaults& defaults) {
    zone.assignedSkafableFrame = screen.skafableFrame();
    zone.assignedFullFrame = ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, zone.assignedSkafableFrame,
                                                                   screen.frame(), defaults);
}

bool hasArea(const Rect& frame) {
    return frame.isFinite() && !frame.isEmpty();
}

// Proportionally from the saved usable frame into the grid's inner frame of the zone's screen; a zone
// whose frames cannot be divided keeps its saved frame.
void adapt(ZRDropZone& zone) {
    if (zone.originalSkafableFrame == zone.assignedSkafableFrame || !hasArea(zone.originalSkafableFrame) ||
        !hasArea(zone.assignedFullFrame))
        return;
    const ZRRelativeFrame relative =
        ZRGridGeometry::relativeFrameFromWindowFrame(zone.windowFrame, zone.originalSkafableFrame);
    zone.windowFrame = ZRGridGeometry::windowFrameFromRelativeFrame(relative, zone.assignedFullFrame);
}

} // namespace

ZRDropZoneManager& ZRDropZoneManager::dropZoneManager() {
    return *currentManager;
}

ZRDropZoneManager::ZRDropZoneManager(const ZRMouseGestures& gestures, const ZRMouseControlContext& context)
    : m_gestures(gestures), m_context(context) {
    currentManager = this;
}

ZRDropZoneManager::~ZRDropZoneManager() {
    deactivate();
    m_context.mainRunLoop.cancel(m_pauseTimer);
    if (currentManager == this)
        currentManager = nullptr;
}

std::vector<ZRDropZone> ZRDropZoneManager::dropZonesForWindows(const QVariantList& windowDescriptions,
                                                               const std::vector<ZRVirtualScreen>& screens,
                                                               bool keepAsSaved,
                                                               const UserDefaults& defaults) {
    std::vector<ZRDropZone> zones;
    std::vector<ScreenGroup> groups = screenGroupsOfWindows(windowDescriptions);
    if (groups.empty() || screens.empty())
        return zones;

    if (groups.size() == 1) {
        const std::vector<ZRDropZone>& saved = groups.front().zones;
        zones.reserve(saved.size() * screens.size());
        // The first screen shows the saved zones, every further one their clones.
        bool first = true;
        for (const ZRVirtualScreen& screen : screens) {
            for (const ZRDropZone& zone : saved)
                assignScreen(zones.emplace_back(first ? zone : zone.clone()), screen, defaults);
            first = false;
        }
    } else {
        std::vector<ZRVirtualScreen> remaining = screens;
        for (ScreenGroup& group : groups) {
            if (remaining.empty())
                break;
            const auto screen = ZRVirtualScreen::virtualScreenMostRelevantForFrame(
                rectFromString(group.screenFrame), remaining, true);
            std::erase(remaining, *screen);
            for (ZRDropZone& zone : group.zones) {
                assignScreen(zone, *screen, defaults);
                zones.push_back(zone);
            }
        }
    }

    const double height = ZRPrimaryScreenHeight();
    for (ZRDropZone& zone : zones) {
        if (!keepAsSaved)
            adapt(zone);
        zone.windowCGFrame = ZRFlipRect(zone.windowFrame, height);
    }
    return zones;
}

bool ZRDropZoneManager::isDraggingWindow() const {
    return m_gestures.isDraggingWindow();
}

bool ZRDropZoneManager::activateForAction(const std::shared_ptr<ZRAction>& action) {
    if (!action) {
        deactivate();
        return false;
    }
    if (m_escaped)
        return false;
    return activateForAction(*action);
}

bool ZRDropZoneManager::activateForAction(const ZRAction& action) {
    const UserDefaults& defaults = m_context.defaults;
    bool hasObstructedWindows = false;
    const QVariantList windows =
        action.applyToObstructedWindows() && !defaults.boolForKey(ZRDropZoneDefault::IgnoreObstructedWindows)
            ? action.accessibleSnapshotHasObstructedWindows(&hasObstructedWindows)
            : action.unobstructedSnapshot();
    const bool keepAsSaved = !action.snapshotAdapts() && !defaults.boolForKey(ZRDropZoneDefault::AlwaysAdapt);
    m_dropZones = dropZonesForWindows(windows, ZRVirtualScreen::screens(m_context.defaults), keepAsSaved,
                                      m_context.defaults);
    if (m_dropZones.empty()) {
        deactivate();
        return false;
    }

    std::vector<Rect> frames;
    frames.reserve(m_dropZones.size());
    for (const ZRDropZone& zone : m_dropZones)
        frames.push_back(zone.windowFrame);
    ZRFocusWindow& focus = m_context.focusWindow();
    focus.setDropFrameValuesOverlap(hasObstructedWindows);
    focus.setCoverAllScreens(true);
    focus.setDisplayRegardless(true);
    focus.setDropFrameValues(std::move(frames), Rect(), Rect());
    if (!m_active) {
        m_active = true;
        focus.setActive(true);
    }
    holdEscapeHotKey();
    followGesture();
    return updateWithCGLocation(m_context.platform.inputState().pointerLocation());
}

bool ZRDropZoneManager::updateWithCGLocation(const Point& location) {
    if (!m_active)
        return false;
    const auto zone = std::find_if(m_dropZones.begin(), m_dropZones.end(),
                                   [&](const ZRDropZone& z) { return z.windowCGFrame.contains(location); });
    m_dropFrame = zone != m_dropZones.end() ? zone->windowFrame : Rect();
    // Only a change is drawn: this runs for every drag event.
    ZRFocusWindow& focus = m_context.focusWindow();
    if (focus.outlineFrame() != m_dropFrame || focus.drawOutlineAsAlert())
        focus.setOutlineFrame(m_dropFrame);
    deactivateAfterDelay();
    return true;
}

bool ZRDropZoneManager::deactivate() {
    if (!m_active)
        return false;
    m_active = false;
    m_context.mainRunLoop.cancel(std::exchange(m_pauseTimer, 0));
    releaseEscapeHotKey();
    m_dropZones.clear();
    ZRFocusWindow& focus = m_context.focusWindow();
    focus.setDropFrameValues({});
    focus.setActive(false);
    if (!m_escaped && !isDraggingWindow())
        m_gestureTap.reset();
    return true;
}

void ZRDropZoneManager::deactivateAfterDelay() {
    // A drag event only puts the end of the pause off; the timer finds that when it fires, and waits on.
    RunLoop& loop = m_context.mainRunLoop;
    const double due = loop.now() + autoDeactivateIntervalForCheatSheet(false, m_context.defaults);
    if (loop.isScheduled(m_pauseTimer) && due >= m_pauseDue) {
        m_pauseDue = due;
        return;
    }
    loop.cancel(m_pauseTimer);
    m_pauseDue = due;
    schedulePause(due - loop.now());
}

void ZRDropZoneManager::schedulePause(double seconds) {
    m_pauseTimer = m_context.mainRunLoop.schedule(seconds, [this] {
        m_pauseTimer = 0;
        const double remaining = m_pauseDue - m_context.mainRunLoop.now();
        if (remaining > 0)
            schedulePause(remaining);
        else
            deactivate();
    });
}

void ZRDropZoneManager::holdEscapeHotKey() {
    if (m_escapeHotKey || m_escapeHotKeyRefused)
        return;
    auto hotKey = ZRHotKey::hotKeyWithIdentifer(
        QString(), std::nullopt, Key::Escape, 0,
        {m_context.platform.globalHotKeys(), m_context.defaults, m_context.mainRunLoop});
    if (hotKey->registerForDelegate(m_context.mainController())) {
        m_escapeHotKey = std::move(hotKey);
    } else {
        m_escapeHotKeyRefused = true;
        ZRLog("cannot register the escape key for the drop zones; they close after the pause");
    }
}

void ZRDropZoneManager::releaseEscapeHotKey() {
    if (const auto hotKey = std::exchange(m_escapeHotKey, nullptr))
        hotKey->unregister();
    m_escapeHotKeyRefused = false;
}

void ZRDropZoneManager::followGesture() {
    if (m_gestureTap)
        return;
    m_gestureTap = m_context.platform.eventStream().install(
        GestureEventMask, [this](const TapEvent& event) { gestureEvent(event); });
}

void ZRDropZoneManager::gestureEvent(const TapEvent& event) {
    if (event.type == TapEventType::KeyDown) {
        if (event.keyCode != Key::Escape)
            return;
        m_escaped = m_escaped || isDraggingWindow();
        deactivate();
        if (!m_escaped)
            endGesture();
        return;
    }
    // A press or release of the button, or the keys of a hover move let go.
    if (event.type != TapEventType::FlagsChanged || !isDraggingWindow())
        endGesture();
}

void ZRDropZoneManager::endGesture() {
    m_escaped = false;
    if (!m_active)
        m_gestureTap.reset();
}
