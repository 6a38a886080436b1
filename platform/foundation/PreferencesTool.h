#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

// What one run of the preferences tool answers: its exit status and what it prints.
struct PreferencesToolResult {
    int exitStatus = 0;
    QByteArray standardOutput;
    QByteArray standardError;
};

// The preferences the tool edits: the files of the real backends, or the simulated desktop's memory.
class PreferencesToolStore {
public:
    virtual ~PreferencesToolStore() = default;
    virtual bool isDomain(const QString& domain) const = 0;
    // Invalid when the key is absent.
    virtual QVariant value(const QString& domain, const QString& key) const = 0;
    virtual bool setValue(const QString& domain, const QString& key, const QVariant& value,
                          QString* error) = 0;
    virtual bool removeValue(const QString& domain, const QString& key, QString* error) = 0;
};

// The preferences tool's command lines:
//   write <domain> <key> -bool YES|NO      write <domain> <key> -int N
//   delete <domain> <key>                  read <domain> <key>
// with "-g" for the global domain. Anything else fails and changes nothing.
PreferencesToolResult runPreferencesTool(PreferencesToolStore& store, const QStringList& arguments);

// The command lines that write a boolean or an integer (any other value writes as an integer) and that
// delete a key, as the program gives them to the tool.
QStringList preferencesToolWriteArguments(const QString& domain, const QString& key, const QVariant& value);
QStringList preferencesToolDeleteArguments(const QString& domain, const QString& key);
