#pragma once

#include "platform/Geometry.h"

#include <QByteArray>
#include <QChar>
#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

class QUrl;

// Log formats: printf's conversions, checked against the arguments' types while the program is built.
//   %@                any value with a description (below): strings, numbers, rectangles, variants…
//   %d %i %u %x %X %o integers (length modifiers h, hh, l, ll, q, z, t, j are accepted and ignored)
//   %f %e %g (%F %E %G) numbers
//   %s                text
//   %c %C             a character
//   %%                a percent sign
// Flags (- + space 0 #), a width and a precision may stand between the percent sign and the conversion.
// Other types join %@ through an overload of zrLogDescription in their own namespace.

QString zrLogDescription(const QString& value);
QString zrLogDescription(const QStringList& value);
QString zrLogDescription(const QByteArray& value);
QString zrLogDescription(const QVariant& value);
QString zrLogDescription(const QVariantList& value);
QString zrLogDescription(const QVariantMap& value);
QString zrLogDescription(const QUrl& value);
QString zrLogDescription(const Rect& value);
QString zrLogDescription(const Point& value);
QString zrLogDescription(const Size& value);
QString zrLogDescription(const void* pointer);
template <class T> QString zrLogDescription(const std::optional<T>& value);

namespace zrlog_detail {

enum class ArgumentKind { Integer, Boolean, Floating, Character, Text, Object, None };

template <class T, class... Ts> inline constexpr bool isOneOf = (std::is_same_v<T, Ts> || ...);

template <class T>
concept Describable = requires(const T& value) {
    { zrLogDescription(value) } -> std::convertible_to<QString>;
};

template <class T> consteval ArgumentKind kindOf() {
    using U = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<U, bool>)
        return ArgumentKind::Boolean;
    else if constexpr (isOneOf<U, char, char16_t, char32_t, QChar>)
        return ArgumentKind::Character;
    else if constexpr (std::is_integral_v<U> || std::is_enum_v<U>)
        return ArgumentKind::Integer;
    else if constexpr (std::is_floating_point_v<U>)
        return ArgumentKind::Floating;
    else if constexpr (isOneOf<U, const char*, char*, std::string, std::string_view, QByteArray,
                               QLatin1String, QStringView, QString>)
        return ArgumentKind::Text;
    else if constexpr (std::is_array_v<U> && isOneOf<std::remove_cv_t<std::remove_extent_t<U>>, char>)
        return ArgumentKind::Text;
    else if constexpr (Describable<U>)
        return ArgumentKind::Object;
    else
        return ArgumentKind::None;
}

// One conversion of a format, from the character after its percent sign to its conversion character.
struct ConversionSpec {
    bool leftAlign = false;
    bool zeroPad = false;
    bool plusSign = false;
    bool spaceSign = false;
    int width = 0;
    int precision = -1;
    char conversion = 0;
    std::size_t end = 0; // index after the conversion character
};

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Empty when the conversion is malformed or unknown.
constexpr std::optional<ConversionSpec> parseConversion(std::string_view format, std::size_t start) {
    ConversionSpec spec;
    std::size_t i = start;
    for (; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '-')
            spec.leftAlign = true;
        else if (c == '0')
            spec.zeroPad = true;
        else if (c == '+')
            spec.plusSign = true;
        else if (c == ' ')
            spec.spaceSign = true;
        else if (c != '#')
            break;
    }
    for (; i < format.size() && isDigit(format[i]); ++i)
        spec.width = spec.width * 10 + (format[i] - '0');
    if (i < format.size() && format[i] == '.') {
        spec.precision = 0;
        for (++i; i < format.size() && isDigit(format[i]); ++i)
            spec.precision = spec.precision * 10 + (format[i] - '0');
    }
    for (; i < format.size(); ++i) {
        const char c = format[i];
        if (c != 'h' && c != 'l' && c != 'q' && c != 'z' && c != 't' && c != 'j' && c != 'L')
            break;
    }
    if (i >= format.size())
        return std::nullopt;
    spec.conversion = format[i];
    spec.end = i + 1;
    constexpr std::string_view knownConversions = "@diuxXofFeEgGscC";
    if (knownConversions.find(spec.conversion) == std::string_view::npos)
        return std::nullopt;
    return spec;
}

// Calling one of these in a constant evaluation stops the build; the name says what is wrong.
void logFormatHasAMalformedOrUnknownConversion();
void logFormatHasMoreConversionsThanArguments();
void logFormatHasFewerConversionsThanArguments();
void logArgumentHasNoDescription();
void logIntegerConversionNeedsAnInteger();
void logNumberConversionNeedsANumber();
void logTextConversionNeedsText();
void logCharacterConversionNeedsACharacter();

