#include "window-access/WindowElements.h"

#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/PlatformLog.h"
#include "platform/Workspace.h"
#include "platform/foundation/UserDefaults.h"
#include "window-access/RunningApplicationCache.h"
#include "window-access/WindowAccessClock.h"
#include "window-access/WindowAccessDefaults.h"

#include <cmath>

namespace {

const QString AllowForDrawersKey = QStringLiteral("Allow For Drawers");
const QString StickyRightKey = QStringLiteral("Sticky Edge Correction: Right");
const QString StickyBottomKey = QStringLiteral("Sticky Edge Correction: Bottom");
const QString SettableSizeStrictnessKey = QStringLiteral("Settable Size Strictness");
const QString ControlFullScreenWindowsKey = QStringLiteral("Control Full Screen Windows");
const QString FullScreenAnimationIntervalKey =
    QStringLiteral("Control Full Screen Windows: Animation Interval");
const QString AutoActivateWindowKey = QStringLiteral("Mouse Controls Auto-Activate Window");

// Applications report origins like -0.000001 for windows at the screen's edge.
constexpr double kOriginZeroTolerance = 0.01;
constexpr double kStickyEdgeTolerance = 0.1;
// A window's bounds in the window list and its accessibility frame may differ by rounding.
constexpr double kEntryFrameTolerance = 1;
// Longer waits for the full-screen animation would freeze the program; the setting is capped here.
constexpr double kMaximumFullScreenAnimationInterval = 5;

template <class T> std::optional<T> attributeOfType(const AXElementRef& element, const QString& attribute) {
    const AXValue value = ZRCopyAXAttribute(element, attribute);
    if (const T* typed = std::get_if<T>(&value))
        return *typed;
    return std::nullopt;
}

double zeroIfNear(double value) {
    return std::abs(value) < kOriginZeroTolerance ? 0 : value;
}

std::optional<Rect> elementFrame(const AXElementRef& element) {
    const auto position = attributeOfType<Point>(element, AX::Position);
    if (!position)
        return std::nullopt;
    const auto size = attributeOfType<Size>(element, AX::SizeAttribute);
    if (!size)
        return std::nullopt;
    return Rect(Point{zeroIfNear(position->x), zeroIfNear(position->y)}, *size);
}

// The window an element belongs to: the element itself when it is a window.
AXElementRef windowOfElement(const AXElementRef& element) {
    if (!element)
        return nullptr;
    const auto role = attributeOfType<QString>(element, AX::Role);
    if (role && *role == AX::WindowRole)
        return element;
    return ZRCopyAXElementAttribute(element, AX::Window);
}

bool isInFullScreen(const AXElementRef& window) {
    return attributeOfType<bool>(window, AX::FullScreen).value_or(false);
}

bool isSettable(const AXElementRef& element, const QString& attribute) {
    bool settable = false;
    return element && element->isAttributeSettable(attribute, settable) == AXError::Success && settable;
}

} // namespace

AXValue ZRCopyAXAttribute(const AXElementRef& element, const QString& attribute) {
    if (!element)
        return {};
    AXValue value;
    if (element->copyAttributeValue(attribute, value) != AXError::Success)
        return {};
    return value;
}

AXElementRef ZRCopyAXElementAttribute(const AXElementRef& element, const QString& attribute) {
    return attributeOfType<AXElementRef>(element, attribute).value_or(nullptr);
}

AXElementRef ZRCopyElementAtPosition(Point quartzPoint) {
    if (!Platform::hasCurrent())
        return nullptr;
    return Platform::current().accessibility().elementAtPosition(quartzPoint);
}

AXElementRef ZRWindowForWindowListEntry(Point quartzPoint, const WindowListEntry* entry, bool exactMatch) {
    if (entry && Platform::hasCurrent()) {
        const AXElementRef application =
            Platform::current().accessibility().applicationElement(entry->ownerPID);
        const auto windows = attributeOfType<std::vector<AXElementRef>>(application, AX::Windows);
        if (windows) {
            if (entry->number != 0) {
                for (const AXElementRef& window : *windows) {
                    if (window && window->windowNumber() == entry->number)
                        return window;
                }
            }
            AXElementRef match;
            int matches = 0;
            for (const AXElementRef& window : *windows) {
                const auto frame = ZRCopyWindowFrame(window, false);
                if (frame && rectsAreNearlyEqual(*frame, entry->bounds, kEntryFrameTolerance)) {
                    if (!match)
                        match = window;
                    ++matches;
                }
            }
            if (matches == 1 || (matches > 1 && !exactMatch))
                return match;
        }
        if (exactMatch)
            return nullptr;
    }
    return windowOfElement(ZRCopyElementAtPosition(quartzPoint));
}

AXElementRef ZRCopyZoomButton(const AXElementRef& window) {
    if (AXElementRef button = ZRCopyAXElementAttribute(window, AX::ZoomButton))
        return button;
    return ZRCopyAXElementAttribute(window, AX::FullScreenButton);
}

