#include "actions/ZRSnapshotFrameMapping.h"

#include "platform/foundation/UserDefaults.h"
#include "toolkit/CollectionExtensions.h"
#include "window-access/Coordinates.h"
#include "window-access/GridGeometry.h"
#include "window-access/WindowDescription.h"

#include <QString>
#include <algorithm>

namespace {

struct Group {
    Rect screenFrame;
    std::vector<ZRMappedSnapshotFrame> frames;
};

std::vector<Group> groupsOfDescriptions(const QVariantList& descriptions) {
    std::vector<Group> groups;
    for (int index = 0; index < descriptions.size(); ++index) {
        const QVariant& value = descriptions.at(index);
        if (value.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap description = value.toMap();
        ZRMappedSnapshotFrame frame;
        frame.descriptionIndex = index;
        frame.windowFrame = rectValueOfObjectForKey(description, ZRWindowDescriptionKey::WindowFrame);
        if (frame.windowFrame.isEmpty())
            continue;
        frame.originalSkafableFrame =
            rectValueOfObjectForKey(description, ZRWindowDescriptionKey::AvailableScreenFrame);
        const Rect screenFrame = rectValueOfObjectForKey(description, ZRWindowDescriptionKey::ScreenFrame);
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const Group& g) { return g.screenFrame == screenFrame; });
        if (group == groups.end())
            group = groups.insert(groups.end(), Group{screenFrame, {}});
        group->frames.push_back(frame);
    }

    // Older records lack the usable frame: a sibling on the same screen knows it, else the screen's
    // frame stands for it, else the windows themselves outline it.
    for (Group& group : groups) {
        Rect known;
        Rect outline;
        for (const ZRMappedSnapshotFrame& frame : group.frames) {
            if (known.isEmpty() && !frame.originalSkafableFrame.isEmpty())
                known = frame.originalSkafableFrame;
            outline = outline.united(frame.windowFrame);
        }
        if (known.isEmpty())
            known = group.screenFrame.isEmpty() ? outline : group.screenFrame;
        for (ZRMappedSnapshotFrame& frame : group.frames) {
            if (frame.originalSkafableFrame.isEmpty())
                frame.originalSkafableFrame = known;
        }
    }
    return groups;
}

Rect proportionalFrame(const ZRMappedSnapshotFrame& frame, const ZRVirtualScreen& screen,
                       const UserDefaults& settings) {
    const ZRRelativeFrame relative =
        ZRGridGeometry::relativeFrameFromWindowFrame(frame.windowFrame, frame.originalSkafableFrame);
    const Rect fullFrame = ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, screen, settings);
    return ZRGridGeometry::windowFrameFromRelativeFrame(relative, fullFrame);
}

// The same distance from the top left corner (in Cocoa coordinates, the left and the top edge).
Rect frameKeptAtTopLeft(const ZRMappedSnapshotFrame& frame, const Rect& assigned) {
    const Rect& original = frame.originalSkafableFrame;
    const Rect moved =
        frame.windowFrame.offsetBy(assigned.minX() - original.minX(), assigned.maxY() - original.maxY());
    return ZRConfineFrame(moved, assigned);
}

} // namespace

std::vector<ZRMappedSnapshotFrame> ZRMapSnapshotFrames(const QVariantList& windowDescriptions,
                                                       const std::vector<ZRVirtualScreen>& screens,
                                                       const ZRSnapshotMappingOptions& options,
                                                       const UserDefaults& settings) {
    std::vector<ZRMappedSnapshotFrame> result;
    std::vector<Group> groups = groupsOfDescriptions(windowDescriptions);
    if (groups.empty() || screens.empty())
        return result;

    const bool generic = options.genericScreen && groups.size() == 1;
    std::vector<ZRVirtualScreen> remaining = screens;
    for (Group& group : groups) {
        std::optional<ZRVirtualScreen> screen;
        if (generic) {
            screen = options.genericScreen;
        } else {
            if (remaining.empty())
                break;
            screen = ZRVirtualScreen::virtualScreenMostRelevantForFrame(group.screenFrame, remaining, true);
            std::erase(remaining, *screen);
        }
        const Rect assigned = screen->skafableFrame();
        for (ZRMappedSnapshotFrame& frame : group.frames) {
            frame.assignedSkafableFrame = assigned;
            if (frame.originalSkafableFrame != assigned) {
                frame.windowFrame = options.adapts || generic ? proportionalFrame(frame, *screen, settings)
                                                              : frameKeptAtTopLeft(frame, assigned);
            }
            result.push_back(frame);
        }
    }
    return result;
}
