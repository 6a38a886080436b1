#include "toolkit/ZRLog.h"

#include "platform/MainThread.h"
#include "platform/PlatformLog.h"
#include "toolkit/MenuItemExtensions.h"
#include "toolkit/ZRSystemLog.h"

#include <mutex>

namespace {

struct ReaderState {
    std::mutex mutex;
    ZRLogReaderFactory factory;
    bool factoryTried = false;
    unsigned long long factoryGeneration = 0;
    std::shared_ptr<ZRLogReader> reader;
};

ReaderState& readerState() {
    // Never destroyed: threads may still log while the program exits.
    static auto* state = new ReaderState;
    return *state;
}

ZRLogReaderSettings readerSettings() {
    ZRLogReaderSettings settings;
    settings.debugLoggingUserDefaultName = QString::fromUtf16(ZRDebugLogUserDefaultName);
    settings.menuItemActionImageSetter = [](QAction* item, const QString& symbolName) {
        setMacOS26ImageWithSystemSymbolName(item, symbolName);
    };
    return settings;
}

// The reader, made on the main thread's first use once a factory is installed. The factory runs outside
// the lock, so a reader that logs while it is made does not wait on itself; its lines, and those of other
// threads meanwhile, go straight to the system log.
std::shared_ptr<ZRLogReader> logReader() {
    ReaderState& state = readerState();
    ZRLogReaderFactory factory;
    unsigned long long generation = 0;
    {
        std::lock_guard lock(state.mutex);
        if (state.factoryTried || !state.factory || !isMainThread())
            return state.reader;
        state.factoryTried = true;
        factory = state.factory;
        generation = state.factoryGeneration;
    }
    auto reader = factory(readerSettings());
    std::lock_guard lock(state.mutex);
    // A factory installed meanwhile wins; this reader is dropped.
    if (state.factoryGeneration == generation)
        state.reader = std::move(reader);
    return state.reader;
}

const bool platformSinkInstalled = (ZRInstallPlatformLogSink(), true);

} // namespace

void ZRLogMessage(const QString& message) {
    if (const auto reader = logReader()) {
        reader->logMessage(message);
        return;
    }
    ZRSystemLog::shared().write(message);
}

void ZRSetLogReaderFactory(ZRLogReaderFactory factory) {
    ReaderState& state = readerState();
    std::lock_guard lock(state.mutex);
    state.factory = std::move(factory);
    state.factoryTried = false;
    ++state.factoryGeneration;
    state.reader.reset();
}

bool ZRDebugLogEnabled() {
    return WindowAccessDefaults::debugLogEnabled();
}

bool ZRDisplayDebugLog(QObject* sender) {
    const auto reader = logReader();
    if (!reader)
        return false;
    reader->displayLog(sender);
    return true;
}

bool ZRDebugLogReaderExists() {
    return logReader() != nullptr;
}

void ZRInstallPlatformLogSink() {
    static std::once_flag once;
    std::call_once(once, [] { setPlatformLogSink([](const QString& line) { ZRLog("%@", line); }); });
}
