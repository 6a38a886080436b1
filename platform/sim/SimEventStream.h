#pragma once

#include "platform/EventStream.h"

#include <memory>
#include <vector>

// The listen-only event stream of the simulated desktop. Events posted here reach, at once and on
// the calling (main) thread, every installed tap whose mask has their type.
class SimEventStream : public EventStream {
public:
    std::unique_ptr<EventTap> install(std::uint64_t eventMask, Callback callback) override;
    // Only once a test asks for it; the handler then runs on the thread that posts, at once. A following
    // ends with another event or its handle, not with a rest.
    std::unique_ptr<MotionFollowing> followMotion(Callback handler, double restSeconds) override;
    void setFollowsMotion(bool follows) { m_followsMotion = follows; }

    // Stamps the event with the main run loop's clock and delivers it.
    void post(TapEvent event);
    // Installing fails (answers null) while set.
    void setInstallFails(bool fails);
    // The platform disables every tap: each reports lost and receives nothing more.
    void loseTaps();
    // Taps that are installed and still receive events.
    int activeTapCount() const;
    // The mask of the most recent tap installed, 0 before any.
    std::uint64_t lastInstalledMask() const { return m_lastMask; }

private:
    struct TapState;
    class Tap;
    struct Following;
    class FollowingHandle;

    std::vector<std::weak_ptr<TapState>> liveTaps() const;

    std::vector<std::weak_ptr<TapState>> m_taps;
    bool m_installFails = false;
    bool m_followsMotion = false;
    std::shared_ptr<Following> m_following;
    std::uint64_t m_lastMask = 0;
};
