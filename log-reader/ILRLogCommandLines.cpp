#include "log-reader/ILRLogCommandLines.h"

namespace {

constexpr unsigned InfoLevel = 1;
constexpr unsigned DebugLevel = 2;

QStringList start(const char* command) {
    return {QString::fromLatin1(command), QStringLiteral("--style"), QStringLiteral("json")};
}

} // namespace

namespace ILRLogCommandLines {

QStringList live(const QString& predicate, unsigned level, bool) {
    QStringList arguments = start("stream");
    if (!predicate.isEmpty())
        arguments << QStringLiteral("--predicate") << predicate;
    arguments << QStringLiteral("--level")
              << (level == InfoLevel    ? QStringLiteral("info")
                  : level == DebugLevel ? QStringLiteral("debug")
                                        : QStringLiteral("default"));
    return arguments;
}

QStringList history(const QString& predicate, unsigned level, int numberOfDays, bool macOS15OrLater) {
    QStringList arguments = start("show");
    if (!predicate.isEmpty()) {
        arguments << QStringLiteral("--predicate");
        if (!macOS15OrLater)
            arguments << predicate;
        else if (level == DebugLevel)
            arguments << QStringLiteral("(%1) && !(subsystem BEGINSWITH \"com.apple\")").arg(predicate);
        else
            arguments << predicate + QStringLiteral(" && !(subsystem BEGINSWITH \"com.apple\")");
    }
    if (level == InfoLevel)
        arguments << QStringLiteral("--info");
    else if (level == DebugLevel)
        arguments << QStringLiteral("--debug");
    arguments << QStringLiteral("--last")
              << (numberOfDays == 0 ? QStringLiteral("1h") : QStringLiteral("%1d").arg(numberOfDays));
    return arguments;
}

QStringList lastMinutes(QStringList history, long minutes) {
    if (!history.isEmpty())
        history.last() = QStringLiteral("%1m").arg(minutes);
    return history;
}

QString defaultPredicate(const QString& bundleFolderName, unsigned level, bool macOS15OrLater) {
    const QString own =
        QStringLiteral("(processImagePath CONTAINS \"/%1/\") || (senderImagePath CONTAINS \"/%1/\")")
            .arg(bundleFolderName);
    if (level == DebugLevel)
        return own;
    const QString wrapper =
        macOS15OrLater
            ? QStringLiteral("(eventType == \"logEvent\") && (%1) && !(senderImagePath ENDSWITH "
                             "\"AggregateDictionary\") && !(senderImagePath ENDSWITH \"/CFNetwork\")")
            : QStringLiteral("(eventType == \"logEvent\") && !(subsystem BEGINSWITH \"com.apple\") && "
                             "(%1) && !(senderImagePath ENDSWITH \"AggregateDictionary\") && "
                             "!(senderImagePath ENDSWITH \"/CFNetwork\")");
    return wrapper.arg(own);
}

} // namespace ILRLogCommandLines
