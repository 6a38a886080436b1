#include "actions/ZRActionGeometry.h"

#include "window-access/Coordinates.h"
#include "window-access/Position.h"

#include <algorithm>
#include <cmath>

namespace {

bool namesAnyEdge(std::int64_t position) {
    return ZRPositionIsTop(position) || ZRPositionIsRight(position) || ZRPositionIsBottom(position) ||
           ZRPositionIsLeft(position);
}

// -1, 0 or 1 along each axis, y up.
int horizontalSign(std::int64_t position) {
    return ZRPositionIsRight(position) ? 1 : ZRPositionIsLeft(position) ? -1 : 0;
}
int verticalSign(std::int64_t position) {
    return ZRPositionIsTop(position) ? 1 : ZRPositionIsBottom(position) ? -1 : 0;
}

} // namespace

Rect ZRMovedFrame(const Rect& frame, const Rect& usable, std::int64_t direction, ZRActionDelta delta,
                  bool confined) {
    if (!namesAnyEdge(direction) || frame.isEmpty())
        return {};
    const Rect moved = frame.offsetBy(horizontalSign(direction) * delta.horizontal(usable),
                                      verticalSign(direction) * delta.vertical(usable));
    return confined && !usable.isEmpty() ? ZRConfineFrame(moved, usable) : moved;
}

Rect ZRRelativeFrameOfPosition(std::int64_t position) {
    switch (position) {
    case ZRPositionTop:
        return {0, 0.5, 1, 0.5};
    case ZRPositionTopRight:
        return {0.5, 0.5, 0.5, 0.5};
    case ZRPositionRight:
        return {0.5, 0, 0.5, 1};
    case ZRPositionBottomRight:
        return {0.5, 0, 0.5, 0.5};
    case ZRPositionBottom:
        return {0, 0, 1, 0.5};
    case ZRPositionBottomLeft:
        return {0, 0, 0.5, 0.5};
    case ZRPositionLeft:
        return {0, 0, 0.5, 1};
    case ZRPositionTopLeft:
        return {0, 0.5, 0.5, 0.5};
    case ZRPositionFull:
        return {0, 0, 1, 1};
    default:
        return {};
    }
}

Rect ZRFrameFlushAtPosition(const Rect& frame, const Rect& usable, std::int64_t position) {
    if (frame.isEmpty() || usable.isEmpty())
        return {};
    const bool centreBoth = position == ZRPositionCenter;
    if (!centreBoth && !namesAnyEdge(position))
        return {};
    const bool centredAlongEdge = position >= ZRPositionTopCentered && position <= ZRPositionLeftCentered;
    Rect result = frame;
    if (ZRPositionIsLeft(position))
        result.origin.x = usable.minX();
    else if (ZRPositionIsRight(position))
        result.origin.x = usable.maxX() - frame.width();
    else if (centreBoth || centredAlongEdge)
        result.origin.x = usable.midX() - frame.width() / 2;
    if (ZRPositionIsBottom(position))
        result.origin.y = usable.minY();
    else if (ZRPositionIsTop(position))
        result.origin.y = usable.maxY() - frame.height();
    else if (centreBoth || centredAlongEdge)
        result.origin.y = usable.midY() - frame.height() / 2;
    return result;
}

Rect ZRResizedFrame(const Rect& frame, const Rect& usable, const ZRActionSize& size, std::int64_t anchor) {
    if (frame.isEmpty())
        return {};
    const auto dimension = [](double wanted, bool inPercent, double current, double usableLength) {
        if (!(wanted > 0))
            return current;
        return inPercent ? std::round(wanted / 100 * usableLength) : wanted;
    };
    const double width = dimension(size.size.width, size.widthInPercent, frame.width(), usable.width());
    const double height = dimension(size.size.height, size.heightInPercent, frame.height(), usable.height());
    if (!(width > 0) || !(height > 0))
        return {};

    const bool centred = anchor == ZRPositionCenter || anchor == ZRPositionFull;
    const bool named = centred || namesAnyEdge(anchor);
    const bool keepLeft = !named || ZRPositionIsLeft(anchor);
    const bool keepTop = !named || ZRPositionIsTop(anchor);
    Rect result(frame.x(), frame.y(), width, height);
    if (ZRPositionIsRight(anchor))
        result.origin.x = frame.maxX() - width;
    else if (!keepLeft)
        result.origin.x = frame.midX() - width / 2;
    if (keepTop)
        result.origin.y = frame.maxY() - height;
    else if (!ZRPositionIsBottom(anchor))
        result.origin.y = frame.midY() - height / 2;
    return result;
}

Rect ZRGrownFrame(const Rect& frame, const Rect& usable, std::int64_t edges, ZRActionDelta delta,
                  bool shrink) {
    if (frame.isEmpty())
        return {};
    const bool all = edges == ZRPositionCenter || edges == ZRPositionFull;
    if (!all && !namesAnyEdge(edges))
        return {};
    const bool left = all || ZRPositionIsLeft(edges);
    const bool right = all || ZRPositionIsRight(edges);
    const bool top = all || ZRPositionIsTop(edges);
    const bool bottom = all || ZRPositionIsBottom(edges);
    const double dx = delta.horizontal(usable);
    const double dy = delta.vertical(usable);

    double minX = frame.minX();
    double maxX = frame.maxX();
    double minY = frame.minY();
    double maxY = frame.maxY();
    if (!shrink) {
        // An edge stops at U's, but never moves back inward.
        const bool bounded = !usable.isEmpty();
        if (left)
            minX = bounded ? std::min(minX, std::max(minX - dx, usable.minX())) : minX - dx;
        if (right)
            maxX = bounded ? std::max(maxX, std::min(maxX + dx, usable.maxX())) : maxX + dx;
        if (bottom)
            minY = bounded ? std::min(minY, std::max(minY - dy, usable.minY())) : minY - dy;
        if (top)
            maxY = bounded ? std::max(maxY, std::min(maxY + dy, usable.maxY())) : maxY + dy;
        return {minX, minY, maxX - minX, maxY - minY};
    }

    // The room each axis has before reaching the minimum, shared by the edges that move.
    const auto shrinkAxis = [](double& low, double& high, bool moveLow, bool moveHigh, double amount) {
        const int moving = int(moveLow) + int(moveHigh);
        if (moving == 0)
            return;
        const double room = std::max(0.0, (high - low) - ZRMinimumShrunkenDimension);
        const double each = std::min(amount, room / moving);
        if (moveLow)
            low += each;
        if (moveHigh)
            high -= each;
    };
    shrinkAxis(minX, maxX, left, right, dx);
    shrinkAxis(minY, maxY, bottom, top, dy);
    return {minX, minY, maxX - minX, maxY - minY};
}

Rect ZRFrameMovedToUsableFrame(const Rect& frame, const Rect& usable, const Rect& newUsable, bool resize) {
    if (frame.isEmpty() || usable.isEmpty() || newUsable.isEmpty())
        return {};
    const double left = (frame.minX() - usable.minX()) / usable.width();
    const double top = (usable.maxY() - frame.maxY()) / usable.height();
    double width = frame.width();
    double height = frame.height();
    if (resize) {
        width = std::round(width / usable.width() * newUsable.width());
        height = std::round(height / usable.height() * newUsable.height());
    }
    const Rect moved(std::round(newUsable.minX() + left * newUsable.width()),
                     std::round(newUsable.maxY() - top * newUsable.height()) - height, width, height);
    return ZRConfineFrame(moved, newUsable);
}
