#include "log-reader/ILRJSONLogStream.h"

#include "platform/Processes.h"
#include "toolkit/ZRLog.h"

namespace {

// The byte markers of the tool's answer.
constexpr char ObjectStart = '{';
constexpr QByteArrayView ObjectEnd = "\n}";
constexpr QByteArrayView ArrayHeader = "\n[{";

} // namespace

ILRJSONLogStream::ILRJSONLogStream(OutputHandler outputHandler) : outputHandler(std::move(outputHandler)) {}

ILRJSONLogStream::~ILRJSONLogStream() = default;

std::shared_ptr<ILRJSONLogStream> ILRJSONLogStream::initWithArguments(Processes& processes,
                                                                      const QStringList& arguments,
                                                                      OutputHandler outputHandler,
                                                                      bool waitUntilExit) {
    auto stream = std::make_shared<ILRJSONLogStream>(std::move(outputHandler));
    const QString program = processes.logToolPath();
    if (waitUntilExit) {
        const ProcessResult result = processes.read(
            program, arguments,
            [&stream](const QByteArray& data) { return stream->readabilityHandler(data); },
            SilenceTimeoutSeconds);
        if (!result.started)
            return nullptr;
        if (!result.standardError.isEmpty())
            ZRLog("[ILR] log tool: %@", QString::fromUtf8(result.standardError).trimmed());
        return stream;
    }
    // The handler may end and release the stream from inside a batch: the batch holds it meanwhile.
    std::weak_ptr<ILRJSONLogStream> weak = stream;
    stream->task = processes.start(
        program, arguments,
        [weak](const QByteArray& line) {
            if (const auto stream = weak.lock())
                stream->readabilityHandler(line + '\n');
        },
        [weak](const ProcessResult& result) {
            if (!result.standardError.isEmpty() && !weak.expired())
                ZRLog("[ILR] log tool: %@", QString::fromUtf8(result.standardError).trimmed());
        });
    if (!stream->task)
        return nullptr;
    return stream;
}

void ILRJSONLogStream::waitForStreamWithArguments(Processes& processes, const QStringList& arguments,
                                                  OutputHandler outputHandler) {
    if (const auto stream = initWithArguments(processes, arguments, std::move(outputHandler), true))
        stream->terminate();
}

void ILRJSONLogStream::terminate() {
    pipe = false;
    task.reset();
}

bool ILRJSONLogStream::readabilityHandler(const QByteArray& data) {
    if (!pipe)
        return false;
    if (data.isEmpty())
        return true;
    dataStore += data;
    qsizetype last = dataStore.lastIndexOf(ObjectEnd);
    if (last < 0) {
        if (dataStore.size() > MaximumDataStoreBytes) {
            ZRLog("[ILR] dropping %lld bytes of log output without an end",
                  static_cast<long long>(dataStore.size()));
            dataStore.clear();
        }
        return true;
    }
    if (removeHeader) {
        const qsizetype header = QByteArrayView(dataStore).first(last).indexOf(ArrayHeader);
        if (header > 0) {
            dataStore.remove(0, header);
            last -= header;
        }
        removeHeader = false;
    }
    const qsizetype first = QByteArrayView(dataStore).first(last).indexOf(ObjectStart);
    if (first < 0)
        return true;
    const qsizetype end = last + ObjectEnd.size();
    Entries entries = entriesOf(QByteArrayView(dataStore).sliced(first, end - first));
    // What remains begins with the "," (or "]") after the last object.
    dataStore.remove(0, end);
    if (entries.empty())
        return true;
    return outputHandler(entries);
}

ILRJSONLogStream::Entries ILRJSONLogStream::entriesOf(QByteArrayView candidate) {
    Entries entries;
    if (m_reader.readElements(candidate, entries))
        return entries;
    // One bad object must not hold back the good ones around it, now or later.
    if (!std::exchange(m_reportedMalformedOutput, true))
        ZRLog("[ILR] skipping malformed log output at byte %lld of a batch",
              static_cast<long long>(m_reader.errorOffset()));
    for (qsizetype start = 0; start < candidate.size();) {
        qsizetype end = candidate.indexOf(ObjectEnd, start);
        end = end < 0 ? candidate.size() : end + ObjectEnd.size();
        const qsizetype objectStart = candidate.indexOf(ObjectStart, start);
        if (objectStart >= 0 && objectStart < end)
            m_reader.readObject(candidate.sliced(objectStart, end - objectStart), entries);
        start = end;
    }
    return entries;
}
