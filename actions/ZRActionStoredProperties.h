#pragma once

// The stored properties of an action, one entry each:
//     X(type, getter, setter, key constant, key text, value of a new action, stored form)
// The members, the accessors, the keys under ZRActionKey, reading a record, writing one (a value equal to
// a new action's is left out) and the undo state all follow from this list: a new stored property is one
// entry here. A stored form is how a value is read from a record and written to it (see ZRAction.cpp);
// the bounds a value is kept within are in ZRAction::keepWithinBounds. Records are read in this order.
// clang-format off
#define ZR_ACTION_STORED_PROPERTIES(X)                                                                       \
    /* A folder whose members run as a sequence. */                                                          \
    X(bool, chain, setChain,                                                                                 \
      Chain, "Chain", false, Boolean)                                                                        \
    X(ZRChainMode, chainMode, setChainMode,                                                                  \
      ChainMode, "Chain Mode", ZRChainModeSequence, ChainModeChoice)                                         \
    /* Fractions of the grid's inner frame, Cocoa orientation; kept within 0 to 1. */                        \
    X(ZRRelativeFrame, relativeFrame, setRelativeFrame,                                                      \
      RelativeFrame, "Relative Frame", (ZRRelativeFrame{0, 0, 1, 1}), RectText)                              \
    /* The action's own grid columns and rows; empty for the standard grid. */                               \
    X(QVariantMap, gridDimensionsDictionary, setGridDimensionsDictionary,                                    \
      GridDimensions, "Grid Dimensions", QVariantMap(), IntegerDictionary)                                   \
    X(ZRCenterMode, centerMode, setCenterMode,                                                               \
      CenterMode, "Center Mode", ZRCenterModeOptical, CenterModeChoice)                                      \
    /* The direction of moves, halves, quarters, moves to other displays, grow and shrink. */                \
    X(std::int64_t, moveDirection, setMoveDirection,                                                         \
      MoveDirection, "Move Direction", ZRPositionLeft, Integer)                                              \
    /* A unit comes before the length it measures: a length is kept within the bounds of its unit. */        \
    X(ZRMeasurementUnit, moveDeltaUnit, setMoveDeltaUnit,                                                    \
      MoveDeltaUnit, "Move Delta Unit", ZRMeasurementUnit::Points, UnitChoice)                               \
    /* At least 1; at most 100 in percent. */                                                                \
    X(std::int64_t, moveDelta, setMoveDelta,                                                                 \
      MoveDelta, "Move Delta", 10, Integer)                                                                  \
    X(bool, confinedToDisplay, setConfinedToDisplay,                                                         \
      ConfinedToDisplay, "Confined To Display", false, Boolean)                                              \
    X(std::int64_t, moveToEdgeOrCornerPosition, setMoveToEdgeOrCornerPosition,                               \
      MoveToEdgeOrCornerPosition, "Move To Edge Or Corner Position", ZRPositionLeft, Integer)                \
    X(bool, moveToOtherDisplayResize, setMoveToOtherDisplayResize,                                           \
      MoveToOtherDisplayResize, "Move To Other Display: Resize", false, Boolean)                             \
    X(bool, moveToOtherDisplayLoop, setMoveToOtherDisplayLoop,                                               \
      MoveToOtherDisplayLoop, "Move To Other Display: Loop", false, Boolean)                                 \
    X(std::int64_t, resizeAnchorPosition, setResizeAnchorPosition,                                           \
      ResizeAnchorPosition, "Resize Anchor Position", ZRPositionCenter, Integer)                             \
    X(ZRMeasurementUnit, resizeWidthUnit, setResizeWidthUnit,                                                \
      ResizeWidthUnit, "Resize Width Unit", ZRMeasurementUnit::Points, UnitChoice)                           \
    X(ZRMeasurementUnit, resizeHeightUnit, setResizeHeightUnit,                                              \
      ResizeHeightUnit, "Resize Height Unit", ZRMeasurementUnit::Points, UnitChoice)                         \
    /* A dimension of 0 keeps the window's own; never negative, at most 100 in percent. */                   \
    X(Size, resizeSize, setResizeSize,                                                                       \
      ResizeSize, "Resize Size", Size(), SizeText)                                                           \
    X(ZRSnapshot, snapshot, setSnapshot,                                                                     \
      Snapshot, "Snapshot", ZRSnapshot(), SnapshotRecord)                                                    \
    X(bool, snapshotGeneric, setSnapshotGeneric,                                                             \
      SnapshotGeneric, "Snapshot: Generic", false, Boolean)                                                  \
    /* 0, 1 or 2: how loosely a generic layout matches windows. */                                           \
    X(std::int64_t, snapshotGenericProximity, setSnapshotGenericProximity,                                   \
      SnapshotGenericProximity, "Snapshot: Generic Proximity", 0, Integer)                                   \
    X(bool, snapshotAppliesToActiveDisplay, setSnapshotAppliesToActiveDisplay,                               \
      SnapshotAppliesToActiveDisplay, "Snapshot: Applies To Active Display", false, Boolean)                 \
    /* The layout adapts to other screens. */                                                                \
    X(bool, snapshotAdapts, setSnapshotAdapts,                                                               \
      SnapshotAdapts, "Snapshot: Adapts", false, Boolean)                                                    \
    X(bool, snapshotWakeAutoTriggerEnabled, setSnapshotWakeAutoTriggerEnabled,                               \
      SnapshotWakeAutoTrigger, "Snapshot: Wake Auto-Trigger", false, Boolean)                                \
    X(bool, snapshotDisplayAutoTriggerEnabled, setSnapshotDisplayAutoTriggerEnabled,                         \
      SnapshotDisplayAutoTrigger, "Snapshot: Display Auto-Trigger", false, Boolean)                          \
    /* At least 1. */                                                                                        \
    X(std::int64_t, snapshotAutoDisplayCount, setSnapshotAutoDisplayCount,                                   \
      SnapshotAutoDisplayCount, "Snapshot: Auto-Trigger Display Count", 1, Integer)                          \
    /* Covered windows are included. */                                                                      \
    X(bool, applyToObstructedWindows, setApplyToObstructedWindows,                                           \
      ApplyToObstructedWindows, "Apply To Obstructed Windows", true, Boolean)                                \
    X(bool, activatesApplications, setActivatesApplications,                                                 \
      ActivatesApplications, "Activates Applications", false, Boolean)                                       \
    X(bool, hidesOtherApplications, setHidesOtherApplications,                                               \
      HidesOtherApplications, "Hides Other Applications", false, Boolean)
// clang-format on
