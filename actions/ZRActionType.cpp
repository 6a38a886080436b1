#include "actions/ZRActionType.h"

bool ZRActionTypeIsKnown(std::int64_t type) {
    switch (type) {
    case ZRActionTypeMenuHeader:
    case ZRActionTypeSeparator:
    case ZRActionTypeRevert:
    case ZRActionTypeFill:
    case ZRActionTypeHalf:
    case ZRActionTypeQuarter:
    case ZRActionTypeMoveAndResize:
    case ZRActionTypeCenter:
    case ZRActionTypeCenterGeometrically:
    case ZRActionTypeMove:
    case ZRActionTypeMoveConfined:
    case ZRActionTypeMoveToEdgeOrCorner:
    case ZRActionTypeMoveToOtherDisplay:
    case ZRActionTypeResize:
    case ZRActionTypeGrow:
    case ZRActionTypeShrink:
    case ZRActionTypeZoomToFit:
    case ZRActionTypeUseGrid:
    case ZRActionTypeLayout:
    case ZRActionTypeFolder:
        return true;
    default:
        return false;
    }
}

bool ZRActionTypeIsSingleWindow(std::int64_t type) {
    return ZRActionTypeIsKnown(type) && type >= ZRActionTypeRevert && type != ZRActionTypeLayout &&
           type != ZRActionTypeFolder;
}

bool ZRActionTypeAllowsRepeat(std::int64_t type) {
    switch (type) {
    case ZRActionTypeMove:
    case ZRActionTypeMoveConfined:
    case ZRActionTypeMoveToOtherDisplay:
    case ZRActionTypeGrow:
    case ZRActionTypeShrink:
        return true;
    default:
        return false;
    }
}
