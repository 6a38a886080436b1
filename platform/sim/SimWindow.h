#pragma once

#include "platform/Accessibility.h"
#include "platform/Geometry.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <optional>
#include <vector>

class SimApplication;
class SimWorld;

enum class SimButton { Close, Minimize, Zoom, FullScreen };

// One window of a simulated application, and the handle tests script it through. Frames are in
// Quartz coordinates. The window list and the accessibility frame are the same except during a
// title-bar drag, when the accessibility frame may lag behind. A closed window stays reachable
// through its handle; its elements then answer InvalidElement.
class SimWindow {
public:
    WindowNumber number() const { return m_number; }
    SimApplication& application() const { return m_application; }

    // The accessibility frame, and the bounds in the window list.
    Rect frame() const;
    Rect serverFrame() const;
    // Moves the window as the application itself would (observers hear of it).
    void setFrame(const Rect& frame);

    void setTitle(const QString& title);
    void setLayer(int layer);
    void setAlpha(double alpha);
    // Minimised windows and those of hidden applications are off screen.
    bool isOnScreen() const;
    void setContainsProtectedContent(bool contains);
    // Height of the strip at the top where a press starts a drag; 0 for a window without title bar.
    double titleBarHeight() const;

    // Whether "AXPosition" and "AXSize" can be set.
    void setMovable(bool movable);
    void setResizable(bool resizable);
    // Limits the application applies to every size it is given; a zero size means no limit.
    void setMinimumSize(const Size& size);
    void setMaximumSize(const Size& size);
    void setSizeIncrements(const Size& increments);

    void setFullScreen(bool fullScreen);
    bool isFullScreen() const;
    void setFullScreenSettable(bool settable);
    void setMinimized(bool minimized);

    // Title-bar buttons and the grow area, with frames relative to the window's top left corner.
    void addButton(SimButton button, const Rect& frameInWindow, bool enabled = true);
    // Close, minimise and zoom in a row at the top left, as most windows have them.
    void addStandardButtons();
    void removeButton(SimButton button);
    void setButtonEnabled(SimButton button, bool enabled);
    void setGrowArea(std::optional<Rect> frameInWindow);
    void addDrawer(const Rect& frameInWindow);

    // Misbehaving applications. A window that refuses frames answers success and stays put; one
    // that ignores the next n sets of "AXPosition" and of "AXSize" takes the one after them.
    void setRefusesFrameChanges(bool refuses);
    void ignoreFrameSets(int count);
    void setFrameReadsFail(bool fail);

    void raise();
    // The window goes away; every further call on its elements answers InvalidElement.
    void close();
    bool isClosed() const;

    // How often "AXPosition" or "AXSize" was set, and the actions performed on the window and its
    // buttons ("AXRaise", "AXZoomButton AXPress"), for tests that check what a feature did.
    int frameSetCount() const;
    QStringList performedActions() const;

private:
    friend class SimWorld;
    friend class SimElement;

    struct Part {
        Rect frameInWindow;
        bool enabled = true;
    };

    SimWindow(SimWorld& world, SimApplication& application, WindowNumber number, const Rect& frame);

    void setSizeLimit(Size& limit, const Size& size, const char* what);

    // Callers hold the world's lock.
    bool onScreenLocked() const;
    Size constrainedSizeLocked(Size size) const;
    Rect absoluteLocked(const Rect& frameInWindow) const {
        return frameInWindow.offsetBy(m_frame.x(), m_frame.y());
    }
    std::optional<SimButton> buttonAtLocked(Point quartz) const;

    SimWorld& m_world;
    SimApplication& m_application;
    const WindowNumber m_number;

    Rect m_frame;
    Rect m_serverFrame;
    std::deque<Rect> m_lagging; // window-list frames the accessibility frame has yet to reach
    std::optional<Rect> m_frameBeforeZoom;
    Rect m_frameBeforeFullScreen;

    QString m_title;
    int m_layer = 0;
    double m_alpha = 1.0;
    QString m_role;
    QString m_subrole;
    bool m_protectedContent = false;
    double m_titleBarHeight;

    bool m_movable = true;
    bool m_resizable = true;
    Size m_minimumSize;
    Size m_maximumSize;
    Size m_sizeIncrements;
    bool m_fullScreen = false;
    bool m_fullScreenSettable = true;
    bool m_minimized = false;

    std::map<SimButton, Part> m_buttons;
    std::optional<Rect> m_growArea;
    std::vector<Rect> m_drawers;

    bool m_refusesFrameChanges = false;
    int m_ignoredPositionSets = 0;
    int m_ignoredSizeSets = 0;
    bool m_frameReadsFail = false;
    bool m_closed = false;

    int m_frameSetCount = 0;
    QStringList m_performedActions;
};
