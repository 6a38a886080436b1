#pragma once

#include "platform/Workspace.h"

#include <sys/types.h>

#include <QString>
#include <vector>

class SimWindow;
class SimWorld;

// One running application of the simulated desktop, and the handle tests script it through.
class SimApplication {
public:
    pid_t pid() const { return m_pid; }
    QString name() const;
    RunningApplication info() const;

    void setElectron(bool electron);
    void setHidden(bool hidden);
    // How long the application takes to answer an accessibility call. Above the messaging timeout
    // every call answers CannotComplete and changes nothing; no one waits for it.
    void setResponseTime(double seconds);

    // Makes the application frontmost, as the workspace would.
    void activate(bool allWindows = false);
    // Quits: its windows close, its elements answer InvalidElement, the workspace reports it.
    void terminate();

private:
    friend class SimWorld;
    friend class SimWindow;
    friend class SimElement;

    SimApplication(SimWorld& world, pid_t pid, const QString& bundleIdentifier, const QString& name,
                   double launchTime);

    RunningApplication infoLocked() const;

    SimWorld& m_world;
    const pid_t m_pid;
    QString m_bundleIdentifier;
    QString m_name;
    QString m_executablePath;
    double m_launchTime;
    bool m_electron = false;
    bool m_hidden = false;
    double m_responseTime = 0;
    bool m_terminated = false;
};
