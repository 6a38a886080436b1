#include "toolkit/CollectionExtensions.h"

#include "toolkit/StringExtensions.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

// Four numbers, with nothing but braces, commas and white space around them.
std::optional<Rect> rectFromRecordText(const QString& text) {
    static const QRegularExpression number(QStringLiteral(R"([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)"));
    static const QRegularExpression separators(QStringLiteral(R"(^[\s{},]*$)"));
    double values[4] = {};
    int count = 0;
    qsizetype end = 0;
    auto it = number.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        if (count == 4 || !separators.match(text.mid(end, match.capturedStart() - end)).hasMatch())
            return std::nullopt;
        bool ok = false;
        values[count++] = match.captured().toDouble(&ok);
        if (!ok || !std::isfinite(values[count - 1]))
            return std::nullopt;
        end = match.capturedEnd();
    }
    if (count != 4 || !separators.match(text.mid(end)).hasMatch())
        return std::nullopt;
    return Rect(values[0], values[1], values[2], values[3]);
}

qint64 clampedInteger(double value) {
    if (!std::isfinite(value))
        return 0;
    constexpr double limit = 9223372036854775807.0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(value);
}

} // namespace

Rect rectValueOfObjectForKey(const QVariantMap& dictionary, const QString& key) {
    const QVariant value = dictionary.value(key);
    if (value.typeId() != QMetaType::QString)
        return {};
    return rectFromRecordText(value.toString()).value_or(Rect());
}

qint64 integerValueOfObjectForKey(const QVariantMap& dictionary, const QString& key) {
    const QVariant value = dictionary.value(key);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return value.toLongLong();
    case QMetaType::ULongLong:
        return static_cast<qint64>(
            std::min<quint64>(value.toULongLong(), std::numeric_limits<qint64>::max()));
    case QMetaType::Double:
    case QMetaType::Float:
        return clampedInteger(value.toDouble());
    case QMetaType::QString:
        return integerValue(value.toString());
    default:
        return 0;
    }
}

void setNumberWithInteger(QVariantMap& dictionary, qint64 value, const QString& key) {
    dictionary.insert(key, QVariant::fromValue(value));
}
