#pragma once

#include <QString>
#include <optional>

class ILRIntegratedLogReader;

// What a host may tell the log reader; every answer is optional (an empty one: the host does not answer).
// The program sets no delegate: the reader then works from its debug-logging setting, its own predicate
// and the default level.
class ILRIntegratedLogReaderDelegate {
public:
    virtual ~ILRIntegratedLogReaderDelegate() = default;

    virtual std::optional<bool> isDebugLoggingEnabledForLogReader(ILRIntegratedLogReader&) { return {}; }
    // Whether the host takes setDebugLoggingEnabled.
    virtual bool setsDebugLogging() const { return false; }
    virtual void setDebugLoggingEnabled(bool, ILRIntegratedLogReader&) {}
    // The name of the interface to build the window from.
    virtual std::optional<QString> nibForLogReader(ILRIntegratedLogReader&) { return {}; }
    // The name the window's frame is saved under; an empty name inside: none.
    virtual std::optional<QString> windowFrameAutosaveNameForLogReader(ILRIntegratedLogReader&) { return {}; }
    virtual std::optional<QString> filteringPredicateForLogReader(ILRIntegratedLogReader&) { return {}; }
    virtual std::optional<unsigned> filteringLevelForLogReader(ILRIntegratedLogReader&) { return {}; }
};
