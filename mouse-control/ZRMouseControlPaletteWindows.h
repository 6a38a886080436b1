#pragma once

// The palette's two windows as the settings window reaches them: the palette window and the zoom-button
// overlay laid over the trigger button. The palette implements this beside ZRMouseControlPalette, and the
// settings find it there (dynamic_cast); until it does, the settings leave the palette alone.
class ZRMouseControlPaletteWindows {
public:
    virtual ~ZRMouseControlPaletteWindows() = default;

    // Whether the window exists (made for the current trigger, not yet closed), shown or not.
    virtual bool hasPaletteWindow() const = 0;
    virtual bool hasZoomButtonOverlayWindow() const = 0;
    virtual bool isPaletteWindowVisible() const = 0;

    // The palette window's shadow follows its shape again on the next turn of the run loop.
    virtual void invalidatePaletteWindowShadowSoon() = 0;
    // Orders the window in front of the others, or out; nothing when it does not exist.
    virtual void orderPaletteWindow(bool front) = 0;
    virtual void orderZoomButtonOverlayWindow(bool front) = 0;

    // Cancels pending hides of the palette. While the settings change the palette's icon size (the palette
    // layout says so), the palette then shows at once beside the settings window, as a preview.
    virtual void cancelPendingOverlayHides() = 0;
    // Hides the palette after its usual pause (or keeps it while the pointer is inside).
    virtual void hideOverlayAfterDelay() = 0;
};
