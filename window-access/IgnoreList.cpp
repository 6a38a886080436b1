#include "window-access/IgnoreList.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/PropertyList.h"

#include <QDir>
#include <QFile>

namespace {

const QString DataFolderName = QStringLiteral("Skaf");
const QString FileName = QStringLiteral("Ignore.plist");
const QString LegacyFileName = QStringLiteral("Blacklist.plist");

const std::array<QString, ZRIgnoreList::CategoryCount> CategoryNames = {
    QStringLiteral("Content"),
    QStringLiteral("Full"),
    QStringLiteral("Front"),
    QStringLiteral("Position"),
    QStringLiteral("Irrelevant: Any"),
    QStringLiteral("Irrelevant: No Chrome"),
    QStringLiteral("Irrelevant: Full Screen"),
    QStringLiteral("Irrelevant: Dock Level"),
};

int indexOfCategory(ZRIgnoreListCategory category) {
    return static_cast<int>(category);
}

bool isValidCategory(ZRIgnoreListCategory category) {
    const int index = indexOfCategory(category);
    return index >= 0 && index < ZRIgnoreList::CategoryCount;
}

} // namespace

ZRIgnoreList& ZRIgnoreList::sharedList() {
    static ZRIgnoreList list;
    return list;
}

QString ZRIgnoreList::folderPath() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // XDG tells programs to ignore a relative base folder.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir(base).filePath(DataFolderName);
}

QString ZRIgnoreList::filePath() {
    return QDir(folderPath()).filePath(FileName);
}

QString ZRIgnoreList::legacyFilePath() {
    return QDir(folderPath()).filePath(LegacyFileName);
}

QString ZRIgnoreList::nameOfCategory(ZRIgnoreListCategory category) {
    return isValidCategory(category) ? CategoryNames[indexOfCategory(category)] : QString();
}

bool ZRIgnoreList::contains(const QString& lowercaseBundleIdentifier, ZRIgnoreListCategory category) {
    if (lowercaseBundleIdentifier.isEmpty() || !isValidCategory(category))
        return false;
    std::lock_guard lock(m_mutex);
    if (!m_loaded)
        loadLocked();
    return m_lists[indexOfCategory(category)].contains(lowercaseBundleIdentifier.toLower());
}

void ZRIgnoreList::reload() {
    std::lock_guard lock(m_mutex);
    loadLocked();
}

void ZRIgnoreList::loadLocked() {
    m_loaded = true;
    for (auto& list : m_lists)
        list.clear();

    QString path = filePath();
    if (!QFile::exists(path))
        path = legacyFilePath();
    if (!QFile::exists(path))
        return;

    const auto result = PropertyList::readFile(path);
    if (!result.ok()) {
        platformLog(QStringLiteral("cannot read ignore list %1: %2").arg(path, result.error));
        return;
    }
    if (result.value.typeId() != QMetaType::QVariantMap) {
        platformLog(QStringLiteral("cannot read ignore list %1: not a dictionary").arg(path));
        return;
    }
    const QVariantMap lists = result.value.toMap();
    for (int index = 0; index < CategoryCount; ++index) {
        const auto it = lists.constFind(CategoryNames[index]);
        if (it == lists.constEnd())
            continue;
        if (it->typeId() != QMetaType::QVariantList) {
            platformLog(QStringLiteral("ignore list \"%1\" is not an array").arg(CategoryNames[index]));
            continue;
        }
        for (const QVariant& identifier : it->toList()) {
            if (identifier.typeId() != QMetaType::QString || identifier.toString().trimmed().isEmpty()) {
                platformLog(QStringLiteral("ignore list \"%1\" skips an entry that is no bundle identifier")
                                .arg(CategoryNames[index]));
                continue;
            }
            m_lists[index].insert(identifier.toString().trimmed().toLower());
        }
    }
}

bool ZRApplicationIsIgnored(const QString& lowercaseBundleIdentifier, ZRIgnoreListCategory category) {
    return ZRIgnoreList::sharedList().contains(lowercaseBundleIdentifier, category);
}
