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
    bool compositingActive() const override { return m_compositing; }

    // A compositing manager starts or stops; none runs at first, as on many X11 desktops.
    void setCompositingActive(bool active);

private:
    std::shared_ptr<SimWorld> m_world;
    Connection m_changed;
    bool m_compositing = false;
};
