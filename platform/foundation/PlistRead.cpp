#include "platform/foundation/PlistRead.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace Plist {
namespace {

// 2^63 and 2^64 exactly, the first doubles beyond qint64 and quint64.
constexpr double TwoToThe63 = 9223372036854775808.0;
constexpr double TwoToThe64 = 18446744073709551616.0;

bool isIntegerType(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

bool isUnsignedType(const QVariant& value) {
    const int id = value.metaType().id();
    return id == QMetaType::ULong || id == QMetaType::ULongLong || id == QMetaType::UInt ||
           id == QMetaType::UShort;
}

bool isRealType(const QVariant& value) {
    const int id = value.metaType().id();
    return id == QMetaType::Double || id == QMetaType::Float;
}

bool isBoolType(const QVariant& value) {
    return value.metaType().id() == QMetaType::Bool;
}

bool wholeAndInRange(double value, double low, double high) {
    return std::isfinite(value) && std::trunc(value) == value && value >= low && value < high;
}

template <class T> PlistRead<T> found(T value) {
    return {std::move(value), PlistReadStatus::Ok};
}

template <class T> PlistRead<T> wrongType() {
    return {T{}, PlistReadStatus::WrongType};
}

// Numeric text as the settings store accepts it: an optional sign, digits, an optional fraction
// and exponent; surrounding white space is allowed.
std::optional<double> numberFromText(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

bool isNumber(const QVariant& value) {
    return isIntegerType(value) || isRealType(value) || isBoolType(value);
}

bool isInteger(const QVariant& value) {
    if (isIntegerType(value) || isBoolType(value))
        return true;
    return isRealType(value) && wholeAndInRange(value.toDouble(), -TwoToThe63, TwoToThe63);
}

bool isString(const QVariant& value) {
    return value.metaType().id() == QMetaType::QString;
}

PlistRead<QString> readString(const QVariantMap& map, const QString& key) {
    const auto it = map.constFind(key);
    if (it == map.cend())
        return {};
    return isString(*it) ? found(it->toString()) : wrongType<QString>();
}

PlistRead<qint64> readInteger(const QVariantMap& map, const QString& key) {
    const auto it = map.constFind(key);
    if (it == map.cend())
        return {};
    if (!isInteger(*it))
        return wrongType<qint64>();
    if (isUnsignedType(*it) && it->toULongLong() > quint64(std::numeric_limits<qint64>::max()))
        return wrongType<qint64>();
    if (isRealType(*it))
        return found(qint64(it->toDouble()));
    return found(it->toLongLong());
}

PlistRead<quint64> readUnsigned(const QVariantMap& map, const QString& key) {
    const auto it = map.constFind(key);
    if (it == map.cend())
        return {};
    if (isRealType(*it)) {
        const double value = it->toDouble();
        return wholeAndInRange(value, 0, TwoToThe64) ? found(quint64(value)) : wrongType<quint64>();
    }
    if (isUnsignedType(*it))
        return found(it->toULongLong());
    if (isIntegerType(*it) || isBoolType(*it)) {
        const qint64 value = it->toLongLong();
        return value >= 0 ? found(quint64(value)) : wrongType<quint64>();
    }
    return wrongType<quint64>();
}

PlistRead<bool> readBool(const QVariantMap& map, const QString& key) {
    const auto it = map.constFind(key);
    if (it == map.cend())
        return {};
    if (isBoolType(*it))
        return found(it->toBool());
    // Booleans and numbers are one kind of value in property lists.
    if (isIntegerType(*it))
        return found(isUnsignedType(*it) ? it->toULongLong() != 0 : it->toLongLong() != 0);
    if (isRealType(*it))
        return found(it->toDouble() != 0);
    return wrongType<bool>();
}

PlistRead<QVariantMap> readDictionary(const QVariantMap& map, const QString& key) {
    const auto it = map.constFind(key);
    if (it == map.cend())
        return {};
    return it->metaType().id() == QMetaType::QVariantMap ? found(it->toMap()) : wrongType<QVariantMap>();
}

PlistRead<QVariantList> readArray(const QVariantMap& map, const QString& key) {
    const auto it = map.constFind(key);
    if (it == map.cend())
        return {};
    const int id = it->metaType().id();
    return id == QMetaType::QVariantList || id == QMetaType::QStringList ? found(it->toList())
                                                                         : wrongType<QVariantList>();
}

std::optional<bool> coerceBool(const QVariant& value) {
    if (isBoolType(value))
        return value.toBool();
    if (isIntegerType(value))
        return isUnsignedType(value) ? value.toULongLong() != 0 : value.toLongLong() != 0;
    if (isRealType(value)) {
        const double number = value.toDouble();
        return std::isnan(number) ? std::nullopt : std::optional<bool>(number != 0);
    }
    if (isString(value)) {
        const QString text = value.toString();
        for (const char* yes : {"YES", "true", "1"}) {
            if (text.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0)
                return true;
        }
        for (const char* no : {"NO", "false", "0"}) {
            if (text.compare(QLatin1String(no), Qt::CaseInsensitive) == 0)
                return false;
        }
    }
    return std::nullopt;
}

std::optional<qint64> coerceInteger(const QVariant& value) {
    if (isBoolType(value))
        return value.toBool() ? 1 : 0;
    if (isIntegerType(value)) {
        if (isUnsignedType(value) && value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return value.toLongLong();
    }
    std::optional<double> number;
    if (isRealType(value))
        number = value.toDouble();
    else if (isString(value)) {
        // Whole numbers as text convert exactly, even beyond a double's 53 bits.
        bool ok = false;
        const qint64 whole = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return whole;
        number = numberFromText(value.toString());
    }
    // A fraction is cut off, as the settings store has always done with reals.
    if (number && std::isfinite(*number) && *number >= -TwoToThe63 && *number < TwoToThe63)
        return qint64(std::trunc(*number));
    return std::nullopt;
}

std::optional<double> coerceDouble(const QVariant& value) {
    if (isUnsignedType(value))
        return double(value.toULongLong());
    if (isNumber(value))
        return value.toDouble();
    if (isString(value))
        return numberFromText(value.toString());
    return std::nullopt;
}

std::optional<QString> coerceString(const QVariant& value) {
    if (isString(value))
        return value.toString();
    if (isBoolType(value))
        return QString::number(value.toBool() ? 1 : 0);
    if (isUnsignedType(value))
        return QString::number(value.toULongLong());
    if (isIntegerType(value))
        return QString::number(value.toLongLong());
    if (isRealType(value))
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return std::nullopt;
}

} // namespace Plist
