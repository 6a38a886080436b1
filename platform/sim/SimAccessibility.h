#pragma once

#include "platform/Accessibility.h"

#include <memory>

class SimWorld;

// Accessibility of the simulated desktop: elements at points, application elements, observers.
class SimAccessibility : public Accessibility {
public:
    explicit SimAccessibility(std::shared_ptr<SimWorld> world);

    bool isProcessTrusted(bool prompt) override;
    void setMessagingTimeout(double seconds) override;
    double messagingTimeout() const override;
    AXElementRef elementAtPosition(Point quartzPoint) override;
    AXElementRef applicationElement(pid_t processIdentifier) override;
    AXElementRef elementForOwnWindow(std::uint64_t nativeWindowId) override;
    std::unique_ptr<AXObservation> observeWindow(const AXElementRef& window,
                                                 NotificationHandler handler) override;

    // Untrusted, every element call answers APIDisabled and nothing is found at any point.
    void setTrusted(bool trusted);
    // How often the program asked with the prompt.
    int promptCount() const { return m_promptCount; }

private:
    std::shared_ptr<SimWorld> m_world;
    int m_promptCount = 0;
};
