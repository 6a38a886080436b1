#include "mouse-control/ZRFocusWindow.h"

#include "mouse-control/ZRFocusView.h"
#include "platform/Screens.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/OverlayDrawing.h"
#include "toolkit/OverlayWindow.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/WindowExtensions.h"
#include "toolkit/ZRLog.h"
#include "window-access/Coordinates.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowElements.h"

#include <QPainter>
#include <QVariantAnimation>

namespace {

constexpr int MillisecondsPerSecond = 1000;
// One cycle of the dashes, and a pulse out to twice the line and back.
constexpr double DashCycleSeconds = 0.3;
constexpr double PulseSeconds = 0.1;
// Screens count as touched by a frame only where the frame reaches more than this into them.
constexpr double TouchInset = 1.0;

ZRFocusWindow::Installation* installedFocusWindow = nullptr;

} // namespace

ZRFocusWindow& ZRFocusWindow::defaultFocusWindow() {
    if (!installedFocusWindow)
        qFatal("the focus window is asked for before the program made it");
    return installedFocusWindow->focusWindow();
}

ZRFocusWindow::Installation::Installation(const UserDefaults& defaults, RunLoop& mainRunLoop,
                                          Screens& screens)
    : m_defaults(defaults), m_mainRunLoop(mainRunLoop), m_screens(screens),
      m_previous(std::exchange(installedFocusWindow, this)) {}

ZRFocusWindow::Installation::~Installation() {
    installedFocusWindow = m_previous;
}

ZRFocusWindow& ZRFocusWindow::Installation::focusWindow() {
    if (!m_window) {
        m_window = focusWindowWithFrame(Rect(), m_defaults, m_mainRunLoop, m_screens);
        m_window->setDropFrameValues({}, Rect(), Rect());
        m_window->setAdaptiveCornerRadius(-1);
    }
    return *m_window;
}

std::unique_ptr<ZRFocusWindow> ZRFocusWindow::focusWindowWithFrame(const Rect& frame,
                                                                   const UserDefaults& defaults,
                                                                   RunLoop& mainRunLoop, Screens& screens) {
    return std::make_unique<ZRFocusWindow>(frame, defaults, mainRunLoop, screens);
}

ZRFocusWindow::ZRFocusWindow(const Rect& frame, const UserDefaults& defaults, RunLoop& mainRunLoop,
                             Screens& screens)
    : QWidget(nullptr, Qt::WindowTransparentForInput), m_defaults(defaults), m_mainRunLoop(mainRunLoop),
      m_focusView(new ZRFocusView(this)), m_dashAnimation(new QVariantAnimation(this)),
      m_pulseAnimation(new QVariantAnimation(this)) {
    makeOverlayWindow(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setWindowLevel(this, Level);
    m_frame = frame;
    if (!frame.isEmpty())
        setGeometry(qtRectFromCocoaRect(frame).toAlignedRect());
    m_focusView->setGeometry(rect());

    m_dashAnimation->setStartValue(0.0);
    m_dashAnimation->setLoopCount(-1);
    m_dashAnimation->setDuration(static_cast<int>(DashCycleSeconds * MillisecondsPerSecond));
    connect(m_dashAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_dashPhase = value.toDouble();
        repaintOutline();
    });
    // Out to twice the line and back.
    m_pulseAnimation->setDuration(static_cast<int>(2 * PulseSeconds * MillisecondsPerSecond));
    m_pulseAnimation->setStartValue(0.0);
    m_pulseAnimation->setKeyValueAt(0.5, 1.0);
    m_pulseAnimation->setEndValue(0.0);
    connect(m_pulseAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_pulse = value.toDouble();
        repaintOutline();
    });

    m_compositingChanged = screens.compositingChanged.connect([this] { setNeedsDisplay(); });
}

ZRFocusWindow::~ZRFocusWindow() = default;

// --- Activation

void ZRFocusWindow::setActive(bool active) {
    if (!active && m_activeCounter == 0) {
        ZRLog("focus window deactivated more often than activated");
        return;
    }
    m_activeCounter += active ? 1 : -1;
    const bool nowActive = m_activeCounter > 0;
    if (nowActive == m_active)
        return;
    m_active = nowActive;
    if (m_active)
        becomeActive();
    else
        becomeInactive();
}

