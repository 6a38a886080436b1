#include "shell/ZRApplicationMode.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QWidget>

namespace {

bool accessoryMode = false;

// The kind an accessory window had before, to give it back.
constexpr const char* RegularWindowTypeProperty = "zrRegularWindowType";

// Windows that take part: our own top-level windows of the plain kinds. Menus, tool tips and overlay
// panels never show in a taskbar and keep their kind.
bool takesPart(const QWidget* window) {
    if (!window || !window->isWindow())
        return false;
    const Qt::WindowType type = window->windowType();
    return type == Qt::Window || type == Qt::Dialog || window->property(RegularWindowTypeProperty).isValid();
}

} // namespace

ZRApplicationMode ZRCurrentApplicationMode(const UserDefaults& defaults) {
    const qint64 value = defaults.integerForKey(QString::fromUtf16(ZRApplicationModeUserDefaultName));
    switch (value) {
    case static_cast<qint64>(ZRApplicationMode::TaskbarEntry):
    case static_cast<qint64>(ZRApplicationMode::StatusItem):
    case static_cast<qint64>(ZRApplicationMode::Faceless):
    case static_cast<qint64>(ZRApplicationMode::TaskbarEntryAndStatusItem):
        return static_cast<ZRApplicationMode>(value);
    default:
        return ZRApplicationMode::StatusItem;
    }
}

bool ZRApplicationModeShowsStatusItem(ZRApplicationMode mode) {
    return mode == ZRApplicationMode::StatusItem || mode == ZRApplicationMode::TaskbarEntryAndStatusItem;
}

bool ZRApplicationModeWantsAccessory(const UserDefaults& defaults) {
    const ZRApplicationMode mode = ZRCurrentApplicationMode(defaults);
    const bool noTaskbarEntry = mode == ZRApplicationMode::StatusItem || mode == ZRApplicationMode::Faceless;
    return noTaskbarEntry &&
           !defaults.boolForKey(QString::fromUtf16(ZRApplicationModeTemporaryDockIconUserDefaultName));
}

void ZRApplyApplicationModeToWindow(QWidget* window) {
    if (!takesPart(window))
        return;
    const QVariant regularType = window->property(RegularWindowTypeProperty);
    if (regularType.isValid() == accessoryMode)
        return;
    // A window of the utility kind stays out of the taskbar. Changing the kind of a shown window hides
    // it; it comes back where it was. Its inside is placed, not its frame: the window made anew knows its
    // frame only once the window manager has framed it, and placed by a frame it did not know yet, it
    // would stand the frame's width too far up and left.
    const bool wasVisible = window->isVisible();
    const QRect geometry = window->geometry();
    Qt::WindowType type = Qt::Tool;
    if (accessoryMode) {
        window->setProperty(RegularWindowTypeProperty, static_cast<int>(window->windowType()));
    } else {
        type = static_cast<Qt::WindowType>(regularType.toInt());
        window->setProperty(RegularWindowTypeProperty, QVariant());
    }
    window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | type);
    if (wasVisible) {
        window->setGeometry(geometry);
        window->show();
    }
}

void ZRApplyAccessoryApplicationMode(bool accessory, bool activate, bool* changed) {
    const bool didChange = accessory != accessoryMode;
    accessoryMode = accessory;
    if (changed)
        *changed = didChange;
    if (didChange && qApp) {
        for (QWidget* window : QApplication::topLevelWidgets())
            ZRApplyApplicationModeToWindow(window);
    }
    if (activate && qApp) {
        QWidget* front = QApplication::activeWindow();
        if (!front) {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (takesPart(window) && window->isVisible()) {
                    front = window;
                    break;
                }
            }
        }
        if (front) {
            front->raise();
            front->activateWindow();
        }
    }
}

void ZRSetAccessoryApplicationMode(bool accessory, bool activate, bool* changed,
                                   std::function<void()> completion, RunLoop& mainRunLoop) {
    ZRApplyAccessoryApplicationMode(accessory, activate, changed);
    if (completion)
        mainRunLoop.performOnNextTurn(std::move(completion));
}

bool ZRIsAccessoryApplicationMode() {
    return accessoryMode;
}
