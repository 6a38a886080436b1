#pragma once

#include "actions/ZRActionType.h"

#include <QString>
#include <memory>
#include <optional>

class ZRAction;

// One row of the cheat sheet of keys and hot keys, as the status menu and the keyboard control panel
// list them.
struct ZRKeyboardControlDescription {
    // None: an empty row between groups.
    std::optional<QString> actionName;
    QString keyboardShortcut;
    // The custom action whose icon the row shows; or else the type of a built-in entry.
    std::shared_ptr<ZRAction> customControl;
    std::optional<ZRActionType> action;
};
