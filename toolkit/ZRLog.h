#pragma once

#include "toolkit/ZRLogFormat.h"
#include "window-access/WindowAccessDefaults.h"

#include <QString>
#include <functional>
#include <memory>

class QAction;
class QObject;

// The program's log. Every line goes to the log reader once one has installed itself, else straight to
// the system log (ZRSystemLog.h). The format is a string literal checked against the arguments when the
// program is built (see ZRLogFormat.h), so a caller's text can never act as a format.
//
//     ZRLog("cannot export to URL: %@", url);
//
// Lines that begin "[Debug] " are for debug logging: callers test ZRDebugLogEnabled() first.
template <class... Args> void ZRLog(ZRLogFormat<std::type_identity_t<Args>...> format, const Args&... args) {
    ZRLogMessage(zrlog_detail::formatMessage(format.text(), {ZRLogArgument(args)...}));
}

// Writes one finished line; never fails, from any thread.
void ZRLogMessage(const QString& message);

// Whether debug logging is on (ZRDebugLogUserDefaultName in the settings the program follows, see
// WindowAccessDefaults::followDebugLogSetting). From any thread.
bool ZRDebugLogEnabled();

// The log reader, which lies above this folder, takes over the lines through this hook.
class ZRLogReader {
public:
    virtual ~ZRLogReader() = default;
    // Every line of the program, from any thread; the reader writes it to the system log itself
    // (ZRSystemLog::shared().write) and may keep it for its window. Must not block.
    virtual void logMessage(const QString& message) = 0;
    // Shows the log window. Main thread.
    virtual void displayLog(QObject* sender) = 0;
};

// What the log glue tells the reader it makes.
struct ZRLogReaderSettings {
    // The settings key of the debug-logging switch.
    QString debugLoggingUserDefaultName;
    // Gives a menu item a symbol image by name.
    std::function<void(QAction* item, const QString& symbolName)> menuItemActionImageSetter;
};

// Makes the reader, or answers null when this desktop cannot show a log. Called at most once per
// installed factory, at the first use of the log on the main thread after it is installed, so the reader
// belongs to the main thread as every window does; lines of other threads go straight to the system log
// until then.
using ZRLogReaderFactory = std::function<std::shared_ptr<ZRLogReader>(const ZRLogReaderSettings& settings)>;

// Installs the factory; a reader made by an earlier factory is forgotten. An empty one uninstalls.
void ZRSetLogReaderFactory(ZRLogReaderFactory factory);

// Shows the log window when there is a log reader; false when there is none.
bool ZRDisplayDebugLog(QObject* sender);
// Whether the log reader exists (making it first when a factory waits).
bool ZRDebugLogReaderExists();

// Routes the platform layer's diagnostics into this log. Done when the program starts; calling it again
// does nothing more.
void ZRInstallPlatformLogSink();
