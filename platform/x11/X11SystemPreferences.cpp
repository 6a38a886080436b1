#include "platform/x11/X11SystemPreferences.h"

#include "platform/PlatformLog.h"

#include <QCoreApplication>

X11SystemPreferences::X11SystemPreferences(QString folder) : m_store(std::move(folder)) {}

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
