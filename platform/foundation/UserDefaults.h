#pragma once

#include "platform/Signal.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

class SystemPreferences;

// The program's settings: a registered domain (values given at start, never saved), a persistent
// domain kept as a property-list file, and the desktop's global domain, read in the order
// persistent, global, registered. Reads tell "no value" apart from NO and 0. The thread that makes the
// store (the main thread) changes it; reads may also come from workers, which see what it would.
class UserDefaults {
public:
    // The persistent domain lives in filePath; the global domain comes from systemPreferences when
    // given. Nothing is read until load().
    explicit UserDefaults(QString filePath, SystemPreferences* systemPreferences = nullptr);
    ~UserDefaults();

    // Where the program keeps its settings: $XDG_CONFIG_HOME/Skaf/Settings.plist.
    static QString defaultFilePath();

    // Broken: the file could not be read, or not moved aside; it is kept as it is and never saved over.
    enum class LoadResult { Loaded, NoFile, SetAside, Broken };
    // Reads the persistent domain. A file that fails to parse, or holds no dictionary, is renamed
    // with a time stamp beside it, logged, and never overwritten; the store then starts empty.
    LoadResult load();
    QString filePath() const;
    // Where the last broken file was moved; empty when none was.
    QString setAsidePath() const;

    void registerDefaults(const QVariantMap& defaults);

    // The value in the first domain that has one; invalid for none.
    QVariant object(const QString& key) const;
    bool hasValue(const QString& key) const;
    // The persistent domain alone.
    QVariant persistentObject(const QString& key) const;

    // Coercing reads; missing or unconvertible values read as NO, 0, 0.0 or empty.
    bool boolForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    double doubleForKey(const QString& key) const;
    QString stringForKey(const QString& key) const;
    QVariantMap dictionaryForKey(const QString& key) const;
    QVariantList arrayForKey(const QString& key) const;

    // The same reads, empty when there is no value or it does not convert.
    std::optional<bool> optionalBool(const QString& key) const;
    std::optional<qint64> optionalInteger(const QString& key) const;
    std::optional<double> optionalDouble(const QString& key) const;

    // An invalid value removes the key. Values that are no property list are refused and logged.
    void setObject(const QVariant& value, const QString& key);
    void setBool(bool value, const QString& key) { setObject(value, key); }
    void setInteger(qint64 value, const QString& key) { setObject(value, key); }
    void setDouble(double value, const QString& key) { setObject(value, key); }
    void setString(const QString& value, const QString& key) { setObject(value, key); }
    void removeObject(const QString& key);

    // Saves the persistent domain now, atomically; false (and logged) when it could not. Changes are
    // also saved by themselves shortly after they are made.
    [[nodiscard]] bool save();
    bool hasUnsavedChanges() const;

    // The file is read up to this size, so nothing larger is written: a save that would pass it fails and
    // leaves the file as it was. Property lists' own limit unless set.
    qint64 maximumFileBytes() const;
    void setMaximumFileBytes(qint64 bytes);
    // The size of the file as last read or written; 0 for none.
    qint64 storedFileBytes() const;
    // Whether the last save failed because the file would have passed the maximum.
    bool lastSaveWasTooLarge() const;

    QVariantMap persistentDomain() const;
    QVariantMap registeredDomain() const;

    // A key's value changed in the persistent or registered domain.
    Signal<const QString&> changed;

private:
    void scheduleSave();

    struct Private;
    std::unique_ptr<Private> d;
};
