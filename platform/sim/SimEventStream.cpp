#include "platform/sim/SimEventStream.h"

#include "platform/foundation/RunLoop.h"

#include <optional>

struct SimEventStream::TapState {
    std::uint64_t mask = 0;
    Callback callback;
    bool enabled = true;
    EventTap* tap = nullptr;
};

class SimEventStream::Tap : public EventTap {
public:
    explicit Tap(std::shared_ptr<TapState> state) : m_state(std::move(state)) { m_state->tap = this; }
    ~Tap() override {
        m_state->tap = nullptr;
        m_state->enabled = false;
    }

private:
    std::shared_ptr<TapState> m_state;
};

struct SimEventStream::Following {
    Callback handler;
    bool active = true;
    std::optional<TapEvent> last;
};

class SimEventStream::FollowingHandle : public MotionFollowing {
public:
    explicit FollowingHandle(std::shared_ptr<Following> following) : m_following(std::move(following)) {}
    ~FollowingHandle() override { m_following->active = false; }

private:
    std::shared_ptr<Following> m_following;
};

std::unique_ptr<MotionFollowing> SimEventStream::followMotion(Callback handler, double restSeconds) {
    (void)restSeconds;
    if (!m_followsMotion || !handler || (m_following && m_following->active))
        return nullptr;
    int takers = 0;
    for (const auto& weak : liveTaps())
        if (const auto state = weak.lock())
            takers += (state->mask & tapEventMaskBit(TapEventType::MouseMoved)) != 0;
    if (takers != 1)
        return nullptr;
    m_following = std::make_shared<Following>();
    m_following->handler = std::move(handler);
    return std::make_unique<FollowingHandle>(m_following);
}

std::unique_ptr<EventTap> SimEventStream::install(std::uint64_t eventMask, Callback callback) {
    if (m_installFails || !callback)
        return nullptr;
    auto state = std::make_shared<TapState>();
    state->mask = eventMask;
    state->callback = std::move(callback);
    m_taps = liveTaps();
    m_taps.push_back(state);
    m_lastMask = eventMask;
    return std::make_unique<Tap>(std::move(state));
}

std::vector<std::weak_ptr<SimEventStream::TapState>> SimEventStream::liveTaps() const {
    std::vector<std::weak_ptr<TapState>> live;
    for (const auto& weak : m_taps) {
        const auto state = weak.lock();
        if (state && state->enabled)
            live.push_back(weak);
    }
    return live;
}

void SimEventStream::post(TapEvent event) {
    event.timestamp = RunLoop::main().now();
    if (const std::shared_ptr<Following> following = m_following; following && following->active) {
        if (event.type == TapEventType::MouseMoved) {
            following->handler(event);
            following->last = event;
            return;
        }
        following->active = false;
        if (following->last) {
            TapEvent led = *following->last;
            led.deltaX = led.deltaY = 0;
            post(led);
        }
    }
    const std::uint64_t bit = tapEventMaskBit(event.type);
    // A tap removed or lost by an earlier callback of this event hears nothing more.
    for (const auto& weak : liveTaps()) {
        const auto state = weak.lock();
        if (state && state->enabled && (state->mask & bit))
            state->callback(event);
    }
}

void SimEventStream::setInstallFails(bool fails) {
    m_installFails = fails;
}

void SimEventStream::loseTaps() {
    for (const auto& weak : liveTaps()) {
        const auto state = weak.lock();
        if (!state || !state->enabled)
            continue;
        state->enabled = false;
        if (state->tap)
            state->tap->lost.emit();
    }
}

int SimEventStream::activeTapCount() const {
    return static_cast<int>(liveTaps().size());
}
