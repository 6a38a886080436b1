#include "toolkit/WindowExtensions.h"

#include "toolkit/OverlayWindow.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/ViewExtensions.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

constexpr double DefaultFadingDuration = 0.2;
constexpr double RetinaScaleThreshold = 1.5;
constexpr int MillisecondsPerSecond = 1000;
constexpr auto FadingDurationProperty = "ZRFadingDuration";
constexpr auto WindowLevelProperty = "ZRWindowLevel";

// One per window while it fades; every new request ends the previous one without its handler.
class WindowFader : public QObject {
public:
    explicit WindowFader(QWidget* window) : QObject(window), m_window(window) {
        window->installEventFilter(this);
    }

    static WindowFader* of(QWidget* window) {
        if (auto* fader = directChildOfType<WindowFader>(window))
            return fader;
        return new WindowFader(window);
    }

    void cancel() {
        if (m_animation) {
            m_animation->disconnect(this);
            m_animation->stop();
            m_animation->deleteLater();
            m_animation = nullptr;
        }
        if (m_fadingOut)
            m_window->setWindowOpacity(m_opacityBeforeFadeOut);
        m_fadingOut = false;
    }

    void fade(double from, double to, bool fadingOut, ZRCompletionHandler finished) {
        cancel();
        m_fadingOut = fadingOut;
        if (fadingOut)
            m_opacityBeforeFadeOut = m_window->windowOpacity();
        m_window->setWindowOpacity(from);
        m_animation = new QVariantAnimation(this);
        m_animation->setStartValue(from);
        m_animation->setEndValue(to);
        m_animation->setDuration(static_cast<int>(fadingDuration(m_window) * MillisecondsPerSecond));
        connect(m_animation, &QVariantAnimation::valueChanged, this,
                [this](const QVariant& value) { m_window->setWindowOpacity(value.toDouble()); });
        connect(m_animation, &QVariantAnimation::finished, this, [this, to, finished] {
            m_animation->deleteLater();
            m_animation = nullptr;
            // A fade of no duration ends without a step of its own.
            m_window->setWindowOpacity(to);
            if (m_fadingOut) {
                m_fadingOut = false;
                // Hidden, not closed: Qt ends a closed window's native window, and the next showing of an
                // overlay would make and map a new one.
                m_window->hide();
                m_window->setWindowOpacity(m_opacityBeforeFadeOut);
            }
            if (finished)
                finished();
        });
        m_animation->start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Shown again while fading out: the window stays.
        if (watched == m_window && event->type() == QEvent::Show && m_fadingOut)
            cancel();
        return false;
    }

private:
    QWidget* m_window;
    QVariantAnimation* m_animation = nullptr;
    bool m_fadingOut = false;
    double m_opacityBeforeFadeOut = 1;
};

void raiseHigherLevels(QWidget* window);

void showInFront(QWidget* window) {
    if (window->isVisible()) {
        orderFrontRespectingLevels(window);
        return;
    }
    // Raised before it is mapped, so that it maps in its place: a raise after the map would be one more
    // change of the window that the server announces.
    window->raise();
    window->show();
    raiseHigherLevels(window);
}

} // namespace

void orderFrontWithAlphaValue(QWidget* window, double alpha, bool fadeIn, ZRCompletionHandler completion) {
    if (!window)
        return;
    WindowFader* fader = WindowFader::of(window);
    fader->cancel();
    if (!fadeIn) {
        window->setWindowOpacity(alpha);
        showInFront(window);
        if (completion)
            completion();
        return;
    }
    const double from = window->isVisible() ? window->windowOpacity() : 0.0;
    window->setWindowOpacity(from);
    showInFront(window);
    fader->fade(from, alpha, false, std::move(completion));
}

void orderFrontAndFadeIn(QWidget* window) {
    orderFrontWithAlphaValue(window, 1.0, true);
}

void fadeOutAndCloseWithCompletionHandler(QWidget* window, ZRCompletionHandler completion) {
    if (!window)
        return;
    WindowFader* fader = WindowFader::of(window);
    if (!window->isVisible()) {
        fader->cancel();
        window->hide();
        if (completion)
            completion();
        return;
    }
    fader->fade(window->windowOpacity(), 0.0, true, std::move(completion));
}

void fadeOutAndClose(QWidget* window) {
    fadeOutAndCloseWithCompletionHandler(window, {});
}

double fadingDuration(const QWidget* window) {
    const QVariant value = window ? window->property(FadingDurationProperty) : QVariant();
    return value.isValid() ? value.toDouble() : DefaultFadingDuration;
}

void setFadingDuration(QWidget* window, double seconds) {
    if (window)
        window->setProperty(FadingDurationProperty, std::max(0.0, seconds));
}

bool isOnRetinaDisplay(const QWidget* window) {
    return window && window->devicePixelRatioF() > RetinaScaleThreshold;
}

std::optional<ZRVirtualScreen> virtualScreen(const QWidget* window, const UserDefaults& defaults) {
    if (!window)
        return std::nullopt;
    return ZRVirtualScreen::virtualScreenMostRelevantForFrame(cocoaRectFromQtRect(window->frameGeometry()),
                                                              true, defaults);
}

Point deprecatedConvertBaseToScreen(const QWidget* window, Point point) {
    if (!window)
        return point;
    const Rect frame = cocoaRectFromQtRect(QRectF(window->geometry()));
    return {frame.x() + point.x, frame.y() + point.y};
}

int windowLevel(const QWidget* window) {
    return window ? window->property(WindowLevelProperty).toInt() : 0;
}

void setWindowLevel(QWidget* window, int level) {
    if (!window)
        return;
    window->setProperty(WindowLevelProperty, level);
    if (window->isVisible())
        orderFrontRespectingLevels(window);
}

void orderFrontRespectingLevels(QWidget* window) {
    if (!window)
        return;
    window->raise();
    raiseHigherLevels(window);
}

namespace {

void raiseHigherLevels(QWidget* window) {
    const int level = windowLevel(window);
    QList<QWidget*> higher;
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && windowLevel(other) > level)
            higher += other;
    }
    std::stable_sort(higher.begin(), higher.end(),
                     [](const QWidget* a, const QWidget* b) { return windowLevel(a) < windowLevel(b); });
    for (QWidget* other : higher)
        other->raise();
}

} // namespace

bool ignoresMouseEvents(const QWidget* window) {
    return window && window->windowFlags().testFlag(Qt::WindowTransparentForInput);
}

void setIgnoresMouseEvents(QWidget* window, bool ignores) {
    if (!window || ignoresMouseEvents(window) == ignores)
        return;
    QWindow* native = window->windowHandle();
    if (!native) {
        // Nothing on the screen yet: the flag is read when the window is made.
        window->setWindowFlag(Qt::WindowTransparentForInput, ignores);
        return;
    }
    // The widget's flags changed the usual way would unmap the window and map it again; the native
    // window changes its input region in place, and the widget keeps the same flags without acting on
    // them.
    const Qt::WindowFlags flags = window->windowFlags().setFlag(Qt::WindowTransparentForInput, ignores);
    window->overrideWindowFlags(flags);
    native->setFlags(flags);
    overlayStateChanged(window);
}
