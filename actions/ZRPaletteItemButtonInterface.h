#pragma once

#include <memory>

class ZRAction;

// A palette item as the action engine triggers it; the palette's item button implements it.
class ZRPaletteItemButtonInterface {
public:
    virtual ~ZRPaletteItemButtonInterface() = default;

    // Null for an item without an action.
    virtual std::shared_ptr<ZRAction> paletteAction() const = 0;
};
