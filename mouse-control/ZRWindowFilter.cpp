#include "mouse-control/ZRWindowFilter.h"

#include "platform/Platform.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRLog.h"
#include "window-access/IgnoreList.h"
#include "window-access/WindowRelevance.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

namespace {

// When on, a pointer far below a window's top edge is not refused: whoever asks is ready to ask the
// window's application itself.
const QString PreCheckingMayNotSkipAccessibilityRequestsKey =
    QStringLiteral("Pre-Checking May Not Skip Accessibility Requests");

// A window at least this wide or this high is large; smaller ones are tool tips, badges and the like.
constexpr double LargeWindowSide = 50;
// The palette leaves alone a pointer further than this below a window's top edge.
constexpr double MaximumTopEdgeDistance = 75;
// Below this distance from its top edge the pointer is on a window's title bar, which an application on
// the "Content" list leaves to us. Our title bars are no taller than those of the systems before the
// newest ones, whose limit this is (the newest, taller ones would need 24).
constexpr double ContentTopEdgeDistance = 21;

// One of our windows is shown modal to the whole program (a modal window) or to its parent window (which
// stands for a sheet).
bool showsWindowWithModality(Qt::WindowModality modality) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [modality](const QWidget* window) {
        return window->isVisible() && window->windowModality() == modality;
    });
}

QString ownerDescription(const std::optional<QString>& identifier) {
    return identifier && !identifier->isEmpty() ? *identifier : QStringLiteral("(null)");
}

} // namespace

bool shouldProcessTappedMouseEventAtLocation(Point location, bool skipLargeTopEdgeDistances,
                                             std::optional<QString>* lowercaseBundleIdentifier,
                                             std::optional<WindowListEntry>* windowDescription,
                                             bool* wantsExactMatch, const UserDefaults& defaults) {
    if (lowercaseBundleIdentifier)
        lowercaseBundleIdentifier->reset();
    if (windowDescription)
        windowDescription->reset();
    if (wantsExactMatch)
        *wantsExactMatch = false;

    if (showsWindowWithModality(Qt::ApplicationModal)) {
        if (ZRDebugLogEnabled())
            ZRLog("[Debug] cannot process tapped event while operating modal window");
        return false;
    }
    if (showsWindowWithModality(Qt::WindowModal)) {
        if (ZRDebugLogEnabled())
            ZRLog("[Debug] cannot process tapped event while operating sheet");
        return false;
    }
    if (!Platform::hasCurrent())
        return true;

    // Front to back: the first relevant window under the point decides; irrelevant ones in front of it
    // only tell that the point alone cannot find its element.
    const std::vector<WindowListEntry> windows = Platform::current().windowServer().windowList(true);
    const WindowListEntry* found = nullptr;
    std::optional<QString> identifier;
    for (const WindowListEntry& entry : windows) {
        if (!entry.bounds.contains(location))
            continue;
        identifier = relevantLowercaseBundleIdentifierOrNullWithWindowFrame(entry, entry.bounds);
        if (identifier) {
            found = &entry;
            break;
        }
        if (wantsExactMatch)
            *wantsExactMatch = true;
    }
    if (!found)
        return true;

    const Rect& bounds = found->bounds;
    const bool large = bounds.width() >= LargeWindowSide || bounds.height() >= LargeWindowSide;
    if (large && identifier->isEmpty())
        identifier.reset();
    if (windowDescription)
        *windowDescription = *found;
    if (lowercaseBundleIdentifier)
        *lowercaseBundleIdentifier = identifier;
    if (!identifier)
        return true;

    const bool debug = ZRDebugLogEnabled();
    const QString owner = ownerDescription(identifier);
    if (!large) {
        if (debug)
            ZRLog("[Debug] ignoring tiny window: %@ owned by %@", *found, owner);
        return false;
    }
    const double topEdgeDistance = location.y - bounds.y();
    if (skipLargeTopEdgeDistances && topEdgeDistance > MaximumTopEdgeDistance &&
        !defaults.boolForKey(PreCheckingMayNotSkipAccessibilityRequestsKey)) {
        if (debug)
            ZRLog("[Debug] ignoring offset window: %@ owned by %@", *found, owner);
        return false;
    }
    if (ZRApplicationIsIgnored(*identifier, ZRIgnoreListCategory::Full)) {
        if (debug)
            ZRLog("[Debug] ignoring fully blacklisted window: %@ owned by %@", *found, owner);
        return false;
    }
    if (topEdgeDistance > ContentTopEdgeDistance &&
        ZRApplicationIsIgnored(*identifier, ZRIgnoreListCategory::Content)) {
        if (debug)
            ZRLog("[Debug] ignoring content-blacklisted window: %@ owned by %@", *found, owner);
        return false;
    }
    return true;
}

QString zrLogDescription(const WindowListEntry& entry) {
    return QStringLiteral("{number = %1; owner = %2 (%3); title = \"%4\"; bounds = %5; layer = %6}")
        .arg(entry.number)
        .arg(entry.ownerPID)
        .arg(entry.ownerName, entry.title, stringFromRect(entry.bounds))
        .arg(entry.layer);
}
