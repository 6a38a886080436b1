#include "platform/sim/SimApplication.h"

#include "platform/sim/SimWindow.h"
#include "platform/sim/SimWorld.h"

SimApplication::SimApplication(SimWorld& world, pid_t pid, const QString& bundleIdentifier,
                               const QString& name, double launchTime)
    : m_world(world), m_pid(pid), m_bundleIdentifier(bundleIdentifier), m_name(name),
      m_executablePath(QStringLiteral("/usr/bin/") + name.toLower().remove(QLatin1Char(' '))),
      m_launchTime(launchTime) {}

QString SimApplication::name() const {
    return m_world.locked([&] { return m_name; });
}

RunningApplication SimApplication::info() const {
    return m_world.locked([&] { return infoLocked(); });
}

RunningApplication SimApplication::infoLocked() const {
    RunningApplication info;
    info.processIdentifier = m_pid;
    info.bundleIdentifier = m_bundleIdentifier;
    info.localizedName = m_name;
    info.executablePath = m_executablePath;
    info.launchTime = m_launchTime;
    info.isElectron = m_electron;
    info.isHidden = m_hidden;
    return info;
}

void SimApplication::setElectron(bool electron) {
    m_world.locked([&] { m_electron = electron; });
}

void SimApplication::setHidden(bool hidden) {
    m_world.setHidden(m_pid, hidden);
}

void SimApplication::setResponseTime(double seconds) {
    m_world.locked([&] { m_responseTime = seconds; });
}

void SimApplication::activate(bool allWindows) {
    m_world.activate(m_pid, allWindows);
}

void SimApplication::terminate() {
    m_world.terminate(m_pid);
}
