#include "shell/ZRKeyboardMenuLineHeight.h"

#include "platform/Platform.h"
#include "platform/Screens.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double MinimumLineHeight = 20;
constexpr double MaximumDefaultLineHeight = 100;
constexpr double LineHeightWithoutScreens = 64;
// The default fits this many lines into the visible height, less a margin.
constexpr double DefaultLinesPerScreen = 15;
constexpr double DefaultScreenMargin = 100;

} // namespace

double ZRKeyboardMenuCorrectedLineHeight(double lineHeight) {
    if (!std::isfinite(lineHeight))
        return MinimumLineHeight;
    // std::round rounds halves away from zero, as the menu's sizing does everywhere.
    return std::max(MinimumLineHeight, 2 * std::round(lineHeight / 2));
}

double ZRKeyboardMenuDefaultLineHeightForScreen(const ScreenInfo* screen) {
    std::optional<ScreenInfo> first;
    if (!screen && Platform::hasCurrent()) {
        const auto screens = Platform::current().screens().screens();
        if (!screens.empty())
            first = screens.front();
        screen = first ? &*first : nullptr;
    }
    if (!screen)
        return LineHeightWithoutScreens;
    const double lineHeight = (screen->visibleFrame.height() - DefaultScreenMargin) / DefaultLinesPerScreen;
    return std::min(MaximumDefaultLineHeight, ZRKeyboardMenuCorrectedLineHeight(lineHeight));
}
