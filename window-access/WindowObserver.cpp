#include "window-access/WindowObserver.h"

#include "platform/Platform.h"
#include "platform/PlatformLog.h"
#include "platform/foundation/RunLoop.h"
#include "window-access/WindowAccessDefaults.h"

#include <algorithm>

struct ZRWindowObserver::State {
    struct Subscription {
        std::uint64_t id = 0;
        ZRWindowObserverDelegate* delegate = nullptr;
    };
    struct ObservedWindow {
        AXElementRef window;
        std::unique_ptr<AXObservation> observation;
        std::vector<Subscription> subscriptions;
    };

    std::vector<ObservedWindow> windows;
    std::uint64_t nextId = 0;
    int pauseCount = 0;

    std::vector<ObservedWindow>::iterator find(const AXElementRef& window) {
        return std::find_if(windows.begin(), windows.end(), [&](const ObservedWindow& observed) {
            return AXElementsEqual(observed.window, window);
        });
    }

    bool isSubscribed(std::uint64_t id) const {
        return std::any_of(windows.begin(), windows.end(), [id](const ObservedWindow& observed) {
            return std::any_of(observed.subscriptions.begin(), observed.subscriptions.end(),
                               [id](const Subscription& s) { return s.id == id; });
        });
    }

    void remove(std::uint64_t id) {
        for (auto it = windows.begin(); it != windows.end(); ++it) {
            auto& subscriptions = it->subscriptions;
            std::erase_if(subscriptions, [id](const Subscription& s) { return s.id == id; });
            if (!subscriptions.empty())
                continue;
            // The last delegate may leave from inside the observation's own delivery, so the
            // observation ends on the next turn rather than under its caller's feet.
            auto observation = std::shared_ptr<AXObservation>(std::move(it->observation));
            RunLoop::main().performOnNextTurn([observation] {});
            windows.erase(it);
            return;
        }
    }

    void deliver(const AXElementRef& window, const QString& notification) {
        if (pauseCount > 0)
            return;
        const auto it = find(window);
        if (it == windows.end())
            return;
        const std::vector<Subscription> subscriptions = it->subscriptions;
        for (const Subscription& subscription : subscriptions) {
            // A delegate may remove, or destroy, another one while it is being told.
            if (isSubscribed(subscription.id))
                subscription.delegate->observedWindow(window, notification);
        }
    }
};

ZRWindowObserver& ZRWindowObserver::defaultObserver() {
    static ZRWindowObserver observer;
    return observer;
}

ZRWindowObserver::ZRWindowObserver() : d(std::make_shared<State>()) {}

ZRWindowObserver::~ZRWindowObserver() = default;

bool ZRWindowObserver::addObserverDelegate(ZRWindowObserverDelegate* delegate, const AXElementRef& window) {
    if (!delegate || !window || !Platform::hasCurrent())
        return false;
    auto it = d->find(window);
    if (it != d->windows.end()) {
        const auto& subscriptions = it->subscriptions;
        if (std::any_of(subscriptions.begin(), subscriptions.end(),
                        [delegate](const State::Subscription& s) { return s.delegate == delegate; }))
            return true;
    } else {
        std::weak_ptr<State> weakState = d;
        auto observation = Platform::current().accessibility().observeWindow(
            window, [weakState, window](const AXElementRef&, const QString& notification) {
                if (auto state = weakState.lock())
                    state->deliver(window, notification);
            });
        if (!observation) {
            WindowAccessDefaults::debugLog(QStringLiteral("window observer: cannot observe window"));
            return false;
        }
        d->windows.push_back({window, std::move(observation), {}});
        it = std::prev(d->windows.end());
    }
    const std::uint64_t id = ++d->nextId;
    it->subscriptions.push_back({id, delegate});
    std::weak_ptr<State> weakState = d;
    delegate->m_windowObserverSubscriptions.emplace_back(id, Connection([weakState, id] {
                                                             if (auto state = weakState.lock())
                                                                 state->remove(id);
                                                         }));
    return true;
}

void ZRWindowObserver::removeObserverDelegate(ZRWindowObserverDelegate* delegate,
                                              const AXElementRef& window) {
    if (!delegate)
        return;
    const auto it = d->find(window);
    if (it == d->windows.end())
        return;
    const auto subscription =
        std::find_if(it->subscriptions.begin(), it->subscriptions.end(),
                     [delegate](const State::Subscription& s) { return s.delegate == delegate; });
    if (subscription == it->subscriptions.end())
        return;
    const std::uint64_t id = subscription->id;
    // Dropping the delegate's connection ends the subscription.
    std::erase_if(delegate->m_windowObserverSubscriptions,
                  [id](const auto& entry) { return entry.first == id; });
}

void ZRWindowObserver::setPaused(bool paused) {
    if (paused) {
        ++d->pauseCount;
    } else if (d->pauseCount > 0) {
        --d->pauseCount;
    } else {
        platformLog(QStringLiteral("window observer resumed without a pause"));
    }
}

int ZRWindowObserver::pauseCount() const {
    return d->pauseCount;
}

std::size_t ZRWindowObserver::observedWindowCount() const {
    return d->windows.size();
}
