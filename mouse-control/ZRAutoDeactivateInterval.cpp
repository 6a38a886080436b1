#include "mouse-control/ZRAutoDeactivateInterval.h"

#include "platform/foundation/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double ShortestInterval = 0.5;
constexpr double CheatSheetInterval = 9.0;
constexpr double PlainInterval = 3.0;
} // namespace

double autoDeactivateIntervalForCheatSheet(bool cheatSheet, const UserDefaults& defaults) {
    const std::optional<double> value = defaults.optionalDouble(ZRAutoDeactivateIntervalUserDefaultName);
    if (value && std::isfinite(*value))
        return std::max(*value, ShortestInterval);
    return cheatSheet ? CheatSheetInterval : PlainInterval;
}
