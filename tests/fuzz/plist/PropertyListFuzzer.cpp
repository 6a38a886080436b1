#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <cstdlib>

// Any bytes give a value or a reason, never a crash; what was read and can be written reads back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result =
        PropertyList::fromData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (result.ok() != result.value.isValid())
        std::abort();
    // The quick XML reader and the full one agree, on the value or on the reason.
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!input.startsWith("bplist") && !input.isEmpty()) {
        const auto full = PropertyList::fromXmlDataWithFullReader(input);
        if (full.error != result.error ||
            (result.ok() && PropertyList::toData(full.value) != PropertyList::toData(result.value)))
            std::abort();
    }
    if (!result.ok())
        return 0;
    // Text from binary input may hold characters XML cannot carry: a refusal, not a fault.
    const QByteArray written = PropertyList::toData(result.value);
    if (!written.isEmpty() && !PropertyList::fromData(written).ok())
        std::abort();
    return 0;
}
