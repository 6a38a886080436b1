#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <functional>

class QWidget;

// A resize grid over a window's screen as the palette and its action use it: the palette's own grid and
// the cells of the full-size grid. Keyboard control's grids implement it. Frames are in Cocoa coordinates.
class ZROverlayGridInterface {
public:
    // The cell shape that lets the palette's grid reach under the revert button.
    static constexpr std::int64_t HexagonGridStyle = 3;

    virtual ~ZROverlayGridInterface() = default;

    // The grid's widget.
    virtual QWidget* view() = 0;

    // The window frame the grid stands for: the window's, and after a selection the selection's.
    virtual Rect representedWindowFrame() const = 0;
    virtual void setRepresentedWindowFrame(const Rect& frame) = 0;
    // The usable frame the grid divides.
    virtual Rect representedSkafableFrame() const = 0;
    virtual void setRepresentedSkafableFrame(const Rect& frame) = 0;
    // A placeholder grid stands for the full-size grid: a click opens that one.
    virtual bool placeholder() const = 0;
    virtual void setPlaceholder(bool placeholder) = 0;
    // The cell shape (ZRGridStyle).
    virtual std::int64_t gridStyle() const = 0;
    // The counts the grid shows under its settings.
    virtual void determineColumns(std::int64_t& columns, std::int64_t& rows) = 0;
    // Lays the grid out for a frame of that width; answers the frame with the height it needs.
    virtual Rect updateLayoutAfterAdjustingFrame(const Rect& frame) = 0;
};

// Makes the palette's grid in the palette's content view; action is what a click on it does, with the grid.
using ZRPaletteGridFactory = std::function<ZROverlayGridInterface*(
    QWidget* parent, std::function<void(ZROverlayGridInterface&)> action)>;