consteval void checkConversion(char conversion, ArgumentKind kind) {
    switch (conversion) {
    case '@':
        return;
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
        if (kind != ArgumentKind::Integer && kind != ArgumentKind::Boolean)
            logIntegerConversionNeedsAnInteger();
        return;
    case 's':
        if (kind != ArgumentKind::Text)
            logTextConversionNeedsText();
        return;
    case 'c':
    case 'C':
        if (kind != ArgumentKind::Character)
            logCharacterConversionNeedsACharacter();
        return;
    default:
        if (kind != ArgumentKind::Floating && kind != ArgumentKind::Integer)
            logNumberConversionNeedsANumber();
        return;
    }
}

template <class... Args> consteval void checkFormat(std::string_view format) {
    constexpr ArgumentKind kinds[] = {kindOf<Args>()..., ArgumentKind::None};
    constexpr std::size_t count = sizeof...(Args);
    for (std::size_t i = 0; i < count; ++i) {
        if (kinds[i] == ArgumentKind::None)
            logArgumentHasNoDescription();
    }
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        const auto spec = parseConversion(format, i + 1);
        if (!spec)
            logFormatHasAMalformedOrUnknownConversion();
        if (next >= count)
            logFormatHasMoreConversionsThanArguments();
        checkConversion(spec->conversion, kinds[next]);
        ++next;
        i = spec->end - 1;
    }
    if (next != count)
        logFormatHasFewerConversionsThanArguments();
}

} // namespace zrlog_detail

// A format checked against the argument types Args.
template <class... Args> class ZRLogFormat {
public:
    template <std::size_t N> consteval ZRLogFormat(const char (&text)[N]) : m_text(text, N - 1) {
        zrlog_detail::checkFormat<Args...>(m_text);
    }
    constexpr std::string_view text() const { return m_text; }

private:
    std::string_view m_text;
};

// One argument of a log line, reduced to what the conversions need.
class ZRLogArgument {
public:
    enum class Kind { Signed, Unsigned, Floating, Boolean, Character, Text };

    template <class T> ZRLogArgument(const T& value) {
        using U = std::remove_cvref_t<T>;
        constexpr auto kind = zrlog_detail::kindOf<U>();
        if constexpr (kind == zrlog_detail::ArgumentKind::Boolean) {
            m_kind = Kind::Boolean;
            m_signed = value ? 1 : 0;
        } else if constexpr (kind == zrlog_detail::ArgumentKind::Character) {
            m_kind = Kind::Character;
            if constexpr (std::is_same_v<U, QChar>)
                m_text = characterText(value.unicode());
            else if constexpr (std::is_same_v<U, char>)
                m_text = characterText(static_cast<unsigned char>(value));
            else
                m_text = characterText(static_cast<char32_t>(value));
        } else if constexpr (std::is_enum_v<U>) {
            m_kind = Kind::Signed;
            m_signed = static_cast<long long>(value);
        } else if constexpr (kind == zrlog_detail::ArgumentKind::Integer && std::is_signed_v<U>) {
            m_kind = Kind::Signed;
            m_signed = value;
        } else if constexpr (kind == zrlog_detail::ArgumentKind::Integer) {
            m_kind = Kind::Unsigned;
            m_unsigned = value;
        } else if constexpr (kind == zrlog_detail::ArgumentKind::Floating) {
            m_kind = Kind::Floating;
            m_floating = static_cast<double>(value);
        } else if constexpr (kind == zrlog_detail::ArgumentKind::Text) {
            m_kind = Kind::Text;
            m_text = text(value);
        } else {
            m_kind = Kind::Text;
            m_text = zrLogDescription(value);
        }
    }

    long long signedValue() const;
    unsigned long long unsignedValue() const;
    double floatingValue() const;
    // The text of %@ (and of %s and %c for their kinds).
    QString description() const;

private:
    static QString characterText(char32_t character);
    static QString text(const char* value);
    static QString text(const std::string& value) { return QString::fromStdString(value); }
    static QString text(std::string_view value);
    static QString text(const QByteArray& value) { return QString::fromUtf8(value); }
    static QString text(QLatin1String value) { return value; }
    static QString text(QStringView value) { return value.toString(); }
    static QString text(const QString& value) { return value; }

    Kind m_kind = Kind::Text;
    long long m_signed = 0;
    unsigned long long m_unsigned = 0;
    double m_floating = 0;
    QString m_text;
};

namespace zrlog_detail {
// The finished line of a format checked by ZRLogFormat; use it only through such a format.
QString formatMessage(std::string_view format, std::initializer_list<ZRLogArgument> arguments);
} // namespace zrlog_detail

template <class T> QString zrLogDescription(const std::optional<T>& value) {
    if (!value)
        return QStringLiteral("(null)");
    return ZRLogArgument(*value).description();
}
