#pragma once

#include "platform/Accessibility.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11TitleBar.h"

#include <memory>
#include <optional>

// Whether a frame fits X's 16-bit positions and sizes.
bool isFrameRequest(Point origin, const std::optional<Size>& size);
// What a frame request's outcome is to the caller.
AXError frameError(X11Desktop::SetFrameResult result);

// An element of another application on X11: an application (its process), one of its client
// windows, or a title-bar button that the window manager draws on that window's frame. It holds
// only identifiers, so every read is fresh and a handle to a closed window reports itself invalid.
class X11Element : public AXElement {
public:
    enum class Kind { Application, Window, Button };

    static AXElementRef application(std::weak_ptr<X11Desktop> desktop, pid_t pid);
    static AXElementRef window(std::weak_ptr<X11Desktop> desktop, std::uint32_t window, pid_t pid);
    static AXElementRef button(std::weak_ptr<X11Desktop> desktop, std::uint32_t window, pid_t pid,
                               X11TitleButton button);

    Kind kind() const { return m_kind; }
    std::uint32_t windowId() const { return m_window; }

    AXError copyAttributeValue(const QString& attribute, AXValue& value) const override;
    AXError isAttributeSettable(const QString& attribute, bool& settable) const override;
    AXError setAttributeValue(const QString& attribute, const AXValue& value) override;
    AXError setFrame(Point origin, const std::optional<Size>& size) override;
    QStringList actionNames() const override;
    AXError performAction(const QString& action) override;
    pid_t processIdentifier() const override { return m_pid; }
    std::optional<WindowNumber> windowNumber() const override;
    bool isEqual(const AXElement& other) const override;
    std::size_t hash() const override;

private:
    X11Element(std::weak_ptr<X11Desktop> desktop, Kind kind, std::uint32_t window, pid_t pid,
               X11TitleButton button)
        : m_desktop(std::move(desktop)), m_kind(kind), m_window(window), m_pid(pid), m_button(button) {}

    AXError applicationAttribute(X11Desktop& desktop, const QString& attribute, AXValue& value) const;
    AXError windowAttribute(X11Desktop& desktop, const QString& attribute, AXValue& value) const;
    AXError buttonAttribute(X11Desktop& desktop, const QString& attribute, AXValue& value) const;
    std::optional<Rect> buttonFrame(X11Desktop& desktop) const;
    bool buttonEnabled(X11Desktop& desktop) const;
    AXError setFrameOn(X11Desktop& desktop, Point origin, const std::optional<Size>& size);

    std::weak_ptr<X11Desktop> m_desktop;
    Kind m_kind;
    std::uint32_t m_window;
    pid_t m_pid;
    X11TitleButton m_button;
};
