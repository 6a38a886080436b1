#pragma once

#include "platform/Geometry.h"
#include "window-access/WindowDescription.h"

#include <QVariantList>
#include <QVariantMap>
#include <optional>
#include <vector>

// The stored form of a layout: "Window Descriptions" (an array of window descriptions) and "Screen
// Frames" (an array of rectangles as text, Cocoa coordinates).
using ZRSnapshotDictionaryRepresentation = QVariantMap;

// A window layout: the windows of other applications front to back, and the frames of the screens at
// the time it was taken.
struct ZRSnapshot {
    std::vector<ZRWindowDescription> windowDescriptions;
    std::vector<Rect> screenFrames;

    bool isEmpty() const { return windowDescriptions.empty(); }
    friend bool operator==(const ZRSnapshot&, const ZRSnapshot&) = default;

    ZRSnapshotDictionaryRepresentation dictionaryRepresentation() const;
    // The layout of a record from outside. Descriptions that are no dictionary, or whose "Window
    // Frame" is not four finite numbers, are skipped with a log line, as are screen frames that are
    // not; text is made fit for writing. Empty for a record that is no layout at all.
    static std::optional<ZRSnapshot> snapshotWithDictionaryRepresentation(const QVariant& record);

    // The descriptions as a property-list array, for views that draw them.
    QVariantList windowDescriptionList() const;

    // Distinct "Screen Frame" rectangles of the windows, in order of first occurrence.
    std::vector<Rect> screenFramesOfWindows() const;
    // Whether each window is covered by the windows in front of it (less than a sliver shows), by
    // index.
    std::vector<bool> obstructedWindows() const;
};

// The frame of a window description (Cocoa), the zero rectangle when it has none.
Rect ZRWindowFrameOfDescription(const ZRWindowDescription& description);
// The usable frame of its screen when recorded, else the screen's frame.
Rect ZRReferenceFrameOfDescription(const ZRWindowDescription& description);
