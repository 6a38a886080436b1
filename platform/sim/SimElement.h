#pragma once

#include "platform/Accessibility.h"

#include <memory>

class SimApplication;
class SimWindow;
class SimWorld;

// A handle to an element of the simulated desktop: an application, a window, or a part of a window
// (title-bar button, grow area, drawer). It names its element by process, window number and part,
// so two handles to one element are equal, and it reaches the desktop only through a weak
// reference: handles kept after the desktop is gone answer InvalidElement.
class SimElement : public AXElement {
public:
    enum class Kind { Application, Window, Button, GrowArea, Drawer };

    // For buttons the part is a SimButton, for drawers an index.
    SimElement(std::weak_ptr<SimWorld> world, Kind kind, pid_t pid, WindowNumber window = 0, int part = 0);
    static AXElementRef make(std::weak_ptr<SimWorld> world, Kind kind, pid_t pid, WindowNumber window = 0,
                             int part = 0);

    AXError copyAttributeValue(const QString& attribute, AXValue& value) const override;
    AXError isAttributeSettable(const QString& attribute, bool& settable) const override;
    AXError setAttributeValue(const QString& attribute, const AXValue& value) override;
    QStringList actionNames() const override;
    AXError performAction(const QString& action) override;
    pid_t processIdentifier() const override { return m_pid; }
    std::optional<WindowNumber> windowNumber() const override;
    bool isEqual(const AXElement& other) const override;
    std::size_t hash() const override;

    Kind kind() const { return m_kind; }

private:
    struct Reached {
        AXError error = AXError::Success;
        SimApplication* application = nullptr;
        SimWindow* window = nullptr;
    };
    // The element's application and window, or why they cannot answer; the caller holds the lock.
    Reached reachLocked(const SimWorld& world) const;
    // Runs fn(world, reached, notes) under the lock once the element is reached, then tells the
    // observers what it noted; answers why the element cannot be reached, else what fn answers.
    template <class Fn> AXError withReached(Fn fn) const;
    AXError copyLocked(const SimWorld& world, const Reached& reached, const QString& attribute,
                       AXValue& value) const;
    AXError copyWindowAttributeLocked(const SimWindow& window, const QString& attribute,
                                      AXValue& value) const;
    AXError copyPartAttributeLocked(const SimWindow& window, const QString& attribute, AXValue& value) const;
    Rect partFrameLocked(const SimWindow& window) const;
    AXElementRef sibling(Kind kind, WindowNumber window = 0, int part = 0) const;

    std::weak_ptr<SimWorld> m_world;
    const SimWorld* m_worldIdentity;
    Kind m_kind;
    pid_t m_pid;
    WindowNumber m_window;
    int m_part;
};
