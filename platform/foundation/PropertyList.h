#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Property lists as Qt values: QString, qint64 (or quint64 beyond its range), double, bool,
// QDateTime (UTC), QByteArray, QVariantList and QVariantMap. Reading never throws and tells why it
// failed. XML holds dates to the second, as the format does; binary input keeps milliseconds.
namespace PropertyList {

// Nesting deeper than this is refused when reading and writing.
constexpr int MaxDepth = 512;
// Input larger than this is refused before it is parsed.
constexpr qint64 MaxInputBytes = 256LL * 1024 * 1024;

struct ReadResult {
    QVariant value; // invalid on failure
    QString error;  // empty on success

    bool ok() const { return error.isEmpty(); }
};

// XML or binary, told apart by the content.
ReadResult fromData(const QByteArray& data);
// The full XML reader alone, without the quick one that fromData tries first (for tests: both read
// every file alike, or the quick one leaves it to the full one).
ReadResult fromXmlDataWithFullReader(const QByteArray& data);
// A missing file is an error like any other; the caller tells it apart with QFile::exists.
ReadResult readFile(const QString& path);

// Whether the value (and everything inside it) is one of the property-list types and can be
// written: any integer type, float and QStringList count too (they read back as qint64, double
// and QVariantList); text must hold no character that XML cannot carry.
bool isValid(const QVariant& value);

// The XML form; empty with an error when the value holds a type that has none, text that XML cannot
// carry (control characters other than tab, line feed and carriage return), or when it would be larger
// than the bytes its reader takes. Indented, unless only the form without indentation fits.
QByteArray toData(const QVariant& value, QString* error = nullptr, qint64 maximumBytes = MaxInputBytes);
// Written as XML, atomically: a failed write leaves the previous file whole.
[[nodiscard]] bool writeFile(const QString& path, const QVariant& value, QString* error = nullptr,
                             qint64 maximumBytes = MaxInputBytes);

} // namespace PropertyList
