#include "mouse-control/ZRMouseEventTapCallback.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKey.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlDropZones.h"
#include "mouse-control/ZRMouseControlHover.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "mouse-control/ZRMouseControlPalette.h"
#include "mouse-control/ZRMouseControlSnapping.h"
#include "mouse-control/ZRMouseController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ModifierFlagsMatching.h"
#include "toolkit/ZRCGEventWrapper.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double DefaultMouseDraggingThreshold = 0.3;
constexpr double MinimumMouseDraggingThreshold = 0.01;

bool isUsableLayout(const ZRAction& action) {
    return action.actionType() == ZRActionTypeLayout && !action.snapshot().isEmpty();
}

// The layout named by the first held drop-snap modifier key that has one, first in store order.
std::shared_ptr<ZRAction> layoutForDropSnapModifiers(const ZRActionManager& store, ModifierFlags held,
                                                     const ZRTappedEventSettings& settings) {
    std::array<const QString*, ZRDropSnapModifierLookupOrder.size()> identifiers{};
    std::size_t count = 0;
    for (const auto& [flag, identifier] : settings.dropSnapModifierLayouts)
        if ((held & flag) && !identifier.isEmpty())
            identifiers[count++] = &identifier;
    if (count == 0)
        return nullptr;
    const auto named = [&](const QString& uniqueIdentifier) {
        return std::any_of(identifiers.begin(), identifiers.begin() + count,
                           [&](const QString* identifier) { return *identifier == uniqueIdentifier; });
    };
    for (const auto& action : store.allActions())
        if (isUsableLayout(*action) && named(action->uniqueIdentifier()))
            return action;
    return nullptr;
}

// The layout whose hot key's modifiers are exactly the held ones, else the first whose modifiers are all
// held.
std::shared_ptr<ZRAction> layoutForHotKeyModifiers(const ZRActionManager& store, ModifierFlags held,
                                                   ModifierFlags excluded) {
    std::shared_ptr<ZRAction> candidate;
    for (const auto& action : store.allActions()) {
        if (!isUsableLayout(*action))
            continue;
        const auto hotKey = action->hotKey();
        const ModifierFlags keyFlags =
            hotKey ? ZREventModifierMask(hotKey->modifierFlags()) & ~excluded & ZRTapModifierMask : 0;
        if (keyFlags == held)
            return action;
        if (!candidate && keyFlags != 0 && (keyFlags & held) == keyFlags)
            candidate = action;
    }
    return candidate;
}

bool movedBeyond(const Point& point, const Point& previous, double threshold) {
    return std::abs(point.x - previous.x) > threshold || std::abs(point.y - previous.y) > threshold;
}

void postModifierFlagsChanged(NotificationCenter& notifications, const TapEvent& event) {
    notifications.post(ZRModifierFlagsChangedNotification, nullptr, ZRCGEventWrapper::wrapperForEvent(event));
}

} // namespace

double ZRMouseDraggingThreshold(const UserDefaults& defaults) {
    const auto stored = defaults.optionalDouble(ZRMouseControlDefault::MouseDraggingThreshold);
    return stored ? std::max(*stored, MinimumMouseDraggingThreshold) : DefaultMouseDraggingThreshold;
}

bool ZRMouseMovedBeyondThreshold(const Point& point, const Point& previous, const UserDefaults& defaults) {
    return movedBeyond(point, previous, ZRMouseDraggingThreshold(defaults));
}

ZRTappedEventSettings ZRReadTappedEventSettings(const ZRMouseController& controller) {
    const UserDefaults& defaults = controller.context().defaults;
    ZRTappedEventSettings settings;
    const bool waits = defaults.integerForKey(ZRMouseControlDefault::ZoomButtonBehavior) == 0;
    settings.paletteDelay =
        std::max(waits ? controller.delayForUserDefaultName(ZRMouseControlDefault::Delay) : 0.0,
                 ZRMinimumTappedMouseMovedDelay);
    settings.draggingThreshold = ZRMouseDraggingThreshold(defaults);
    settings.dropSnapActivation = defaults.integerForKey(ZRMouseControlDefault::DropSnapActivation);
    settings.suppressImplicitDropSnap =
        defaults.boolForKey(ZRMouseControlDefault::HoverMoveSuppressImplicitDropSnap);
    for (std::size_t i = 0; i < ZRDropSnapModifierLookupOrder.size(); ++i) {
        const ModifierFlags flag = ZRDropSnapModifierLookupOrder[i];
        const QVariant identifier = defaults.object(userDefaultNameForDropSnapModifier(flag));
        settings.dropSnapModifierLayouts[i] = {flag,
                                               identifier.isValid() ? identifier.toString() : QString()};
    }
    return settings;
}

bool ZRIsTappedEventSetting(const QString& key) {
    namespace D = ZRMouseControlDefault;
    for (const QString* name : {&D::ZoomButtonBehavior, &D::Delay, &D::MouseDraggingThreshold,
                                &D::DropSnapActivation, &D::HoverMoveSuppressImplicitDropSnap})
        if (key == *name)
            return true;
    return key.startsWith(DropSnapModifierUserDefaultPrefix);
}

void ZRScheduleTappedMouseMovedEvent(const TapEvent* event, ZRMouseController& controller) {
    if (event)
        controller.mouseMovedWait().restart(*event, controller.tappedEventSettings().paletteDelay);
    else
        controller.mouseMovedWait().cancel();
}

