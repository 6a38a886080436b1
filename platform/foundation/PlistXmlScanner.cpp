#include "platform/foundation/PlistXmlScanner.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;

// The prologue this program and most others write; any other goes to the full reader.
constexpr std::string_view Declarations[] = {
    R"(<?xml version="1.0" encoding="UTF-8"?>)"sv,
    R"(<?xml version="1.0" encoding="utf-8"?>)"sv,
    R"(<?xml version="1.0"?>)"sv,
};
constexpr std::string_view DocumentType =
    R"(<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">)"sv;
constexpr std::string_view PlistTags[] = {"<plist>"sv, R"(<plist version="1.0">)"sv};
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF"sv;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::optional<QVariant> integerValue(std::string_view text) {
    text = trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    constexpr std::uint64_t LargestSigned = std::uint64_t(std::numeric_limits<qint64>::max());
    if (negative) {
        if (magnitude > LargestSigned + 1)
            return std::nullopt;
        return QVariant::fromValue(qint64(0 - magnitude));
    }
    if (magnitude <= LargestSigned)
        return QVariant::fromValue(qint64(magnitude));
    return QVariant::fromValue(quint64(magnitude));
}

std::optional<QVariant> realValue(std::string_view text) {
    text = trimmed(text);
    // Digits, a point, an exponent and a leading minus; words and plus signs go to the full reader.
    std::size_t i = text.starts_with('-') ? 1 : 0;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && isDigit(text[i]); ++i)
            ++digits;
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && text[i] == '-')
            ++i;
        const std::size_t exponentStart = i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        if (i == exponentStart)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return QVariant(value);
}

