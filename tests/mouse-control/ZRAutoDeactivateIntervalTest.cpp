#include "MouseControlTestSupport.h"

#include "mouse-control/ZRAutoDeactivateInterval.h"

#include <limits>

namespace {

class AutoDeactivateIntervalTest : public MouseControlTest {};

TEST_F(AutoDeactivateIntervalTest, TakesTheSettingFromHalfASecondOnElseTheDefaultOfTheOverlay) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        QVariant setting;
        double withCheatSheet, without;
    } cases[] = {
        {{}, 9.0, 3.0},
        {1.5, 1.5, 1.5},
        {0.2, 0.5, 0.5},
        {-4, 0.5, 0.5},
        {QStringLiteral("2"), 2.0, 2.0},
        {QStringLiteral("soon"), 9.0, 3.0},
        {std::numeric_limits<double>::quiet_NaN(), 9.0, 3.0},
        {inf, 9.0, 3.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting.toString().toStdString());
        set(ZRAutoDeactivateIntervalUserDefaultName, c.setting);
        EXPECT_EQ(autoDeactivateIntervalForCheatSheet(true, settings()), c.withCheatSheet);
        EXPECT_EQ(autoDeactivateIntervalForCheatSheet(false, settings()), c.without);
    }
}

} // namespace
