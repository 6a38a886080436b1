#include "log-reader/ILRLogReaderFlags.h"

#include <QString>

const ILRLogReaderFlags& ILRLogReaderFlags::shared() {
    static const ILRLogReaderFlags flags = [] {
        ILRLogReaderFlags made;
        made.sandboxed = qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID") ||
                         qEnvironmentVariable("HOME").contains(QLatin1String("/Library/Containers/"));
        return made;
    }();
    return flags;
}
