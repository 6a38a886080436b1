#pragma once

#include "platform/Geometry.h"

#include <sys/types.h>

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

// Elements of other applications, in the manner of an accessibility interface: an application, its
// windows, and the buttons of their title bars. Every call is synchronous and bounded by the
// messaging timeout. Elements may be used from the hover worker while the main thread also uses
// them, so every backend makes these calls safe from any thread.

class AXElement;
using AXElementRef = std::shared_ptr<AXElement>;
using WindowNumber = std::uint32_t;

// An attribute value. Positions and sizes are in Quartz coordinates.
using AXValue = std::variant<std::monostate, bool, std::int64_t, double, QString, Point, Size, Rect,
                             AXElementRef, std::vector<AXElementRef>>;

enum class AXError {
    Success,
    Failure,
    IllegalArgument,
    InvalidElement, // the element has gone (its window closed, its application quit)
    CannotComplete, // no answer within the messaging timeout
    AttributeUnsupported,
    ActionUnsupported,
    NoValue,
    APIDisabled, // the program is not trusted
};

// Attribute, action and notification names, as the program's records and logs use them.
namespace AX {
inline const QString Position = QStringLiteral("AXPosition");
inline const QString SizeAttribute = QStringLiteral("AXSize");
inline const QString FocusedWindow = QStringLiteral("AXFocusedWindow");
inline const QString Windows = QStringLiteral("AXWindows");
inline const QString MainWindow = QStringLiteral("AXMainWindow");
inline const QString ZoomButton = QStringLiteral("AXZoomButton");
inline const QString FullScreenButton = QStringLiteral("AXFullScreenButton");
inline const QString MinimizeButton = QStringLiteral("AXMinimizeButton");
inline const QString CloseButton = QStringLiteral("AXCloseButton");
inline const QString GrowArea = QStringLiteral("AXGrowArea");
inline const QString Enabled = QStringLiteral("AXEnabled");
inline const QString FullScreen = QStringLiteral("AXFullScreen");
inline const QString Role = QStringLiteral("AXRole");
inline const QString Subrole = QStringLiteral("AXSubrole");
inline const QString Title = QStringLiteral("AXTitle");
inline const QString Window = QStringLiteral("AXWindow");
inline const QString Parent = QStringLiteral("AXParent");
inline const QString ContainsProtectedContent = QStringLiteral("AXContainsProtectedContent");
inline const QString Drawers = QStringLiteral("AXDrawers");
inline const QString Minimized = QStringLiteral("AXMinimized");

// Values of "AXRole" and "AXSubrole".
inline const QString ApplicationRole = QStringLiteral("AXApplication");
inline const QString WindowRole = QStringLiteral("AXWindow");
inline const QString ButtonRole = QStringLiteral("AXButton");
inline const QString DrawerRole = QStringLiteral("AXDrawer");
inline const QString StandardWindowSubrole = QStringLiteral("AXStandardWindow");

inline const QString Raise = QStringLiteral("AXRaise");
inline const QString Press = QStringLiteral("AXPress");
inline const QString ZoomWindow = QStringLiteral("AXZoomWindow");

inline const QString MovedNotification = QStringLiteral("AXMoved");
inline const QString ResizedNotification = QStringLiteral("AXResized");
} // namespace AX

class AXElement {
public:
    virtual ~AXElement() = default;

    virtual AXError copyAttributeValue(const QString& attribute, AXValue& value) const = 0;
    virtual AXError isAttributeSettable(const QString& attribute, bool& settable) const = 0;
    virtual AXError setAttributeValue(const QString& attribute, const AXValue& value) = 0;
    virtual QStringList actionNames() const = 0;
    virtual AXError performAction(const QString& action) = 0;

    // Moves a window to the origin and, when given, gives it the size, in one request where the desktop
    // can; here the position and then the size. A frame the window did not take is no error: read it.
    virtual AXError setFrame(Point origin, const std::optional<Size>& size) {
        const AXError error = setAttributeValue(AX::Position, AXValue(origin));
        if (error != AXError::Success || !size)
            return error;
        return setAttributeValue(AX::SizeAttribute, AXValue(*size));
    }

    // The owning process; 0 for the system-wide element.
    virtual pid_t processIdentifier() const = 0;
    // The window-list number of a window element; none for other elements.
    virtual std::optional<WindowNumber> windowNumber() const = 0;

    // Two handles to one element are equal and hash alike.
    virtual bool isEqual(const AXElement& other) const = 0;
    virtual std::size_t hash() const = 0;
};

inline bool AXElementsEqual(const AXElementRef& a, const AXElementRef& b) {
    if (a == b)
        return true;
    return a && b && a->isEqual(*b);
}

struct AXElementRefHash {
    std::size_t operator()(const AXElementRef& e) const { return e ? e->hash() : 0; }
};
struct AXElementRefEqual {
    bool operator()(const AXElementRef& a, const AXElementRef& b) const { return AXElementsEqual(a, b); }
};

// Ends the observation when destroyed.
class AXObservation {
public:
    virtual ~AXObservation() = default;
};

// A frame asked of one window, its size only when given.
struct AXFrameRequest {
    AXElementRef window;
    Point origin;
    std::optional<Size> size;
};

class Accessibility {
public:
    virtual ~Accessibility() = default;

    // Whether the program may use other applications' elements; with prompt the user is asked.
    virtual bool isProcessTrusted(bool prompt) = 0;
    // The longest any single call may wait for an answer.
    virtual void setMessagingTimeout(double seconds) = 0;
    virtual double messagingTimeout() const = 0;

    // The deepest element at a Quartz point (a title-bar button, else its window), or null.
    virtual AXElementRef elementAtPosition(Point quartzPoint) = 0;
    // The element of a running application, or null.
    virtual AXElementRef applicationElement(pid_t processIdentifier) = 0;
    // The window element of one of the program's own top-level windows (its native window id), with its
    // title-bar buttons as the desktop draws them; null when the desktop does not show it as a window.
    virtual AXElementRef elementForOwnWindow(std::uint64_t nativeWindowId) = 0;

    using NotificationHandler = std::function<void(const AXElementRef& window, const QString& notification)>;
    // Moves ("AXMoved") and resizes ("AXResized") of the window, delivered on the main thread until the
    // observation is destroyed; null when the window cannot be observed.
    virtual std::unique_ptr<AXObservation> observeWindow(const AXElementRef& window,
                                                         NotificationHandler handler) = 0;

    // Sets the frames of several windows, one result per request in order, each as the window's own
    // setFrame would give it. A desktop that can sends every request before it waits for any answer;
    // here they go one after another.
    virtual std::vector<AXError> setWindowFrames(const std::vector<AXFrameRequest>& requests) {
        std::vector<AXError> results;
        results.reserve(requests.size());
        for (const AXFrameRequest& request : requests)
            results.push_back(request.window ? request.window->setFrame(request.origin, request.size)
                                             : AXError::InvalidElement);
        return results;
    }
};
