#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRSnapshotFrameMapping.h"
#include "platform/foundation/UserDefaults.h"
#include "window-access/VirtualScreen.h"

#include <algorithm>

namespace {

// Application names shown before the rest is cut.
constexpr qsizetype TruncatedApplicationNameCount = 3;

QString applicationName(const ZRWindowDescription& description) {
    return description.value(ZRWindowDescriptionKey::ApplicationName).toString();
}

// A name for the one window an action carries: its application, and its title when it has one.
QString windowName(const ZRWindowDescription& description) {
    const QString application = applicationName(description);
    const QString title = description.value(ZRWindowDescriptionKey::WindowTitle).toString();
    if (title.isEmpty() || title == application)
        return application;
    if (application.isEmpty())
        return title;
    return application + QStringLiteral(" \u2014 ") + title;
}

std::vector<Rect> screenFramesOf(const std::vector<ZRWindowDescription>& descriptions) {
    return ZRSnapshot{descriptions, {}}.screenFramesOfWindows();
}

} // namespace

// --- Snapping

std::vector<std::shared_ptr<ZRAction>> ZRAction::snapChildren() const {
    if (m_actionType == ZRActionTypeLayout) {
        if (!m_snapChildren.empty())
            return m_snapChildren;
        bool hasObstructedWindows = false;
        const QVariantList windows = accessibleSnapshotHasObstructedWindows(&hasObstructedWindows);
        for (const QVariant& window : windows) {
            std::shared_ptr<ZRAction> child(new ZRAction(false));
            child->m_actionType = ZRActionTypeLayout;
            child->m_snapshot = {{window.toMap()}, m_snapshot.screenFrames};
            child->m_snapshotGeneric = m_snapshotGeneric;
            child->m_snapshotGenericProximity = m_snapshotGenericProximity;
            child->m_snapshotAdapts = m_snapshotAdapts;
            child->m_applyToObstructedWindows = true;
            child->setName(windowName(window.toMap()));
            if (ZRActionManager* manager = ZRActionManager::actionManagerIfMade())
                manager->addEphemeralAction(child);
            m_snapChildren.push_back(std::move(child));
        }
        return m_snapChildren;
    }
    std::vector<std::shared_ptr<ZRAction>> children;
    if (m_actionType == ZRActionTypeFolder) {
        // Depth first, in sidebar order; a folder met again (a tree that loops) is not entered twice.
        std::vector<const ZRAction*> entered;
        const auto collect = [&](const auto& self, const ZRAction& folder, int depth) -> void {
            if (depth > MaximumFolderDepth ||
                std::find(entered.begin(), entered.end(), &folder) != entered.end())
                return;
            entered.push_back(&folder);
            for (const auto& child : folder.m_children) {
                if (child->m_actionType == ZRActionTypeMoveAndResize ||
                    (child->m_actionType == ZRActionTypeLayout && !child->m_snapshot.isEmpty()))
                    children.push_back(child);
                else if (child->m_actionType == ZRActionTypeFolder)
                    self(self, *child, depth + 1);
            }
        };
        collect(collect, *this, 0);
    }
    return children;
}

bool ZRAction::hasRelevantSnapChildren() const {
    if (m_actionType == ZRActionTypeLayout) {
        bool hasObstructedWindows = false;
        return !accessibleSnapshotHasObstructedWindows(&hasObstructedWindows).isEmpty();
    }
    return m_actionType == ZRActionTypeFolder && !snapChildren().empty();
}

std::optional<Rect> ZRAction::firstSnapshotFrameOnScreen(const ZRVirtualScreen& screen,
                                                         const UserDefaults& settings) const {
    bool hasObstructedWindows = false;
    const QVariantList windows = accessibleSnapshotHasObstructedWindows(&hasObstructedWindows);
    if (windows.isEmpty())
        return std::nullopt;
    for (const QVariant& window : windows) {
        const ZRWindowDescription description = window.toMap();
        if (rectFromString(description.value(ZRWindowDescriptionKey::ScreenFrame).toString()) ==
            screen.frame())
            return ZRWindowFrameOfDescription(description);
    }
    // Where restoring an adapting layout would put the window on that screen.
    if (m_snapshotAdapts || m_snapshotGeneric) {
        const auto mapped = ZRMapSnapshotFrames({windows.first()}, {screen}, {true, std::nullopt}, settings);
        if (!mapped.empty())
            return mapped.front().windowFrame;
    }
    return ZRWindowFrameOfDescription(windows.first().toMap());
}

// --- Queries

