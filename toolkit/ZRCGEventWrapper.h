#pragma once

#include "platform/EventStream.h"

#include <memory>
#include <optional>

// One event of the mouse stream as a shared object, with whether it belongs to a resize; carried by the
// pending palette request and the modifier-flags notification.
class ZRCGEventWrapper {
public:
    static std::shared_ptr<ZRCGEventWrapper> wrapperForEvent(std::optional<TapEvent> event) {
        auto wrapper = std::make_shared<ZRCGEventWrapper>();
        wrapper->setEvent(std::move(event));
        return wrapper;
    }

    const std::optional<TapEvent>& event() const { return m_event; }
    void setEvent(std::optional<TapEvent> event) { m_event = std::move(event); }

    bool resizes() const { return m_resizes; }
    void setResizes(bool resizes) { m_resizes = resizes; }

private:
    std::optional<TapEvent> m_event;
    bool m_resizes = false;
};
