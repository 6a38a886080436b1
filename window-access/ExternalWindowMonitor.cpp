#include "window-access/ExternalWindowMonitor.h"

#include "platform/Platform.h"
#include "platform/WindowServer.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "window-access/Coordinates.h"
#include "window-access/RunningApplicationCache.h"
#include "window-access/WindowRelevance.h"

#include <memory>
#include <unistd.h>

Connection ZRExternalWindowMonitor::enumerateWindows(Completion completion, const UserDefaults& defaults) {
    // The screens as they are when asked: the windows are listed as they stand then too.
    auto screens = ZRVirtualScreen::screens(defaults);
    auto wanted = std::make_shared<bool>(true);
    DispatchQueue::global(QueuePriority::Background)
        .async([&mainRunLoop = m_mainRunLoop, screens = std::move(screens),
                completion = std::move(completion), wanted]() mutable {
            QVariantList descriptions = windowDescriptions(screens);
            mainRunLoop.performOnMainThread(
                [descriptions = std::move(descriptions), completion = std::move(completion), wanted] {
                    if (*wanted && completion)
                        completion(descriptions);
                });
        });
    return Connection([wanted] { *wanted = false; });
}

QVariantList ZRExternalWindowMonitor::windowDescriptions(const std::vector<ZRVirtualScreen>& screens) {
    QVariantList descriptions;
    if (!Platform::hasCurrent())
        return descriptions;
    const double primaryHeight =
        screens.empty() ? ZRPrimaryScreenHeight() : screens.front().hostScreen().frame.height();
    // Our own windows (the settings window, overlays) are no part of the user's layouts.
    const pid_t ownProcess = ::getpid();
    for (const WindowListEntry& entry : Platform::current().windowServer().windowList(true)) {
        if (entry.ownerPID == ownProcess || entry.bounds.isEmpty() ||
            !relevantLowercaseBundleIdentifierOrNullWithWindowFrame(entry, entry.bounds))
            continue;
        const auto application = RunningApplicationCache::shared().entry(entry.ownerPID);
        ZRWindowDescriptionFields fields;
        fields.bundleIdentifier = application ? application->bundleIdentifier : QString();
        fields.applicationName = entry.ownerName;
        fields.windowTitle = entry.title;
        fields.windowFrame = ZRFlipRect(entry.bounds, primaryHeight);
        fields.windowNumber = entry.number;
        if (const auto screen =
                ZRVirtualScreen::virtualScreenMostRelevantForFrame(fields.windowFrame, screens, true)) {
            fields.screenFrame = screen->frame();
            fields.availableScreenFrame = screen->skafableFrame();
        }
        descriptions.append(ZRMakeWindowDescription(fields));
    }
    return descriptions;
}
