#include "platform/sim/SimAccessibility.h"

#include "platform/sim/SimElement.h"
#include "platform/sim/SimWorld.h"

#include <unistd.h>

namespace {

class SimObservation : public AXObservation {
public:
    SimObservation(std::weak_ptr<SimWorld> world, std::uint64_t id) : m_world(std::move(world)), m_id(id) {}
    ~SimObservation() override {
        if (auto world = m_world.lock())
            world->removeObserver(m_id);
    }

private:
    std::weak_ptr<SimWorld> m_world;
    std::uint64_t m_id;
};

} // namespace

SimAccessibility::SimAccessibility(std::shared_ptr<SimWorld> world) : m_world(std::move(world)) {}

bool SimAccessibility::isProcessTrusted(bool prompt) {
    if (prompt)
        ++m_promptCount;
    auto guard = m_world->lock();
    return m_world->isTrustedLocked();
}

void SimAccessibility::setMessagingTimeout(double seconds) {
    m_world->setMessagingTimeout(seconds);
}

double SimAccessibility::messagingTimeout() const {
    auto guard = m_world->lock();
    return m_world->messagingTimeoutLocked();
}

AXElementRef SimAccessibility::elementAtPosition(Point quartzPoint) {
    return m_world->elementAt(quartzPoint);
}

AXElementRef SimAccessibility::applicationElement(pid_t processIdentifier) {
    if (!m_world->runningApplication(processIdentifier))
        return nullptr;
    return SimElement::make(m_world, SimElement::Kind::Application, processIdentifier);
}

AXElementRef SimAccessibility::elementForOwnWindow(std::uint64_t) {
    // The simulated desktop knows the program's windows only as the windows of its own application.
    const AXElementRef application = applicationElement(::getpid());
    AXValue windows;
    if (!application || application->copyAttributeValue(AX::Windows, windows) != AXError::Success)
        return nullptr;
    const auto* list = std::get_if<std::vector<AXElementRef>>(&windows);
    return list && !list->empty() ? list->front() : nullptr;
}

std::unique_ptr<AXObservation> SimAccessibility::observeWindow(const AXElementRef& window,
                                                               NotificationHandler handler) {
    const auto* element = dynamic_cast<const SimElement*>(window.get());
    if (!element || element->kind() != SimElement::Kind::Window || !handler)
        return nullptr;
    // Observing asks the application, so a window that cannot answer cannot be observed.
    AXValue role;
    const auto number = element->windowNumber();
    if (!number || element->copyAttributeValue(AX::Role, role) != AXError::Success)
        return nullptr;
    const std::uint64_t id = m_world->addObserver(*number, window, std::move(handler));
    return std::make_unique<SimObservation>(m_world, id);
}

void SimAccessibility::setTrusted(bool trusted) {
    m_world->setTrusted(trusted);
}
