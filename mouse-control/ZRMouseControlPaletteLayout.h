#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class QWidget;
class ZRAction;

// One cell of the palette layout as the palette reads it. The settings' palette editor makes the cells; a
// cell holds a custom action, one of the five standard items, or nothing.
class ZRPaletteItemWellInterface {
public:
    virtual ~ZRPaletteItemWellInterface() = default;

    // 0 to 10 from the left, 0 to 5 from the top: the palette shows the rows as the editor does, the lowest
    // row number highest.
    virtual std::int64_t column() const = 0;
    virtual std::int64_t row() const = 0;
    // The custom action; null for a standard item or an empty cell.
    virtual std::shared_ptr<ZRAction> paletteAction() const = 0;
    // The standard item (2, 3, 5, 7 or 9: the palette's button of that tag); -1 for none.
    virtual std::int64_t dummyPosition() const = 0;
    // A standard item the user hid keeps its cell but shows no button.
    virtual bool hiddenByUser() const = 0;
    // The button of the custom action, made on first use and kept until the action changes; the palette
    // places, enables and shows it. Null without an action.
    virtual QWidget* paletteItemButton() = 0;
    virtual void destroyPaletteItemButton() = 0;
};

// The palette layout: the cells of the settings' palette editor and the bounding box of the items they show.
// Mouse control reads it when it builds the palette.
class ZRMouseControlPaletteLayout {
public:
    virtual ~ZRMouseControlPaletteLayout() = default;

    // The 66 cells in row order (row 0 columns 0 to 10, then row 1, ...); empty before the editor is built.
    virtual std::vector<ZRPaletteItemWellInterface*> paletteItemWells() = 0;
    // The bounding box of the visible items; with none, the minima are INT64_MAX and the maxima -1.
    virtual std::int64_t minimumPaletteItemColumn() const = 0;
    virtual std::int64_t maximumPaletteItemColumn() const = 0;
    virtual std::int64_t minimumPaletteItemRow() const = 0;
    virtual std::int64_t maximumPaletteItemRow() const = 0;
    // The settings change "Palette Icon Size" and show the palette beside their own window meanwhile.
    virtual bool isChangingPaletteIconSize() const = 0;
    // A palette item button shows its menu: the palette's delayed hide must wait for it.
    virtual bool paletteItemButtonShowsMenu() const = 0;
};
