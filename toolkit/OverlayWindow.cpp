#include "toolkit/OverlayWindow.h"

#include "platform/OverlayWindows.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "toolkit/OverlayDrawing.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/WindowExtensions.h"

#include <QEvent>
#include <QWidget>

namespace {

// Reports the overlay it belongs to as it is shown, moved, hidden and destroyed.
class OverlayReporter : public QObject {
public:
    explicit OverlayReporter(QWidget* window) : QObject(window), m_window(window) {
        window->installEventFilter(this);
    }
    ~OverlayReporter() override { hidden(); }

    static OverlayReporter* of(const QWidget* window) { return directChildOfType<OverlayReporter>(window); }

    void report() {
        if (!m_window->isVisible()) {
            hidden();
            return;
        }
        if (!Platform::hasCurrent())
            return;
        // The picture follows the rule of the moment (OverlayDrawing.h).
        if (!m_compositing.isConnected())
            m_compositing = Platform::current().screens().compositingChanged.connect([this] {
                if (overlayTranslucencyShows())
                    setOverlayShape(m_window, QRegion());
                m_window->update();
            });
        // The id is only asked of a shown window: asking creates the native window.
        m_reported = m_window->winId();
        Platform::current().overlayWindows().overlayShown(
            m_reported, quartzRectFromQtRect(QRectF(m_window->geometry())), ignoresMouseEvents(m_window));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Hide:
            report();
            break;
        case QEvent::UpdateRequest:
            // A window shaped to nothing is never exposed, so it would never paint what it now has to show:
            // unshaped, it is, and its painting shapes it again.
            if (!m_window->mask().isEmpty() && !m_window->mask().intersects(m_window->rect()))
                setOverlayShape(m_window, QRegion());
            break;
        default:
            break;
        }
        return false;
    }

private:
    void hidden() {
        if (m_reported && Platform::hasCurrent())
            Platform::current().overlayWindows().overlayHidden(m_reported);
        m_reported = 0;
    }

    QWidget* m_window;
    OwnWindowId m_reported = 0;
    Connection m_compositing;
};

} // namespace

void makeOverlayWindow(QWidget* window, bool takesFocus) {
    if (!window || isOverlayWindow(window))
        return;
    window->setWindowFlags(window->windowFlags() | Qt::Tool | Qt::FramelessWindowHint |
                           Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint |
                           Qt::X11BypassWindowManagerHint);
    window->setWindowFlag(Qt::WindowDoesNotAcceptFocus, !takesFocus);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    new OverlayReporter(window);
}

bool isOverlayWindow(const QWidget* window) {
    return window && OverlayReporter::of(window);
}

void overlayStateChanged(QWidget* window) {
    if (OverlayReporter* reporter = window ? OverlayReporter::of(window) : nullptr)
        reporter->report();
}
