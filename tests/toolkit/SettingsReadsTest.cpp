#include "DesktopTest.h"

#include "toolkit/ArrowKeyForHJKL.h"
#include "toolkit/KeyStrings.h"
#include "toolkit/ZRLog.h"

#include "platform/foundation/UserDefaults.h"

#include <thread>

namespace {

using SettingsReadsTest = DesktopTest;

TEST_F(SettingsReadsTest, HJKLFollowsBothSettings) {
    UserDefaults& defaults = settings();
    const QString layoutKey = QStringLiteral("HJKL: Disable Keyboard Layout Equivalents");
    const QString physicalKey = QStringLiteral("HJKL: Disable Physical Key Equivalents");
    // On a layout that puts t in the place of K.
    EXPECT_EQ(ZRArrowKeyForHJKL(u'k', Key::V, defaults), FunctionKeyCharacter::UpArrow);
    EXPECT_EQ(ZRArrowKeyForHJKL(u't', Key::K, defaults), u't');
    defaults.setBool(true, layoutKey);
    EXPECT_EQ(ZRArrowKeyForHJKL(u'k', Key::V, defaults), u'k');
    EXPECT_EQ(ZRArrowKeyForHJKL(u't', Key::K, defaults), FunctionKeyCharacter::UpArrow);
    defaults.setBool(true, physicalKey);
    EXPECT_EQ(ZRArrowKeyForHJKL(u't', Key::K, defaults), u't');
}

TEST_F(SettingsReadsTest, DebugLogSwitch) {
    EXPECT_FALSE(ZRDebugLogEnabled());
    settings().setBool(true, QStringLiteral("ZRDebugLog"));
    EXPECT_TRUE(ZRDebugLogEnabled());
    // A worker sees the switch as the settings last set it.
    bool onWorker = false;
    std::thread([&] { onWorker = ZRDebugLogEnabled(); }).join();
    EXPECT_TRUE(onWorker);
}

} // namespace
