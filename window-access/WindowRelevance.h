#pragma once

#include "platform/Geometry.h"
#include "platform/WindowServer.h"

#include <QString>
#include <optional>

// Whether a window-list entry is a window the program may act on, and whose it is. None when the
// entry is irrelevant: above window layer 99, nearly transparent, or excluded by its application's
// "Irrelevant" ignore lists (every window; a window without a title; a window that covers a whole
// screen; a window above the normal layer). Otherwise the owner's lowercase bundle identifier, empty
// when the owner has none. The bundle identifier is looked up once per run of the owner.
std::optional<QString> relevantLowercaseBundleIdentifierOrNullWithWindowFrame(const WindowListEntry& entry,
                                                                              const Rect& windowFrame);
