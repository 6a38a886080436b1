#include "window-access/RunningApplicationCache.h"

#include "platform/MainThread.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"

RunningApplicationCache& RunningApplicationCache::shared() {
    static RunningApplicationCache cache;
    return cache;
}

bool RunningApplicationCache::attach(Workspace& workspace) {
    if (m_workspace == &workspace && !m_workspaceAlive.expired())
        return true;
    m_entries.clear();
    // Signals are delivered, connected and disconnected on the main thread only.
    if (!isMainThread())
        return false;
    m_terminated.disconnect();
    m_workspace = nullptr;
    auto alive = std::make_shared<int>(0);
    m_workspaceAlive = alive;
    m_terminated = workspace.applicationTerminated.connect([this, alive](pid_t processIdentifier) {
        std::lock_guard lock(m_mutex);
        m_entries.remove(processIdentifier);
    });
    m_workspace = &workspace;
    return true;
}

std::optional<RunningApplicationCache::Entry> RunningApplicationCache::entry(pid_t processIdentifier) {
    if (!Platform::hasCurrent())
        return std::nullopt;
    Workspace& workspace = Platform::current().workspace();
    bool cacheable = false;
    {
        std::lock_guard lock(m_mutex);
        cacheable = attach(workspace);
        if (cacheable) {
            const auto it = m_entries.constFind(processIdentifier);
            if (it != m_entries.constEnd())
                return *it;
        }
    }
    const auto application = workspace.applicationWithProcessIdentifier(processIdentifier);
    if (!application)
        return std::nullopt;
    Entry entry{application->bundleIdentifier, application->bundleIdentifier.toLower(),
                application->isElectron};
    // An application may not have named itself yet when its first window appears; ask again later.
    if (cacheable && !entry.bundleIdentifier.isEmpty()) {
        std::lock_guard lock(m_mutex);
        if (m_workspace == &workspace)
            m_entries.insert(processIdentifier, entry);
    }
    return entry;
}

void RunningApplicationCache::clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}
