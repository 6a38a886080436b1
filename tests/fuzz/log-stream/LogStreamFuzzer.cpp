#include "log-reader/ILRJSONLogStream.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

// Any output of the log tool, cut anywhere, gives entries or nothing, never a crash, and never more
// entries than objects that end.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    const qsizetype cut = qsizetype(data[0]) % (bytes.size() + 1);
    qsizetype count = 0;
    ILRJSONLogStream stream([&](std::vector<ILRLogEntry>& entries) {
        count += qsizetype(entries.size());
        return true;
    });
    stream.readabilityHandler(bytes.left(cut));
    stream.readabilityHandler(bytes.mid(cut));
    if (count > bytes.count("\n}"))
        std::abort();
    return 0;
}
