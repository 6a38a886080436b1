#pragma once

// The palette over a window's zoom button, which closes once one of its items triggered an action;
// mouse control implements it.
class ZRPaletteHiding {
public:
    virtual ~ZRPaletteHiding() = default;

    virtual void hideOverlayRegardless() = 0;
};
