#include "platform/GrabStack.h"

#include "platform/PlatformLog.h"

#include <algorithm>
#include <vector>

struct GrabStack::State {
    struct Entry {
        std::uint64_t id;
        OwnWindowId window;
    };
    std::function<GrabStatus(OwnWindowId)> take;
    std::function<void()> release;
    std::vector<Entry> holders; // the one with the device last
    std::uint64_t nextId = 1;

    void remove(std::uint64_t id) {
        const auto it =
            std::find_if(holders.begin(), holders.end(), [id](const Entry& e) { return e.id == id; });
        if (it == holders.end())
            return;
        const bool hadDevice = it + 1 == holders.end();
        holders.erase(it);
        if (!hadDevice)
            return;
        // The one before takes it back; one that can no longer have it (its window went) is passed over.
        while (!holders.empty()) {
            const GrabStatus status = take(holders.back().window);
            if (status == GrabStatus::Granted)
                return;
            platformLog(QStringLiteral("cannot give a grab back to window %1: %2")
                            .arg(holders.back().window)
                            .arg(QLatin1String(grabStatusText(status))));
            holders.pop_back();
        }
        release();
    }
};

class GrabStack::Handle : public InputGrab {
public:
    Handle(std::weak_ptr<State> state, std::uint64_t id) : m_state(std::move(state)), m_id(id) {}
    ~Handle() override {
        if (const auto state = m_state.lock())
            state->remove(m_id);
    }

private:
    std::weak_ptr<State> m_state;
    std::uint64_t m_id;
};

GrabStack::GrabStack(std::function<GrabStatus(OwnWindowId)> take, std::function<void()> release)
    : m_state(std::make_shared<State>()) {
    m_state->take = std::move(take);
    m_state->release = std::move(release);
}

GrabStack::~GrabStack() {
    // Handles that outlive the backend hold nothing any more.
    if (!m_state->holders.empty())
        m_state->release();
}

std::unique_ptr<InputGrab> GrabStack::grab(OwnWindowId window, GrabStatus* status) {
    const GrabStatus result = window ? m_state->take(window) : GrabStatus::Failed;
    if (status)
        *status = result;
    if (result != GrabStatus::Granted)
        return nullptr;
    const std::uint64_t id = m_state->nextId++;
    m_state->holders.push_back({id, window});
    return std::make_unique<Handle>(m_state, id);
}

OwnWindowId GrabStack::holder() const {
    return m_state->holders.empty() ? 0 : m_state->holders.back().window;
}
