#include "resources/Resources.h"

#include <QDir>
#include <QFileInfo>

QString resourceImagePath(const QString& name) {
    static const QString Extensions[] = {QStringLiteral(".png"), QStringLiteral(".svg")};
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    for (const QString& extension : Extensions) {
        const QString path = QStringLiteral(":/images/") + name + extension;
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

QString pathForResource(const QString& name, const QString& type) {
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || type.contains(QLatin1Char('/')))
        return {};
    const QString file = type.isEmpty() ? name : name + QLatin1Char('.') + type;
    const QDir root(QStringLiteral(":/"));
    for (const QString& folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString path = root.filePath(folder + QLatin1Char('/') + file);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}
