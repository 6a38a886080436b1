#include "toolkit/WindowFrameAutosave.h"

#include "platform/foundation/UserDefaults.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/ViewExtensions.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace {

const QString FrameKeyPrefix = QStringLiteral("NSWindow Frame ");

QString frameKey(const QString& name) {
    return FrameKeyPrefix + name;
}

// Saves the frame of the window it belongs to under its name as the window moves and changes size.
class FrameSaver : public QObject {
public:
    FrameSaver(QWidget* window, QString name, UserDefaults& defaults)
        : QObject(window), m_window(window), m_name(std::move(name)), m_defaults(&defaults) {
        window->installEventFilter(this);
    }

    static FrameSaver* of(const QWidget* window) { return directChildOfType<FrameSaver>(window); }

    const QString& name() const { return m_name; }
    void setName(const QString& name, UserDefaults& defaults) {
        m_name = name;
        m_defaults = &defaults;
    }

    void save() const {
        if (!m_window->isVisible() || m_window->isMinimized())
            return;
        m_defaults->setString(stringFromRect(cocoaRectFromQtRect(QRectF(m_window->geometry()))),
                              frameKey(m_name));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (watched == m_window && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Hide))
            save();
        return false;
    }

private:
    QWidget* m_window;
    QString m_name;
    UserDefaults* m_defaults;
};

// What the window manager adds around the content, known once the window has been shown.
QMarginsF decorationMargins(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect content = window->geometry();
    return {double(content.left() - frame.left()), double(content.top() - frame.top()),
            double(frame.right() - content.right()), double(frame.bottom() - content.bottom())};
}

// The content rectangle placed so that the window, decorations included, lies inside the area: shrunk
// to fit, then moved in (centred when asked).
QRectF fitted(QRectF content, const QMarginsF& margins, const QRectF& area, bool center) {
    QRectF outer = content.marginsAdded(margins);
    outer.setSize(outer.size().boundedTo(area.size()));
    if (center)
        outer.moveCenter(area.center());
    outer.moveLeft(std::clamp(outer.left(), area.left(), area.right() - outer.width()));
    outer.moveTop(std::clamp(outer.top(), area.top(), area.bottom() - outer.height()));
    return outer.marginsRemoved(margins);
}

double overlapArea(const QRectF& a, const QRectF& b) {
    const QRectF common = a.intersected(b);
    return common.isEmpty() ? 0 : common.width() * common.height();
}

void place(QWidget* window, const QRectF& content, bool centerUnlessOnScreen) {
    const std::vector<QtScreenFrames> screens = currentScreenFrames();
    if (screens.empty()) {
        window->setGeometry(content.toRect());
        return;
    }
    const auto mostOverlapped =
        std::max_element(screens.begin(), screens.end(), [&](const auto& a, const auto& b) {
            return overlapArea(a.frame, content) < overlapArea(b.frame, content);
        });
    const bool onScreen = overlapArea(mostOverlapped->frame, content) > 0;
    const QtScreenFrames& screen = onScreen && !centerUnlessOnScreen ? *mostOverlapped : screens.front();
    const bool center = centerUnlessOnScreen || !onScreen;
    window->setGeometry(fitted(content, decorationMargins(window), screen.usable, center).toRect());
}

} // namespace

bool setFrameUsingName(QWidget* window, const QString& name, const UserDefaults& defaults) {
    if (!window || name.isEmpty())
        return false;
    const Rect saved = rectFromString(defaults.stringForKey(frameKey(name)));
    if (saved.isEmpty())
        return false;
    place(window, qtRectFromCocoaRect(saved), false);
    return true;
}

void setFrameAutosaveName(QWidget* window, const QString& name, UserDefaults& defaults) {
    if (!window)
        return;
    FrameSaver* saver = FrameSaver::of(window);
    if (name.isEmpty()) {
        delete saver;
        return;
    }
    if (saver)
        saver->setName(name, defaults);
    else
        saver = new FrameSaver(window, name, defaults);
    saver->save();
}

QString frameAutosaveName(const QWidget* window) {
    const FrameSaver* saver = window ? FrameSaver::of(window) : nullptr;
    return saver ? saver->name() : QString();
}

void centerWindow(QWidget* window) {
    if (window)
        place(window, QRectF(window->geometry()), true);
}

void restoreFrameAndAutosave(QWidget* window, const QString& name, UserDefaults& defaults) {
    if (!setFrameUsingName(window, name, defaults))
        centerWindow(window);
    setFrameAutosaveName(window, name, defaults);
}
