#pragma once

#include <sys/types.h>

#include <QHash>
#include <QString>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/Signal.h"

class Workspace;

// What window access needs to know of a running application, looked up once per run of a process:
// an entry lasts until the workspace reports the process terminated, so a process number that is used
// again by a later start is looked up afresh. A new workspace (another backend) starts an empty cache.
// Applications without a bundle identifier are not kept: they may not have named themselves yet.
class RunningApplicationCache {
public:
    struct Entry {
        QString bundleIdentifier; // empty: the application has none
        QString lowercaseBundleIdentifier;
        bool isElectron = false;
    };

    static RunningApplicationCache& shared();

    // None when no running application has that process.
    std::optional<Entry> entry(pid_t processIdentifier);

    void clear();

private:
    // Whether the entries belong to the workspace; subscribes to it on the main thread.
    bool attach(Workspace& workspace);

    std::mutex m_mutex;
    QHash<pid_t, Entry> m_entries;
    Workspace* m_workspace = nullptr;
    Connection m_terminated;
    // Held only by the subscription, so it expires with the workspace's signal.
    std::weak_ptr<int> m_workspaceAlive;
};
