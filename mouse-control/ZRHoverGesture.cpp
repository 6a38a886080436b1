#include "mouse-control/ZRHoverGesture.h"

void ZRHoverGesture::begin(AXElementRef window) {
    if (AXElementsEqual(window, m_window))
        return;
    m_window = std::move(window);
    ++*m_gestures;
}

void ZRHoverGesture::end() {
    begin(nullptr);
    m_moveInProgress = false;
}
