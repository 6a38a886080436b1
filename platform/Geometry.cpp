#include "platform/Geometry.h"

#include <array>
#include <QRegularExpression>

namespace {

QString number(double value) { return QString::number(value, 'g', 17); }

// Reads up to N numbers in order; missing ones stay 0. False when a number is not finite.
template <std::size_t N>
bool readNumbers(const QString& text, std::array<double, N>& values) {
    static const QRegularExpression numberPattern(
        QStringLiteral(R"([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?|[-+]?(?:inf|nan)(?:inity)?)"),
        QRegularExpression::CaseInsensitiveOption);
    values.fill(0);
    std::size_t index = 0;
    auto it = numberPattern.globalMatch(text);
    while (it.hasNext() && index < N) {
        bool ok = false;
        const double value = it.next().captured(0).toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return false;
        values[index++] = value;
    }
    return true;
}

} // namespace

QString stringFromRect(const Rect& rect) {
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(number(rect.x()), number(rect.y()), number(rect.width()), number(rect.height()));
}

QString stringFromPoint(const Point& point) { return QStringLiteral("{%1, %2}").arg(number(point.x), number(point.y)); }

QString stringFromSize(const Size& size) {
    return QStringLiteral("{%1, %2}").arg(number(size.width), number(size.height));
}

Rect rectFromString(const QString& text) {
    std::array<double, 4> v{};
    if (!readNumbers(text, v))
        return {};
    return {v[0], v[1], v[2], v[3]};
}

Point pointFromString(const QString& text) {
    std::array<double, 2> v{};
    if (!readNumbers(text, v))
        return {};
    return {v[0], v[1]};
}

Size sizeFromString(const QString& text) {
    std::array<double, 2> v{};
    if (!readNumbers(text, v))
        return {};
    return {v[0], v[1]};
}
