#include "window-access/WindowRelevance.h"

#include "platform/Platform.h"
#include "platform/Screens.h"
#include "window-access/Coordinates.h"
#include "window-access/IgnoreList.h"
#include "window-access/RunningApplicationCache.h"

namespace {

// Docks, panels and menus lie at low layers; above this only the system's own overlays.
constexpr int kMaximumRelevantWindowLayer = 99;
constexpr double kMinimumRelevantAlpha = 0.001;
constexpr double kScreenCoverTolerance = 1;

bool coversAScreen(const Rect& quartzFrame) {
    if (!Platform::hasCurrent())
        return false;
    const auto screens = Platform::current().screens().screens();
    if (screens.empty())
        return false;
    const double primaryHeight = screens.front().frame.height();
    const Rect grown = quartzFrame.insetBy(-kScreenCoverTolerance, -kScreenCoverTolerance);
    for (const ScreenInfo& screen : screens) {
        if (grown.contains(ZRFlipRect(screen.frame, primaryHeight)))
            return true;
    }
    return false;
}

} // namespace

std::optional<QString> relevantLowercaseBundleIdentifierOrNullWithWindowFrame(const WindowListEntry& entry,
                                                                              const Rect& windowFrame) {
    if (entry.layer > kMaximumRelevantWindowLayer || entry.alpha < kMinimumRelevantAlpha)
        return std::nullopt;
    const auto application = RunningApplicationCache::shared().entry(entry.ownerPID);
    const QString identifier = application ? application->lowercaseBundleIdentifier : QString();
    if (identifier.isEmpty())
        return QString();
    if (ZRApplicationIsIgnored(identifier, ZRIgnoreListCategory::IrrelevantAny))
        return std::nullopt;
    if (entry.title.isEmpty() && ZRApplicationIsIgnored(identifier, ZRIgnoreListCategory::IrrelevantNoChrome))
        return std::nullopt;
    if (entry.layer > 0 && ZRApplicationIsIgnored(identifier, ZRIgnoreListCategory::IrrelevantDockLevel))
        return std::nullopt;
    if (ZRApplicationIsIgnored(identifier, ZRIgnoreListCategory::IrrelevantFullScreen) &&
        coversAScreen(windowFrame))
        return std::nullopt;
    return identifier;
}
