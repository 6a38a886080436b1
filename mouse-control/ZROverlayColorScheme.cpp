#include "mouse-control/ZROverlayColorScheme.h"

#include "platform/foundation/PlistRead.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/Appearance.h"

namespace {

const QString ClassicValue = QStringLiteral("classic");

} // namespace

QString ZROverlayColorScheme::colorInversionKey() {
    return QStringLiteral("Invert Overlays: Mouse");
}

std::int64_t ZROverlayColorScheme::defaultColorScheme() {
    return ZRIsDarkInterfaceStyleEnabled() ? ZROverlayColorSchemeDark : ZROverlayColorSchemeLight;
}

std::int64_t ZROverlayColorScheme::colorScheme() {
    const QVariant value = UserDefaults::standard().object(colorInversionKey());
    if (value.typeId() == QMetaType::QString &&
        value.toString().compare(ClassicValue, Qt::CaseInsensitive) == 0)
        return ZROverlayColorSchemeClassic;
    if (const std::optional<bool> inverted = Plist::coerceBool(value))
        return *inverted ? ZROverlayColorSchemeLight : ZROverlayColorSchemeDark;
    return defaultColorScheme();
}

bool ZROverlayColorScheme::invertColors() {
    return colorScheme() == ZROverlayColorSchemeLight;
}