QVariantList ZRAction::snapshotIncludingObstructedWindows(bool includeObstructedWindows,
                                                          bool* hasObstructedWindow) const {
    const std::vector<bool> obstructed = m_snapshot.obstructedWindows();
    QVariantList windows;
    bool any = false;
    for (std::size_t i = 0; i < m_snapshot.windowDescriptions.size(); ++i) {
        any = any || obstructed[i];
        if (includeObstructedWindows || !obstructed[i])
            windows.append(m_snapshot.windowDescriptions[i]);
    }
    if (hasObstructedWindow)
        *hasObstructedWindow = any;
    return windows;
}

QVariantList ZRAction::accessibleSnapshotHasObstructedWindows(bool* hasObstructedWindows) const {
    return snapshotIncludingObstructedWindows(m_applyToObstructedWindows, hasObstructedWindows);
}

QVariantList ZRAction::unobstructedSnapshot() const {
    return snapshotIncludingObstructedWindows(false, nullptr);
}

QStringList ZRAction::snapshotApplicationNamesTruncated(bool truncate, bool* didTruncate) const {
    QStringList names;
    for (const ZRWindowDescription& description : m_snapshot.windowDescriptions) {
        const QString name = applicationName(description);
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    const bool cut = truncate && names.size() > TruncatedApplicationNameCount;
    if (cut)
        names.resize(TruncatedApplicationNameCount);
    if (didTruncate)
        *didTruncate = cut;
    return names;
}

bool ZRAction::applyAdaptiveSingleScreenSnapshotToActiveDisplayIfGeneric() {
    return true;
}

// --- Merging and extracting

std::shared_ptr<ZRAction>
ZRAction::layoutActionWithMergedMoveAndResizeActions(const std::vector<std::shared_ptr<ZRAction>>& actions,
                                                     const UserDefaults& settings) {
    std::vector<ZRWindowDescription> windows;
    std::vector<Rect> screenFrames;
    const auto addScreenFrames = [&](const std::vector<Rect>& frames) {
        for (const Rect& frame : frames) {
            if (std::find(screenFrames.begin(), screenFrames.end(), frame) == screenFrames.end())
                screenFrames.push_back(frame);
        }
    };
    for (const auto& action : actions) {
        if (!action)
            continue;
        if (action->m_actionType == ZRActionTypeLayout) {
            windows.insert(windows.end(), action->m_snapshot.windowDescriptions.begin(),
                           action->m_snapshot.windowDescriptions.end());
            addScreenFrames(action->m_snapshot.screenFrames);
        } else if (action->m_actionType == ZRActionTypeMoveAndResize && !action->m_snapshot.isEmpty()) {
            // The window goes where the action's frame, perhaps edited since, puts it on its screen.
            ZRWindowDescription window = action->m_snapshot.windowDescriptions.front();
            const Rect reference = ZRReferenceFrameOfDescription(window);
            if (!reference.isEmpty())
                window.insert(ZRWindowDescriptionKey::WindowFrame,
                              stringFromRect(ZRGridGeometry::windowFrameFromRelativeFrame(
                                  action->m_relativeFrame,
                                  ZRGridGeometry::innerFrameOfSkafableFrame(reference, settings))));
            windows.push_back(window);
            addScreenFrames(action->m_snapshot.screenFrames);
        }
    }
    if (windows.empty())
        return nullptr;
    addScreenFrames(screenFramesOf(windows));
    std::erase_if(screenFrames, [](const Rect& frame) { return frame.isEmpty(); });
    auto layout = actionWithType(ZRActionTypeLayout);
    layout->m_snapshot = {std::move(windows), std::move(screenFrames)};
    return layout;
}

std::vector<std::shared_ptr<ZRAction>>
ZRAction::extractedMoveAndResizeActions(const UserDefaults& settings) const {
    std::vector<std::shared_ptr<ZRAction>> actions;
    if (m_actionType != ZRActionTypeLayout)
        return actions;
    for (const ZRWindowDescription& window : m_snapshot.windowDescriptions) {
        auto action = actionWithType(ZRActionTypeMoveAndResize);
        const Rect reference = ZRReferenceFrameOfDescription(window);
        if (!reference.isEmpty())
            action->setRelativeFrame(ZRGridGeometry::relativeFrameFromWindowFrame(
                ZRWindowFrameOfDescription(window),
                ZRGridGeometry::innerFrameOfSkafableFrame(reference, settings)));
        action->m_snapshot = {{window}, m_snapshot.screenFrames};
        action->setName(windowName(window));
        actions.push_back(std::move(action));
    }
    return actions;
}
