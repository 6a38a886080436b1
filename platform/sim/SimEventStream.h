#pragma once

#include "platform/EventStream.h"

#include <memory>
#include <vector>

// The listen-only event stream of the simulated desktop. Events posted here reach, at once and on
// the calling (main) thread, every installed tap whose mask has their type.
class SimEventStream : public EventStream {
public:
    std::unique_ptr<EventTap> install(std::uint64_t eventMask, Callback callback) override;

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

    std::vector<std::weak_ptr<TapState>> liveTaps() const;

    std::vector<std::weak_ptr<TapState>> m_taps;
    bool m_installFails = false;
    std::uint64_t m_lastMask = 0;
};
