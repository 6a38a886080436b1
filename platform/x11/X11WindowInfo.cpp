#include "platform/x11/X11WindowInfo.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounds down onto the base-plus-increments grid, as window managers do.
double onGrid(double value, int base, int increment) {
    if (increment <= 1)
        return value;
    const double steps = std::floor((value - base) / increment);
    return base + std::max(0.0, steps) * increment;
}

} // namespace

bool X11SizeHints::isResizable() const {
    const bool fixedWidth = maxWidth > 0 && minWidth >= maxWidth;
    const bool fixedHeight = maxHeight > 0 && minHeight >= maxHeight;
    return !(fixedWidth && fixedHeight);
}

Size X11SizeHints::constrained(Size requested) const {
    double width = std::max<double>(requested.width, std::max(1, minWidth));
    double height = std::max<double>(requested.height, std::max(1, minHeight));
    if (maxWidth > 0)
        width = std::min<double>(width, maxWidth);
    if (maxHeight > 0)
        height = std::min<double>(height, maxHeight);
    width = std::max<double>(onGrid(width, baseWidth, widthIncrement), std::max(1, minWidth));
    height = std::max<double>(onGrid(height, baseHeight, heightIncrement), std::max(1, minHeight));
    return {width, height};
}

X11Strut X11Strut::fromValues(const std::vector<std::uint32_t>& values, int rootWidth, int rootHeight) {
    X11Strut strut;
    auto value = [&](std::size_t i) { return i < values.size() ? static_cast<int>(values[i]) : 0; };
    strut.left = value(0);
    strut.right = value(1);
    strut.top = value(2);
    strut.bottom = value(3);
    if (values.size() >= 12) {
        strut.leftStartY = value(4);
        strut.leftEndY = value(5);
        strut.rightStartY = value(6);
        strut.rightEndY = value(7);
        strut.topStartX = value(8);
        strut.topEndX = value(9);
        strut.bottomStartX = value(10);
        strut.bottomEndX = value(11);
    } else {
        strut.leftEndY = strut.rightEndY = rootHeight - 1;
        strut.topEndX = strut.bottomEndX = rootWidth - 1;
    }
    return strut;
}

Rect usableArea(const Rect& monitor, const std::vector<X11Strut>& struts, int rootWidth, int rootHeight) {
    double minX = monitor.minX();
    double maxX = monitor.maxX();
    double minY = monitor.minY();
    double maxY = monitor.maxY();
    // Each strut is a band along one edge of the root; it takes from a monitor only what overlaps.
    for (const X11Strut& strut : struts) {
        const Rect bands[] = {
            {0, double(strut.leftStartY), double(strut.left), double(strut.leftEndY - strut.leftStartY + 1)},
            {double(rootWidth - strut.right), double(strut.rightStartY), double(strut.right),
             double(strut.rightEndY - strut.rightStartY + 1)},
            {double(strut.topStartX), 0, double(strut.topEndX - strut.topStartX + 1), double(strut.top)},
            {double(strut.bottomStartX), double(rootHeight - strut.bottom),
             double(strut.bottomEndX - strut.bottomStartX + 1), double(strut.bottom)},
        };
        for (int side = 0; side < 4; ++side) {
            const Rect overlap = bands[side].intersected(monitor);
            if (overlap.isEmpty())
                continue;
            switch (side) {
            case 0:
                minX = std::max(minX, overlap.maxX());
                break;
            case 1:
                maxX = std::min(maxX, overlap.minX());
                break;
            case 2:
                minY = std::max(minY, overlap.maxY());
                break;
            case 3:
                maxY = std::min(maxY, overlap.minY());
                break;
            }
        }
    }
    if (maxX <= minX || maxY <= minY)
        return monitor;
    return {minX, minY, maxX - minX, maxY - minY};
}

bool X11WindowInfo::has(std::uint32_t atom, const std::vector<std::uint32_t>& list) const {
    return std::find(list.begin(), list.end(), atom) != list.end();
}
