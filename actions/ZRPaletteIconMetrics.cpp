#include "actions/ZRPaletteIconMetrics.h"

#include "platform/foundation/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace {

// Below the minimum width an icon would not read; it keeps this size.
constexpr double MinimumIconWidth = 19;
constexpr Size SmallestIconSize{18, 14};
constexpr double UnboundedRequest = 100;

} // namespace

Size ZRPaletteIconMetrics(double requestedWidth, const UserDefaults& settings) {
    if (requestedWidth < 0)
        requestedWidth = UnboundedRequest;
    const double setting = double(settings.integerForKey(ZRPaletteIconSizeUserDefaultName));
    const double side = std::min(requestedWidth, setting);
    if (side < MinimumIconWidth)
        return SmallestIconSize;
    return {side, std::round(SmallestIconSize.height * side / SmallestIconSize.width)};
}
