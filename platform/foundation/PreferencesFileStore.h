#pragma once

#include <QString>
#include <QVariant>
#include <functional>

// The desktop preferences of the real backends, one property-list file per domain in a folder:
// read by the program, written by the preferences tool. Each write is atomic.
class PreferencesFileStore {
public:
    explicit PreferencesFileStore(QString folder);

    // $XDG_CONFIG_HOME/Skaf/Preferences
    static QString defaultFolder();

    QVariant value(const QString& domain, const QString& key) const;
    bool setValue(const QString& domain, const QString& key, const QVariant& value, QString* error = nullptr);
    bool removeValue(const QString& domain, const QString& key, QString* error = nullptr);
    QString pathForDomain(const QString& domain) const;

private:
    // Reads the domain's file, lets edit change it, and writes it back when edit says it changed.
    bool editDomain(const QString& domain, QString* error, const std::function<bool(QVariantMap&)>& edit);

    QString m_folder;
};
