#include "platform/Geometry.h"

#include <QStringView>
#include <array>
#include <charconv>
#include <cmath>

namespace {

QString number(double value) {
    return QString::number(value, 'g', 17);
}

// Longer numbers than this are no coordinates.
constexpr std::size_t MaximumNumberLength = 64;
constexpr char16_t AsciiLowerCaseBit = 0x20;

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype skipDigits(QStringView text, qsizetype i) {
    while (i < text.size() && isAsciiDigit(text[i]))
        ++i;
    return i;
}

// Whether an infinity or a NaN starts at i.
bool startsNonFinite(QStringView text, qsizetype i) {
    if (i >= text.size())
        return false;
    const char16_t first = text[i].unicode() | AsciiLowerCaseBit;
    if (first != u'i' && first != u'n')
        return false;
    const QStringView rest = text.sliced(i);
    return rest.startsWith(QLatin1StringView("inf"), Qt::CaseInsensitive) ||
           rest.startsWith(QLatin1StringView("nan"), Qt::CaseInsensitive);
}

// The end of the number that starts at i, [-+]?(digits[.digits] | .digits)([eE][-+]?digits)?, or i when
// none does. A non-finite one (inf, nan) sets nonFinite. Records are read on every draw of a layout, so
// this is written out rather than matched with a regular expression.
qsizetype numberEnd(QStringView text, qsizetype start, bool& nonFinite) {
    qsizetype i = start;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    if (startsNonFinite(text, i)) {
        nonFinite = true;
        return i;
    }
    const qsizetype integral = skipDigits(text, i);
    qsizetype end = integral;
    if (end < text.size() && text[end] == u'.')
        end = skipDigits(text, end + 1);
    // Neither digits before the point nor after it: no number here.
    if (integral == i && end <= i + 1)
        return start;
    if (end < text.size() && (text[end] == u'e' || text[end] == u'E')) {
        qsizetype exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == u'-' || text[exponent] == u'+'))
            ++exponent;
        const qsizetype digits = skipDigits(text, exponent);
        if (digits > exponent)
            end = digits;
    }
    return end;
}

// Reads up to N numbers in order, whatever stands between them; missing ones stay 0. False when a number
// is not finite.
template <std::size_t N> bool readNumbers(const QString& text, std::array<double, N>& values) {
    values.fill(0);
    const QStringView view(text);
    std::size_t index = 0;
    for (qsizetype i = 0; i < view.size() && index < N;) {
        bool nonFinite = false;
        const qsizetype end = numberEnd(view, i, nonFinite);
        if (nonFinite)
            return false;
        if (end == i) {
            ++i;
            continue;
        }
        // The scan let through nothing but ASCII digits, signs, points and exponents.
        std::array<char, MaximumNumberLength> ascii{};
        const qsizetype from = view[i] == u'+' ? i + 1 : i;
        if (end - from > qsizetype(ascii.size()))
            return false;
        for (qsizetype k = from; k < end; ++k)
            ascii[std::size_t(k - from)] = char(view[k].unicode());
        double value = 0;
        const auto [parsed, error] = std::from_chars(ascii.data(), ascii.data() + (end - from), value);
        if (error != std::errc() || !std::isfinite(value))
            return false;
        values[index++] = value;
        i = end;
    }
    return true;
}

} // namespace

QString stringFromRect(const Rect& rect) {
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(number(rect.x()), number(rect.y()), number(rect.width()), number(rect.height()));
}

QString stringFromPoint(const Point& point) {
    return QStringLiteral("{%1, %2}").arg(number(point.x), number(point.y));
}

QString stringFromSize(const Size& size) {
    return QStringLiteral("{%1, %2}").arg(number(size.width), number(size.height));
}

Rect rectFromString(const QString& text) {
    std::array<double, 4> v{};
    if (!readNumbers(text, v))
        return {};
    return {v[0], v[1], v[2], v[3]};
}

Size sizeFromString(const QString& text) {
    std::array<double, 2> v{};
    if (!readNumbers(text, v))
        return {};
    return {v[0], v[1]};
}
