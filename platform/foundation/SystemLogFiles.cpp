#include "platform/foundation/SystemLogFiles.h"

#include <QDir>

namespace {
constexpr auto LogFolderName = "Skaf";
constexpr auto LogFileName = "Skaf.jsonl";
constexpr auto PreviousLogSuffix = ".1";
} // namespace

namespace SystemLogFiles {

QString defaultFilePath() {
    QString stateHome = qEnvironmentVariable("XDG_STATE_HOME");
    if (stateHome.isEmpty() || QDir::isRelativePath(stateHome))
        stateHome = QDir::homePath() + QStringLiteral("/.local/state");
    return stateHome + u'/' + QLatin1String(LogFolderName) + u'/' + QLatin1String(LogFileName);
}

QString previousFilePath(const QString& filePath) {
    return filePath + QLatin1String(PreviousLogSuffix);
}

} // namespace SystemLogFiles
