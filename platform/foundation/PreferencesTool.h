#pragma once

#include <QByteArray>
#include <QStringList>

class PreferencesFileStore;

// What one run of the preferences tool answers: its exit status and what it prints.
struct PreferencesToolResult {
    int exitStatus = 0;
    QByteArray standardOutput;
    QByteArray standardError;
};

// The preferences tool's command lines, on a store of preference files:
//   write <domain> <key> -bool YES|NO      write <domain> <key> -int N
//   delete <domain> <key>                  read <domain> <key>
// with "-g" for the global domain. Anything else fails and changes nothing.
PreferencesToolResult runPreferencesTool(PreferencesFileStore& store, const QStringList& arguments);
