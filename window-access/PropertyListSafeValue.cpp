#include "window-access/PropertyListSafeValue.h"

#include <QAssociativeIterable>
#include <QDateTime>
#include <QSequentialIterable>
#include <cmath>

namespace {

bool isCharacterXmlCarries(char16_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD);
}

// Property lists are written as XML, which cannot carry control characters or broken surrogates;
// log lines and window titles sometimes hold them. They become replacement characters.
QString textXmlCarries(const QString& text) {
    QString carried;
    bool changed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            if (changed)
                carried.append(text.mid(i, 2));
            ++i;
            continue;
        }
        const bool fits = isCharacterXmlCarries(c.unicode());
        if (!fits && !changed) {
            carried = text.left(i);
            changed = true;
        }
        if (changed)
            carried.append(fits ? c : QChar(QChar::ReplacementCharacter));
    }
    return changed ? carried : text;
}

QString description(const QVariant& value) {
    if (!value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QString:
        return textXmlCarries(value.toString());
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODateWithMs);
    case QMetaType::QByteArray:
        return QStringLiteral("<%1>").arg(QString::fromLatin1(value.toByteArray().toHex()));
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble());
    default:
        break;
    }
    if (value.canConvert<QString>()) {
        const QString text = textXmlCarries(value.toString());
        if (!text.isEmpty())
            return text;
    }
    return QStringLiteral("<%1>").arg(QString::fromLatin1(value.metaType().name()));
}

bool isSequence(const QVariant& value) {
    const int type = value.typeId();
    return type != QMetaType::QString && type != QMetaType::QByteArray &&
           QMetaType::canView(value.metaType(), QMetaType::fromType<QSequentialIterable>());
}

} // namespace

QVariant ZRPropertyListSafeValue(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return textXmlCarries(value.toString());
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return value;
    case QMetaType::Double:
    case QMetaType::Float:
        return std::isfinite(value.toDouble()) ? value : QVariant(description(value));
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        if (list.isEmpty())
            return value;
        QVariantList safe;
        safe.reserve(list.size());
        for (const QVariant& element : list)
            safe.append(ZRPropertyListSafeValue(element));
        return safe;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        if (map.isEmpty())
            return value;
        QVariantMap safe;
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            safe.insert(textXmlCarries(it.key()), ZRPropertyListSafeValue(it.value()));
        return safe;
    }
    default:
        break;
    }
    if (QMetaType::canView(value.metaType(), QMetaType::fromType<QAssociativeIterable>())) {
        const auto iterable = value.value<QAssociativeIterable>();
        QVariantMap safe;
        for (auto it = iterable.begin(); it != iterable.end(); ++it)
            safe.insert(description(it.key()), ZRPropertyListSafeValue(it.value()));
        return safe;
    }
    if (isSequence(value)) {
        QVariantList safe;
        for (const QVariant& element : value.value<QSequentialIterable>())
            safe.append(ZRPropertyListSafeValue(element));
        return safe;
    }
    return description(value);
}
