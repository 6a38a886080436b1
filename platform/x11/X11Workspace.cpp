#include "platform/x11/X11Workspace.h"

#include "platform/PlatformLog.h"
#include "platform/SystemPreferences.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11SleepWatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// The global preference that tells the desktop's light or dark appearance.
const QString InterfaceStyleKey = QStringLiteral("AppleInterfaceStyle");
const QString DarkStyle = QStringLiteral("Dark");
// X11 desktops have no accent colour of their own: the usual blue.
constexpr Color DefaultAccentColor{0.0, 0.478, 1.0, 1.0};
// Field of /proc/PID/stat that holds the start time, counted from 1.
constexpr int StartTimeField = 22;

bool processIsGone(pid_t pid) {
    if (::kill(pid, 0) != 0 && errno != EPERM)
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const int end = text.lastIndexOf(')');
    return end > 0 && text.mid(end + 2, 1) == "Z";
}

// Seconds since the epoch at which the system started; it does not change while we run.
double bootTime() {
    static const double time = [] {
        QFile system(QStringLiteral("/proc/stat"));
        if (!system.open(QIODevice::ReadOnly))
            return 0.0;
        static const QByteArray bootTimeLabel = "btime ";
        for (const QByteArray& line : system.readAll().split('\n'))
            if (line.startsWith(bootTimeLabel))
                return line.mid(bootTimeLabel.size()).trimmed().toDouble();
        return 0.0;
    }();
    return time;
}

double launchTimeOf(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which may hold spaces, start with the third.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    constexpr int firstField = 3;
    if (fields.size() <= StartTimeField - firstField)
        return 0;
    const double ticks = fields[StartTimeField - firstField].toDouble();
    return bootTime() + ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

} // namespace

X11Workspace::X11Workspace(std::shared_ptr<X11Desktop> desktop, SystemPreferences& preferences)
    : m_desktop(std::move(desktop)), m_preferences(preferences),
      m_sleepWatcher(std::make_unique<X11SleepWatcher>()) {
    m_frontmost = frontmostProcess();
    for (const auto& [pid, window] : applicationWindows())
        m_processes.insert(pid);
    m_connections.push_back(m_desktop->activeWindowChanged.connect([this] { activeWindowChanged(); }));
    m_connections.push_back(m_desktop->clientsChanged.connect([this] { clientsChanged(); }));
    m_connections.push_back(m_desktop->currentDesktopChanged.connect([this] { activeSpaceChanged.emit(); }));
    m_connections.push_back(m_sleepWatcher->willSleep.connect([this] { willSleep.emit(); }));
    m_connections.push_back(m_sleepWatcher->didWake.connect([this] { didWake.emit(); }));
}

X11Workspace::~X11Workspace() = default;

std::vector<std::pair<pid_t, std::uint32_t>> X11Workspace::applicationWindows() const {
    const auto clients = m_desktop->clientsFrontToBack();
    std::vector<std::pair<pid_t, std::uint32_t>> windows;
    for (const X11WindowInfo& info :
         m_desktop->infos(clients, X11Property::Pid | X11Property::Type | X11Property::State)) {
        const X11WindowKind kind = m_desktop->kindOf(info);
        if (info.exists && info.pid > 0 && (kind == X11WindowKind::Normal || kind == X11WindowKind::Floating))
            windows.emplace_back(info.pid, info.window);
    }
    return windows;
}

pid_t X11Workspace::frontmostProcess() const {
    const std::uint32_t active = m_desktop->activeWindow();
    if (active == XCB_WINDOW_NONE)
        return 0;
    const X11WindowInfo info = m_desktop->info(active, X11Property::Pid);
    return info.exists ? info.pid : 0;
}

