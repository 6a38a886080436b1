// The palette's action on a window, and the services its buttons ask for.
#include "mouse-control/ZRPalette.h"

#include "actions/ZRActionController.h"
#include "actions/ZRFullSizeGridOpener.h"
#include "actions/ZRKeyboardControlPanelInterface.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRMouseControlContext.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseGestures.h"
#include "mouse-control/ZROverlayButton.h"
#include "mouse-control/ZROverlayMenuButton.h"
#include "mouse-control/ZRTriggerUIElement.h"
#include "mouse-control/ZRZoomButtonOverlayWindow.h"
#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRMainController.h"
#include "toolkit/ScreenCoordinates.h"
#include "window-access/Coordinates.h"
#include "window-access/GridGeometry.h"
#include "window-access/Position.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowElements.h"
#include "window-access/WindowFrameSetting.h"
#include "window-access/WindowObserver.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

// "Mouse Controls: Zoom Button Behavior" from which a click on the zoom-button overlay presses the
// window's own button; exactly this value asks that button to fill the screen.
constexpr std::int64_t PressesOwnButtonBehavior = 2;

} // namespace

ZRActionController& ZRPalette::actions() const {
    return m_context.mainController().actions();
}

bool ZRPalette::boolSetting(const QString& key) const {
    return m_context.defaults.boolForKey(key);
}

std::int64_t ZRPalette::integerSetting(const QString& key) const {
    return m_context.defaults.integerForKey(key);
}

std::int64_t ZRPalette::positionForButton(std::int64_t tag, bool alternateMode) {
    if (!alternateMode)
        return tag;
    switch (tag) {
    case FullButtonTag:
        return ZRPositionCenter;
    case TopButtonTag:
        return ZRPositionBottomLeft;
    case RightButtonTag:
        return ZRPositionTopRight;
    case BottomButtonTag:
        return ZRPositionBottomRight;
    case LeftButtonTag:
        return ZRPositionTopLeft;
    default:
        return tag;
    }
}

std::int64_t ZRPalette::refinedPosition(std::int64_t position, std::int64_t sectionDragDirection) {
    const auto refine = [sectionDragDirection](bool (*first)(std::int64_t), std::int64_t firstPosition,
                                               bool (*then)(std::int64_t), std::int64_t thenPosition,
                                               std::int64_t otherwise) {
        if (first(sectionDragDirection))
            return firstPosition;
        if (then(sectionDragDirection))
            return thenPosition;
        return otherwise;
    };
    switch (position) {
    case ZRPositionTop:
        return refine(ZRPositionIsRight, ZRPositionTopRight, ZRPositionIsLeft, ZRPositionTopLeft, position);
    case ZRPositionRight:
        return refine(ZRPositionIsTop, ZRPositionTopRight, ZRPositionIsBottom, ZRPositionBottomRight,
                      position);
    case ZRPositionBottom:
        return refine(ZRPositionIsRight, ZRPositionBottomRight, ZRPositionIsLeft, ZRPositionBottomLeft,
                      position);
    case ZRPositionLeft:
        return refine(ZRPositionIsTop, ZRPositionTopLeft, ZRPositionIsBottom, ZRPositionBottomLeft, position);
    default:
        return position;
    }
}

std::optional<QString> ZRPalette::toolTipForButton(std::int64_t tag, bool alternateMode, bool canShowMenu) {
    switch (tag) {
    case RevertButtonTag:
        return canShowMenu && !alternateMode ? tr("Custom") : tr("Revert to Original Dimensions");
    case FullButtonTag:
        return alternateMode ? tr("Center") : tr("Fill Screen");
    case TopButtonTag:
        return alternateMode ? tr("Bottom Left Quarter") : tr("Top Half");
    case RightButtonTag:
        return alternateMode ? tr("Top Right Quarter") : tr("Right Half");
    case BottomButtonTag:
        return alternateMode ? tr("Bottom Right Quarter") : tr("Bottom Half");
    case LeftButtonTag:
        return alternateMode ? tr("Top Left Quarter") : tr("Left Half");
    default:
        return std::nullopt;
    }
}

Point ZRPalette::triggerLocationOr(Point fallback) const {
    if (m_currentTriggerUIElement) {
        const Rect frame = m_currentTriggerUIElement->frame();
        if (!frame.isEmpty())
            return ZRFlipPoint({frame.midX(), frame.midY()});
    }
    return fallback;
}

