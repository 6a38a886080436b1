#include "actions/ZRWindowMatching.h"

#include "platform/Platform.h"
#include "window-access/RunningApplicationCache.h"
#include "window-access/WindowDescription.h"
#include "window-access/WindowRelevance.h"

#include <limits>

namespace {

struct Wanted {
    bool valid = false;
    QString bundleIdentifier;
    QString applicationName;
    QString title;
    WindowNumber number = 0;
};

Wanted wantedOf(const QVariant& value) {
    Wanted wanted;
    if (value.typeId() != QMetaType::QVariantMap)
        return wanted;
    const QVariantMap description = value.toMap();
    wanted.bundleIdentifier = description.value(ZRWindowDescriptionKey::BundleIdentifier).toString();
    wanted.applicationName = description.value(ZRWindowDescriptionKey::ApplicationName).toString();
    wanted.title = description.value(ZRWindowDescriptionKey::WindowTitle).toString();
    bool isNumber = false;
    const qint64 number = description.value(ZRWindowDescriptionKey::WindowNumber).toLongLong(&isNumber);
    if (isNumber && number > 0 && number <= qint64(std::numeric_limits<WindowNumber>::max()))
        wanted.number = WindowNumber(number);
    wanted.valid = !wanted.bundleIdentifier.isEmpty() || !wanted.applicationName.isEmpty();
    return wanted;
}

bool sameApplication(const Wanted& wanted, const ZRRunningWindow& window) {
    if (!wanted.bundleIdentifier.isEmpty())
        return wanted.bundleIdentifier == window.bundleIdentifier;
    return window.bundleIdentifier.isEmpty() && wanted.applicationName == window.entry.ownerName;
}

} // namespace

std::vector<ZRRunningWindow> ZRRunningWindows() {
    std::vector<ZRRunningWindow> windows;
    if (!Platform::hasCurrent())
        return windows;
    for (const WindowListEntry& entry : Platform::current().windowServer().windowList(false)) {
        if (entry.bounds.isEmpty() ||
            !relevantLowercaseBundleIdentifierOrNullWithWindowFrame(entry, entry.bounds))
            continue;
        const auto application = RunningApplicationCache::shared().entry(entry.ownerPID);
        if (!application)
            continue;
        windows.push_back({entry, application->bundleIdentifier});
    }
    return windows;
}

std::vector<std::optional<std::size_t>>
ZRMatchWindowDescriptions(const QVariantList& windowDescriptions,
                          const std::vector<ZRRunningWindow>& windows) {
    std::vector<Wanted> wanted;
    wanted.reserve(static_cast<std::size_t>(windowDescriptions.size()));
    for (const QVariant& value : windowDescriptions)
        wanted.push_back(wantedOf(value));

    std::vector<std::optional<std::size_t>> matches(wanted.size());
    std::vector<bool> taken(windows.size(), false);
    enum class By { Number, Title, Order };
    const auto pass = [&](By by) {
        for (std::size_t d = 0; d < wanted.size(); ++d) {
            if (!wanted[d].valid || matches[d])
                continue;
            for (std::size_t w = 0; w < windows.size(); ++w) {
                if (taken[w] || !sameApplication(wanted[d], windows[w]))
                    continue;
                if (by == By::Number &&
                    (wanted[d].number == 0 || windows[w].entry.number != wanted[d].number))
                    continue;
                if (by == By::Title && windows[w].entry.title != wanted[d].title)
                    continue;
                matches[d] = w;
                taken[w] = true;
                break;
            }
        }
    };
    pass(By::Number);
    pass(By::Title);
    pass(By::Order);
    return matches;
}
