#pragma once

#include "platform/Geometry.h"
#include "platform/Signal.h"
#include "platform/foundation/RunLoop.h"

#include <functional>
#include <memory>
#include <vector>

class Platform;
class SleepClock;
class UserDefaults;
class ZRAction;
class ZRActionManager;

// The settings key under which layouts apply by themselves whatever screens they were saved on.
inline constexpr char16_t ZRAutoTriggerSnapshotsIgnoringScreenFramesUserDefaultName[] =
    u"Auto-Trigger Snapshots Ignoring Screen Frames";

// Layouts that apply by themselves: those with display auto-trigger on, when the displays have changed to
// the number the layout names and settled, at launch for the displays there are, and (those with wake
// auto-trigger on as well) after the machine woke. Unless "Auto-Trigger Snapshots Ignoring Screen Frames"
// is on, a layout saved on other screens than those there are now is left alone. Each applies once per
// occasion, in the order of the action store, through the same path as a user's trigger; each is logged
// with the reason. A sleep shows as a jump of the suspended time on a repeating check, and as the
// desktop's own wake notice where it has one. Main thread only.
class ZRLayoutAutoTrigger {
public:
    // What set a layout off; several can come together.
    enum Reason : unsigned {
        Launch = 1,
        DisplayChange = 2,
        Wake = 4,
    };

    // Seconds the displays must stay unchanged, and the machine awake, before layouts apply: displays
    // come and go in several steps, and after a wake they often come back one by one.
    static constexpr double SettleDelay = 2.0;
    // How often the suspended time is looked at, and the jump that counts as a sleep.
    static constexpr double WakeCheckInterval = 5.0;
    static constexpr double SleepThreshold = 5.0;

    using Apply = std::function<bool(const std::shared_ptr<ZRAction>& layout)>;

    // Apply triggers a layout as a user would; the clock tells sleeps. The layouts are those of the
    // store, the displays those of the platform.
    ZRLayoutAutoTrigger(Apply apply, SleepClock& clock, ZRActionManager& store, UserDefaults& defaults,
                        Platform& platform, RunLoop& mainRunLoop);
    ~ZRLayoutAutoTrigger();
    ZRLayoutAutoTrigger(const ZRLayoutAutoTrigger&) = delete;
    ZRLayoutAutoTrigger& operator=(const ZRLayoutAutoTrigger&) = delete;

    // The launch: applies the layouts of the displays there are, then follows display changes and
    // wakes. Later calls do nothing.
    void start();

    // The layouts that apply now for the reasons, in the action store's order; those saved on other
    // screens are left out with a log line.
    std::vector<std::shared_ptr<ZRAction>> layoutsToApply(unsigned reasons) const;

private:
    void screensDidChange();
    void checkForSleep();
    // Whether the suspended time jumped since the last look; each jump is told once.
    bool sleptSinceLastLook();
    void scheduleCheckForSleep();
    void woke();
    void settleLater(Reason reason);
    void settle();
    void apply(unsigned reasons);

    std::vector<Rect> displayFrames() const;

    Apply m_apply;
    SleepClock& m_clock;
    ZRActionManager& m_store;
    UserDefaults& m_defaults;
    Platform& m_platform;
    RunLoop& m_mainRunLoop;
    bool m_started = false;
    double m_suspendedSeconds = 0;
    // The displays when layouts last applied or were left alone: notices that change nothing apply none.
    std::vector<Rect> m_displayFrames;
    unsigned m_pendingReasons = 0;
    PendingPerform m_settle;
    RunLoop::TimerId m_sleepCheck = 0;
    std::vector<Connection> m_connections;
};
