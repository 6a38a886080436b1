#pragma once

class UserDefaults;

// The default settings the shell registers at launch, and the moves of older keys to current ones. The
// areas above the shell register the defaults of the settings they own themselves.

// Registers the defaults, some computed from older keys and from the first screen.
void ZRRegisterShellDefaults(UserDefaults& defaults);
// Moves the values of older keys; runs after the defaults are registered, at every launch.
void ZRMigrateShellDefaults(UserDefaults& defaults);
