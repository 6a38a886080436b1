#include "help-browser/LocalFiles.h"

#include <QFileInfo>

namespace {
const QString FileScheme = QStringLiteral("file");
const QString ResourceScheme = QStringLiteral("qrc");
constexpr QChar ResourcePrefix = u':';
} // namespace

QString localPathOfURL(const QUrl& url) {
    if (url.scheme() == FileScheme)
        return url.toLocalFile();
    if (url.scheme() == ResourceScheme)
        return ResourcePrefix + url.path();
    return {};
}

QUrl urlOfLocalPath(const QString& path) {
    return path.startsWith(ResourcePrefix) ? QUrl(ResourceScheme + path) : QUrl::fromLocalFile(path);
}

bool isURLInsideFolder(const QUrl& url, const QString& folder) {
    const QString resolvedFolder = QFileInfo(folder).canonicalFilePath();
    const QString path = localPathOfURL(url.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments));
    const QString resolved = path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
    return !resolvedFolder.isEmpty() && !resolved.isEmpty() && resolved.startsWith(resolvedFolder + u'/');
}
