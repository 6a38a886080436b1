#pragma once

#include <QString>
#include <QUrl>

// The browser's pages are files or resources compiled into the program ("qrc:" URLs, ":" paths).

// The path of a file or resource URL; empty for other schemes.
QString localPathOfURL(const QUrl& url);
// The URL of a file path or a resource path.
QUrl urlOfLocalPath(const QString& path);
// Whether the URL (its fragment ignored) names an existing file inside the folder, once ".." and
// symbolic links are resolved on both sides. False for an empty folder.
bool isURLInsideFolder(const QUrl& url, const QString& folder);
