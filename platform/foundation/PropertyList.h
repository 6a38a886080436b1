#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Property lists as Qt values: QString, qint64 (or quint64 beyond its range), double, bool,
// QDateTime, QByteArray, QVariantList and QVariantMap. Reading never throws and tells why it failed.
namespace PropertyList {

enum class Format { Xml, Binary };

struct ReadResult {
    QVariant value;   // invalid on failure
    QString error;    // empty on success

    bool ok() const { return error.isEmpty(); }
};

// XML or binary, told apart by the content.
ReadResult fromData(const QByteArray& data);
// A missing file is an error like any other; the caller tells it apart with QFile::exists.
ReadResult readFile(const QString& path);

// Whether the value (and everything inside it) is one of the property-list types.
bool isValid(const QVariant& value);

// The XML form; empty with an error when the value holds a type that has none.
QByteArray toData(const QVariant& value, Format format = Format::Xml, QString* error = nullptr);
// Written as XML, atomically: a failed write leaves the previous file whole.
bool writeFile(const QString& path, const QVariant& value, QString* error = nullptr);

} // namespace PropertyList
