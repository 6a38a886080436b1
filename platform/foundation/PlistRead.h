#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

// Typed reads from property-list dictionaries that tell "missing" apart from "wrong type", for
// records that come from outside (the settings store, imported files, the pasteboard).

enum class PlistReadStatus { Ok, Missing, WrongType };

template <class T> struct PlistRead {
    T value{};
    PlistReadStatus status = PlistReadStatus::Missing;

    bool ok() const { return status == PlistReadStatus::Ok; }
    bool missing() const { return status == PlistReadStatus::Missing; }
    bool wrongType() const { return status == PlistReadStatus::WrongType; }
    std::optional<T> optional() const { return ok() ? std::optional<T>(value) : std::nullopt; }
    T valueOr(T fallback) const { return ok() ? value : fallback; }
};

namespace Plist {

bool isNumber(const QVariant& value);  // integer, real or boolean
bool isInteger(const QVariant& value); // an integer or boolean, or a real with no fraction
bool isString(const QVariant& value);

// Strict reads: the value must already have the type (numbers of any kind, booleans among them,
// count for integers, reals and booleans; a real must be whole, finite and in range to read as an
// integer; a negative number is no unsigned one).
PlistRead<QString> readString(const QVariantMap& map, const QString& key);
PlistRead<qint64> readInteger(const QVariantMap& map, const QString& key);
PlistRead<quint64> readUnsigned(const QVariantMap& map, const QString& key);
PlistRead<bool> readBool(const QVariantMap& map, const QString& key);
PlistRead<QVariantMap> readDictionary(const QVariantMap& map, const QString& key);
PlistRead<QVariantList> readArray(const QVariantMap& map, const QString& key);

// The settings store's coercions: a bool from a number or from "YES", "true" or "1" (and "NO",
// "false" or "0"), in any case; an integer or a real from a number or from numeric text (an
// integer drops a fraction). Nothing else converts.
std::optional<bool> coerceBool(const QVariant& value);
std::optional<qint64> coerceInteger(const QVariant& value);
std::optional<double> coerceDouble(const QVariant& value);
// Text, or a number written as text.
std::optional<QString> coerceString(const QVariant& value);

} // namespace Plist
