#include "log-reader/ILRToolOutputReader.h"

#include "log-reader/ILRLogDateFormatter.h"
#include "platform/foundation/LogTimestamp.h"

#include <QByteArray>
#include <QString>
#include <cstring>

namespace {

using Text = ILRToolOutputReader::Text;
using Field = ILRToolOutputReader::Field;

// QJsonDocument refuses anything nested deeper.
constexpr int NestingLimit = 1024;
// Integers of up to this many digits are read by any reader of numbers.
constexpr int SafeIntegerDigits = 18;

constexpr std::array<QByteArrayView, ILRToolOutputReader::FieldCount> FieldKeys{
    ILRLogEntry::EventMessageKey, ILRLogEntry::ProcessImagePathKey, ILRLogEntry::SenderImagePathKey,
    ILRLogEntry::SubsystemKey, ILRLogEntry::TimestampKey};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The length of the well-formed UTF-8 sequence at p (a byte of 0x80 or more), or 0: no overlong forms,
// no surrogates, nothing beyond U+10FFFF.
int utf8Length(const char* p, const char* end) {
    const auto lead = static_cast<unsigned char>(*p);
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    const auto second = static_cast<unsigned char>(p[1]);
    if (second < low || second > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (!isContinuation(static_cast<unsigned char>(p[i])))
            return 0;
    }
    return length;
}

// Decodes a text with escapes as QJsonDocument does: "\uXXXX" gives one UTF-16 unit as it stands, and
// an unknown escape the character after the backslash.
QString unescaped(const Text& value) {
    QString text;
    text.reserve(value.end - value.begin);
    const char* run = value.begin;
    for (const char* p = value.begin; p < value.end;) {
        if (*p != '\\') {
            ++p;
            continue;
        }
        text += QString::fromUtf8(run, p - run);
        const char escaped = p[1];
        p += 2;
        switch (escaped) {
        case 'b':
            text += u'\b';
            break;
        case 'f':
            text += u'\f';
            break;
        case 'n':
            text += u'\n';
            break;
        case 'r':
            text += u'\r';
            break;
        case 't':
            text += u'\t';
            break;
        case 'u': {
            char16_t unit = 0;
            for (int i = 0; i < 4; ++i)
                unit = char16_t(unit << 4 | hexValue(*p++));
            text += QChar(unit);
            break;
        }
        default:
            text += QChar(char16_t(static_cast<unsigned char>(escaped)));
        }
        run = p;
    }
    return text + QString::fromUtf8(run, value.end - run);
}

QString decoded(const Text& value) {
    const QByteArrayView bytes(value.begin, value.end);
    if (value.escaped)
        return unescaped(value);
    return value.ascii ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
}

// JSON as QJsonDocument reads it, which is more lenient than the standard: control characters inside
// strings, any escaped character, and numbers such as ".5" or "1." are taken.
class Scanner {
public:
    // Depth: how many arrays and objects the text stands in.
    Scanner(QByteArrayView text, int depth)
        : m_begin(text.data()), m_p(text.data()), m_end(text.data() + text.size()), m_depth(depth) {}

    qsizetype offset() const { return m_p - m_begin; }
    char peek() const { return *m_p; }

    // Skips white space; false at the end.
    bool skipSpace() {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r'))
            ++m_p;
        return m_p < m_end;
    }
    // Takes the next character after white space when it is the one expected.
    bool take(char expected) {
        if (!skipSpace() || *m_p != expected)
            return false;
        ++m_p;
        return true;
    }

    // A string, its opening quote already taken.
    bool string(Text& value) {
        value = Text{m_p, m_p, false, true};
        while (m_p < m_end) {
            const char c = *m_p;
            if (c == '"') {
                value.end = m_p++;
                return true;
            }
            if (c == '\\') {
                if (!escape())
                    return false;
                value.escaped = true;
            } else if (static_cast<unsigned char>(c) < 0x80) {
                ++m_p;
            } else {
                const int length = utf8Length(m_p, m_end);
                if (length == 0)
                    return false;
                m_p += length;
                value.ascii = false;
            }
        }
        return false;
    }

    // Any value after white space.
    bool value() {
        if (!skipSpace())
            return false;
        switch (*m_p) {
        case '"': {
            ++m_p;
            Text ignored;
            return string(ignored);
        }
        case '{':
            return object(nullptr);
        case '[':
            return array();
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        case ',':
        case ']':
        case '}':
            return false;
        default:
            return number();
        }
    }

    // An object at '{'; with fields, the string values of the entry's keys are noted, and a key that
    // comes again replaces what it had (a value other than a string reads as empty text).
    bool object(std::array<Text, ILRToolOutputReader::FieldCount>* fields) {
        return items('}', [this, fields] {
            Text key;
            if (!take('"') || !string(key) || !take(':'))
                return false;
            const int field = fields ? fieldOf(key) : -1;
            if (field < 0)
                return value();
            Text& text = (*fields)[std::size_t(field)];
            if (skipSpace() && *m_p == '"') {
                ++m_p;
                return string(text);
            }
            text = Text{};
            return value();
        });
    }

private:
    bool escape() {
        if (m_end - m_p < 2)
            return false;
        const char escaped = m_p[1];
        m_p += 2;
        if (escaped != 'u')
            return true;
        if (m_end - m_p < 4)
            return false;
        for (int i = 0; i < 4; ++i) {
            if (hexValue(*m_p++) < 0)
                return false;
        }
        return true;
    }

