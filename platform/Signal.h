#pragma once

#include "platform/MainThread.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// A small main-thread signal for the platform layer, where Qt's signals would force every
// facility to be a QObject. A Connection ends its subscription when it is destroyed, so a
// subscriber that owns its connections can never be called after it is gone. Its slots and their
// bookkeeping are unguarded: debug builds stop at a connection, delivery or disconnection made on
// another thread.

inline void signalRequireMainThread() {
    assert(isMainThread() && "a Signal is used on the main thread only");
}

class Connection {
public:
    Connection() = default;
    explicit Connection(std::function<void()> disconnect) : m_disconnect(std::move(disconnect)) {}
    Connection(Connection&& other) noexcept : m_disconnect(std::exchange(other.m_disconnect, {})) {}
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            disconnect();
            m_disconnect = std::exchange(other.m_disconnect, {});
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { disconnect(); }

    void disconnect() {
        if (auto fn = std::exchange(m_disconnect, {}))
            fn();
    }
    bool isConnected() const { return static_cast<bool>(m_disconnect); }

private:
    std::function<void()> m_disconnect;
};

template <class... Args> class Signal {
public:
    using Slot = std::function<void(Args...)>;

    Signal() : m_state(std::make_shared<State>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Connection connect(Slot slot) {
        signalRequireMainThread();
        const auto id = ++m_state->nextId;
        m_state->slots.push_back({id, std::make_shared<Slot>(std::move(slot))});
        ++m_state->connected;
        std::weak_ptr<State> weak = m_state;
        return Connection([weak, id] {
            if (auto state = weak.lock())
                state->disconnect(id);
        });
    }

    // Slots connected or disconnected during delivery take effect for the next emission; a slot
    // disconnected during delivery is not called afterwards. A slot may destroy the signal's owner:
    // the state is held here so the loop stays valid. Delivery allocates nothing (it runs per
    // pointer motion): it walks the slots by index, and slots disconnected meanwhile are only
    // marked, and removed once the outermost delivery is done.
    void emit(Args... args) const {
        signalRequireMainThread();
        const std::shared_ptr<State> state = m_state;
        const auto lastId = state->nextId;
        ++state->delivering;
        for (std::size_t i = 0; i < state->slots.size() && state->slots[i].id <= lastId; ++i) {
            if (const std::shared_ptr<Slot> slot = state->slots[i].slot)
                (*slot)(args...);
        }
        if (--state->delivering == 0 && state->hasDisconnected) {
            std::erase_if(state->slots, [](const Entry& e) { return !e.slot; });
            state->hasDisconnected = false;
        }
    }

    std::size_t connectionCount() const { return m_state->connected; }

private:
    struct Entry {
        unsigned long long id;
        std::shared_ptr<Slot> slot; // null once disconnected during a delivery
    };
    struct State {
        unsigned long long nextId = 0;
        std::vector<Entry> slots;
        std::size_t connected = 0;
        int delivering = 0;
        bool hasDisconnected = false;

        void disconnect(unsigned long long id) {
            signalRequireMainThread();
            const auto it =
                std::find_if(slots.begin(), slots.end(), [id](const Entry& e) { return e.id == id; });
            if (it == slots.end() || !it->slot)
                return;
            --connected;
            if (delivering == 0) {
                slots.erase(it);
                return;
            }
            it->slot.reset();
            hasDisconnected = true;
        }
    };
    std::shared_ptr<State> m_state;
};
