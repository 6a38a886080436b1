#pragma once

#include "platform/Accessibility.h"

#include <memory>

class X11Desktop;

// Elements of other applications' windows on X11. Every process may act on every window, so the
// program is always trusted.
class X11Accessibility : public Accessibility {
public:
    explicit X11Accessibility(std::shared_ptr<X11Desktop> desktop);

    bool isProcessTrusted(bool prompt) override;
    void setMessagingTimeout(double seconds) override;
    double messagingTimeout() const override;
    AXElementRef elementAtPosition(Point quartzPoint) override;
    AXElementRef applicationElement(pid_t processIdentifier) override;
    AXElementRef elementForOwnWindow(std::uint64_t nativeWindowId) override;
    std::unique_ptr<AXObservation> observeWindow(const AXElementRef& window,
                                                 NotificationHandler handler) override;
    std::vector<AXError> setWindowFrames(const std::vector<AXFrameRequest>& requests) override;

private:
    std::shared_ptr<X11Desktop> m_desktop;
};
