#include "mouse-control/ZROverlayColorScheme.h"

#include "platform/foundation/PlistRead.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/Appearance.h"

namespace {

const QString ClassicValue = QStringLiteral("classic");

// The truth of a text as the platform's strings read it: an optional sign, zeros, then "Y", "T" or a digit
// from 1 to 9; any other text is false.
bool stringBoolValue(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    while (i < text.size() && text[i] == u'0')
        ++i;
    if (i >= text.size())
        return false;
    const QChar c = text[i];
    return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}

} // namespace

QString ZROverlayColorScheme::colorInversionKey() {
    return QStringLiteral("Invert Overlays: Mouse");
}

std::int64_t ZROverlayColorScheme::defaultColorScheme() {
    return ZRIsDarkInterfaceStyleEnabled() ? ZROverlayColorSchemeDark : ZROverlayColorSchemeLight;
}

std::int64_t ZROverlayColorScheme::colorScheme(const UserDefaults& defaults) {
    const QVariant value = defaults.object(colorInversionKey());
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text.compare(ClassicValue, Qt::CaseInsensitive) == 0)
            return ZROverlayColorSchemeClassic;
        return stringBoolValue(text) ? ZROverlayColorSchemeLight : ZROverlayColorSchemeDark;
    }
    if (const std::optional<bool> inverted = Plist::coerceBool(value))
        return *inverted ? ZROverlayColorSchemeLight : ZROverlayColorSchemeDark;
    return defaultColorScheme();
}

bool ZROverlayColorScheme::invertColors(const UserDefaults& defaults) {
    return colorScheme(defaults) == ZROverlayColorSchemeLight;
}
