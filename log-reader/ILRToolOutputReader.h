#pragma once

#include "log-reader/ILRLogEntry.h"

#include <QByteArrayView>
#include <array>
#include <string>
#include <vector>

// Reads the log tool's JSON objects straight into entries. It takes and refuses exactly the texts that
// QJsonDocument takes and refuses, but builds no document: only the keys an entry keeps are decoded,
// and a text equal to the previous entry's is shared with it rather than decoded again.
class ILRToolOutputReader {
public:
    using Entries = std::vector<ILRLogEntry>;

    // Reads the text as the inside of a JSON array, "{…},{…}", and appends the entries of its objects
    // (other values are passed over). False, with nothing appended, when "[" + text + "]" is malformed.
    bool readElements(QByteArrayView text, Entries& entries);
    // Reads one object followed by nothing but white space; false, with nothing appended, when malformed.
    bool readObject(QByteArrayView text, Entries& entries);

    // Where the last refused text went wrong, from its start.
    qsizetype errorOffset() const { return m_errorOffset; }

    // The keys an entry is read from, in the order of Field.
    enum Field { EventMessage, ProcessImagePath, SenderImagePath, Subsystem, Timestamp, FieldCount };

    // A string value as it stands between its quotes.
    struct Text {
        const char* begin = nullptr;
        const char* end = nullptr;
        bool escaped = false;
        bool ascii = true;
    };

private:
    // The last text of a field and what it read as, which the next entry shares when its bytes are the same.
    struct Previous {
        std::string bytes;
        QString text;
    };

    void appendEntry(const std::array<Text, FieldCount>& fields, Entries& entries);
    QString text(Field field, const Text& value);

    std::array<Previous, FieldCount> m_previous;
    qsizetype m_errorOffset = 0;
};
