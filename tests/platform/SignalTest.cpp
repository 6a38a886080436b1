#include "platform/Signal.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

TEST(Signal, ConnectionEndsTheSubscriptionWithItsOwner) {
    Signal<int> signal;
    int sum = 0;
    {
        Connection c = signal.connect([&](int v) { sum += v; });
        signal.emit(2);
    }
    signal.emit(5);
    EXPECT_EQ(sum, 2);
    EXPECT_EQ(signal.connectionCount(), 0u);
}

TEST(Signal, SlotDisconnectedDuringDeliveryIsNotCalled) {
    Signal<> signal;
    int secondCalls = 0;
    std::optional<Connection> second;
    Connection first = signal.connect([&] { second.reset(); });
    second = signal.connect([&] { ++secondCalls; });
    signal.emit();
    EXPECT_EQ(secondCalls, 0);
}

TEST(Signal, ConnectionMayOutliveTheSignal) {
    Connection c;
    {
        Signal<> signal;
        c = signal.connect([] {});
    }
    c.disconnect();
    EXPECT_FALSE(c.isConnected());
}

TEST(Signal, SlotMayDestroyTheSignalsOwner) {
    auto signal = std::make_unique<Signal<>>();
    int laterCalls = 0;
    Connection first = signal->connect([&] { signal.reset(); });
    Connection second = signal->connect([&] { ++laterCalls; });
    signal->emit();
    EXPECT_EQ(signal, nullptr);
    // The second slot was connected when delivery began, and its connection is still alive.
    EXPECT_EQ(laterCalls, 1);
}

// Slots connect and disconnect others while deliveries nest: each delivery calls exactly the slots
// connected when it began and still connected when their turn comes.
TEST(Signal, NestedDeliveriesSeeConnectionsAsTheyWereWhenEachBegan) {
    Signal<int> signal;
    std::vector<std::string> calls;
    std::optional<Connection> late, third;
    Connection first = signal.connect([&](int depth) {
        calls.push_back("first" + std::to_string(depth));
        if (depth == 0) {
            late = signal.connect([&](int d) { calls.push_back("late" + std::to_string(d)); });
            signal.emit(1);
            third.reset();
        }
    });
    Connection second = signal.connect([&](int depth) { calls.push_back("second" + std::to_string(depth)); });
    third = signal.connect([&](int depth) { calls.push_back("third" + std::to_string(depth)); });
    signal.emit(0);
    EXPECT_EQ(calls, (std::vector<std::string>{"first0", "first1", "second1", "third1", "late1", "second0"}));
    EXPECT_EQ(signal.connectionCount(), 3u);
    calls.clear();
    signal.emit(2);
    EXPECT_EQ(calls, (std::vector<std::string>{"first2", "second2", "late2"}));
}

// Slots and their bookkeeping take no lock: a debug build stops at any use from another thread.
TEST(Signal, DebugBuildsStopAtUseOffTheMainThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::function<void(Signal<>&, std::optional<Connection>&)> uses[] = {
        [](Signal<>& signal, std::optional<Connection>& connection) { connection = signal.connect([] {}); },
        [](Signal<>& signal, std::optional<Connection>&) { signal.emit(); },
        [](Signal<>&, std::optional<Connection>& connection) { connection.reset(); },
    };
    for (const auto& use : uses) {
        Signal<> signal;
        std::optional<Connection> connection = signal.connect([] {});
        EXPECT_DEBUG_DEATH(std::thread([&] { use(signal, connection); }).join(), "main thread only");
    }
}
