#include "window-access/WindowDescription.h"

ZRWindowDescription ZRMakeWindowDescription(const ZRWindowDescriptionFields& fields) {
    ZRWindowDescription description;
    if (!fields.bundleIdentifier.isEmpty())
        description.insert(ZRWindowDescriptionKey::BundleIdentifier, fields.bundleIdentifier);
    description.insert(ZRWindowDescriptionKey::ApplicationName, fields.applicationName);
    description.insert(ZRWindowDescriptionKey::WindowTitle, fields.windowTitle);
    description.insert(ZRWindowDescriptionKey::WindowFrame, stringFromRect(fields.windowFrame));
    description.insert(ZRWindowDescriptionKey::ScreenFrame, stringFromRect(fields.screenFrame));
    description.insert(ZRWindowDescriptionKey::AvailableScreenFrame,
                       stringFromRect(fields.availableScreenFrame));
    if (fields.windowNumber != 0)
        description.insert(ZRWindowDescriptionKey::WindowNumber, qint64(fields.windowNumber));
    return description;
}
