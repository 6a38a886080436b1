#include "mouse-control/ZRMouseControlFeatures.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKey.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ModifierFlagsMatching.h"

#include <cstdint>

namespace {

// The drop-snap modifier keys in the order the feature flags take them.
constexpr ModifierFlags DropSnapModifierOrder[] = {ModifierFlag::Shift, ModifierFlag::Function,
                                                   ModifierFlag::Control, ModifierFlag::Option,
                                                   ModifierFlag::Command};

// A snap position holds an action: text (a custom action) or a number other than 0.
bool snapPositionHasAction(const QVariant& value) {
    if (!value.isValid())
        return false;
    if (value.metaType().id() == QMetaType::QString)
        return true;
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok && static_cast<std::int64_t>(number) != 0;
}

bool anySnapPositionHasAction(const UserDefaults& defaults) {
    for (std::int64_t position = ZRFirstSnapZonePosition; position <= ZRLastSnapZonePosition; ++position)
        if (snapPositionHasAction(defaults.object(userDefaultNameForSnapPosition(position))))
            return true;
    return false;
}

// A layout with windows and a hot key that can show drop zones by this activation.
bool hasDropSnapLayoutWithHotKey(const ZRActionManager& store, std::int64_t activation) {
    for (const auto& action : store.allActions()) {
        if (action->actionType() != ZRActionTypeLayout || action->snapshot().isEmpty())
            continue;
        const auto hotKey = action->hotKey();
        if (hotKey && (activation == ZRDropSnapActivationHotKeyModifiers || !hotKey->isLocal()))
            return true;
    }
    return false;
}

// The hover keys of a setting, reduced to the keys the tap tells apart, so that a stored numeric-pad
// flag cannot make them unreachable.
ModifierFlags hoverModifiers(const UserDefaults& defaults, const QString& key) {
    return ZREventModifierMask(static_cast<ModifierFlags>(defaults.integerForKey(key))) & ZRTapModifierMask;
}

} // namespace

ZRMouseControlFeatures ZRMouseControlFeatures::fromSettings(const UserDefaults& defaults,
                                                            const ActionStore& store) {
    ZRMouseControlFeatures features;
    features.previewBeforeSnap = !defaults.boolForKey(ZRMouseControlDefault::AutoSnap);

    const bool snapBack = defaults.boolForKey(ZRMouseControlDefault::SnapBack);
    if (defaults.boolForKey(ZRMouseControlDefault::Snap)) {
        features.snapBackOn = snapBack;
        features.snapOn = anySnapPositionHasAction(defaults);
    } else {
        features.snapBackOn =
            defaults.boolForKey(ZRMouseControlDefault::SnapBackUndeadExtendedScope) && snapBack;
    }

    const bool hover = defaults.boolForKey(ZRMouseControlDefault::Hover);
    if (defaults.boolForKey(ZRMouseControlDefault::DropSnap)) {
        const std::int64_t activation = defaults.integerForKey(ZRMouseControlDefault::DropSnapActivation);
        if (activation == ZRDropSnapActivationHotKeyModifiers || activation == ZRDropSnapActivationHotKey) {
            features.dropSnapOn = hasDropSnapLayoutWithHotKey(store(), activation);
        } else {
            const bool keysHoverMove =
                hover && defaults.boolForKey(ZRMouseControlDefault::DropSnapModifierKeysActivateHoverMove);
            for (const ModifierFlags flag : DropSnapModifierOrder) {
                if (!defaults.hasValue(userDefaultNameForDropSnapModifier(flag)))
                    continue;
                features.dropSnapOn = true;
                if (!keysHoverMove)
                    break;
                features.dropSnapHoverModifiers |= flag;
            }
        }
    }

    if (hover) {
        features.hoverMoveModifiers = hoverModifiers(defaults, ZRMouseControlDefault::HoverMove);
        const ModifierFlags resize = hoverModifiers(defaults, ZRMouseControlDefault::HoverResize);
        features.hoverResizeModifiers = resize == features.hoverMoveModifiers ? 0 : resize;
    }
    return features;
}
