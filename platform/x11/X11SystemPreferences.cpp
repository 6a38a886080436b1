#include "platform/x11/X11SystemPreferences.h"

#include "platform/PlatformLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

X11SystemPreferences::X11SystemPreferences(QString folder) : m_store(folder), m_folder(std::move(folder)) {
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_watcher,
                     [this] { folderChanged(); });
    watch();
}

void X11SystemPreferences::watch() {
    // Files are replaced whole (written beside and renamed), so the folder is watched, not the files.
    if (!QDir().mkpath(m_folder) || !m_watcher.addPath(m_folder)) {
        platformLog(QStringLiteral("cannot watch the preferences in %1").arg(m_folder));
        return;
    }
    m_globalModified = QFileInfo(m_store.pathForDomain(GlobalDomain)).lastModified();
}

void X11SystemPreferences::folderChanged() {
    const QDateTime modified = QFileInfo(m_store.pathForDomain(GlobalDomain)).lastModified();
    if (modified == m_globalModified)
        return;
    m_globalModified = modified;
    changed.emit(GlobalDomain, QString());
}

QVariant X11SystemPreferences::value(const QString& domain, const QString& key) const {
    return m_store.value(domain, key);
}

bool X11SystemPreferences::setValue(const QString& domain, const QString& key, const QVariant& value) {
    QString error;
    if (m_store.setValue(domain, key, value, &error))
        return true;
    platformLog(QStringLiteral("cannot write the preference %1 of %2: %3").arg(key, domain, error));
    return false;
}

bool X11SystemPreferences::removeValue(const QString& domain, const QString& key) {
    QString error;
    if (m_store.removeValue(domain, key, &error))
        return true;
    platformLog(QStringLiteral("cannot remove the preference %1 of %2: %3").arg(key, domain, error));
    return false;
}

QString X11SystemPreferences::preferencesToolPath() const {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/skaf-defaults");
}
