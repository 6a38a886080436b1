#pragma once

#include "platform/SystemPreferences.h"
#include "platform/foundation/PreferencesFileStore.h"

#include <QDateTime>
#include <QFileSystemWatcher>

// The desktop preferences of the X11 backend, kept in the program's own preference files: X11
// desktops have no common store of their own. They have no edge tiling to turn off, no menu over the
// zoom button, no Stage Manager and no drawers. Changes of the files, by whoever makes them, are told
// through `changed`.
class X11SystemPreferences : public SystemPreferences {
public:
    explicit X11SystemPreferences(QString folder = PreferencesFileStore::defaultFolder());

    QVariant value(const QString& domain, const QString& key) const override;
    bool setValue(const QString& domain, const QString& key, const QVariant& value) override;
    bool removeValue(const QString& domain, const QString& key) override;
    bool offersEdgeTiling() const override { return false; }
    bool offersZoomButtonMenuOption() const override { return false; }
    bool offersStageManager() const override { return false; }
    bool offersWindowDrawers() const override { return false; }
    QString preferencesToolPath() const override;
    // How often reads have looked at the files.
    std::uint64_t fileChecks() const { return m_store.fileChecks(); }

private:
    void watch();
    void folderChanged();

    PreferencesFileStore m_store;
    QString m_folder;
    QFileSystemWatcher m_watcher;
    // When the global domain's file last changed, to tell its changes from those of other domains.
    QDateTime m_globalModified;
};
