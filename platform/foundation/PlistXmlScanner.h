#pragma once

#include <QByteArray>
#include <QVariant>
#include <optional>

// A quick reader for XML property lists as writers make them: UTF-8, the usual declaration and
// document type, property-list elements without attributes, and XML's own entities. It answers only
// where it is sure to read what the full reader reads. For anything else (another encoding, a
// comment, a malformed or suspicious file) it answers nothing, and the full reader decides and says
// why, so every check of that reader holds for both.
class PlistXmlScanner {
public:
    static std::optional<QVariant> read(const QByteArray& data, int maxDepth);
};
