#pragma once

#include "platform/Workspace.h"

#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

class SystemPreferences;
class X11Desktop;
class X11SleepWatcher;

// Applications are the processes behind the managed windows; the frontmost one owns the active
// window. Hiding means iconifying.
class X11Workspace : public Workspace {
public:
    X11Workspace(std::shared_ptr<X11Desktop> desktop, SystemPreferences& preferences);
    ~X11Workspace() override;

    std::optional<RunningApplication> frontmostApplication() const override;
    std::vector<RunningApplication> runningApplications() const override;
    std::optional<RunningApplication> applicationWithProcessIdentifier(pid_t pid) const override;
    bool activateApplication(pid_t pid, bool allWindows) override;
    bool hideOtherApplications(pid_t keep) override;
    bool isDarkAppearance() const override;
    Color accentColor() const override;
    bool increaseContrastEnabled() const override { return false; }

private:
    // Windows of every process, front to back, that an application may be activated or hidden by.
    std::vector<std::pair<pid_t, std::uint32_t>> applicationWindows() const;
    std::optional<RunningApplication> describe(pid_t pid) const;
    // What the process's files say of it, which does not change while it runs.
    struct Identity {
        std::vector<std::uint32_t> windows; // those it had when last looked at
        QString executablePath;
        double launchTime = 0;
        bool isElectron = false;
    };
    Identity identityOf(pid_t pid, const std::vector<std::uint32_t>& windows) const;
    pid_t frontmostProcess() const;
    void activeWindowChanged();
    void clientsChanged();

    std::shared_ptr<X11Desktop> m_desktop;
    SystemPreferences& m_preferences;
    std::unique_ptr<X11SleepWatcher> m_sleepWatcher;
    pid_t m_frontmost = 0;
    std::set<pid_t> m_processes;
    mutable std::mutex m_identitiesMutex;
    mutable std::map<pid_t, Identity> m_identities;
    std::vector<Connection> m_connections;
};
