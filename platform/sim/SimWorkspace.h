#pragma once

#include "platform/Workspace.h"

#include <memory>
#include <vector>

class SimWorld;

// Applications, activation and appearance of the simulated desktop. Running applications are
// added through SimDesktop; their activation and termination are reported here.
class SimWorkspace : public Workspace {
public:
    explicit SimWorkspace(std::shared_ptr<SimWorld> world);

    std::optional<RunningApplication> frontmostApplication() const override;
    std::vector<RunningApplication> runningApplications() const override;
    std::optional<RunningApplication> applicationWithProcessIdentifier(pid_t pid) const override;
    bool activateApplication(pid_t pid, bool allWindows) override;
    bool hideOtherApplications(pid_t keep) override;
    bool isDarkAppearance() const override;
    Color accentColor() const override;
    bool increaseContrastEnabled() const override;

    void setDarkAppearance(bool dark);
    void setAccentColor(const Color& color);
    void setIncreaseContrastEnabled(bool enabled);
    void simulateSleep();
    void simulateWake();
    void simulateSpaceChange();

private:
    std::shared_ptr<SimWorld> m_world;
    bool m_dark = false;
    Color m_accent;
    bool m_increaseContrast = false;
    std::vector<Connection> m_connections;
};
