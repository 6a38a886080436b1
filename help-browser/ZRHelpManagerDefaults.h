#pragma once

// The help manager's settings.
namespace ZRHelpManagerDefaults {
// A relative path, optionally followed by "#" and a fragment, opened as soon as the manager exists.
inline constexpr char16_t OpenRelativePath[] = u"ZRHelpManager: Open Relative Path";
// Centres the controls of the quick-access strip.
inline constexpr char16_t CenterQuickAccess[] = u"ZRHelpManager: Center Quick Access";
} // namespace ZRHelpManagerDefaults