    bool array() {
        return items(']', [this] { return value(); });
    }

    // The items of an array or object at its opening bracket, separated by commas, up to the closing one.
    template <class Item> bool items(char closing, Item item) {
        ++m_p;
        if (++m_depth > NestingLimit || !skipSpace())
            return false;
        if (*m_p != closing) {
            while (true) {
                if (!item() || !skipSpace())
                    return false;
                if (*m_p == closing)
                    break;
                if (*m_p++ != ',')
                    return false;
            }
        }
        ++m_p;
        --m_depth;
        return true;
    }

    bool literal(QByteArrayView word) {
        if (m_end - m_p < word.size() || QByteArrayView(m_p, word.size()) != word)
            return false;
        m_p += word.size();
        return true;
    }

    // Numbers as QJsonDocument reads them: its loose grammar, then QByteArray's conversions, which refuse
    // what overflows or underflows a double.
    bool number() {
        const char* start = m_p;
        if (m_p < m_end && *m_p == '-')
            ++m_p;
        const char* digits = m_p;
        if (m_p < m_end && *m_p == '0') {
            ++m_p;
        } else {
            while (m_p < m_end && isDigit(*m_p))
                ++m_p;
        }
        const auto integerDigits = m_p - digits;
        bool integer = true;
        bool plain = true;
        if (m_p < m_end && *m_p == '.') {
            plain = false;
            for (++m_p; m_p < m_end && isDigit(*m_p); ++m_p)
                integer = integer && *m_p == '0';
        }
        if (m_p < m_end && (*m_p == 'e' || *m_p == 'E')) {
            plain = integer = false;
            ++m_p;
            if (m_p < m_end && (*m_p == '-' || *m_p == '+'))
                ++m_p;
            while (m_p < m_end && isDigit(*m_p))
                ++m_p;
        }
        if (plain && integerDigits > 0 && integerDigits <= SafeIntegerDigits)
            return true;
        const QByteArray text = QByteArray::fromRawData(start, m_p - start);
        bool ok = false;
        if (integer)
            text.toLongLong(&ok);
        if (!ok)
            text.toDouble(&ok);
        return ok;
    }

    static int fieldOf(const Text& key) {
        const QByteArrayView bytes(key.begin, key.end);
        if (!key.escaped) {
            for (std::size_t i = 0; i < FieldKeys.size(); ++i) {
                if (bytes == FieldKeys[i])
                    return int(i);
            }
            return -1;
        }
        const QString text = unescaped(key);
        for (std::size_t i = 0; i < FieldKeys.size(); ++i) {
            if (text == QLatin1StringView(FieldKeys[i]))
                return int(i);
        }
        return -1;
    }

    const char* m_begin;
    const char* m_p;
    const char* m_end;
    int m_depth;
};

} // namespace

bool ILRToolOutputReader::readElements(QByteArrayView text, Entries& entries) {
    const std::size_t before = entries.size();
    // Inside the array.
    Scanner in(text, 1);
    const auto refuse = [&] {
        m_errorOffset = in.offset();
        entries.resize(before);
        return false;
    };
    if (!in.skipSpace())
        return true;
    while (true) {
        if (!in.skipSpace())
            return refuse();
        if (in.peek() == '{') {
            std::array<Text, FieldCount> fields;
            if (!in.object(&fields))
                return refuse();
            appendEntry(fields, entries);
        } else if (!in.value()) {
            return refuse();
        }
        if (!in.skipSpace())
            return true;
        if (!in.take(','))
            return refuse();
    }
}

bool ILRToolOutputReader::readObject(QByteArrayView text, Entries& entries) {
    Scanner in(text, 0);
    std::array<Text, FieldCount> fields;
    if (!in.skipSpace() || in.peek() != '{' || !in.object(&fields) || in.skipSpace()) {
        m_errorOffset = in.offset();
        return false;
    }
    appendEntry(fields, entries);
    return true;
}

QString ILRToolOutputReader::text(Field field, const Text& value) {
    Previous& previous = m_previous[field];
    const auto size = std::size_t(value.end - value.begin);
    if (previous.bytes.size() == size &&
        (size == 0 || std::memcmp(previous.bytes.data(), value.begin, size) == 0))
        return previous.text;
    previous.bytes.assign(value.begin, size);
    QString text = decoded(value);
    if (text != previous.text)
        previous.text = text;
    return previous.text;
}

void ILRToolOutputReader::appendEntry(const std::array<Text, FieldCount>& fields, Entries& entries) {
    ILRLogEntry& entry = entries.emplace_back();
    entry.eventMessage = text(EventMessage, fields[EventMessage]);
    entry.processImagePath = text(ProcessImagePath, fields[ProcessImagePath]);
    entry.senderImagePath = text(SenderImagePath, fields[SenderImagePath]);
    entry.subsystem = text(Subsystem, fields[Subsystem]);
    const Text& timestamp = fields[Timestamp];
    int offsetSeconds = 0;
    const auto date =
        timestamp.escaped
            ? LogTimestamp::parse(QStringView(unescaped(timestamp)), &offsetSeconds)
            : LogTimestamp::parse(QByteArrayView(timestamp.begin, timestamp.end), &offsetSeconds);
    if (date) {
        entry.date = *date;
        entry.offsetSeconds = offsetSeconds;
    } else {
        entry.unreadableTimestamp = decoded(timestamp);
    }
    entry.displayTime = ILRLogDateFormatter::shared().displayTime(entry.date);
}
