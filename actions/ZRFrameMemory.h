#pragma once

#include "platform/Accessibility.h"
#include "platform/Geometry.h"

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

// The frame memory's settings: whether frames are remembered at all (on by the action store's
// defaults), and whether original frames outlive the keyboard control panel's moves.
inline constexpr char16_t ZRFrameStorageEnableUserDefaultName[] = u"Frame Storage: Enable";
inline constexpr char16_t ZRPreserveOriginalFramesForeverUserDefaultName[] =
    u"Preserve Original Frames Forever";

// A window's remembered original frame: where it stood before the program started moving it. Frames
// are in Quartz coordinates; the time stamp is on the main run loop's clock.
class ZROriginalFrameRepresentation {
public:
    ZROriginalFrameRepresentation() = default;
    ZROriginalFrameRepresentation(AXElementRef window, const Rect& frame, double timestamp)
        : m_window(std::move(window)), m_frame(frame), m_timestamp(timestamp) {}
    virtual ~ZROriginalFrameRepresentation() = default;

    const AXElementRef& window() const { return m_window; }
    void setWindow(AXElementRef window) { m_window = std::move(window); }
    Rect frame() const { return m_frame; }
    void setFrame(const Rect& frame) { m_frame = frame; }
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double timestamp) { m_timestamp = timestamp; }

private:
    AXElementRef m_window;
    Rect m_frame;
    double m_timestamp = 0;
};

// The frame the program last set for a window, with the position (a ZRPosition, or a number of its
// own such as the snap position) it was set for.
class ZRLastSkafFrameRepresentation {
public:
    ZRLastSkafFrameRepresentation() = default;
    ZRLastSkafFrameRepresentation(AXElementRef window, const Rect& frame, std::int64_t position)
        : m_window(std::move(window)), m_frame(frame), m_position(position) {}

    const AXElementRef& window() const { return m_window; }
    Rect frame() const { return m_frame; }
    std::int64_t position() const { return m_position; }

private:
    AXElementRef m_window;
    Rect m_frame;
    std::int64_t m_position = -1;
};

// The original and last frames of other applications' windows, in memory only. Windows are told apart
// by process and window number, so two handles to one window share their frames and a window whose
// application quit cannot hand its frames to a later window of a new process. The memory forgets the
// windows of an application that quits and keeps at most a bounded number of windows, dropping the
// ones it heard of least recently. Main thread only.
class ZRFrameMemory {
public:
    static constexpr std::size_t MaximumRememberedWindows = 512;

    struct WindowKey {
        pid_t processIdentifier = 0;
        WindowNumber windowNumber = 0;
        friend auto operator<=>(const WindowKey&, const WindowKey&) = default;
    };
    // None for a window without a process or a window number, which the memory cannot tell apart.
    static std::optional<WindowKey> keyForWindow(const AXElementRef& window);

    explicit ZRFrameMemory(std::size_t capacity = MaximumRememberedWindows);

    std::optional<ZROriginalFrameRepresentation> originalFrame(const AXElementRef& window) const;
    // False for a window the memory cannot tell apart.
    bool setOriginalFrame(const AXElementRef& window, const Rect& frame, double timestamp);
    void removeOriginalFrame(const AXElementRef& window);

    std::optional<ZRLastSkafFrameRepresentation> lastFrame(const AXElementRef& window) const;
    bool setLastFrame(const AXElementRef& window, const Rect& frame, std::int64_t position);
    void removeLastFrame(const AXElementRef& window);

    // Forgets every window of the process.
    void forgetProcess(pid_t processIdentifier);

    std::size_t originalFrameCount() const { return m_originals.size(); }
    std::size_t lastFrameCount() const { return m_lasts.size(); }

private:
    template <class Value> struct Entry {
        Value value;
        std::uint64_t use = 0;
    };
    template <class Value>
    static std::optional<Value> lookUp(const std::map<WindowKey, Entry<Value>>& map,
                                       const AXElementRef& window);
    template <class Value>
    void insert(std::map<WindowKey, Entry<Value>>& map, const WindowKey& key, Value value);

    std::size_t m_capacity;
    std::uint64_t m_nextUse = 0;
    std::map<WindowKey, Entry<ZROriginalFrameRepresentation>> m_originals;
    std::map<WindowKey, Entry<ZRLastSkafFrameRepresentation>> m_lasts;
};
