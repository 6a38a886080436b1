#pragma once

#include "platform/Signal.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowDescription.h"

#include <QVariantList>
#include <functional>
#include <vector>

class RunLoop;

// Lists the relevant windows of other applications as window descriptions, front to back; the
// program's own windows are left out.
class ZRExternalWindowMonitor {
public:
    // The descriptions come back on the main run loop.
    explicit ZRExternalWindowMonitor(RunLoop& mainRunLoop) : m_mainRunLoop(mainRunLoop) {}

    using Completion = std::function<void(const QVariantList& windowDescriptions)>;
    // Enumerates on the background worker and hands the descriptions to the completion on the main
    // thread, unless the returned connection has ended by then. The windows are placed on the virtual
    // screens of the settings' layout.
    [[nodiscard]] Connection enumerateWindows(Completion completion, const UserDefaults& defaults);

    // The enumeration itself, on the calling thread; each window is placed on the most relevant of the
    // given virtual screens (the first when it lies on none).
    static QVariantList windowDescriptions(const std::vector<ZRVirtualScreen>& screens);

private:
    RunLoop& m_mainRunLoop;
};
