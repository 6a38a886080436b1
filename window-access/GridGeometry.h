#pragma once

#include "platform/Geometry.h"
#include "window-access/VirtualScreen.h"

#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <vector>

class UserDefaults;

// The settings of the standard grids' dimensions; a grid action keeps its own under the same keys.
namespace ZRGridDimensionKey {
inline const QString ConfigurationGridColumns = QStringLiteral("Configuration Grid: Columns");
inline const QString ConfigurationGridRows = QStringLiteral("Configuration Grid: Rows");
inline const QString MouseControlsGridColumns = QStringLiteral("Mouse Controls Grid: Columns");
inline const QString MouseControlsGridRows = QStringLiteral("Mouse Controls Grid: Rows");
// The extended rules of a dimension live under its key followed by these: the limit, and the limit's step.
inline const QString LimitSuffix = QStringLiteral(": Limit");
inline const QString DeltaSuffix = QStringLiteral(": Delta");
} // namespace ZRGridDimensionKey

// A rectangle in fractions (0 to 1) of a grid's inner frame.
using ZRRelativeFrame = Rect;

// The usable frame less the edge gaps: with spacing applied to edges, the whole gap (the even gap plus
// the odd point) on every side.
Rect ZRGridInnerFrame(double gap, const Rect& skafableFrame, bool appliesToEdges, bool oddNumber);

// The class side of the grid view: grid dimensions, spacing, and the frames of positions on a usable
// frame. The grid views inherit it and say whether they allow extended rules. Frames are in Cocoa
// coordinates.
class ZRGridGeometry {
public:
    static std::int64_t minimumGridDimensionSize();
    static std::int64_t maximumGridDimensionSize(const UserDefaults& defaults);
    static std::int64_t minimumExtendedRulePointsSize(const UserDefaults& defaults);
    static bool allowsExtendedRules() { return false; }

    // The dimension under the settings key: the dictionary's integer when it is 1 or more, else the
    // setting's, within the minimum and maximum. With extended rules, the limit (positive: cells
    // narrower than it grow the count; negative: cells wider than it shrink it) and the step come from
    // the key followed by ": Limit" and ": Limit: Delta", from the same source as the dimension. The
    // description is the dimension, then "<" or ">" and the limit, then "+" or "-" and a step given
    // explicitly.
    static std::int64_t sizeOfGridDimension(const QString& key, const QVariantMap* preferValueFromDictionary,
                                            std::int64_t* limit, std::int64_t* delta, QString* description,
                                            bool extendedRules, const UserDefaults& defaults);

    // Rows of a suggestions field: the grid sizes in use, then "1" to "9".
    static QVariantList gridDimensionSuggestions(const UserDefaults& defaults);
    // The grid dimensions of every stored action; set by the action store, which lies above.
    static void setGridDimensionsInUseProvider(std::function<std::vector<std::int64_t>()> provider);

    static std::int64_t maximumSpacing();
    // The even part of the grid gap in points (0 while "Grid Spacing" is off), whether it applies to the
    // edges, and whether the gap as set was odd.
    static double spacingAppliedToEdges(bool* appliesToEdges, bool* offsetForOddNumber,
                                        const UserDefaults& defaults);
    static bool appliesSpacingToEdges(const UserDefaults& defaults);
    // The inner frame of the usable frame under the spacing settings.
    static Rect innerFrameOfSkafableFrame(const Rect& skafableFrame, const UserDefaults& defaults);

    // Whether the frame's right and bottom edges lie on those of the grid's inner frame while its left and
    // top edges do not: the edges a window that keeps a size of its own should keep. A frame from edge to
    // edge keeps its top and left, so that a terminal a little short of a full-height frame keeps its
    // title bar at the top of the screen rather than a gap above it.
    static void innerFrame(const Rect& frame, bool* sticksToRightEdge, bool* sticksToBottomEdge,
                           const Rect& withinSkafableFrame, const UserDefaults& defaults);

    static ZRRelativeFrame relativeFrameFromWindowFrame(const Rect& windowFrame,
                                                        const Rect& withinSkafableFrame);
    static Rect windowFrameFromRelativeFrame(const ZRRelativeFrame& relativeFrame,
                                             const Rect& withinFullFrame);

    // 1 the area to centre in and 2 the frame to fill, both the grid's inner frame; 3 to 10 its halves and
    // quarters from the top clockwise, with the grid gap between them; the zero rectangle for other
    // positions and for an empty usable frame.
    static Rect windowFrameAtPosition(std::int64_t position, const Rect& withinSkafableFrame,
                                      const Rect& onScreenWithFrame, const UserDefaults& defaults);
    static Rect windowFrameAtPosition(std::int64_t position, const ZRVirtualScreen& onScreen,
                                      const UserDefaults& defaults);
    // On the virtual screen under the point, or its neighbour in the direction (a ZRPosition of 3, 5, 7
    // or 9; 0 for the screen itself); the zero rectangle when there is none.
    static Rect windowFrameAtPosition(std::int64_t position, Point forTriggerLocation,
                                      std::int64_t switchToScreenAtRelativePosition,
                                      const UserDefaults& defaults);
};
