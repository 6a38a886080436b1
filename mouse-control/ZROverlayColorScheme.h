#pragma once

#include <QString>
#include <cstdint>

class UserDefaults;

// The look of the overlays the mouse drives (the palette, its buttons and grid): the classic look, dark
// controls on a dark panel, or dark controls on a light panel.
enum ZROverlayColorSchemeKind : std::int64_t {
    ZROverlayColorSchemeClassic = 0,
    ZROverlayColorSchemeDark = 1,
    ZROverlayColorSchemeLight = 2,
};

// How the scheme is chosen. The palette and its buttons ask here, and so do the grids, which lie above them.
class ZROverlayColorScheme {
public:
    // "Invert Overlays: Mouse": the text "classic" (in any case), a boolean, a number or another text read
    // as a boolean (light or dark), or absent (the desktop's style decides).
    static QString colorInversionKey();
    // Dark on a dark desktop, else light.
    static std::int64_t defaultColorScheme();
    // The setting read as above; anything else stored under the key falls back to the default.
    static std::int64_t colorScheme(const UserDefaults& defaults);
    // Whether the light scheme is in use, in which controls draw dark.
    static bool invertColors(const UserDefaults& defaults);
};
