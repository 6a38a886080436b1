#include "resources/Resources.h"

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
