#pragma once

#include "platform/Screens.h"

#include <memory>

class SimWorld;

// The screens of the simulated desktop; changes are scripted through SimDesktop.
class SimScreens : public Screens {
public:
    explicit SimScreens(std::shared_ptr<SimWorld> world);

    std::vector<ScreenInfo> screens() const override;
    bool screensHaveSeparateSpaces() const override;

private:
    std::shared_ptr<SimWorld> m_world;
    Connection m_changed;
};
