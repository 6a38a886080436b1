#pragma once

#include "platform/foundation/PreferencesTool.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <memory>

// The desktop preferences of the real backends, one property-list file per domain in a folder:
// read by the program, written by the preferences tool. Each write is atomic.
class PreferencesFileStore : public PreferencesToolStore {
public:
    explicit PreferencesFileStore(QString folder);

    // $XDG_CONFIG_HOME/Skaf/Preferences
    static QString defaultFolder();

    bool isDomain(const QString& domain) const override { return !pathForDomain(domain).isEmpty(); }
    QVariant value(const QString& domain, const QString& key) const override;
    bool setValue(const QString& domain, const QString& key, const QVariant& value,
                  QString* error = nullptr) override;
    bool removeValue(const QString& domain, const QString& key, QString* error = nullptr) override;
    QString pathForDomain(const QString& domain) const;
    // How often reads have looked at the files (stat), for tests and benchmarks.
    std::uint64_t fileChecks() const;

private:
    // Reads the domain's file, lets edit change it, and writes it back when edit says it changed.
    bool editDomain(const QString& domain, QString* error, const std::function<bool(QVariantMap&)>& edit);

    QString m_folder;
    // Each domain as last read, kept while its file stays the same: settings fall through to the global
    // domain on every read, some of them on every mouse move.
    struct ReadCache;
    std::shared_ptr<ReadCache> m_readCache;
};
