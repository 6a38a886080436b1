#include "platform/Signal.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>

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
