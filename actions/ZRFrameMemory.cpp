#include "actions/ZRFrameMemory.h"

#include <algorithm>

std::optional<ZRFrameMemory::WindowKey> ZRFrameMemory::keyForWindow(const AXElementRef& window) {
    if (!window)
        return std::nullopt;
    const pid_t process = window->processIdentifier();
    const std::optional<WindowNumber> number = window->windowNumber();
    if (process <= 0 || !number)
        return std::nullopt;
    return WindowKey{process, *number};
}

ZRFrameMemory::ZRFrameMemory(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1)) {}

template <class Value>
void ZRFrameMemory::insert(std::map<WindowKey, Entry<Value>>& map, const WindowKey& key, Value value) {
    auto found = map.find(key);
    if (found == map.end() && map.size() >= m_capacity) {
        const auto oldest = std::min_element(
            map.begin(), map.end(), [](const auto& a, const auto& b) { return a.second.use < b.second.use; });
        map.erase(oldest);
    }
    map.insert_or_assign(key, Entry<Value>{std::move(value), ++m_nextUse});
}

template <class Value>
std::optional<Value> ZRFrameMemory::lookUp(const std::map<WindowKey, Entry<Value>>& map,
                                           const AXElementRef& window) {
    const auto key = keyForWindow(window);
    const auto found = key ? map.find(*key) : map.end();
    if (found == map.end())
        return std::nullopt;
    return found->second.value;
}

std::optional<ZROriginalFrameRepresentation> ZRFrameMemory::originalFrame(const AXElementRef& window) const {
    return lookUp(m_originals, window);
}

bool ZRFrameMemory::setOriginalFrame(const AXElementRef& window, const Rect& frame, double timestamp) {
    const auto key = keyForWindow(window);
    if (!key)
        return false;
    insert(m_originals, *key, ZROriginalFrameRepresentation(window, frame, timestamp));
    return true;
}

void ZRFrameMemory::removeOriginalFrame(const AXElementRef& window) {
    if (const auto key = keyForWindow(window))
        m_originals.erase(*key);
}

std::optional<ZRLastSkafFrameRepresentation> ZRFrameMemory::lastFrame(const AXElementRef& window) const {
    return lookUp(m_lasts, window);
}

bool ZRFrameMemory::setLastFrame(const AXElementRef& window, const Rect& frame, std::int64_t position) {
    const auto key = keyForWindow(window);
    if (!key)
        return false;
    insert(m_lasts, *key, ZRLastSkafFrameRepresentation(window, frame, position));
    return true;
}

void ZRFrameMemory::removeLastFrame(const AXElementRef& window) {
    if (const auto key = keyForWindow(window))
        m_lasts.erase(*key);
}

void ZRFrameMemory::forgetProcess(pid_t processIdentifier) {
    const auto ofProcess = [processIdentifier](const auto& entry) {
        return entry.first.processIdentifier == processIdentifier;
    };
    std::erase_if(m_originals, ofProcess);
    std::erase_if(m_lasts, ofProcess);
}
