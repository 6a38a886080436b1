#include "platform/foundation/SessionBus.h"

#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char AddressVariable[] = "DBUS_SESSION_BUS_ADDRESS";
// An address of no transport: the bus library gives up on it at once, and starts nothing.
const char NoBusAddress[] = "disabled:";

bool s_avoided = false;

// The bus library's own default before it autolaunches: the user's bus that a service manager runs.
bool hasUserBus() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return false;
    struct stat info {};
    return ::stat(QFile::encodeName(QFile::decodeName(runtime) + QStringLiteral("/bus")).constData(),
                  &info) == 0 &&
           S_ISSOCK(info.st_mode) && info.st_uid == ::getuid();
}

} // namespace

namespace SessionBus {

void avoidAutolaunch() {
    if (!qEnvironmentVariableIsEmpty(AddressVariable) || hasUserBus())
        return;
    qputenv(AddressVariable, NoBusAddress);
    s_avoided = true;
}

QProcessEnvironment childEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (s_avoided)
        environment.remove(QString::fromLatin1(AddressVariable));
    return environment;
}

} // namespace SessionBus
