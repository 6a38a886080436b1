#pragma once

#include "platform/Geometry.h"

#include <QString>
#include <QVariantMap>
#include <cstdint>

// The record of one window of another application, a property-list dictionary kept in layouts and
// actions. Rectangles are text in Cocoa coordinates.
using ZRWindowDescription = QVariantMap;

namespace ZRWindowDescriptionKey {
// The application's bundle identifier as it reports it; absent when it has none.
inline const QString BundleIdentifier = QStringLiteral("Bundle Identifier");
inline const QString ApplicationName = QStringLiteral("Application Name");
inline const QString WindowTitle = QStringLiteral("Window Title");
inline const QString WindowFrame = QStringLiteral("Window Frame");
// The frame of the window's screen, which groups the windows of a layout by screen.
inline const QString ScreenFrame = QStringLiteral("Screen Frame");
// The usable frame of that screen when the record was made; older records lack it.
inline const QString AvailableScreenFrame = QStringLiteral("Available Screen Frame");
// The window server's number of the window while it lives: it tells apart windows of one application
// with the same title, which a layout would otherwise give each other's frames. Older records lack it.
inline const QString WindowNumber = QStringLiteral("Window Number");
} // namespace ZRWindowDescriptionKey

struct ZRWindowDescriptionFields {
    QString bundleIdentifier;
    QString applicationName;
    QString windowTitle;
    Rect windowFrame;
    Rect screenFrame;
    Rect availableScreenFrame;
    // 0 for none.
    std::uint32_t windowNumber = 0;
};

ZRWindowDescription ZRMakeWindowDescription(const ZRWindowDescriptionFields& fields);
