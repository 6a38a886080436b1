#include "platform/sim/SimWorkspace.h"

#include "platform/sim/SimWorld.h"

namespace {
// The platform's blue.
constexpr Color DefaultAccentColor{0.0, 0.478, 1.0, 1.0};
} // namespace

SimWorkspace::SimWorkspace(std::shared_ptr<SimWorld> world)
    : m_world(std::move(world)), m_accent(DefaultAccentColor) {
    m_connections.push_back(m_world->activeApplicationChanged.connect(
        [this](const std::optional<RunningApplication>& application) {
            activeApplicationChanged.emit(application);
        }));
    m_connections.push_back(
        m_world->applicationTerminated.connect([this](pid_t pid) { applicationTerminated.emit(pid); }));
}

std::optional<RunningApplication> SimWorkspace::frontmostApplication() const {
    return m_world->frontmostApplication();
}

std::vector<RunningApplication> SimWorkspace::runningApplications() const {
    return m_world->runningApplications();
}

std::optional<RunningApplication> SimWorkspace::applicationWithProcessIdentifier(pid_t pid) const {
    return m_world->runningApplication(pid);
}

bool SimWorkspace::activateApplication(pid_t pid, bool allWindows) {
    return m_world->activate(pid, allWindows);
}

bool SimWorkspace::hideOtherApplications(pid_t keep) {
    return m_world->hideOtherApplications(keep);
}

bool SimWorkspace::isDarkAppearance() const {
    return m_dark;
}

Color SimWorkspace::accentColor() const {
    return m_accent;
}

bool SimWorkspace::increaseContrastEnabled() const {
    return m_increaseContrast;
}

void SimWorkspace::setDarkAppearance(bool dark) {
    m_dark = dark;
    appearanceChanged.emit();
}

void SimWorkspace::setAccentColor(const Color& color) {
    m_accent = color;
    appearanceChanged.emit();
}

void SimWorkspace::setIncreaseContrastEnabled(bool enabled) {
    m_increaseContrast = enabled;
    appearanceChanged.emit();
}

void SimWorkspace::simulateSleep() {
    willSleep.emit();
}

void SimWorkspace::simulateWake() {
    didWake.emit();
}

void SimWorkspace::simulateSpaceChange() {
    activeSpaceChanged.emit();
}
