#include "mouse-control/ZRTriggerUIElement.h"

#include "mouse-control/ZRMouseControlDefaults.h"
#include "platform/foundation/UserDefaults.h"
#include "window-access/IgnoreList.h"
#include "window-access/WindowElements.h"

namespace {

// Values of "Mouse Controls Trigger"; any other value is the close button.
constexpr std::int64_t ZoomButtonTrigger = 0;
constexpr std::int64_t MinimizeButtonTrigger = 1;

// Where one e-book reader and windows with protected content report their buttons: outside their windows
// by these offsets. Kept from the platform the program was first made for; no X11 window reports so.
const QString BooksApplicationTitle = QStringLiteral("iBooks");
constexpr double BooksButtonOffsetY = 22;
constexpr double ProtectedContentButtonOffsetX = 2;
constexpr double ProtectedContentButtonOffsetY = 30;

template <class T> std::optional<T> attribute(const AXElementRef& element, const QString& name) {
    const AXValue value = ZRCopyAXAttribute(element, name);
    if (const T* typed = std::get_if<T>(&value))
        return *typed;
    return std::nullopt;
}

// The button's frame moved to where the window shows it, for the windows that report it elsewhere.
Rect shownButtonFrame(const Rect& buttonFrame, const AXElementRef& window) {
    const std::optional<Rect> windowFrame = ZRCopyWindowFrame(window, false);
    if (windowFrame && windowFrame->contains(buttonFrame))
        return buttonFrame;
    const AXElementRef parent = ZRCopyAXElementAttribute(window, AX::Parent);
    const QString parentTitle = attribute<QString>(parent, AX::Title).value_or(QString());
    if (parentTitle == BooksApplicationTitle)
        return buttonFrame.offsetBy(0, BooksButtonOffsetY);
    if (parentTitle.isEmpty() && attribute<bool>(window, AX::ContainsProtectedContent).value_or(false))
        return buttonFrame.offsetBy(ProtectedContentButtonOffsetX, ProtectedContentButtonOffsetY);
    return buttonFrame;
}

} // namespace

std::int64_t ZRTriggerUIElement::triggerKind(const UserDefaults& defaults) {
    return defaults.integerForKey(ZRMouseControlDefault::Trigger);
}

bool ZRTriggerUIElement::isTriggerSubrole(const QString& subrole, std::int64_t trigger) {
    if (trigger == ZoomButtonTrigger)
        return subrole == AX::ZoomButton || subrole == AX::FullScreenButton;
    if (trigger == MinimizeButtonTrigger)
        return subrole == AX::MinimizeButton;
    return subrole == AX::CloseButton;
}

AXElementRef ZRTriggerUIElement::copyTriggerButton(const AXElementRef& window, std::int64_t trigger) {
    if (trigger == ZoomButtonTrigger)
        return ZRCopyZoomButton(window);
    if (trigger == MinimizeButtonTrigger)
        return ZRCopyMinimizeButton(window);
    return ZRCopyCloseButton(window);
}

std::shared_ptr<ZRTriggerUIElement>
ZRTriggerUIElement::newTriggerUIElementAtLocation(Point location, const AXElementRef& window,
                                                  const UserDefaults& defaults) {
    if (!window || !ZRWindowIsControllable(window, defaults))
        return nullptr;
    AXElementRef button = copyTriggerButton(window, triggerKind(defaults));
    if (!ZRZoomButtonIsUsable(button))
        return nullptr;
    const std::optional<Rect> buttonFrame = ZRCopyWindowFrame(button, false);
    if (!buttonFrame)
        return nullptr;
    const Rect frame = shownButtonFrame(*buttonFrame, window);
    if (!frame.contains(location))
        return nullptr;
    auto element = std::make_shared<ZRTriggerUIElement>();
    element->setWindow(window);
    element->setTriggerButton(std::move(button));
    element->setFrame(frame);
    return element;
}

std::shared_ptr<ZRTriggerUIElement> ZRTriggerUIElement::triggerUIElementAtLocation(
    Point location, const std::optional<QString>& lowercaseBundleIdentifier,
    const WindowListEntry* windowDescription, const UserDefaults& defaults) {
    if (lowercaseBundleIdentifier &&
        ZRApplicationIsIgnored(*lowercaseBundleIdentifier, ZRIgnoreListCategory::Position)) {
        const AXElementRef window = ZRWindowForWindowListEntry(location, windowDescription, false);
        return window ? newTriggerUIElementAtLocation(location, window, defaults) : nullptr;
    }

    const AXElementRef element = ZRCopyElementAtPosition(location);
    if (!element)
        return nullptr;
    const std::int64_t trigger = triggerKind(defaults);
    if (isTriggerSubrole(attribute<QString>(element, AX::Subrole).value_or(QString()), trigger)) {
        if (!ZRZoomButtonIsUsable(element))
            return nullptr;
        auto triggerElement = std::make_shared<ZRTriggerUIElement>();
        triggerElement->setTriggerButton(element);
        const AXElementRef& window = triggerElement->window();
        return window && ZRWindowIsControllable(window, defaults) ? triggerElement : nullptr;
    }

    const bool isWindow = attribute<QString>(element, AX::Role).value_or(QString()) == AX::WindowRole;
    const AXElementRef window = isWindow ? element : ZRCopyAXElementAttribute(element, AX::Window);
    return window ? newTriggerUIElementAtLocation(location, window, defaults) : nullptr;
}

const AXElementRef& ZRTriggerUIElement::window() {
    if (!ZROriginalFrameRepresentation::window() && m_triggerButton)
        setWindow(ZRCopyAXElementAttribute(m_triggerButton, AX::Window));
    return ZROriginalFrameRepresentation::window();
}

Rect ZRTriggerUIElement::frame() {
    Rect frame = ZROriginalFrameRepresentation::frame();
    if (!frame.isEmpty())
        return frame;
    if (m_triggerButton) {
        frame = ZRCopyWindowFrame(m_triggerButton, false).value_or(Rect());
    } else {
        const std::optional<Rect> windowFrame = ZRCopyWindowFrame(window(), false);
        frame = Rect(windowFrame ? windowFrame->origin : Point(), FallbackSize);
    }
    setFrame(frame);
    return frame;
}

bool ZRTriggerUIElement::isEqualToTriggerUIElement(const ZRTriggerUIElement* other) const {
    if (!other)
        return false;
    if (other == this)
        return true;
    if (m_triggerButton && other->m_triggerButton)
        return AXElementsEqual(m_triggerButton, other->m_triggerButton);
    const auto windowOf = [](const ZRTriggerUIElement& element) {
        const AXElementRef& stored = element.ZROriginalFrameRepresentation::window();
        return stored ? stored : ZRCopyAXElementAttribute(element.m_triggerButton, AX::Window);
    };
    const AXElementRef window = windowOf(*this);
    const AXElementRef otherWindow = windowOf(*other);
    return window && otherWindow && AXElementsEqual(window, otherWindow);
}