ZRPalette::ScreenDragDirections ZRPalette::screenDragDirectionsForButton(std::int64_t tag,
                                                                         Point buttonScreenOrigin) const {
    const std::vector<ZRVirtualScreen> screens = ZRVirtualScreen::screens(m_context.defaults);
    if (tag == RevertButtonTag || screens.size() < 2)
        return {};
    const Point location = triggerLocationOr(buttonScreenOrigin);
    const auto hasScreen = [&](std::int64_t position) {
        return ZRVirtualScreen::screenAtPosition(position, location, screens).has_value();
    };
    return {hasScreen(ZRPositionTop), hasScreen(ZRPositionRight), hasScreen(ZRPositionBottom),
            hasScreen(ZRPositionLeft)};
}

AXElementRef ZRPalette::focusReferenceWindow() const {
    if (const AXElementRef& window = m_gestures.snap.trackedWindow())
        return window;
    if (const AXElementRef& window = m_gestures.hover.window())
        return window;
    ZRActionController& engine = actions();
    if (const ZRKeyboardControlPanelInterface* panel = engine.keyboardControlPanel())
        if (AXElementRef window = panel->controlledWindow())
            return window;
    if (m_currentTriggerUIElement)
        if (const AXElementRef& window = m_currentTriggerUIElement->window())
            return window;
    if (const ZRFullSizeGridOpener* grid = engine.fullSizeGrid())
        return grid->controlledWindow();
    return nullptr;
}

void ZRPalette::setWindowFrame(const AXElementRef& window, const Rect& current, const Rect& target,
                               bool keepRightEdge, bool keepBottomEdge, std::int64_t position) {
    const Rect frame = ZRFlipRect(target);
    ZRWindowObserver& observer = m_context.windowObserver;
    observer.setPaused(true);
    const auto finish = [self = QPointer<ZRPalette>(this), &observer, window,
                         position](bool set, const std::optional<Rect>& obtained) {
        observer.setPaused(false);
        if (!self)
            return;
        if (set) {
            if (obtained)
                self->actions().storeLastSkafFrame(*obtained, position, window);
            if (ZRMouseControlsShouldActivateWindow(true, self->m_context.defaults))
                ZRRaiseWindow(window);
        }
        self->finishAction(window, !set);
    };
    const ZRWindowFrameRequest request{
        window,
        frame,
        {.includeDrawers = ZRAllowsForDrawers(m_context.defaults),
         .setSize = frame.size != current.size,
         .keepRightEdge = keepRightEdge,
         .keepBottomEdge = keepBottomEdge,
         .animate = boolSetting(QString::fromUtf16(ZRAnimationUserDefaultName))}};
    // Animated on the run loop's timers: the palette closes once the window is in place.
    if (request.options.animate) {
        ZRSetWindowFramesAnimated({request}, [finish](const ZRWindowFramesResult& result) {
            finish(result.set.front(), result.obtained.front());
        });
        return;
    }
    std::vector<std::optional<Rect>> obtained;
    const bool set = ZRSetWindowFrames({request}, &obtained).front();
    finish(set, obtained.front());
}

void ZRPalette::finishAction(const AXElementRef& window, bool failed) {
    m_context.focusWindow().updateApertureFrameForWindow(window);
    hideOverlayRegardless();
    if (failed)
        actions().beep();
}

