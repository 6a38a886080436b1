#pragma once

#include "mouse-control/ZRFocusPicture.h"
#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/Signal.h"
#include "platform/foundation/RunLoop.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;
class Screens;
class UserDefaults;
class QVariantAnimation;
class ZRFocusView;

// The one shared, click-through overlay that dims the screen around a window (the aperture), outlines a
// target frame (where a window is about to go, or, drawn as an alert, a frame it cannot take), and draws
// the frames of a layout's drop zones. Snapping, the drop zones, the palette, the grids and the keyboard
// control panel all draw through it. Its activation is counted: it shows while more users activated it
// than deactivated it, and each user sets the frames it wants before activating. Frames are in Cocoa
// screen coordinates.
//
// Without a compositing manager it draws no dimming (it would turn the screen black) and shapes itself to
// its outline and drop frames, drawn opaque. Main thread only.
class ZRFocusWindow : public QWidget {
    Q_OBJECT
public:
    // Above the program's other overlays.
    static constexpr int Level = 98;

    // The shared window: the one the program installed (see Installation), made on first use with no frames.
    static ZRFocusWindow& defaultFocusWindow();
    // Makes the program's shared window when it is first asked for, from what it is handed, and makes it the
    // one that defaultFocusWindow() answers for as long as this lives; the window goes with it, and the one
    // installed before comes back.
    class Installation {
    public:
        Installation(const UserDefaults& defaults, RunLoop& mainRunLoop, Screens& screens);
        ~Installation();
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;

        ZRFocusWindow& focusWindow();

    private:
        const UserDefaults& m_defaults;
        RunLoop& m_mainRunLoop;
        Screens& m_screens;
        std::unique_ptr<ZRFocusWindow> m_window;
        Installation* m_previous;
    };

    static std::unique_ptr<ZRFocusWindow> focusWindowWithFrame(const Rect& frame,
                                                               const UserDefaults& defaults,
                                                               RunLoop& mainRunLoop, Screens& screens);

    // The settings say how it draws and whether it covers every screen; the run loop ends its temporary
    // activations; the screens tell when compositing comes and goes. Each outlives the window.
    ZRFocusWindow(const Rect& frame, const UserDefaults& defaults, RunLoop& mainRunLoop, Screens& screens);
    ~ZRFocusWindow() override;

    ZRFocusView* focusView() const { return m_focusView; }
    // The window's frame as last set.
    Rect frame() const { return m_frame; }

    // --- Activation

    bool isActive() const { return m_active; }
    std::int64_t activeCounter() const { return m_activeCounter; }
    // Counted: each YES adds one, each NO takes one away, never below zero (an extra NO is logged and
    // ignored, so it cannot hide a later activation). Shown while the count is above zero; becoming
    // inactive forgets the drop frames, covering all screens, displaying regardless and a pending pulse.
    void setActive(bool active);
    // Activates now and deactivates after the seconds.
    void activateTemporarily(double seconds);
    void deactivate();
    // One pulse of the outline on the next update.
    void pulse();

    // --- What it shows

    bool coverAllScreens() const { return m_coverAllScreens; }
    void setCoverAllScreens(bool coverAllScreens);
    // Draws even when "Focus" is too low to draw anything.
    bool displayRegardless() const { return m_displayRegardless; }
    void setDisplayRegardless(bool displayRegardless);
    bool dropFrameValuesOverlap() const { return m_dropFrameValuesOverlap; }
    void setDropFrameValuesOverlap(bool overlap) { m_dropFrameValuesOverlap = overlap; }
    bool drawOutlineAsAlert() const { return m_drawOutlineAsAlert; }
    void setDrawOutlineAsAlert(bool alert);
    bool pulseOnNextUpdate() const { return m_pulseOnNextUpdate; }
    void setPulseOnNextUpdate(bool pulse) { m_pulseOnNextUpdate = pulse; }
    // Kept for its users; the corners of this desktop's windows have one radius (ZRFocusCornerRadius).
    double adaptiveCornerRadius() const { return m_adaptiveCornerRadius; }
    void setAdaptiveCornerRadius(double radius) { m_adaptiveCornerRadius = radius; }

    const std::vector<Rect>& dropFrameValues() const { return m_dropFrameValues; }
    Rect apertureFrame() const { return m_apertureFrame; }
    Rect outlineFrame() const { return m_outlineFrame; }
    // The one setter of the three: the window takes the screens that the frames touch (every screen when
    // covering all of them) and draws again when anything changed.
    void setDropFrameValues(std::vector<Rect> dropFrames, const Rect& apertureFrame,
                            const Rect& outlineFrame);
    void setDropFrameValues(std::vector<Rect> dropFrames);
    void setApertureFrame(const Rect& apertureFrame);
    // Also stops drawing the outline as an alert.
    void setOutlineFrame(const Rect& outlineFrame);
    // While active: the aperture becomes the window's frame, or nothing when it cannot be read.
    void updateApertureFrameForWindow(const AXElementRef& window);

    void setNeedsDisplay();
    // One window per screen would be needed where each screen has its own workspaces; X11 workspaces span
    // every screen, so the window covers them all itself and this answers false.
    bool orderFrontHelperWindowsAndFadeIn(bool fadeIn);

    // Draws the part of the picture in the dirty region (the content view's coordinates).
    void updateLayer(QPainter& painter, const QRegion& dirty);
    // The picture of the last update.
    const ZRFocusPicture& picture() const { return m_picture; }

private:
    void becomeActive();
    void becomeInactive();
    Rect frameForFrames(const std::vector<Rect>& dropFrames, const Rect& apertureFrame,
                        const Rect& outlineFrame) const;
    void updatePicture();
    // Shapes the window to the picture without a compositor, and unshapes it with one.
    void applyShape();
    void updateDashAnimation();
    void repaintOutline();
    void startPulse();

    const UserDefaults& m_defaults;
    RunLoop& m_mainRunLoop;
    ZRFocusView* m_focusView;
    std::int64_t m_activeCounter = 0;
    bool m_active = false;
    bool m_coverAllScreens = false;
    bool m_displayRegardless = false;
    bool m_dropFrameValuesOverlap = false;
    bool m_drawOutlineAsAlert = false;
    bool m_pulseOnNextUpdate = false;
    std::vector<Rect> m_dropFrameValues;
    double m_adaptiveCornerRadius = -1;
    Rect m_apertureFrame;
    Rect m_outlineFrame;
    Rect m_frame;

    // The picture is made again on the next update after anything changed; the animations only move the
    // inner line's dashes and width.
    ZRFocusPicture m_picture;
    bool m_pictureIsStale = true;
    QVariantAnimation* m_dashAnimation;
    QVariantAnimation* m_pulseAnimation;
    bool m_painting = false;
    double m_dashPhase = 0;
    double m_pulse = 0;
    Connection m_compositingChanged;
    PendingPerforms m_temporaryActivations;
};
