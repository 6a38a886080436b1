#pragma once

// Marks a widget of an overlay (the palette) that opens a menu of its own, so the overlay's general
// context menu is not offered over it. The palette's buttons inherit it beside their widget class.
class ZRMenuOpeningControl {
public:
    virtual ~ZRMenuOpeningControl() = default;
};