std::optional<RunningApplication> X11Workspace::describe(pid_t pid) const {
    if (pid <= 0)
        return std::nullopt;
    std::vector<std::uint32_t> windows;
    for (const auto& [owner, window] : applicationWindows())
        if (owner == pid)
            windows.push_back(window);
    if (windows.empty() && processIsGone(pid))
        return std::nullopt;
    RunningApplication application;
    application.processIdentifier = pid;
    const auto infos = m_desktop->infos(windows, X11Property::Class | X11Property::State);
    for (const X11WindowInfo& info : infos)
        if (!info.className.isEmpty()) {
            application.bundleIdentifier = QString::fromUtf8(info.className).toLower();
            application.localizedName = QString::fromUtf8(info.className);
            break;
        }
    const Identity identity = identityOf(pid, windows);
    application.executablePath = identity.executablePath;
    if (application.localizedName.isEmpty())
        application.localizedName = QFileInfo(application.executablePath).fileName();
    application.launchTime = identity.launchTime;
    application.isElectron = identity.isElectron;
    application.isHidden =
        !infos.empty() && std::all_of(infos.begin(), infos.end(),
                                      [&](const X11WindowInfo& info) { return m_desktop->isHidden(info); });
    return application;
}

X11Workspace::Identity X11Workspace::identityOf(pid_t pid, const std::vector<std::uint32_t>& windows) const {
    // A process is looked at once while it keeps a window it had: a number used again by a new
    // process cannot own the old process's windows.
    {
        std::lock_guard lock(m_identitiesMutex);
        auto it = m_identities.find(pid);
        if (it != m_identities.end() && std::any_of(windows.begin(), windows.end(), [&](std::uint32_t w) {
                return std::find(it->second.windows.begin(), it->second.windows.end(), w) !=
                       it->second.windows.end();
            })) {
            it->second.windows = windows;
            return it->second;
        }
    }
    Identity identity;
    identity.windows = windows;
    identity.executablePath = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    identity.launchTime = launchTimeOf(pid);
    // Electron applications carry their code beside the executable.
    const QFileInfo executable(identity.executablePath);
    identity.isElectron = executable.fileName() == QLatin1String("electron") ||
                          QFile::exists(executable.absolutePath() + QStringLiteral("/resources/app.asar"));
    std::lock_guard lock(m_identitiesMutex);
    if (windows.empty())
        m_identities.erase(pid);
    else
        m_identities[pid] = identity;
    return identity;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() const {
    return describe(frontmostProcess());
}

std::vector<RunningApplication> X11Workspace::runningApplications() const {
    std::vector<RunningApplication> applications;
    std::set<pid_t> seen;
    for (const auto& [pid, window] : applicationWindows())
        if (seen.insert(pid).second)
            if (auto application = describe(pid))
                applications.push_back(*application);
    return applications;
}

std::optional<RunningApplication> X11Workspace::applicationWithProcessIdentifier(pid_t pid) const {
    return describe(pid);
}

bool X11Workspace::activateApplication(pid_t pid, bool allWindows) {
    std::vector<std::uint32_t> windows;
    for (const auto& [owner, window] : applicationWindows())
        if (owner == pid)
            windows.push_back(window);
    if (windows.empty())
        return false;
    if (!allWindows)
        return m_desktop->activate(windows.front());
    // From the back, so that the frontmost ends in front with the focus.
    bool activated = true;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        activated = m_desktop->activate(*it) && activated;
    return activated;
}

bool X11Workspace::hideOtherApplications(pid_t keep) {
    bool hidden = true;
    for (const auto& [pid, window] : applicationWindows())
        if (pid != keep)
            hidden = m_desktop->iconify(window) && hidden;
    return hidden;
}

bool X11Workspace::isDarkAppearance() const {
    return m_preferences.value(SystemPreferences::GlobalDomain, InterfaceStyleKey).toString() == DarkStyle;
}

Color X11Workspace::accentColor() const {
    return DefaultAccentColor;
}

void X11Workspace::activeWindowChanged() {
    const pid_t now = frontmostProcess();
    if (now == m_frontmost)
        return;
    m_frontmost = now;
    activeApplicationChanged.emit(describe(now));
}

void X11Workspace::clientsChanged() {
    std::set<pid_t> now;
    for (const auto& [pid, window] : applicationWindows())
        now.insert(pid);
    std::vector<pid_t> ended;
    for (pid_t pid : m_processes)
        if (!now.contains(pid) && processIsGone(pid))
            ended.push_back(pid);
    // Processes that closed their windows but still run stay known until they end.
    for (pid_t pid : m_processes)
        if (!now.contains(pid) && !processIsGone(pid))
            now.insert(pid);
    m_processes = now;
    {
        std::lock_guard lock(m_identitiesMutex);
        for (pid_t pid : ended)
            m_identities.erase(pid);
    }
    for (pid_t pid : ended)
        applicationTerminated.emit(pid);
}