int number(std::string_view text, std::size_t at, std::size_t length) {
    int value = 0;
    for (std::size_t i = at; i < at + length; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// YYYY-MM-DDTHH:MM:SS, a fraction of up to nine digits kept to the millisecond, and Z.
std::optional<QVariant> dateValue(std::string_view text) {
    text = trimmed(text);
    constexpr std::string_view Shape = "0000-00-00T00:00:00"sv;
    constexpr std::size_t MaxFractionDigits = 9;
    constexpr std::size_t MillisecondDigits = 3;
    if (text.size() < Shape.size() + 1 || text.back() != 'Z')
        return std::nullopt;
    for (std::size_t i = 0; i < Shape.size(); ++i)
        if (Shape[i] == '0' ? !isDigit(text[i]) : text[i] != Shape[i])
            return std::nullopt;
    int ms = 0;
    const std::string_view rest = text.substr(Shape.size(), text.size() - Shape.size() - 1);
    if (!rest.empty()) {
        if (rest.front() != '.' || rest.size() < 2 || rest.size() > MaxFractionDigits + 1)
            return std::nullopt;
        for (std::size_t i = 1; i < rest.size(); ++i) {
            if (!isDigit(rest[i]))
                return std::nullopt;
            if (i <= MillisecondDigits)
                ms = ms * 10 + (rest[i] - '0');
        }
        for (std::size_t i = rest.size(); i <= MillisecondDigits; ++i)
            ms *= 10;
    }
    const QDate date(number(text, 0, 4), number(text, 5, 2), number(text, 8, 2));
    const QTime time(number(text, 11, 2), number(text, 14, 2), number(text, 17, 2), ms);
    if (!date.isValid() || !time.isValid() || date.year() < 1)
        return std::nullopt;
    return QVariant(QDateTime(date, time, Qt::UTC));
}

std::optional<QVariant> dataValue(std::string_view text) {
    QByteArray compact;
    compact.reserve(qsizetype(text.size()));
    for (char c : text)
        if (!isSpace(c))
            compact.append(c);
    auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return QVariant(*decoded);
}

class Scanner {
public:
    Scanner(const QByteArray& data, int maxDepth)
        : m_text(data.constData(), std::size_t(data.size())), m_maxDepth(maxDepth) {}

    std::optional<QVariant> read() {
        skip(Utf8ByteOrderMark);
        if (m_text.substr(m_at).starts_with("<?"sv) && !skipAny(Declarations))
            return std::nullopt;
        skipSpace();
        if (m_text.substr(m_at).starts_with("<!"sv) && !skip(DocumentType))
            return std::nullopt;
        skipSpace();
        const bool wrapped = skipAny(PlistTags);
        if (!readValue())
            return std::nullopt;
        skipSpace();
        if (wrapped && !skip("</plist>"sv))
            return std::nullopt;
        skipSpace();
        if (m_at != m_text.size())
            return std::nullopt;
        return std::move(m_root);
    }

private:
    struct Frame {
        bool isDictionary = false;
        bool hasKey = false;
        QString key;
        QVariantList list;
        QVariantMap map;
    };
    struct Tag {
        std::string_view name;
        bool empty = false; // <name/>
    };

    bool skip(std::string_view literal) {
        if (!m_text.substr(m_at).starts_with(literal))
            return false;
        m_at += literal.size();
        return true;
    }

    template <std::size_t N> bool skipAny(const std::string_view (&literals)[N]) {
        for (std::string_view literal : literals)
            if (skip(literal))
                return true;
        return false;
    }

    void skipSpace() {
        while (m_at < m_text.size() && isSpace(m_text[m_at]))
            ++m_at;
    }

    // <name>, <name/> or <name >: elements of property lists have no attributes.
    std::optional<Tag> startTag() {
        if (!skip("<"sv))
            return std::nullopt;
        const std::size_t start = m_at;
        while (m_at < m_text.size() && m_text[m_at] >= 'a' && m_text[m_at] <= 'z')
            ++m_at;
        Tag tag{m_text.substr(start, m_at - start)};
        skipSpace();
        if (tag.name.empty())
            return std::nullopt;
        tag.empty = skip("/"sv);
        if (!skip(">"sv))
            return std::nullopt;
        return tag;
    }

    bool endTag(std::string_view name) {
        if (!skip("</"sv) || !skip(name))
            return false;
        skipSpace();
        return skip(">"sv);
    }

    // The text up to the end tag, with XML's entities resolved; nothing when it holds markup, a
    // character that XML cannot carry, a carriage return (which XML would change) or bad UTF-8.
    std::optional<std::string_view> text(std::string_view name) {
        const std::size_t start = m_at;
        bool escaped = false;
        bool wide = false;
        for (; m_at < m_text.size() && m_text[m_at] != '<'; ++m_at) {
            const auto c = static_cast<unsigned char>(m_text[m_at]);
            if (c == '&')
                escaped = true;
            else if (c >= 0x80)
                wide = true;
            else if ((c < 0x20 && c != '\t' && c != '\n') ||
                     (c == '>' && m_text.substr(start, m_at - start).ends_with("]]"sv)))
                return std::nullopt;
        }
        std::string_view raw = m_text.substr(start, m_at - start);
        if (!endTag(name))
            return std::nullopt;
        if (wide && !hasOnlyXmlCharacters(raw))
            return std::nullopt;
        if (!escaped)
            return raw;
        m_buffer.clear();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '&') {
                m_buffer += raw[i];
                continue;
            }
            const std::size_t semicolon = raw.find(';', i);
            if (semicolon == std::string_view::npos)
                return std::nullopt;
            const std::string_view entity = raw.substr(i + 1, semicolon - i - 1);
            if (!appendEntity(entity))
                return std::nullopt;
            i = semicolon;
        }
        return std::string_view(m_buffer);
    }

    static bool hasOnlyXmlCharacters(std::string_view raw) {
        if (!QByteArrayView(raw.data(), qsizetype(raw.size())).isValidUtf8())
            return false;
        // U+FFFE and U+FFFF are valid UTF-8 but no XML characters.
        return raw.find("\xEF\xBF\xBE"sv) == std::string_view::npos &&
               raw.find("\xEF\xBF\xBF"sv) == std::string_view::npos;
    }

    bool appendEntity(std::string_view entity) {
        static constexpr std::pair<std::string_view, char> Named[] = {
            {"amp"sv, '&'}, {"lt"sv, '<'}, {"gt"sv, '>'}, {"quot"sv, '"'}, {"apos"sv, '\''}};
        for (const auto& [name, c] : Named)
            if (entity == name) {
                m_buffer += c;
                return true;
            }
        if (!entity.starts_with('#') || entity.size() < 2)
            return false;
        const bool hex = entity[1] == 'x';
        const std::string_view digits = entity.substr(hex ? 2 : 1);
        std::uint32_t code = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
            !isXmlChar(code))
            return false;
        appendUtf8(m_buffer, code);
        return true;
    }

    std::optional<QVariant> scalar(const Tag& tag) {
        const std::string_view name = tag.name;
        if (name == "true"sv || name == "false"sv) {
            if (!tag.empty) {
                const auto content = text(name);
                if (!content || !trimmed(*content).empty())
                    return std::nullopt;
            }
            return QVariant(name == "true"sv);
        }
        std::string_view content;
        if (!tag.empty) {
            const auto read = text(name);
            if (!read)
                return std::nullopt;
            content = *read;
        }
        if (name == "string"sv)
            return QVariant(QString::fromUtf8(content.data(), qsizetype(content.size())));
        // Numbers, dates and data in anything but plain ASCII go to the full reader.
        for (char c : content)
            if (static_cast<unsigned char>(c) >= 0x80)
                return std::nullopt;
        if (name == "integer"sv)
            return integerValue(content);
        if (name == "real"sv)
            return realValue(content);
        if (name == "date"sv)
            return dateValue(content);
        if (name == "data"sv)
            return dataValue(content);
        return std::nullopt;
    }

    // The root value has been delivered.
    bool deliver(QVariant value) {
        if (m_stack.empty()) {
            m_root = std::move(value);
            return true;
        }
        Frame& top = m_stack.back();
        if (top.isDictionary) {
            top.map.insert(top.map.cend(), top.key, std::move(value));
            top.hasKey = false;
        } else {
            top.list.append(std::move(value));
        }
        return false;
    }

    bool readValue() {
        while (true) {
            skipSpace();
            if (!m_stack.empty() && m_text.substr(m_at).starts_with("</"sv)) {
                Frame& top = m_stack.back();
                if ((top.isDictionary && top.hasKey) || !endTag(top.isDictionary ? "dict"sv : "array"sv))
                    return false;
                QVariant value =
                    top.isDictionary ? QVariant(std::move(top.map)) : QVariant(std::move(top.list));
                m_stack.pop_back();
                if (deliver(std::move(value)))
                    return true;
                continue;
            }
            const auto tag = startTag();
            if (!tag)
                return false;
            const bool inDictionary = !m_stack.empty() && m_stack.back().isDictionary;
            if (tag->name == "key"sv) {
                if (!inDictionary || m_stack.back().hasKey)
                    return false;
                const auto key = tag->empty ? std::optional<std::string_view>(""sv) : text(tag->name);
                if (!key)
                    return false;
                m_stack.back().key = QString::fromUtf8(key->data(), qsizetype(key->size()));
                m_stack.back().hasKey = true;
                continue;
            }
            if (inDictionary && !m_stack.back().hasKey)
                return false;
            const bool dictionary = tag->name == "dict"sv;
            if (dictionary || tag->name == "array"sv) {
                if (tag->empty) {
                    if (deliver(dictionary ? QVariant(QVariantMap()) : QVariant(QVariantList())))
                        return true;
                    continue;
                }
                if (int(m_stack.size()) >= m_maxDepth)
                    return false;
                m_stack.emplace_back().isDictionary = dictionary;
                continue;
            }
            auto value = scalar(*tag);
            if (!value)
                return false;
            if (deliver(std::move(*value)))
                return true;
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    int m_maxDepth;
    std::vector<Frame> m_stack;
    std::string m_buffer;
    QVariant m_root;
};

} // namespace

std::optional<QVariant> PlistXmlScanner::read(const QByteArray& data, int maxDepth) {
    return Scanner(data, maxDepth).read();
}
