#pragma once

#include "log-reader/ILRLogEntry.h"
#include "log-reader/ILRToolOutputReader.h"

#include <QByteArray>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class Processes;
class StreamingProcess;

// Runs the log tool (Processes::logToolPath) and cuts its JSON answer into batches of whole entries as
// it arrives: everything before the array is dropped, and each batch runs up to the last object that
// has ended (a "}" at the start of a line). A stream either runs on (the live stream, delivered on the
// main thread) or is read to its end on the calling thread (a worker's).
class ILRJSONLogStream : public std::enable_shared_from_this<ILRJSONLogStream> {
public:
    using Entries = std::vector<ILRLogEntry>;
    // Takes a batch, in order; answers whether to go on.
    using OutputHandler = std::function<bool(Entries& entries)>;

    // A batch that never ends within this many bytes is no output of the tool's: it is dropped.
    static constexpr qsizetype MaximumDataStoreBytes = 1 << 20;
    // A tool that writes nothing for this long is ended.
    static constexpr double SilenceTimeoutSeconds = 30;

    // Starts the tool. Without wait, the batches reach the handler on the main thread until terminate(),
    // and the handler's answer is not heeded. With wait, this reads the tool to its end on the calling
    // thread, and a handler that answers false ends it. Null when the tool cannot be started.
    static std::shared_ptr<ILRJSONLogStream> initWithArguments(Processes& processes,
                                                               const QStringList& arguments,
                                                               OutputHandler outputHandler,
                                                               bool waitUntilExit);
    // Runs one stream to its end on the calling thread (workers only); the handler learns everything.
    static void waitForStreamWithArguments(Processes& processes, const QStringList& arguments,
                                           OutputHandler outputHandler);

    // Ends the tool if it still runs; the handler is not called again.
    void terminate();

    // The splitting alone, for the streams above and for tests: takes the next piece of the tool's
    // output and answers what the handler answered (true when it was not called).
    explicit ILRJSONLogStream(OutputHandler outputHandler);
    ~ILRJSONLogStream();
    bool readabilityHandler(const QByteArray& data);

private:
    // The entries of the candidate text, one object at a time when the whole does not parse.
    Entries entriesOf(QByteArrayView candidate);

    std::unique_ptr<StreamingProcess> task;
    // Whether the readability handler is installed: terminate() removes it.
    std::atomic<bool> pipe{true};
    QByteArray dataStore;
    OutputHandler outputHandler;
    bool removeHeader = true;

    bool m_reportedMalformedOutput = false;
    ILRToolOutputReader m_reader;
};
