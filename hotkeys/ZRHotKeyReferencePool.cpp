#include "hotkeys/ZRHotKeyReferencePool.h"

ZRHotKeyReferencePool& ZRHotKeyReferencePool::defaultPool() {
    // Never destroyed: hot keys that outlive main() still let go of their references on the way out.
    static auto* pool = new ZRHotKeyReferencePool;
    return *pool;
}

void ZRHotKeyReferencePool::push(HotKeyReference reference, const GlobalHotKeys& desktop) {
    if (reference == 0)
        return;
    ++m_countersByReference[{&desktop, reference}];
}

bool ZRHotKeyReferencePool::pop(HotKeyReference reference, const GlobalHotKeys& desktop) {
    if (reference == 0)
        return false;
    const auto it = m_countersByReference.find({&desktop, reference});
    if (it == m_countersByReference.end())
        return true;
    if (it->second < 2) {
        m_countersByReference.erase(it);
        return true;
    }
    --it->second;
    return false;
}
