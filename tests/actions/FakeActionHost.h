#pragma once

#include "actions/ZRActionHost.h"
#include "keyboard-control/ZRHotKey.h"

#include <memory>
#include <vector>

// The settings' side of the actions: the hot keys a test gives it, and the requests it hears counted.
class FakeActionHost : public ZRActionHost {
public:
    std::vector<std::shared_ptr<ZRHotKey>> settings;
    int assignRequests = 0;

    std::vector<std::shared_ptr<ZRHotKey>> settingsHotKeys() const override { return settings; }
    void didSetHotKey(const std::shared_ptr<ZRHotKey>&, const QString&) override {}
    void assignKeyboardControlHotKey() override { ++assignRequests; }
};
