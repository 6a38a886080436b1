#pragma once

#include <QString>
#include <functional>

class QObject;

// Interface files are built in code: each is a named builder that makes the views, sets the owner's outlets
// and gives what it made an owner of its own. Main thread.
using ZRInterfaceBuilder = std::function<bool(QObject* owner)>;

// Registers the builder under the name; a later one replaces an earlier one.
void registerInterfaceBuilder(const QString& name, ZRInterfaceBuilder builder);

// Builds the named interface for the owner; false when there is no such interface or its builder fails.
bool vintageStyleLoadNibNamed(const QString& name, QObject* owner);
