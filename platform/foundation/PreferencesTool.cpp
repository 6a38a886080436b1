#include "platform/foundation/PreferencesTool.h"

#include "platform/SystemPreferences.h"

#include <optional>

namespace {

const QString WriteVerb = QStringLiteral("write");
const QString DeleteVerb = QStringLiteral("delete");
const QString ReadVerb = QStringLiteral("read");
const QString GlobalDomainFlag = QStringLiteral("-g");
const QString BoolType = QStringLiteral("-bool");
const QString IntType = QStringLiteral("-int");
constexpr int WriteArgumentCount = 5; // write <domain> <key> <type> <value>
constexpr int KeyArgumentCount = 3;   // delete|read <domain> <key>

constexpr int FailureStatus = 1;
constexpr int UsageStatus = 2;

const char* const Usage = "usage: skaf-defaults write <domain> <key> -bool YES|NO\n"
                          "       skaf-defaults write <domain> <key> -int <integer>\n"
                          "       skaf-defaults delete <domain> <key>\n"
                          "       skaf-defaults read <domain> <key>\n"
                          "<domain> is -g for the global domain\n";

PreferencesToolResult failure(int status, const QString& message) {
    return {status, {}, "skaf-defaults: " + message.toUtf8() + '\n'};
}

QString domainArgument(const QString& domain) {
    return domain == SystemPreferences::GlobalDomain ? GlobalDomainFlag : domain;
}

QString domainNamed(const QString& argument) {
    return argument == GlobalDomainFlag ? SystemPreferences::GlobalDomain : argument;
}

std::optional<bool> boolNamed(const QString& text) {
    const QString word = text.toLower();
    if (word == QLatin1String("yes") || word == QLatin1String("true") || word == QLatin1String("1"))
        return true;
    if (word == QLatin1String("no") || word == QLatin1String("false") || word == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<QVariant> valueOf(const QString& type, const QString& text) {
    if (type == BoolType) {
        if (const auto value = boolNamed(text))
            return QVariant(*value);
    } else if (type == IntType) {
        bool ok = false;
        const qint64 value = text.toLongLong(&ok);
        if (ok)
            return QVariant(value);
    }
    return std::nullopt;
}

// Booleans read as 1 and 0, as the preferences tool of the original platform prints them.
QByteArray printed(const QVariant& value) {
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? "1\n" : "0\n";
    return value.toString().toUtf8() + '\n';
}

} // namespace

PreferencesToolResult runPreferencesTool(PreferencesToolStore& store, const QStringList& arguments) {
    const QString verb = arguments.value(0);
    const bool writes = verb == WriteVerb && arguments.size() == WriteArgumentCount;
    const bool keyed = (verb == DeleteVerb || verb == ReadVerb) && arguments.size() == KeyArgumentCount;
    if (!writes && !keyed)
        return {UsageStatus, {}, QByteArray(Usage)};

    const QString domain = domainNamed(arguments.at(1));
    const QString key = arguments.at(2);
    if (!store.isDomain(domain))
        return failure(FailureStatus, QStringLiteral("\"%1\" is no preferences domain").arg(domain));
    if (key.isEmpty())
        return failure(FailureStatus, QStringLiteral("the key is empty"));

    QString error;
    if (writes) {
        const auto value = valueOf(arguments.at(3), arguments.at(4));
        if (!value)
            return failure(UsageStatus,
                           QStringLiteral("cannot write \"%1\" as %2").arg(arguments.at(4), arguments.at(3)));
        if (!store.setValue(domain, key, *value, &error))
            return failure(
                FailureStatus,
                QStringLiteral("cannot write key \"%1\" of domain \"%2\": %3").arg(key, domain, error));
        return {};
    }

    const QVariant current = store.value(domain, key);
    if (!current.isValid())
        return failure(FailureStatus, QStringLiteral("no key \"%1\" in domain \"%2\"").arg(key, domain));
    if (verb == ReadVerb)
        return {0, printed(current), {}};
    if (!store.removeValue(domain, key, &error))
        return failure(
            FailureStatus,
            QStringLiteral("cannot delete key \"%1\" of domain \"%2\": %3").arg(key, domain, error));
    return {};
}

QStringList preferencesToolWriteArguments(const QString& domain, const QString& key, const QVariant& value) {
    if (value.metaType().id() == QMetaType::Bool)
        return {WriteVerb, domainArgument(domain), key, BoolType,
                value.toBool() ? QStringLiteral("YES") : QStringLiteral("NO")};
    return {WriteVerb, domainArgument(domain), key, IntType, QString::number(value.toLongLong())};
}

QStringList preferencesToolDeleteArguments(const QString& domain, const QString& key) {
    return {DeleteVerb, domainArgument(domain), key};
}
