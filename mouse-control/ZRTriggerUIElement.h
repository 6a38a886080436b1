#pragma once

#include "actions/ZRFrameMemory.h"
#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/WindowServer.h"

#include <QString>
#include <memory>
#include <optional>

class UserDefaults;

// The title-bar button the palette belongs to, and its window: which button counts is set by "Mouse
// Controls Trigger" (0 the zoom button, 1 the minimise button, any other value the close button). The
// palette compares the element under the resting pointer with its current one to tell whether the pointer
// is still on the same button. The inherited frame is the button's frame (Quartz). Main thread.
class ZRTriggerUIElement : public ZROriginalFrameRepresentation {
public:
    // The frame of an element that has no button to read one from.
    static constexpr Size FallbackSize{50, 20};

    ZRTriggerUIElement() = default;

    // The trigger button of the window when it lies under the point (Quartz) and the window may be
    // controlled; null otherwise.
    static std::shared_ptr<ZRTriggerUIElement>
    newTriggerUIElementAtLocation(Point location, const AXElementRef& window, const UserDefaults& defaults);
    // The trigger under the point: the element there when it is a usable trigger button, else the trigger
    // button of the window there that contains the point. Applications on the "Position" ignore list are
    // found from their window-list entry instead of the element at the point. Null when there is none.
    static std::shared_ptr<ZRTriggerUIElement>
    triggerUIElementAtLocation(Point location, const std::optional<QString>& lowercaseBundleIdentifier,
                               const WindowListEntry* windowDescription, const UserDefaults& defaults);

    const AXElementRef& triggerButton() const { return m_triggerButton; }
    void setTriggerButton(AXElementRef button) { m_triggerButton = std::move(button); }

    // The window; without one set, the button's window, which is then kept.
    const AXElementRef& window();
    // The frame; while it is empty, the button's frame, or without a button the window's origin with
    // FallbackSize, which is then kept.
    Rect frame();

    // Same button (else, without buttons, same window); false for null.
    bool isEqualToTriggerUIElement(const ZRTriggerUIElement* other) const;

    // The accessibility subroles of the trigger kind of "Mouse Controls Trigger".
    static bool isTriggerSubrole(const QString& subrole, std::int64_t trigger);
    // The window's button of that trigger kind, or null.
    static AXElementRef copyTriggerButton(const AXElementRef& window, std::int64_t trigger);
    // "Mouse Controls Trigger".
    static std::int64_t triggerKind(const UserDefaults& defaults);

private:
    AXElementRef m_triggerButton;
};
