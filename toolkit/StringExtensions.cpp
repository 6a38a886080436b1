#include "toolkit/StringExtensions.h"

#include <cmath>
#include <limits>

namespace {

constexpr char16_t HyphenationPoint = 0x2027;

int sign(qint64 difference) {
    return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}

// The digit run starting at index, without leading zeros.
QStringView digitRun(const QString& text, qsizetype& index) {
    while (index < text.size() - 1 && text.at(index) == u'0' && text.at(index + 1).isDigit())
        ++index;
    const qsizetype start = index;
    while (index < text.size() && text.at(index).isDigit())
        ++index;
    return QStringView(text).mid(start, index - start);
}

} // namespace

QString trimmedString(const QString& text) {
    return text.trimmed();
}

const QString& spacedMidDotSring() {
    static const QString text = QStringLiteral(" ") + QChar(HyphenationPoint) + QStringLiteral(" ");
    return text;
}

QString stringWithDouble(double value, int numberOfDecimals) {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'f', std::max(0, numberOfDecimals));
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        return QStringLiteral("0");
    return text;
}

QString stringWithLength(qint64 length, const QString& zeroSymbol, ZRMeasurementUnit measurementUnit,
                         bool appendPointsUnitSuffix) {
    if (length <= 0 && !zeroSymbol.isEmpty())
        return zeroSymbol;
    if (measurementUnit == ZRMeasurementUnit::Percent)
        return QStringLiteral("%1%").arg(length);
    if (appendPointsUnitSuffix)
        return QStringLiteral("%1 px").arg(length);
    return QString::number(length);
}

qint64 integerValue(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        negative = text.at(i++) == u'-';
    constexpr quint64 limit = std::numeric_limits<qint64>::max();
    quint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            break;
        magnitude =
            magnitude > limit / 10 ? limit + 1 : std::min<quint64>(magnitude * 10 + (c - u'0'), limit + 1);
    }
    if (negative)
        return magnitude > limit ? std::numeric_limits<qint64>::min() : -static_cast<qint64>(magnitude);
    return static_cast<qint64>(std::min(magnitude, limit));
}

int compareIntegerValue(const QString& text, const QString& other) {
    const qint64 a = integerValue(text);
    const qint64 b = integerValue(other);
    return a < b ? -1 : (a > b ? 1 : 0);
}

namespace {

int compareNumeric(const QString& text, const QString& other, Qt::CaseSensitivity sensitivity) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < text.size() && j < other.size()) {
        if (text.at(i).isDigit() && other.at(j).isDigit()) {
            const QStringView a = digitRun(text, i);
            const QStringView b = digitRun(other, j);
            if (a.size() != b.size())
                return sign(a.size() - b.size());
            if (const int order = a.compare(b); order != 0)
                return order < 0 ? -1 : 1;
            continue;
        }
        char32_t a = text.at(i).unicode();
        char32_t b = other.at(j).unicode();
        if (sensitivity == Qt::CaseInsensitive) {
            a = QChar::toCaseFolded(a);
            b = QChar::toCaseFolded(b);
        }
        if (a != b)
            return a < b ? -1 : 1;
        ++i;
        ++j;
    }
    return sign((text.size() - i) - (other.size() - j));
}

} // namespace

int ZRCompareCaseInsensitiveNumeric(const QString& text, const QString& other) {
    return compareNumeric(text, other, Qt::CaseInsensitive);
}

int ZRCompareNumeric(const QString& text, const QString& other) {
    return compareNumeric(text, other, Qt::CaseSensitive);
}
