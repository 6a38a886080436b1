#include "mouse-control/ZRDropZone.h"

#include "toolkit/CollectionExtensions.h"

std::optional<ZRDropZone> ZRDropZone::dropZoneWithWindowDescription(const ZRWindowDescription& description) {
    const Rect windowFrame = rectValueOfObjectForKey(description, ZRWindowDescriptionKey::WindowFrame);
    if (windowFrame.isEmpty())
        return std::nullopt;
    ZRDropZone zone;
    zone.windowFrame = windowFrame;
    zone.originalSkafableFrame =
        rectValueOfObjectForKey(description, ZRWindowDescriptionKey::AvailableScreenFrame);
    return zone;
}