void ZRPalette::skaf(const Sender& sender) {
    ZRActionController& engine = actions();
    AXElementRef window = m_currentTriggerUIElement ? m_currentTriggerUIElement->window() : nullptr;
    if (!window && engine.fullSizeGrid())
        window = engine.fullSizeGrid()->controlledWindow();
    if (!window) {
        finishAction(nullptr, true);
        return;
    }
    if (ZRWindowCanLeaveFullScreen(window)) {
        // The window may leave full screen only while "Control Full Screen Windows" is on.
        const bool controllable = ZRWindowIsControllable(window, m_context.defaults);
        if (controllable) {
            if (ZRKeyboardControlPanelInterface* panel = engine.keyboardControlPanel())
                panel->setActive(false);
            window = ZRExitFullScreen(window, m_context.defaults);
        }
        if (!controllable || !window) {
            finishAction(nullptr, true);
            return;
        }
    }

    bool keepRightEdge = false;
    bool keepBottomEdge = false;
    Rect target;
    std::int64_t position = ZRPositionNone;
    bool revert = false;
    if (sender.kind == Sender::Kind::Grid) {
        ZROverlayGridInterface* grid = sender.grid;
        if (!grid) {
            finishAction(window, true);
            return;
        }
        if (grid == m_grid && grid->placeholder()) {
            const Rect windowFrame = grid->representedWindowFrame();
            const Rect usableFrame = grid->representedSkafableFrame();
            hideOverlayRegardless();
            if (!engine.fullSizeGrid() ||
                !engine.fullSizeGrid()->activateForWindow(window, windowFrame, usableFrame, {}))
                engine.beep();
            return;
        }
        target = grid->representedWindowFrame();
        ZRGridGeometry::innerFrame(target, &keepRightEdge, &keepBottomEdge, grid->representedSkafableFrame(),
                                   m_context.defaults);
        position = GridSelectionPosition;
    } else {
        const Point location = triggerLocationOr(sender.screenOrigin);
        if (sender.kind == Sender::Kind::ZoomButtonOverlay) {
            const std::int64_t behavior = integerSetting(ZRMouseControlDefault::ZoomButtonBehavior);
            if (behavior >= PressesOwnButtonBehavior) {
                const AXElementRef button =
                    ZRTriggerUIElement::triggerKind(m_context.defaults) == 0 && m_currentTriggerUIElement
                        ? m_currentTriggerUIElement->triggerButton()
                        : ZRCopyZoomButton(window);
                if (engine.pressZoomButton(button, window, behavior == PressesOwnButtonBehavior)) {
                    hideOverlayRegardless();
                    return;
                }
            }
            if (sender.canRevert) {
                revert = true;
            } else {
                target = ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, location, ZRPositionNone,
                                                               m_context.defaults);
                const ZRStickyEdges edges = ZRStickyEdgeFlags(target, target, m_context.defaults);
                keepRightEdge = edges.keepRightEdge;
                keepBottomEdge = edges.keepBottomEdge;
                position = ZRPositionFull;
            }
        } else {
            position = positionForButton(sender.tag, sender.alternateMode);
            revert = position == ZRPositionNone;
        }
        if (revert) {
            position = ZRPositionNone;
            Rect original;
            target = engine.getOriginalFrame(original, window, false) ? ZRFlipRect(original) : Rect();
        } else if (sender.kind == Sender::Kind::Button) {
            if (sender.sectionDragDirection != -1)
                position = refinedPosition(position, sender.sectionDragDirection);
            target = ZRGridGeometry::windowFrameAtPosition(position, location, sender.screenDragDirection,
                                                           m_context.defaults);
            const Rect fill = ZRGridGeometry::windowFrameAtPosition(
                ZRPositionFull, location, sender.screenDragDirection, m_context.defaults);
            const ZRStickyEdges edges = ZRStickyEdgeFlags(target, fill, m_context.defaults);
            keepRightEdge = edges.keepRightEdge;
            keepBottomEdge = edges.keepBottomEdge;
        }
    }

    if (target.isEmpty() || !target.isFinite()) {
        finishAction(window, true);
        return;
    }
    const std::optional<Rect> current = ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_context.defaults));
    if (!current) {
        finishAction(window, true);
        return;
    }
    engine.storeOriginalFrame(*current, window);
    if (position == ZRPositionCenter)
        target =
            ZRCenteredFrame(ZRFlipRect(*current), target,
                            (m_context.platform.inputState().modifierFlags() & ModifierFlag::Shift) != 0);
    setWindowFrame(window, *current, target, keepRightEdge, keepBottomEdge, position);
}

ZRPalette::Sender ZRPalette::senderOfButton(const ZROverlayButton& button) const {
    Sender sender;
    sender.kind = Sender::Kind::Button;
    sender.tag = &button == m_revertButton ? RevertButtonTag : button.tag();
    sender.alternateMode = button.alternateMode();
    sender.sectionDragDirection = button.sectionDragDirection();
    sender.screenDragDirection = button.screenDragDirection();
    // The button's bottom left, where its bounds begin in bottom-up coordinates.
    sender.screenOrigin = cocoaPointFromQtPoint(QPointF(button.mapToGlobal(QPoint(0, button.height()))));
    return sender;
}

void ZRPalette::skaf(ZROverlayButton& button) {
    skaf(senderOfButton(button));
}

void ZRPalette::skaf(ZRZoomButtonOverlayWindow& overlay) {
    Sender sender;
    sender.kind = Sender::Kind::ZoomButtonOverlay;
    sender.canRevert = overlay.canRevert();
    sender.screenOrigin = overlay.cocoaFrame().origin;
    skaf(sender);
}

void ZRPalette::skaf(ZROverlayGridInterface& grid) {
    Sender sender;
    sender.kind = Sender::Kind::Grid;
    sender.grid = &grid;
    skaf(sender);
}
