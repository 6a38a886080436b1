#include "actions/ZRLayoutAutoTrigger.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/SleepClock.h"
#include "platform/Workspace.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRLog.h"
#include "window-access/VirtualScreen.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

std::vector<Rect> sorted(std::vector<Rect> frames) {
    std::sort(frames.begin(), frames.end(), [](const Rect& a, const Rect& b) {
        return std::tuple(a.x(), a.y(), a.width(), a.height()) <
               std::tuple(b.x(), b.y(), b.width(), b.height());
    });
    return frames;
}

// The screens as layouts are saved with them: a display split into virtual screens counts by its parts.
std::vector<Rect> layoutScreenFrames(const UserDefaults& defaults) {
    std::vector<Rect> frames;
    for (const ZRVirtualScreen& screen : ZRVirtualScreen::screens(defaults))
        if (!screen.isUnion())
            frames.push_back(screen.frame());
    return sorted(std::move(frames));
}

bool savedOnScreens(const ZRAction& layout, const std::vector<Rect>& screens) {
    if (!layout.snapshotScreenFrames().empty())
        return sorted(layout.snapshotScreenFrames()) == screens;
    // Older layouts know only the screens their windows were on.
    const std::vector<Rect> ofWindows = layout.snapshot().screenFramesOfWindows();
    return std::all_of(ofWindows.begin(), ofWindows.end(), [&](const Rect& frame) {
        return std::find(screens.begin(), screens.end(), frame) != screens.end();
    });
}

QString reasonText(unsigned reasons, qint64 displays) {
    const QString count =
        displays == 1 ? QStringLiteral("1 display") : QStringLiteral("%1 displays").arg(displays);
    if (reasons & ZRLayoutAutoTrigger::DisplayChange)
        return (reasons & ZRLayoutAutoTrigger::Wake
                    ? QStringLiteral("the machine woke and the displays changed to ")
                    : QStringLiteral("the displays changed to ")) +
               count;
    if (reasons & ZRLayoutAutoTrigger::Wake)
        return QStringLiteral("the machine woke with ") + count;
    return QStringLiteral("the program started with ") + count;
}

} // namespace

ZRLayoutAutoTrigger::ZRLayoutAutoTrigger(Apply apply, SleepClock& clock, ZRActionManager& store,
                                         UserDefaults& defaults, Platform& platform, RunLoop& mainRunLoop)
    : m_apply(std::move(apply)), m_clock(clock), m_store(store), m_defaults(defaults), m_platform(platform),
      m_mainRunLoop(mainRunLoop) {}

std::vector<Rect> ZRLayoutAutoTrigger::displayFrames() const {
    std::vector<Rect> frames;
    for (const ScreenInfo& screen : m_platform.screens().screens())
        frames.push_back(screen.frame);
    return sorted(std::move(frames));
}

ZRLayoutAutoTrigger::~ZRLayoutAutoTrigger() {
    m_mainRunLoop.cancel(m_sleepCheck);
}

void ZRLayoutAutoTrigger::start() {
    if (m_started)
        return;
    m_started = true;
    m_displayFrames = displayFrames();
    m_suspendedSeconds = m_clock.suspendedSeconds();
    m_connections.push_back(m_platform.screens().screensChanged.connect([this] { screensDidChange(); }));
    // Where the desktop tells of a wake itself, it may do so before the check below sees the sleep.
    m_connections.push_back(m_platform.workspace().didWake.connect([this] { woke(); }));
    scheduleCheckForSleep();
    apply(Launch);
}

void ZRLayoutAutoTrigger::screensDidChange() {
    settleLater(DisplayChange);
}

void ZRLayoutAutoTrigger::scheduleCheckForSleep() {
    m_sleepCheck = m_mainRunLoop.schedule(
        WakeCheckInterval, [this] { checkForSleep(); }, CommonRunLoopModes);
}

void ZRLayoutAutoTrigger::checkForSleep() {
    scheduleCheckForSleep();
    if (sleptSinceLastLook())
        settleLater(Wake);
}

bool ZRLayoutAutoTrigger::sleptSinceLastLook() {
    const double suspended = m_clock.suspendedSeconds();
    const double slept = suspended - std::exchange(m_suspendedSeconds, suspended);
    if (slept <= SleepThreshold)
        return false;
    ZRLog("the machine slept for %.0f seconds", slept);
    return true;
}

void ZRLayoutAutoTrigger::woke() {
    // The sleep it tells of is counted once: the check must not take it for another.
    m_suspendedSeconds = m_clock.suspendedSeconds();
    settleLater(Wake);
}

void ZRLayoutAutoTrigger::settleLater(Reason reason) {
    m_pendingReasons |= reason;
    // A change during the wait starts it again. Not while a menu is open: the layout waits until the user is
    // done with it.
    m_settle = m_mainRunLoop.performLater(
        SettleDelay, [this] { settle(); }, DefaultRunLoopMode);
}

void ZRLayoutAutoTrigger::settle() {
    unsigned reasons = std::exchange(m_pendingReasons, 0u);
    // Displays that changed on waking may settle before the check comes round: one occasion, not two.
    if (sleptSinceLastLook())
        reasons |= Wake;
    std::vector<Rect> frames = displayFrames();
    // Notices that leave the displays as they were (a panel that came or went) apply nothing.
    if (frames == m_displayFrames)
        reasons &= ~unsigned(DisplayChange);
    m_displayFrames = std::move(frames);
    if (reasons)
        apply(reasons);
}

std::vector<std::shared_ptr<ZRAction>> ZRLayoutAutoTrigger::layoutsToApply(unsigned reasons) const {
    std::vector<std::shared_ptr<ZRAction>> layouts;
    const auto displays = qint64(m_platform.screens().screens().size());
    const bool ignoringScreenFrames =
        m_defaults.boolForKey(QString::fromUtf16(ZRAutoTriggerSnapshotsIgnoringScreenFramesUserDefaultName));
    const std::vector<Rect> screens = layoutScreenFrames(m_defaults);
    for (const auto& action : m_store.allActions()) {
        if (action->actionType() != ZRActionTypeLayout || !action->snapshotDisplayAutoTriggerEnabled() ||
            action->snapshotAutoDisplayCount() != displays)
            continue;
        if (!(reasons & (Launch | DisplayChange)) && !action->snapshotWakeAutoTriggerEnabled())
            continue;
        // A layout never saved has nothing to put back: no beep out of the blue.
        if (action->snapshot().isEmpty() ||
            std::find(layouts.begin(), layouts.end(), action) != layouts.end())
            continue;
        if (!ignoringScreenFrames && !savedOnScreens(*action, screens)) {
            ZRLog(
                "layout \"%@\" does not apply by itself: it was saved on other screens than those there are "
                "now",
                action->displayNameWithSuffixes());
            continue;
        }
        layouts.push_back(action);
    }
    return layouts;
}

void ZRLayoutAutoTrigger::apply(unsigned reasons) {
    const auto displays = qint64(m_platform.screens().screens().size());
    for (const auto& layout : layoutsToApply(reasons)) {
        const unsigned own = layout->snapshotWakeAutoTriggerEnabled() ? reasons : reasons & ~unsigned(Wake);
        ZRLog("layout \"%@\" applies by itself: %@", layout->displayNameWithSuffixes(),
              reasonText(own, displays));
        m_apply(layout);
    }
}
