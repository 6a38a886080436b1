#pragma once

#include <QtGlobal>
#include <functional>

class QWidget;
class RunLoop;
class UserDefaults;

// How the program shows itself, by the setting "Application Mode": a taskbar entry for its windows, a
// status item, both or neither. Without a taskbar entry the program is an accessory: its windows stay
// out of the taskbar and the window switcher.

inline constexpr char16_t ZRApplicationModeUserDefaultName[] = u"Application Mode";
// Shows the taskbar entry for now, whatever the mode says.
inline constexpr char16_t ZRApplicationModeTemporaryDockIconUserDefaultName[] =
    u"Application Mode: Temporary Dock Icon";

enum class ZRApplicationMode : qint64 {
    TaskbarEntry = 0,
    StatusItem = 1,
    Faceless = 2,
    TaskbarEntryAndStatusItem = 3,
};

// The stored mode; a value that names no mode reads as the status item alone.
ZRApplicationMode ZRCurrentApplicationMode(const UserDefaults& defaults);
bool ZRApplicationModeShowsStatusItem(ZRApplicationMode mode);
// Whether the stored modes ask for an accessory: no taskbar entry, and no temporary one either.
bool ZRApplicationModeWantsAccessory(const UserDefaults& defaults);

// Switches between accessory and regular; with activate, the program's front window is raised and
// takes the keyboard. changed (when given) tells whether the mode changed. The completion runs on the
// next turn of the main run loop, once the windows have taken their new kind.
void ZRSetAccessoryApplicationMode(bool accessory, bool activate, bool* changed,
                                   std::function<void()> completion, RunLoop& mainRunLoop);
// The same without a completion.
void ZRApplyAccessoryApplicationMode(bool accessory, bool activate, bool* changed = nullptr);
bool ZRIsAccessoryApplicationMode();
// Gives one top-level window the kind the mode asks for; windows made later call it before showing.
void ZRApplyApplicationModeToWindow(QWidget* window);
