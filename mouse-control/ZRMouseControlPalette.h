#pragma once

#include "platform/EventStream.h"

#include <memory>

class ZRCGEventWrapper;

// The palette that pops up beside a window's title-bar button once the pointer rests on it.
class ZRMouseControlPalette {
public:
    virtual ~ZRMouseControlPalette() = default;
    // Whether a click at the event's place is outside the palette and its zoom-button overlay.
    virtual bool shouldHideOverlayForTappedMouseEvent(const TapEvent& event) = 0;
    virtual void hideOverlayRegardless() = 0;
    // Whether the palette window or the zoom-button overlay is on screen: hover leaves windows alone then.
    virtual bool isShowingOverlay() const = 0;
    // Builds, places and shows the palette for the trigger under the pointer, or hides it.
    virtual void processTappedMouseMovedEvent(const std::shared_ptr<ZRCGEventWrapper>& wrapper) = 0;
};
