#include "toolkit/ZRLogFormat.h"

#include <QUrl>
#include <cstring>

namespace {

QString describeVariant(const QVariant& value);

QString describeList(const QVariantList& list) {
    QStringList parts;
    for (const auto& element : list)
        parts += describeVariant(element);
    return QStringLiteral("(") + parts.join(QStringLiteral(", ")) + QStringLiteral(")");
}

QString describeMap(const QVariantMap& map) {
    QStringList parts;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        parts += it.key() + QStringLiteral(" = ") + describeVariant(it.value());
    return QStringLiteral("{") + parts.join(QStringLiteral("; ")) + QStringLiteral("}");
}

QString describeVariant(const QVariant& value) {
    if (!value.isValid())
        return QStringLiteral("(null)");
    switch (value.typeId()) {
    case QMetaType::QVariantList:
        return describeList(value.toList());
    case QMetaType::QVariantMap:
        return describeMap(value.toMap());
    case QMetaType::QStringList:
        return zrLogDescription(value.toStringList());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("YES") : QStringLiteral("NO");
    case QMetaType::QByteArray:
        return QStringLiteral("<") + QString::fromLatin1(value.toByteArray().toHex()) + QStringLiteral(">");
    default:
        break;
    }
    if (value.canConvert<QString>())
        return value.toString();
    return QStringLiteral("<%1>").arg(QString::fromLatin1(value.typeName()));
}

// Pads to the width: spaces on the left (or the right when left-aligned), or zeros after the sign.
QString pad(QString text, const zrlog_detail::ConversionSpec& spec, bool numeric) {
    const qsizetype missing = spec.width - text.size();
    if (missing <= 0)
        return text;
    if (spec.leftAlign)
        return text + QString(missing, u' ');
    if (numeric && spec.zeroPad) {
        const qsizetype signLength =
            !text.isEmpty() && (text[0] == u'-' || text[0] == u'+' || text[0] == u' ');
        return text.insert(signLength, QString(missing, u'0'));
    }
    return QString(missing, u' ') + text;
}

QString withSign(QString digits, bool negative, const zrlog_detail::ConversionSpec& spec) {
    if (negative)
        return u'-' + digits;
    if (spec.plusSign)
        return u'+' + digits;
    if (spec.spaceSign)
        return u' ' + digits;
    return digits;
}

QString formatConversion(const zrlog_detail::ConversionSpec& spec, const ZRLogArgument& argument) {
    switch (spec.conversion) {
    case '@':
        return pad(argument.description(), spec, false);
    case 's': {
        QString text = argument.description();
        if (spec.precision >= 0)
            text.truncate(spec.precision);
        return pad(text, spec, false);
    }
    case 'c':
    case 'C':
        return pad(argument.description(), spec, false);
    case 'd':
    case 'i': {
        const long long value = argument.signedValue();
        const unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                       : static_cast<unsigned long long>(value);
        return pad(withSign(QString::number(magnitude), value < 0, spec), spec, true);
    }
    case 'u':
        return pad(QString::number(argument.unsignedValue()), spec, true);
    case 'x':
        return pad(QString::number(argument.unsignedValue(), 16), spec, true);
    case 'X':
        return pad(QString::number(argument.unsignedValue(), 16).toUpper(), spec, true);
    case 'o':
        return pad(QString::number(argument.unsignedValue(), 8), spec, true);
    default: {
        const double value = argument.floatingValue();
        const int precision = spec.precision >= 0 ? spec.precision : 6;
        QString text = QString::number(std::abs(value), spec.conversion, precision);
        return pad(withSign(text, std::signbit(value) && !std::isnan(value), spec), spec, true);
    }
    }
}

} // namespace

QString zrLogDescription(const QString& value) {
    return value;
}
QString zrLogDescription(const QStringList& value) {
    return QStringLiteral("(") + value.join(QStringLiteral(", ")) + QStringLiteral(")");
}
QString zrLogDescription(const QByteArray& value) {
    return QStringLiteral("<") + QString::fromLatin1(value.toHex()) + QStringLiteral(">");
}
QString zrLogDescription(const QVariant& value) {
    return describeVariant(value);
}
QString zrLogDescription(const QVariantList& value) {
    return describeList(value);
}
QString zrLogDescription(const QVariantMap& value) {
    return describeMap(value);
}
QString zrLogDescription(const QUrl& value) {
    return value.toString();
}
QString zrLogDescription(const Rect& value) {
    return stringFromRect(value);
}
QString zrLogDescription(const Point& value) {
    return stringFromPoint(value);
}
QString zrLogDescription(const Size& value) {
    return stringFromSize(value);
}
QString zrLogDescription(const void* pointer) {
    if (!pointer)
        return QStringLiteral("(null)");
    return QStringLiteral("0x") + QString::number(reinterpret_cast<quintptr>(pointer), 16);
}

long long ZRLogArgument::signedValue() const {
    switch (m_kind) {
    case Kind::Unsigned:
        return static_cast<long long>(m_unsigned);
    case Kind::Floating:
        return static_cast<long long>(m_floating);
    default:
        return m_signed;
    }
}

unsigned long long ZRLogArgument::unsignedValue() const {
    switch (m_kind) {
    case Kind::Unsigned:
        return m_unsigned;
    case Kind::Floating:
        return static_cast<unsigned long long>(m_floating);
    default:
        return static_cast<unsigned long long>(m_signed);
    }
}

double ZRLogArgument::floatingValue() const {
    switch (m_kind) {
    case Kind::Floating:
        return m_floating;
    case Kind::Unsigned:
        return static_cast<double>(m_unsigned);
    default:
        return static_cast<double>(m_signed);
    }
}

QString ZRLogArgument::description() const {
    switch (m_kind) {
    case Kind::Signed:
        return QString::number(m_signed);
    case Kind::Unsigned:
        return QString::number(m_unsigned);
    case Kind::Floating:
        return QString::number(m_floating, 'g', 17);
    case Kind::Boolean:
        return m_signed ? QStringLiteral("YES") : QStringLiteral("NO");
    default:
        return m_text;
    }
}

QString ZRLogArgument::characterText(char32_t character) {
    return QString::fromUcs4(&character, 1);
}

QString ZRLogArgument::text(const char* value) {
    return value ? QString::fromUtf8(value) : QStringLiteral("(null)");
}

QString ZRLogArgument::text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QString zrlog_detail::formatMessage(std::string_view format, std::initializer_list<ZRLogArgument> arguments) {
    QString message;
    message.reserve(static_cast<qsizetype>(format.size()));
    auto argument = arguments.begin();
    std::size_t literalStart = 0;
    const auto appendLiteral = [&](std::size_t end) {
        message +=
            QString::fromUtf8(format.data() + literalStart, static_cast<qsizetype>(end - literalStart));
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        appendLiteral(i);
        if (i + 1 < format.size() && format[i + 1] == '%') {
            message += u'%';
            literalStart = ++i + 1;
            continue;
        }
        // The format was checked when the program was built; these guards only keep a bad one harmless.
        const auto spec = zrlog_detail::parseConversion(format, i + 1);
        if (!spec || argument == arguments.end()) {
            literalStart = i;
            break;
        }
        message += formatConversion(*spec, *argument++);
        i = spec->end - 1;
        literalStart = spec->end;
    }
    if (literalStart < format.size())
        appendLiteral(format.size());
    return message;
}
