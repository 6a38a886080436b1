#include "settings/ZRIconSizes.h"

#include "platform/foundation/UserDefaults.h"

#include <algorithm>

namespace {

constexpr double MinimumMenuIconSide = 10;
constexpr double MaximumMenuIconSide = 30;
constexpr Size DefaultMenuItemIconSize{19, 14};

} // namespace

Size ZRMenuItemIconSize(const UserDefaults& defaults) {
    return ZRMenuItemIconSizeForValue(defaults.object(ZRMenuItemIconSizeUserDefaultName));
}

Size ZRMenuItemIconSizeForValue(const QVariant& value) {
    if (!value.isValid())
        return DefaultMenuItemIconSize;
    const Size stored = sizeFromString(value.toString());
    const auto clamp = [](double side) {
        // Text that gives no number reads as 0, and NaN fails every comparison: both take the minimum.
        return side >= MinimumMenuIconSide ? std::min(side, MaximumMenuIconSide) : MinimumMenuIconSide;
    };
    return {clamp(stored.width), clamp(stored.height)};
}