void ZRFocusWindow::becomeActive() {
    orderFrontHelperWindowsAndFadeIn(true);
    setNeedsDisplay();
    // Without a frame yet there is nothing to show: the window maps with its first frame, at its size,
    // rather than at any size and then again at the right one.
    if (!m_frame.isEmpty())
        orderFrontAndFadeIn(this);
}

void ZRFocusWindow::becomeInactive() {
    m_dashAnimation->stop();
    m_pulseAnimation->stop();
    m_dashPhase = m_pulse = 0;
    fadeOutAndClose(this);
    m_coverAllScreens = false;
    m_pulseOnNextUpdate = false;
    m_dropFrameValues.clear();
    m_adaptiveCornerRadius = -1;
    // The next user finds the "Focus" setting obeyed again.
    m_displayRegardless = false;
    m_pictureIsStale = true;
}

void ZRFocusWindow::activateTemporarily(double seconds) {
    setActive(true);
    m_temporaryActivations.add(m_mainRunLoop.performLater(
        seconds, [this] { deactivate(); }, CommonRunLoopModes));
}

void ZRFocusWindow::deactivate() {
    setActive(false);
}

void ZRFocusWindow::pulse() {
    m_pulseOnNextUpdate = true;
    setNeedsDisplay();
}

// --- What it shows

void ZRFocusWindow::setCoverAllScreens(bool coverAllScreens) {
    if (coverAllScreens == m_coverAllScreens)
        return;
    m_coverAllScreens = coverAllScreens;
    if (coverAllScreens && m_active && !orderFrontHelperWindowsAndFadeIn(false) && !m_apertureFrame.isEmpty())
        setDropFrameValues(m_dropFrameValues, m_apertureFrame, m_outlineFrame);
}

void ZRFocusWindow::setDisplayRegardless(bool displayRegardless) {
    if (displayRegardless == m_displayRegardless)
        return;
    m_displayRegardless = displayRegardless;
    setNeedsDisplay();
}

void ZRFocusWindow::setDrawOutlineAsAlert(bool alert) {
    if (alert == m_drawOutlineAsAlert)
        return;
    m_drawOutlineAsAlert = alert;
    setNeedsDisplay();
}

Rect ZRFocusWindow::frameForFrames(const std::vector<Rect>& dropFrames, const Rect& apertureFrame,
                                   const Rect& outlineFrame) const {
    const std::vector<ZRVirtualScreen> screens = ZRVirtualScreen::screens(m_defaults);
    const bool all = m_coverAllScreens || m_defaults.boolForKey(ZRFocusDefault::AlwaysCoverAllScreens);
    const Rect aperture = apertureFrame.insetBy(TouchInset, TouchInset);
    const Rect outline = outlineFrame.insetBy(TouchInset, TouchInset);
    Rect frame;
    for (const ZRVirtualScreen& screen : screens) {
        const Rect screenFrame = screen.frame();
        const auto touches = [&](const Rect& r) { return !r.isEmpty() && screenFrame.intersects(r); };
        if (all || touches(aperture) || touches(outline) ||
            std::any_of(dropFrames.begin(), dropFrames.end(), touches))
            frame = frame.united(screenFrame);
    }
    return frame;
}

void ZRFocusWindow::setDropFrameValues(std::vector<Rect> dropFrames, const Rect& apertureFrame,
                                       const Rect& outlineFrame) {
    const Rect frame = frameForFrames(dropFrames, apertureFrame, outlineFrame);
    if (dropFrames == m_dropFrameValues && frame == m_frame && apertureFrame == m_apertureFrame &&
        outlineFrame == m_outlineFrame)
        return;
    m_dropFrameValues = std::move(dropFrames);
    m_apertureFrame = apertureFrame;
    m_outlineFrame = outlineFrame;
    if (frame != m_frame) {
        m_frame = frame;
        if (!frame.isEmpty()) {
            setGeometry(qtRectFromCocoaRect(frame).toAlignedRect());
            m_focusView->setGeometry(rect());
        }
    }
    setNeedsDisplay();
    if (m_active && !frame.isEmpty() && !isVisible())
        orderFrontAndFadeIn(this);
}

void ZRFocusWindow::setDropFrameValues(std::vector<Rect> dropFrames) {
    setDropFrameValues(std::move(dropFrames), m_apertureFrame, m_outlineFrame);
}

