#pragma once

// The program's settings window as keyboard control opens it, on "," in the keyboard menu and the
// full-size grid. Keyboard control's controller answers it from the main controller's areas.
class ZRSettingsWindowOpener {
public:
    virtual ~ZRSettingsWindowOpener() = default;
    virtual bool canOpenSettingsWindow() const = 0;
    // Brings it forward; false when it could not.
    virtual bool openSettingsWindow() = 0;
};
