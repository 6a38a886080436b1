#pragma once

#include "platform/GlobalHotKeys.h"
#include "platform/Signal.h"

#include <map>
#include <utility>

// Equal hot keys of several owners share one registration with the desktop. The pool counts the hot
// keys that hold each registration, so that only the last one to let go unregisters it. References are
// counted per desktop: two desktops may hand out the same number.
class ZRHotKeyReferencePool {
public:
    // Lives as long as the process.
    static ZRHotKeyReferencePool& defaultPool();

    // One more hot key holds the desktop's reference; 0 is ignored.
    void push(HotKeyReference reference, const GlobalHotKeys& desktop);
    // One hot key lets go of the desktop's reference. True when the caller must unregister it: it was the
    // last (or unknown) user. Always false for 0.
    bool pop(HotKeyReference reference, const GlobalHotKeys& desktop);

    using Key = std::pair<const GlobalHotKeys*, HotKeyReference>;
    const std::map<Key, int>& countersByReference() const { return m_countersByReference; }

    // A registration was taken back from the desktop: its key will neither press nor release again.
    Signal<HotKeyReference> referenceUnregistered;

private:
    ZRHotKeyReferencePool() = default;

    std::map<Key, int> m_countersByReference;
};
