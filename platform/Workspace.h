#pragma once

#include "platform/Signal.h"

#include <sys/types.h>

#include <QString>
#include <optional>
#include <vector>

struct RunningApplication {
    pid_t processIdentifier = 0;
    QString bundleIdentifier; // may be empty: the application has none
    QString localizedName;
    QString executablePath;
    double launchTime = 0;   // seconds since the epoch; with the process it names one run
    bool isElectron = false; // built on Electron, whose title-bar buttons report themselves disabled
    bool isHidden = false;
};

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    friend bool operator==(const Color&, const Color&) = default;
};

class Workspace {
public:
    virtual ~Workspace() = default;

    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    virtual std::vector<RunningApplication> runningApplications() const = 0;
    virtual std::optional<RunningApplication> applicationWithProcessIdentifier(pid_t pid) const = 0;

    virtual bool activateApplication(pid_t pid, bool allWindows) = 0;
    virtual bool hideOtherApplications(pid_t keep) = 0;

    // The desktop's appearance.
    virtual bool isDarkAppearance() const = 0;
    virtual Color accentColor() const = 0;
    // False where the desktop has no such setting.
    virtual bool increaseContrastEnabled() const = 0;

    Signal<const std::optional<RunningApplication>&> activeApplicationChanged;
    Signal<pid_t> applicationTerminated;
    Signal<> activeSpaceChanged;
    Signal<> willSleep;
    Signal<> didWake;
    Signal<> appearanceChanged;
};
