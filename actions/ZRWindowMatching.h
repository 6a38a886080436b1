#pragma once

#include "platform/WindowServer.h"

#include <QString>
#include <QVariantList>
#include <optional>
#include <vector>

// A window of a running application that a layout's window description may stand for.
struct ZRRunningWindow {
    WindowListEntry entry;
    // Empty for an application without one.
    QString bundleIdentifier;
};

// The relevant windows of other applications front to back, minimised ones and those of hidden
// applications included, so that a layout can bring them back.
std::vector<ZRRunningWindow> ZRRunningWindows();

// For each description, the index of the running window it stands for, or none. A description matches
// only windows of its application (by bundle identifier when it has one, else by application name);
// each window serves one description. The very window the description was taken of is taken first (its
// number, while it lives), then windows with the description's title, then the remaining windows of the
// application in order, front to back.
std::vector<std::optional<std::size_t>>
ZRMatchWindowDescriptions(const QVariantList& windowDescriptions,
                          const std::vector<ZRRunningWindow>& windows);
