#pragma once

#include <optional>

// A settings control that changed: its state (1 on, 0 off) when it has one.
class ZRSettingsControlSender {
public:
    virtual ~ZRSettingsControlSender() = default;
    virtual std::optional<int> state() const = 0;
};

// The settings window's controls that show whether the palette is on.
class ZRMouseControlSettingsControls {
public:
    virtual ~ZRMouseControlSettingsControls() = default;
    virtual void setMouseControlSwitchState(bool on) = 0;
    virtual void setMouseControlTriggerSelectorEnabled(bool enabled) = 0;
    // The shroud around the palette's delay slider.
    virtual void setMouseControlDelayShrouded(bool shrouded) = 0;
    // The pop-up of "Hover Resize: Corner". Shroud-aware: it keeps this state apart from the shroud of the
    // hover settings, so it comes back as set when "Hover" is turned on again.
    virtual void setHoverResizeModeSelectorEnabled(bool enabled) = 0;
};
