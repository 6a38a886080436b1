#include "platform/sim/SimPreferencesTool.h"

#include "platform/sim/SimSystemPreferences.h"

#include <optional>

namespace {

const QString WriteVerb = QStringLiteral("write");
const QString DeleteVerb = QStringLiteral("delete");
const QString GlobalDomainFlag = QStringLiteral("-g");
const QString BoolType = QStringLiteral("-bool");
const QString IntType = QStringLiteral("-int");
constexpr int WriteArgumentCount = 5;  // write <domain> <key> <type> <value>
constexpr int DeleteArgumentCount = 3; // delete <domain> <key>

SimProgramBehaviour failure(const QString& message) {
    SimProgramBehaviour behaviour;
    behaviour.exitCode = 1;
    behaviour.standardError = message.toUtf8() + '\n';
    return behaviour;
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

QVariant valueOf(const QString& type, const QString& text) {
    if (type == BoolType) {
        if (const auto value = boolNamed(text))
            return *value;
    } else if (type == IntType) {
        bool ok = false;
        const qint64 value = text.toLongLong(&ok);
        if (ok)
            return value;
    }
    return {};
}

} // namespace

SimProgramBehaviour runSimPreferencesTool(SimSystemPreferences& preferences, const QStringList& arguments) {
    const QString verb = arguments.value(0);
    const QString domain = domainNamed(arguments.value(1));
    const QString key = arguments.value(2);
    if (verb == WriteVerb && arguments.size() == WriteArgumentCount) {
        const QVariant value = valueOf(arguments.at(3), arguments.at(4));
        if (!value.isValid())
            return failure(QStringLiteral("cannot write \"%1\" as %2").arg(arguments.at(4), arguments.at(3)));
        if (!preferences.setValue(domain, key, value))
            return failure(QStringLiteral("cannot write key \"%1\" of domain \"%2\"").arg(key, domain));
        return {};
    }
    if (verb == DeleteVerb && arguments.size() == DeleteArgumentCount) {
        if (!preferences.removeValue(domain, key))
            return failure(
                QStringLiteral("no key \"%1\" in domain \"%2\"; nothing was changed").arg(key, domain));
        return {};
    }
    return failure(QStringLiteral("unsupported arguments: %1").arg(arguments.join(QLatin1Char(' '))));
}