bool ZRProcessDropSnapModifiers(ZRMouseController& controller, ModifierFlags flags, bool always) {
    const ZRMouseControlFeatures& features = controller.features();
    if (!features.dropSnapOn)
        return false;
    const ZRTappedEventSettings& settings = controller.tappedEventSettings();
    const std::int64_t activation = settings.dropSnapActivation;
    if (activation == ZRDropSnapActivationHotKey)
        return false;

    // The hover-move keys held during a hover move need not select a layout of their own.
    const ModifierFlags hoverMove = features.hoverMoveModifiers;
    ModifierFlags held = flags;
    ModifierFlags excluded = 0;
    if (controller.gestures().hover.isMoveInProgress() && hoverMove != 0 &&
        (flags & hoverMove) == hoverMove && settings.suppressImplicitDropSnap) {
        held = flags & ~hoverMove;
        excluded = hoverMove;
    }

    std::shared_ptr<ZRAction> layout;
    if (held != 0) {
        const ZRActionManager& store = controller.context().actionStore();
        layout = activation == ZRDropSnapActivationHotKeyModifiers
                     ? layoutForHotKeyModifiers(store, held, excluded)
                     : layoutForDropSnapModifiers(store, held, settings);
    }
    if (!layout && !always)
        return false;
    if (!controller.dropZones().activateForAction(layout))
        return false;
    controller.keyboardMenu().close();
    return true;
}

void ZRMouseEventTapCallback(ZRMouseController& controller, const TapEvent& event) {
    const ZRMouseControlFeatures& features = controller.features();
    ZRHoverGesture& hover = controller.gestures().hover;
    ZRSnapGesture& snap = controller.gestures().snap;
    const ModifierFlags flags = event.flags & ZRTapModifierMask;
    const ModifierFlags move = features.hoverMoveModifiers;
    const ModifierFlags resize = features.hoverResizeModifiers;
    const ModifierFlags dropSnapHover = features.dropSnapHoverModifiers;
    // With drop snap on, more keys may be held beside the hover keys (they select drop zones); with it off
    // the keys must match exactly.
    const bool hoverMoveHeld =
        ((move != 0 && (flags & (features.dropSnapOn ? move : ZRTapModifierMask)) == move) ||
         (flags & dropSnapHover) != 0) &&
        flags != resize;
    const bool hoverResizeHeld =
        resize != 0 && (flags & (features.dropSnapOn ? resize : ZRTapModifierMask)) == resize;

    if (event.type == TapEventType::FlagsChanged) {
        if (hover.window()) {
            if (hover.isMoveInProgress() && hoverMoveHeld) {
                if (ZRProcessDropSnapModifiers(controller, flags, true) && !snap.trackedWindow())
                    controller.snapping().setSnapWindowFromTappedMouseEvent(&event);
            } else {
                if (hover.isMoveInProgress() && snap.trackedWindow()) {
                    controller.snapping().dropSnap();
                    controller.snapping().setSnapWindowFromTappedMouseEvent(nullptr);
                }
                hover.end();
            }
        } else if (snap.isMoving()) {
            ZRProcessDropSnapModifiers(controller, flags, true);
        }
        if (features.paletteOn)
            postModifierFlagsChanged(controller.context().notifications, event);
        return;
    }

    const bool snapping = features.snapsWindows();
    if (event.type == TapEventType::MouseMoved) {
        if (hoverMoveHeld) {
            controller.hover().moveOrResize(ZRHoverModeMove, &event);
            if (hover.isMoveInProgress() && snapping && !snap.trackedWindow()) {
                snap.noteMouseDown(event.location);
                controller.snapping().setSnapWindowFromTappedMouseEvent(&event);
                if (snap.trackedWindow())
                    snap.noteMoved();
            }
        } else if (hoverResizeHeld) {
            controller.hover().moveOrResize(ZRHoverModeResize, &event);
        }
    }

    if (features.paletteOn) {
        if (event.type == TapEventType::LeftMouseDown || event.type == TapEventType::RightMouseDown) {
            if (controller.palette().shouldHideOverlayForTappedMouseEvent(event)) {
                ZRScheduleTappedMouseMovedEvent(nullptr, controller);
                controller.hideOverlayRegardlessOnNextTurn();
            }
        } else if (event.type == TapEventType::MouseMoved) {
            // Motions followed elsewhere come back here in one move once they stop: a wait begun now would
            // end in the middle of them.
            ZRScheduleTappedMouseMovedEvent(controller.hover().followsMotion() ? nullptr : &event,
                                            controller);
        }
    }

    if (!snapping)
        return;
    const Point location = event.location;
    switch (event.type) {
    case TapEventType::LeftMouseDown:
        snap.noteMouseDown(location);
        controller.snapping().setSnapWindowFromTappedMouseEvent(&event);
        return;
    case TapEventType::LeftMouseUp:
        controller.snapping().dropSnap();
        controller.snapping().setSnapWindowFromTappedMouseEvent(nullptr);
        return;
    case TapEventType::MouseMoved:
        // A hover move drags its window for snapping as a drag would.
        if ((move == 0 && dropSnapHover == 0) || !hover.isMoveInProgress() || !snap.trackedWindow())
            return;
        break;
    case TapEventType::LeftMouseDragged:
        break;
    default:
        return;
    }
    if (!movedBeyond(location, snap.lastDragLocation(), controller.tappedEventSettings().draggingThreshold))
        return;
    controller.snapping().updateSnapWindowStatusWithTappedMouseDraggedEvent(event);
    if (snap.isMoving())
        ZRProcessDropSnapModifiers(controller, flags, false);
    controller.dropZones().updateWithCGLocation(location);
    if (features.snapOn)
        controller.snapping().prepareToSnap();
    if (features.snapBackOn)
        controller.snapping().snapBack();
    snap.noteDragged(location);
}
