#include "platform/foundation/PreferencesFileStore.h"
#include "platform/foundation/PreferencesTool.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

// skaf-defaults: the program's stand-in for the desktop's preferences tool, run as a child process to
// write the preferences that the real backends read.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    PreferencesFileStore store(PreferencesFileStore::defaultFolder());
    const PreferencesToolResult result = runPreferencesTool(store, arguments);
    std::fwrite(result.standardOutput.constData(), 1, static_cast<std::size_t>(result.standardOutput.size()),
                stdout);
    std::fwrite(result.standardError.constData(), 1, static_cast<std::size_t>(result.standardError.size()),
                stderr);
    return result.exitStatus;
}
