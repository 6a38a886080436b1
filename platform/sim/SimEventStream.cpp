#include "platform/sim/SimEventStream.h"

#include "platform/foundation/RunLoop.h"

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