void ZRFocusWindow::setApertureFrame(const Rect& apertureFrame) {
    setDropFrameValues(m_dropFrameValues, apertureFrame, m_outlineFrame);
}

void ZRFocusWindow::setOutlineFrame(const Rect& outlineFrame) {
    setDrawOutlineAsAlert(false);
    setDropFrameValues(m_dropFrameValues, m_apertureFrame, outlineFrame);
}

void ZRFocusWindow::updateApertureFrameForWindow(const AXElementRef& window) {
    if (!m_active)
        return;
    const std::optional<Rect> frame = ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_defaults));
    setApertureFrame(frame ? ZRFlipRect(*frame) : Rect());
}

void ZRFocusWindow::setNeedsDisplay() {
    m_pictureIsStale = true;
    // A window shaped to nothing has nothing to paint, so it would never paint the new picture either: its
    // shape comes first.
    if (!m_painting && !mask().isEmpty() && !mask().intersects(rect()))
        updatePicture();
    m_focusView->update();
}

bool ZRFocusWindow::orderFrontHelperWindowsAndFadeIn(bool) {
    return false;
}

// --- Drawing

void ZRFocusWindow::updatePicture() {
    m_pictureIsStale = false;
    ZRFocusScene scene;
    scene.bounds = m_frame.size;
    const auto local = [this](const Rect& r) { return r.offsetBy(-m_frame.x(), -m_frame.y()); };
    scene.apertureFrame = local(m_apertureFrame);
    scene.outlineFrame = local(m_outlineFrame);
    for (const Rect& drop : m_dropFrameValues)
        scene.dropFrames.push_back(local(drop));
    scene.dropFramesOverlap = m_dropFrameValuesOverlap;
    scene.alert = m_drawOutlineAsAlert;
    scene.displayRegardless = m_displayRegardless;
    scene.retina = isOnRetinaDisplay(this);
    scene.translucency = overlayTranslucencyShows();
    m_picture = ZRFocusPicture::forScene(scene, ZRFocusSettings::read(m_defaults));
    applyShape();
    updateDashAnimation();
    if (m_pulseOnNextUpdate) {
        m_pulseOnNextUpdate = false;
        if (!m_drawOutlineAsAlert)
            startPulse();
    }
}

void ZRFocusWindow::applyShape() {
    // An empty mask would be no mask at all, the whole window: a shape beside it shows nothing instead.
    const QRegion nothing(-1, -1, 1, 1);
    if (!m_picture.opaque)
        setOverlayShape(this, QRegion());
    else
        setOverlayShape(this, m_picture.opaqueShape.isEmpty() ? nothing : m_picture.opaqueShape);
}

void ZRFocusWindow::updateDashAnimation() {
    const double run = m_active && m_picture.innerOutline ? m_picture.outlineStyle.dashPhaseRun : 0;
    if (run > 1.0) {
        if (m_dashAnimation->state() != QAbstractAnimation::Running ||
            m_dashAnimation->endValue().toDouble() != run) {
            m_dashAnimation->setEndValue(run);
            m_dashAnimation->start();
        }
    } else {
        m_dashAnimation->stop();
        m_dashPhase = 0;
    }
}

void ZRFocusWindow::startPulse() {
    m_pulseAnimation->stop();
    m_pulseAnimation->start();
}

void ZRFocusWindow::repaintOutline() {
    // One rectangle at a time: a painter clipped to a plain rectangle works much faster than one clipped to
    // the ring of them.
    // An animation that starts during a paint reports its first value from there: that paint shows it.
    if (m_painting || m_pictureIsStale || !m_focusView->isVisible())
        return;
    for (const QRect& rect : m_picture.outlineDirtyRects())
        m_focusView->repaint(rect);
}

void ZRFocusWindow::updateLayer(QPainter& painter, const QRegion& dirty) {
    m_painting = true;
    // The toolkit unshapes a window shaped to nothing so that it paints again (OverlayWindow.cpp): the same
    // picture is then shaped again, or the whole window would show black without a compositor.
    if (m_pictureIsStale)
        updatePicture();
    else
        applyShape();
    for (const QRect& rect : dirty)
        m_picture.paint(painter, rect, m_dashPhase, m_pulse);
    m_painting = false;
}
