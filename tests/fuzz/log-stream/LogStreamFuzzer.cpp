#include "log-reader/ILRJSONLogStream.h"
#include "platform/foundation/LogTimestamp.h"
#include "toolkit/ZRSystemLog.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

// The log tool's output, cut anywhere, gives the entries that a plain reference split with Qt's own JSON
// reader gives. Two kinds of input:
// - any bytes, cut in three: the stream and the reference, fed the same pieces, hand on the same batches;
// - tool output made from the bytes, its messages and paths, some objects broken, cut anywhere: the stream
//   hands on exactly the whole objects' entries, in order.
namespace {

using Batches = std::vector<std::vector<ILRLogEntry>>;

constexpr QByteArrayView ObjectEnd = "\n}";
constexpr QByteArrayView ArrayHeader = "\n[{";
constexpr std::uint8_t ToolOutputMode = 0x80;
constexpr char FieldSeparator = '\x1f';
constexpr int MaximumCuts = 4;

ILRLogEntry referenceEntry(const QJsonObject& object) {
    ILRLogEntry entry;
    entry.eventMessage = object.value("eventMessage").toString();
    entry.processImagePath = object.value("processImagePath").toString();
    entry.senderImagePath = object.value("senderImagePath").toString();
    entry.subsystem = object.value("subsystem").toString();
    const QString timestamp = object.value("timestamp").toString();
    int offset = 0;
    if (const auto date = LogTimestamp::parse(timestamp, &offset)) {
        entry.date = *date;
        entry.offsetSeconds = offset;
    } else {
        entry.unreadableTimestamp = timestamp;
    }
    return entry;
}

// The splitting as plainly as it can be written: the last object end, the header dropped once, the
// candidate read whole as an array or else object by object.
class ReferenceSplit {
public:
    void feed(const QByteArray& data) {
        store += data;
        qsizetype last = store.lastIndexOf(ObjectEnd);
        if (last < 0) {
            if (store.size() > ILRJSONLogStream::MaximumDataStoreBytes)
                store.clear();
            return;
        }
        if (std::exchange(removeHeader, false)) {
            const qsizetype header = store.first(last).indexOf(ArrayHeader);
            if (header > 0) {
                store.remove(0, header);
                last -= header;
            }
        }
        const qsizetype first = store.first(last).indexOf('{');
        if (first < 0)
            return;
        const qsizetype end = last + ObjectEnd.size();
        const QByteArray candidate = store.mid(first, end - first);
        store.remove(0, end);
        std::vector<ILRLogEntry> batch;
        const QJsonDocument whole = QJsonDocument::fromJson("[" + candidate + "]");
        if (whole.isArray()) {
            for (const QJsonValue& value : whole.array()) {
                if (value.isObject())
                    batch.push_back(referenceEntry(value.toObject()));
            }
        } else {
            // The candidate ends with an object end: every piece has one.
            for (qsizetype start = 0; start < candidate.size();) {
                const qsizetype objectEnd = candidate.indexOf(ObjectEnd, start) + ObjectEnd.size();
                const qsizetype objectStart = candidate.indexOf('{', start);
                if (objectStart >= 0 && objectStart < objectEnd) {
                    const QJsonDocument object =
                        QJsonDocument::fromJson(candidate.mid(objectStart, objectEnd - objectStart));
                    if (object.isObject())
                        batch.push_back(referenceEntry(object.object()));
                }
                start = objectEnd;
            }
        }
        if (!batch.empty())
            batches.push_back(std::move(batch));
    }

    Batches batches;

private:
    QByteArray store;
    bool removeHeader = true;
};

bool sameEntries(const std::vector<ILRLogEntry>& a, const std::vector<ILRLogEntry>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ILRLogEntry& x, const ILRLogEntry& y) {
        return x.eventMessage == y.eventMessage && x.processImagePath == y.processImagePath &&
               x.senderImagePath == y.senderImagePath && x.subsystem == y.subsystem && x.date == y.date &&
               x.offsetSeconds == y.offsetSeconds && x.unreadableTimestamp == y.unreadableTimestamp;
    });
}

Batches streamed(const QList<QByteArray>& pieces) {
    Batches batches;
    ILRJSONLogStream stream([&](std::vector<ILRLogEntry>& entries) {
        batches.push_back(entries);
        return true;
    });
    for (const QByteArray& piece : pieces)
        stream.readabilityHandler(piece);
    return batches;
}

// The pieces of the text cut at the positions (taken modulo its length, in order).
QList<QByteArray> cut(const QByteArray& text, QByteArrayView positions) {
    QList<qsizetype> cuts;
    for (const char position : positions)
        cuts << qsizetype(static_cast<std::uint8_t>(position)) * (text.size() + 1) / 256;
    std::sort(cuts.begin(), cuts.end());
    QList<QByteArray> pieces;
    qsizetype at = 0;
    for (const qsizetype position : cuts) {
        pieces << text.mid(at, position - at);
        at = position;
    }
    return pieces << text.mid(at);
}

void checkAgainstTheReference(QByteArrayView input) {
    const QList<QByteArray> pieces = cut(input.sliced(2).toByteArray(), input.first(2));
    ReferenceSplit reference;
    for (const QByteArray& piece : pieces)
        reference.feed(piece);
    const Batches batches = streamed(pieces);
    if (!std::equal(batches.begin(), batches.end(), reference.batches.begin(), reference.batches.end(),
                    sameEntries))
        std::abort();
}

// Objects from the fields of the input, in the tool's form; the ones whose first byte is odd are broken.
void checkToolOutput(QByteArrayView input) {
    const QByteArrayView cuts = input.first(std::min<qsizetype>(MaximumCuts, input.size()));
    QByteArray text = "Filtering the log data using \"" + input.toByteArray().replace('\n', ' ') + "\"\n";
    std::vector<ILRLogEntry> expected;
    const QList<QByteArray> fields = input.sliced(cuts.size()).toByteArray().split(FieldSeparator);
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QJsonObject object{{"eventMessage", QString::fromUtf8(fields[i])},
                                 {"processImagePath", QString::fromUtf8(fields[i + 1])},
                                 {"timestamp", LogTimestamp::format(qint64(i) * 1000, 3600)}};
        QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Indented).chopped(1);
        if (!fields[i].isEmpty() && fields[i][0] & 1)
            json.replace("\"eventMessage\": ", "\"eventMessage\"; ");
        else
            expected.push_back(referenceEntry(object));
        text += (i == 0 ? "[" : ",") + json;
    }
    text += "\n]\n";
    Batches batches = streamed(cut(text, cuts));
    std::vector<ILRLogEntry> all;
    for (auto& batch : batches)
        std::move(batch.begin(), batch.end(), std::back_inserter(all));
    if (!sameEntries(all, expected))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Malformed output is logged: not into the user's log, nor onto the terminal.
    ZRSystemLog::shared().setFilePath(QStringLiteral("/dev/null"));
    ZRSystemLog::shared().setEchoesToStandardError(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const QByteArrayView input(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    if (data[0] & ToolOutputMode)
        checkToolOutput(input);
    else
        checkAgainstTheReference(input);
    return 0;
}
