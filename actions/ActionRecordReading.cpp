#include "actions/ActionRecordReading.h"

#include "toolkit/ZRLog.h"

#include <QRegularExpression>
#include <array>
#include <cmath>

namespace ActionRecordReading {

namespace {

// Reads exactly N finite numbers, and nothing that looks like an infinity or a NaN.
template <std::size_t N> std::optional<std::array<double, N>> numbers(const QVariant& value) {
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString();
    static const QRegularExpression nonFinite(QStringLiteral("inf|nan"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (text.contains(nonFinite))
        return std::nullopt;
    static const QRegularExpression number(QStringLiteral(R"([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)"));
    std::array<double, N> values{};
    std::size_t count = 0;
    auto it = number.globalMatch(text);
    while (it.hasNext()) {
        const QString match = it.next().captured(0);
        if (count == N)
            return std::nullopt;
        bool ok = false;
        const double parsed = match.toDouble(&ok);
        if (!ok || !std::isfinite(parsed))
            return std::nullopt;
        values[count++] = parsed;
    }
    if (count != N)
        return std::nullopt;
    return values;
}

} // namespace

QString cappedText(const QString& text, const QString& key, const QString& context) {
    if (text.size() <= MaximumTextLength)
        return text;
    ZRLog("cutting \"%@\" of action %@ from %lld to %lld characters", key, context, qint64(text.size()),
          qint64(MaximumTextLength));
    // A pair of surrogates stays whole.
    qsizetype length = MaximumTextLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

std::optional<Rect> rectFromValue(const QVariant& value) {
    const auto v = numbers<4>(value);
    if (!v)
        return std::nullopt;
    return Rect((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
}

std::optional<Size> sizeFromValue(const QVariant& value) {
    const auto v = numbers<2>(value);
    if (!v)
        return std::nullopt;
    return Size{(*v)[0], (*v)[1]};
}

QString typeDescription(const QVariant& value) {
    if (!value.isValid())
        return QStringLiteral("nothing");
    return QString::fromLatin1(value.metaType().name());
}

} // namespace ActionRecordReading