AXElementRef ZRCopyMinimizeButton(const AXElementRef& window) {
    return ZRCopyAXElementAttribute(window, AX::MinimizeButton);
}

AXElementRef ZRCopyCloseButton(const AXElementRef& window) {
    return ZRCopyAXElementAttribute(window, AX::CloseButton);
}

bool ZRZoomButtonIsUsable(const AXElementRef& button) {
    if (!button)
        return false;
    if (attributeOfType<bool>(button, AX::Enabled).value_or(false))
        return true;
    const auto application = RunningApplicationCache::shared().entry(button->processIdentifier());
    return application && application->isElectron;
}

std::optional<Rect> ZRCopyWindowFrame(const AXElementRef& window, bool includeDrawers) {
    auto frame = elementFrame(window);
    if (!frame || !includeDrawers)
        return frame;
    if (const auto drawers = attributeOfType<std::vector<AXElementRef>>(window, AX::Drawers)) {
        for (const AXElementRef& drawer : *drawers) {
            if (const auto drawerFrame = elementFrame(drawer))
                *frame = frame->united(*drawerFrame);
        }
    }
    return frame;
}

bool ZRAllowsForDrawers(const UserDefaults& defaults) {
    return defaults.boolForKey(AllowForDrawersKey);
}

ZRStickyEdges ZRStickyEdgeFlags(const Rect& frame, const Rect& fullFrame, const UserDefaults& defaults) {
    const auto near = [](double a, double b) { return std::abs(a - b) <= kStickyEdgeTolerance; };
    ZRStickyEdges edges;
    edges.keepRightEdge = (near(frame.maxX(), fullFrame.maxX()) && !near(frame.minX(), fullFrame.minX())) ||
                          defaults.boolForKey(StickyRightKey);
    edges.keepBottomEdge = (near(frame.minY(), fullFrame.minY()) && !near(frame.maxY(), fullFrame.maxY())) ||
                           defaults.boolForKey(StickyBottomKey);
    return edges;
}

bool ZRWindowIsResizable(const AXElementRef& window, const UserDefaults& defaults) {
    if (!window)
        return false;
    // A full-screen window's size belongs to its screen until it leaves full screen.
    if (isInFullScreen(window))
        return false;
    if (ZRZoomButtonIsUsable(ZRCopyZoomButton(window)) || ZRCopyAXElementAttribute(window, AX::GrowArea))
        return true;
    if (defaults.integerForKey(SettableSizeStrictnessKey) >= 1)
        return false;
    return isSettable(window, AX::SizeAttribute);
}

bool ZRWindowIsControllable(const AXElementRef& window, const UserDefaults& defaults) {
    return defaults.boolForKey(ControlFullScreenWindowsKey) || !isInFullScreen(window);
}

bool ZRWindowCanLeaveFullScreen(const AXElementRef& window) {
    return isInFullScreen(window) && isSettable(window, AX::FullScreen);
}

AXElementRef ZRExitFullScreen(const AXElementRef& window, const UserDefaults& defaults) {
    if (!window || !Platform::hasCurrent())
        return nullptr;
    const AXError error = window->setAttributeValue(AX::FullScreen, AXValue(false));
    if (error != AXError::Success) {
        platformLog(
            QStringLiteral("cannot take window out of full screen: error %1").arg(static_cast<int>(error)));
        return nullptr;
    }
    double interval = defaults.doubleForKey(FullScreenAnimationIntervalKey);
    if (!std::isfinite(interval))
        interval = 0;
    WindowAccessClock::wait(std::min(interval, kMaximumFullScreenAnimationInterval));

    return ZRCopyFrontmostFocusedWindow();
}

AXElementRef ZRCopyFrontmostFocusedWindow() {
    if (!Platform::hasCurrent())
        return nullptr;
    Platform& platform = Platform::current();
    const auto frontmost = platform.workspace().frontmostApplication();
    if (!frontmost)
        return nullptr;
    return ZRCopyAXElementAttribute(platform.accessibility().applicationElement(frontmost->processIdentifier),
                                    AX::FocusedWindow);
}

void ZRRaiseWindow(const AXElementRef& window) {
    if (!window || !Platform::hasCurrent())
        return;
    const AXError error = window->performAction(AX::Raise);
    if (error != AXError::Success)
        WindowAccessDefaults::debugLog(
            QStringLiteral("cannot raise window: error %1").arg(static_cast<int>(error)));
    Platform::current().workspace().activateApplication(window->processIdentifier(), false);
}

bool ZRMouseControlsShouldActivateWindow(bool shiftInverts, const UserDefaults& defaults) {
    bool activate = defaults.boolForKey(AutoActivateWindowKey);
    if (shiftInverts && Platform::hasCurrent() &&
        (Platform::current().inputState().modifierFlags() & ModifierFlag::Shift) != 0)
        activate = !activate;
    return activate;
}
