#pragma once

#include "platform/Geometry.h"
#include "window-access/VirtualScreen.h"

#include <QVariantList>
#include <optional>
#include <vector>

class UserDefaults;

// Where the windows of a saved layout stand on the current screens. The layout's window descriptions
// are grouped by the screen they were saved on ("Screen Frame"), in the order their screens first
// appear; each group takes the most relevant of the current virtual screens not yet taken (the first
// remaining one when its screen has gone), and groups left without a screen are left out. Frames are in
// Cocoa coordinates.
struct ZRSnapshotMappingOptions {
    // Frames move proportionally from the usable frame they were saved in into the grid's inner frame
    // of the screen they are assigned to, whenever the two usable frames differ.
    bool adapts = false;
    // A layout saved on one screen is put on this screen (proportionally, as when adapting) rather than
    // on the screen most like the one it was saved on.
    std::optional<ZRVirtualScreen> genericScreen;
};

struct ZRMappedSnapshotFrame {
    // The description's index in the layout.
    int descriptionIndex = 0;
    Rect windowFrame;
    // The usable frame the window was saved in ("Available Screen Frame", or made up from its
    // neighbours for records that lack it), and the usable frame of the screen it is assigned to.
    Rect originalSkafableFrame;
    Rect assignedSkafableFrame;
};

// Without adapting, a window whose usable frame changed keeps its distance from the top left corner of
// that frame and is then moved inside it, so that a layout never puts windows out of reach; windows
// whose usable frame is unchanged stand exactly as saved. Descriptions without a readable, non-empty
// "Window Frame" are skipped.
// The settings give the grid that adapted frames are laid out in.
std::vector<ZRMappedSnapshotFrame> ZRMapSnapshotFrames(const QVariantList& windowDescriptions,
                                                       const std::vector<ZRVirtualScreen>& screens,
                                                       const ZRSnapshotMappingOptions& options,
                                                       const UserDefaults& settings);
