#include "platform/foundation/PropertyList.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PlistXmlScanner.h"
#include "platform/foundation/RegularFile.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

// Both readers are our own rather than libplist's: its XML reader turns malformed dates, integers
// and reals into plausible wrong values, clamps dates to 1933-2069, and its binary reader recurses
// once per nesting level, which a hostile file turns into a crash.

namespace PropertyList {
namespace {

// Property-list dates count seconds from 2001-01-01 UTC.
constexpr qint64 ReferenceDateFromUnixEpoch = 978307200;
constexpr double MillisecondsPerSecond = 1000.0;
// Binary lists may share one object from many places; the tree they stand for is capped, so a
// small file cannot expand into billions of values.
constexpr quint64 MaxValues = quint64(1) << 22;

// Years 1 to 9999: the range the XML form's four-digit year can hold.
bool dateInRange(const QDateTime& date) {
    if (!date.isValid())
        return false;
    const int year = date.toUTC().date().year();
    return year >= 1 && year <= 9999;
}

std::optional<QDateTime> dateFromReferenceSeconds(double seconds) {
    // Roughly ±300,000 years: beyond that the conversion to milliseconds could overflow.
    constexpr double Limit = 1e13;
    if (!std::isfinite(seconds) || std::fabs(seconds) > Limit)
        return std::nullopt;
    const auto ms = static_cast<qint64>(
        std::llround((seconds + double(ReferenceDateFromUnixEpoch)) * MillisecondsPerSecond));
    QDateTime date = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    if (!dateInRange(date))
        return std::nullopt;
    return date;
}

// ---------------------------------------------------------------------------------------------
// XML

std::optional<QVariant> parseInteger(QStringView text) {
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    const QString trimmed = text.trimmed().toString();
    if (!pattern.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    if (trimmed.startsWith(QLatin1Char('-'))) {
        const qint64 value = trimmed.toLongLong(&ok);
        return ok ? std::optional<QVariant>(QVariant::fromValue(value)) : std::nullopt;
    }
    const quint64 value = trimmed.toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    if (value <= quint64(std::numeric_limits<qint64>::max()))
        return QVariant::fromValue(qint64(value));
    return QVariant::fromValue(value);
}

std::optional<double> parseReal(QStringView text) {
    const QString trimmed = text.trimmed().toString().toLower();
    if (trimmed == QLatin1String("nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (trimmed == QLatin1String("+infinity") || trimmed == QLatin1String("infinity") ||
        trimmed == QLatin1String("inf") || trimmed == QLatin1String("+inf"))
        return std::numeric_limits<double>::infinity();
    if (trimmed == QLatin1String("-infinity") || trimmed == QLatin1String("-inf"))
        return -std::numeric_limits<double>::infinity();
    static const QRegularExpression pattern(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!pattern.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<QDateTime> parseDate(QStringView text) {
    // Whole seconds as written; a fraction, which some writers add, is kept to the millisecond.
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})(?:\\.(\\d{1,9}))?Z$"));
    const auto match = pattern.match(text.trimmed().toString());
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QString fraction = match.captured(7);
    const int ms = fraction.isEmpty() ? 0 : fraction.left(3).leftJustified(3, QLatin1Char('0')).toInt();
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt(), ms);
    if (!date.isValid() || !time.isValid() || date.year() < 1)
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

std::optional<QByteArray> parseData(QStringView text) {
    QByteArray compact;
    compact.reserve(text.size());
    for (QChar c : text) {
        if (!c.isSpace())
            compact.append(char(c.unicode() < 0x80 ? c.unicode() : '!'));
    }
    auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

// Where text declared (or taken) as UTF-8 first breaks the encoding: the XML reader notices only later,
// and names the wrong line. None for text in another declared encoding, or for sound UTF-8.
std::optional<QString> malformedUtf8(const QByteArray& data) {
    if (data.startsWith("\xFE\xFF") || data.startsWith("\xFF\xFE"))
        return std::nullopt;
    static const QRegularExpression declaration(
        QStringLiteral(R"(^(?:\xEF\xBB\xBF)?<\?xml[^>]*encoding\s*=\s*["']([^"']*)["'])"));
    constexpr qsizetype DeclarationBytes = 200;
    const auto declared = declaration.match(QString::fromLatin1(data.left(DeclarationBytes)));
    if (declared.hasMatch() &&
        declared.captured(1).compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0 &&
        declared.captured(1).compare(QLatin1String("UTF8"), Qt::CaseInsensitive) != 0)
        return std::nullopt;

    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype size = data.size();
    qint64 line = 1;
    qint64 column = 1;
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        int length = 1;
        char32_t minimum = 0;
        char32_t code = lead;
        if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            minimum = 0x10000;
            code = lead & 0x07;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            minimum = 0x800;
            code = lead & 0x0F;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            minimum = 0x80;
            code = lead & 0x1F;
        } else if (lead >= 0x80) {
            length = 0;
        }
        for (int k = 1; k < length; ++k) {
            if (i + k >= size || (bytes[i + k] & 0xC0) != 0x80) {
                length = 0;
                break;
            }
            code = (code << 6) | (bytes[i + k] & 0x3F);
        }
        const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
        if (length == 0 || code < minimum || code > 0x10FFFF || surrogate)
            return QStringLiteral("line %1, column %2: byte 0x%3 is not UTF-8")
                .arg(line)
                .arg(column)
                .arg(bytes[i], 2, 16, QLatin1Char('0'));
        const bool newLine = lead == '\n' || (lead == '\r' && (i + 1 >= size || bytes[i + 1] != '\n'));
        line += newLine ? 1 : 0;
        column = newLine ? 1 : column + 1;
        i += length;
    }
    return std::nullopt;
}

class XmlReader {
public:
    explicit XmlReader(const QByteArray& data) : m_xml(data), m_data(data) {}

    ReadResult read() {
        if (auto malformed = malformedUtf8(m_data))
            return {QVariant(), *malformed};
        while (!m_xml.atEnd() && m_error.isEmpty()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
                startElement();
                break;
            case QXmlStreamReader::EndElement:
                endElement();
                break;
            case QXmlStreamReader::Characters:
                if (!m_xml.isWhitespace())
                    fail(QStringLiteral("unexpected text \"%1\"").arg(m_xml.text().left(20)));
                break;
            case QXmlStreamReader::EntityReference:
                fail(QStringLiteral("unknown entity &%1;").arg(m_xml.name()));
                break;
            default:
                break;
            }
        }
        if (m_error.isEmpty() && m_xml.hasError())
            fail(m_xml.errorString());
        if (m_error.isEmpty() && !m_root)
            m_error = QStringLiteral("the property list holds no value");
        if (!m_error.isEmpty())
            return {QVariant(), m_error};
        return {*m_root, QString()};
    }

private:
    struct Frame {
        bool isDictionary = false;
        QVariantList list;
        QVariantMap map;
        std::optional<QString> key;
    };

    void fail(const QString& message) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("line %1, column %2: %3")
                          .arg(m_xml.lineNumber())
                          .arg(m_xml.columnNumber())
                          .arg(message);
    }

    bool expectingValue() {
        if (m_stack.empty()) {
            if (m_root) {
                fail(QStringLiteral("more than one top-level value"));
                return false;
            }
            return true;
        }
        const Frame& top = m_stack.back();
        if (top.isDictionary && !top.key) {
            fail(QStringLiteral("dictionary value <%1> without a key").arg(m_xml.name()));
            return false;
        }
        return true;
    }

    void deliver(QVariant value) {
        if (m_stack.empty()) {
            m_root = std::move(value);
            return;
        }
        Frame& top = m_stack.back();
        if (top.isDictionary)
            top.map.insert(*std::exchange(top.key, std::nullopt), std::move(value));
        else
            top.list.append(std::move(value));
    }

    template <class T>
    void deliverParsed(std::optional<T> value, const QString& failure, const QString& text) {
        if (value)
            deliver(QVariant::fromValue(std::move(*value)));
        else if (text.isEmpty())
            fail(failure);
        else
            fail(QStringLiteral("%1: \"%2\"").arg(failure, text.left(40)));
    }

    // The text of a scalar element; fails on elements inside it.
    std::optional<QString> elementText() {
        QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError()) {
            fail(m_xml.errorString());
            return std::nullopt;
        }
        return text;
    }

    void startElement() {
        const QString name = m_xml.name().toString();
        if (name == QLatin1String("plist")) {
            if (m_sawPlist || !m_stack.empty() || m_root)
                fail(QStringLiteral("misplaced <plist>"));
            m_sawPlist = true;
            return;
        }
        if (name == QLatin1String("key")) {
            if (m_stack.empty() || !m_stack.back().isDictionary)
                return fail(QStringLiteral("<key> outside a dictionary"));
            if (m_stack.back().key)
                return fail(QStringLiteral("<key> where a value was expected"));
            if (auto text = elementText())
                m_stack.back().key = *text;
            return;
        }
        if (!expectingValue())
            return;
        if (name == QLatin1String("dict") || name == QLatin1String("array")) {
            if (int(m_stack.size()) >= MaxDepth)
                return fail(QStringLiteral("nested deeper than %1 levels").arg(MaxDepth));
            m_stack.push_back(Frame{name == QLatin1String("dict"), {}, {}, std::nullopt});
            return;
        }
        const auto text = elementText();
        if (!text)
            return;
        if (name == QLatin1String("string")) {
            deliver(*text);
        } else if (name == QLatin1String("integer")) {
            deliverParsed(parseInteger(*text), QStringLiteral("not an integer in range"), *text);
        } else if (name == QLatin1String("real")) {
            deliverParsed(parseReal(*text), QStringLiteral("not a real"), *text);
        } else if (name == QLatin1String("true") || name == QLatin1String("false")) {
            if (!text->trimmed().isEmpty())
                fail(QStringLiteral("<%1> holds text").arg(name));
            else
                deliver(name == QLatin1String("true"));
        } else if (name == QLatin1String("date")) {
            deliverParsed(parseDate(*text), QStringLiteral("not a date"), *text);
        } else if (name == QLatin1String("data")) {
            deliverParsed(parseData(*text), QStringLiteral("<data> is not base64"), QString());
        } else {
            fail(QStringLiteral("unknown element <%1>").arg(name.left(40)));
        }
    }

    void endElement() {
        const auto name = m_xml.name();
        if (name == QLatin1String("plist"))
            return;
        if ((name != QLatin1String("dict") && name != QLatin1String("array")) || m_stack.empty())
            return fail(QStringLiteral("unexpected </%1>").arg(name));
        Frame frame = std::move(m_stack.back());
        m_stack.pop_back();
        if (frame.key)
            return fail(QStringLiteral("<key>%1</key> without a value").arg(frame.key->left(40)));
        deliver(frame.isDictionary ? QVariant(std::move(frame.map)) : QVariant(std::move(frame.list)));
    }

    QXmlStreamReader m_xml;
    const QByteArray& m_data;
    std::vector<Frame> m_stack;
    std::optional<QVariant> m_root;
    bool m_sawPlist = false;
    QString m_error;
};

// ---------------------------------------------------------------------------------------------
// Binary ("bplist00"): a table of objects, an offset table, and a 32-byte trailer.

class BinaryReader {
public:
    explicit BinaryReader(const QByteArray& data)
        : m_data(reinterpret_cast<const unsigned char*>(data.constData())), m_size(quint64(data.size())) {}

    ReadResult read() {
        if (!readTrailer())
            return {QVariant(), m_error};
        auto value = evaluate(m_top);
        if (!value)
            return {QVariant(), m_error};
        return {*value, QString()};
    }

private:
    static constexpr quint64 HeaderSize = 8;
    static constexpr quint64 TrailerSize = 32;

    enum Marker : unsigned char {
        Bool = 0x0, // 0x08 false, 0x09 true; 0x00 null and 0x0F fill have no property-list type
        Integer = 0x1,
        Real = 0x2,
        Date = 0x3,
        Data = 0x4,
        AsciiString = 0x5,
        Utf16String = 0x6,
        Uid = 0x8,
        Array = 0xA,
        Set = 0xC,
        Dictionary = 0xD,
    };

    struct Object {
        unsigned char kind = 0;
        unsigned char info = 0;
        quint64 count = 0;   // elements, bytes or characters
        quint64 payload = 0; // where the content begins
    };

    struct Frame {
        quint64 index = 0;
        Object object;
        quint64 next = 0;
        quint64 values = 1;
        QVariantList list;
        QVariantMap map;
        QString key;
    };

    bool fail(const QString& message) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("binary property list: %1").arg(message);
        return false;
    }

    quint64 readUnsigned(quint64 at, unsigned bytes) const {
        quint64 value = 0;
        for (unsigned i = 0; i < bytes; ++i)
            value = (value << 8) | m_data[at + i];
        return value;
    }

    // Whether [at, at + count * unit) lies inside the object area.
    bool fits(quint64 at, quint64 count, quint64 unit) const {
        if (at > m_objectsEnd)
            return false;
        return count <= (m_objectsEnd - at) / unit;
    }

    bool readTrailer() {
        if (m_size < HeaderSize + TrailerSize + 1)
            return fail(QStringLiteral("too short"));
        if (std::memcmp(m_data, "bplist00", HeaderSize) != 0)
            return fail(QStringLiteral("unknown version"));
        const quint64 trailer = m_size - TrailerSize;
        m_offsetSize = m_data[trailer + 6];
        m_refSize = m_data[trailer + 7];
        m_objectCount = readUnsigned(trailer + 8, 8);
        m_top = readUnsigned(trailer + 16, 8);
        const quint64 tableOffset = readUnsigned(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8)
            return fail(QStringLiteral("bad offset or reference size"));
        if (m_objectCount == 0 || m_top >= m_objectCount)
            return fail(QStringLiteral("bad object count or top object"));
        if (tableOffset < HeaderSize || tableOffset > trailer ||
            m_objectCount > (trailer - tableOffset) / m_offsetSize)
            return fail(QStringLiteral("offset table out of bounds"));
        m_tableOffset = tableOffset;
        m_objectsEnd = tableOffset;
        m_onPath.assign(m_objectCount, false);
        return true;
    }

    std::optional<Object> object(quint64 index) {
        if (index >= m_objectCount) {
            fail(QStringLiteral("reference to object %1 of %2").arg(index).arg(m_objectCount));
            return std::nullopt;
        }
        const quint64 at = readUnsigned(m_tableOffset + index * m_offsetSize, m_offsetSize);
        if (at < HeaderSize || at >= m_objectsEnd) {
            fail(QStringLiteral("object %1 out of bounds").arg(index));
            return std::nullopt;
        }
        Object object;
        object.kind = m_data[at] >> 4;
        object.info = m_data[at] & 0xF;
        object.payload = at + 1;
        const bool counted = object.kind == Data || object.kind == AsciiString ||
                             object.kind == Utf16String || object.kind == Array || object.kind == Set ||
                             object.kind == Dictionary;
        if (!counted)
            return object;
        object.count = object.info;
        if (object.info == 0xF) {
            // The count follows as an integer object.
            if (!fits(object.payload, 1, 1) || (m_data[object.payload] >> 4) != Integer) {
                fail(QStringLiteral("bad length of object %1").arg(index));
                return std::nullopt;
            }
            const unsigned bytes = 1u << (m_data[object.payload] & 0xF);
            if (bytes > 8 || !fits(object.payload + 1, bytes, 1)) {
                fail(QStringLiteral("bad length of object %1").arg(index));
                return std::nullopt;
            }
            object.count = readUnsigned(object.payload + 1, bytes);
            object.payload += 1 + bytes;
        }
        return object;
    }

    static bool isContainer(const Object& object) {
        return object.kind == Array || object.kind == Dictionary || object.kind == Set;
    }

    std::optional<QVariant> scalar(quint64 index, const Object& o) {
        const auto bad = [&](const QString& what) {
            fail(QStringLiteral("object %1: %2").arg(index).arg(what));
            return std::nullopt;
        };
        switch (o.kind) {
        case Bool:
            if (o.info == 0x8 || o.info == 0x9)
                return QVariant(o.info == 0x9);
            return bad(QStringLiteral("null and fill objects have no property-list type"));
        case Integer: {
            if (o.info > 4)
                return bad(QStringLiteral("integer of unknown size"));
            const unsigned bytes = 1u << o.info;
            if (!fits(o.payload, bytes, 1))
                return bad(QStringLiteral("integer out of bounds"));
            if (bytes < 8)
                return QVariant::fromValue(qint64(readUnsigned(o.payload, bytes)));
            if (bytes == 8)
                return QVariant::fromValue(qint64(readUnsigned(o.payload, 8)));
            // Sixteen bytes: an unsigned value beyond qint64, or a sign-extended negative one.
            const quint64 high = readUnsigned(o.payload, 8);
            const quint64 low = readUnsigned(o.payload + 8, 8);
            const bool lowNegative = (low >> 63) != 0;
            if (high == 0)
                return lowNegative ? QVariant::fromValue(low) : QVariant::fromValue(qint64(low));
            if (high == ~quint64(0) && lowNegative)
                return QVariant::fromValue(qint64(low));
            return bad(QStringLiteral("integer out of range"));
        }
        case Real:
        case Date: {
            const unsigned bytes = 1u << o.info;
            if ((o.kind == Date && bytes != 8) || (bytes != 4 && bytes != 8) || !fits(o.payload, bytes, 1))
                return bad(QStringLiteral("bad real or date"));
            double value = 0;
            if (bytes == 4) {
                const quint32 bits = quint32(readUnsigned(o.payload, 4));
                float f = 0;
                std::memcpy(&f, &bits, sizeof f);
                value = f;
            } else {
                const quint64 bits = readUnsigned(o.payload, 8);
                std::memcpy(&value, &bits, sizeof value);
            }
            if (o.kind == Real)
                return QVariant(value);
            if (auto date = dateFromReferenceSeconds(value))
                return QVariant(*date);
            return bad(QStringLiteral("date out of range"));
        }
        case Data:
            if (!fits(o.payload, o.count, 1))
                return bad(QStringLiteral("data out of bounds"));
            return QVariant(
                QByteArray(reinterpret_cast<const char*>(m_data + o.payload), qsizetype(o.count)));
        case AsciiString: {
            if (!fits(o.payload, o.count, 1))
                return bad(QStringLiteral("string out of bounds"));
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            QString text = decoder(QByteArrayView(m_data + o.payload, qsizetype(o.count)));
            if (decoder.hasError())
                return bad(QStringLiteral("string is neither ASCII nor UTF-8"));
            return QVariant(text);
        }
        case Utf16String: {
            if (!fits(o.payload, o.count, 2))
                return bad(QStringLiteral("string out of bounds"));
            QString text(qsizetype(o.count), Qt::Uninitialized);
            for (quint64 i = 0; i < o.count; ++i)
                text[qsizetype(i)] = QChar(char16_t(readUnsigned(o.payload + 2 * i, 2)));
            return QVariant(text);
        }
        case Uid:
            return bad(QStringLiteral("archiver identifiers have no property-list type"));
        default:
            return bad(QStringLiteral("unknown object type 0x%1").arg(o.kind, 0, 16));
        }
    }

    quint64 reference(const Frame& frame, quint64 position) const {
        return readUnsigned(frame.object.payload + position * m_refSize, m_refSize);
    }

    bool openContainer(quint64 index, const Object& o) {
        if (o.kind == Set)
            return fail(QStringLiteral("object %1: sets have no property-list type").arg(index));
        const quint64 refs = o.kind == Dictionary ? 2 : 1;
        if (o.count > m_objectsEnd || !fits(o.payload, o.count * refs, m_refSize))
            return fail(QStringLiteral("object %1: references out of bounds").arg(index));
        if (m_onPath[index])
            return fail(QStringLiteral("object %1 contains itself").arg(index));
        if (int(m_stack.size()) >= MaxDepth)
            return fail(QStringLiteral("nested deeper than %1 levels").arg(MaxDepth));
        m_onPath[index] = true;
        Frame frame;
        frame.index = index;
        frame.object = o;
        m_stack.push_back(std::move(frame));
        return true;
    }

    // Adds a finished child to the innermost container.
    bool append(QVariant value, quint64 values) {
        Frame& top = m_stack.back();
        if (values > MaxValues - top.values)
            return fail(QStringLiteral("more than %1 values").arg(MaxValues));
        top.values += values;
        if (top.object.kind == Dictionary)
            top.map.insert(top.key, std::move(value));
        else
            top.list.append(std::move(value));
        ++top.next;
        return true;
    }

    std::optional<QVariant> evaluate(quint64 rootIndex) {
        const auto root = object(rootIndex);
        if (!root)
            return std::nullopt;
        if (!isContainer(*root))
            return scalar(rootIndex, *root);
        if (!openContainer(rootIndex, *root))
            return std::nullopt;

        while (!m_stack.empty()) {
            Frame& top = m_stack.back();
            if (top.next == top.object.count) {
                Frame done = std::move(top);
                m_stack.pop_back();
                m_onPath[done.index] = false;
                QVariant value = done.object.kind == Dictionary ? QVariant(std::move(done.map))
                                                                : QVariant(std::move(done.list));
                m_finished[done.index] = {value, done.values};
                if (m_stack.empty())
                    return value;
                if (!append(std::move(value), done.values))
                    return std::nullopt;
                continue;
            }
            const bool isDictionary = top.object.kind == Dictionary;
            if (isDictionary) {
                const auto keyObject = object(reference(top, top.next));
                if (!keyObject)
                    return std::nullopt;
                if (keyObject->kind != AsciiString && keyObject->kind != Utf16String) {
                    fail(QStringLiteral("object %1: dictionary key is not a string").arg(top.index));
                    return std::nullopt;
                }
                const auto key = scalar(reference(top, top.next), *keyObject);
                if (!key)
                    return std::nullopt;
                top.key = key->toString();
            }
            const quint64 childIndex = reference(top, isDictionary ? top.object.count + top.next : top.next);
            const auto child = object(childIndex);
            if (!child)
                return std::nullopt;
            if (!isContainer(*child)) {
                auto value = scalar(childIndex, *child);
                if (!value || !append(std::move(*value), 1))
                    return std::nullopt;
            } else if (auto it = m_finished.find(childIndex); it != m_finished.end()) {
                // Shared containers are built once; Qt's implicit sharing keeps the copies cheap.
                if (!append(it->second.first, it->second.second))
                    return std::nullopt;
            } else if (!openContainer(childIndex, *child)) {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    const unsigned char* m_data;
    quint64 m_size;
    unsigned m_offsetSize = 0;
    unsigned m_refSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_top = 0;
    quint64 m_tableOffset = 0;
    quint64 m_objectsEnd = 0;
    std::vector<bool> m_onPath;
    std::vector<Frame> m_stack;
    std::unordered_map<quint64, std::pair<QVariant, quint64>> m_finished;
    QString m_error;
};

// ---------------------------------------------------------------------------------------------
// Writing XML

enum class Kind { None, String, Integer, Unsigned, Real, Bool, Date, Data, Array, Dictionary };

Kind kindOf(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::QString:
        return Kind::String;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::UShort:
        return Kind::Integer;
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return Kind::Unsigned;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Real;
    case QMetaType::Bool:
        return Kind::Bool;
    case QMetaType::QDateTime:
        return Kind::Date;
    case QMetaType::QByteArray:
        return Kind::Data;
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return Kind::Array;
    case QMetaType::QVariantMap:
        return Kind::Dictionary;
    default:
        return Kind::None;
    }
}

QString typeName(const QVariant& value) {
    return value.isValid() ? QString::fromLatin1(value.metaType().name())
                           : QStringLiteral("an invalid value");
}

// XML 1.0 carries tab, line feed, carriage return and the characters from U+0020 on, except lone
// surrogates and U+FFFE/U+FFFF.
std::optional<char32_t> firstUnwritableChar(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            continue;
        }
        const bool control = c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
        if (control || QChar::isSurrogate(c) || c == 0xFFFE || c == 0xFFFF)
            return c;
    }
    return std::nullopt;
}

class XmlWriter {
public:
    // Compact: without the indentation and line breaks that make the file readable to people.
    XmlWriter(qint64 maximumBytes, bool compact) : m_maximumBytes(maximumBytes), m_compact(compact) {}

    bool write(const QVariant& value) {
        m_out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                 "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                 "<plist version=\"1.0\">\n";
        if (!writeValue(value, 0))
            return false;
        m_out += "</plist>\n";
        return !tooLarge();
    }

    bool tooLarge() const { return m_out.size() > m_maximumBytes; }

    QByteArray data() const { return m_out; }
    QString error() const { return m_error; }

private:
    bool fail(const QString& message) {
        m_error = message;
        return false;
    }

    void indent(int depth) {
        if (!m_compact)
            m_out.append(depth, '\t');
    }
    void endLine() {
        if (!m_compact)
            m_out += '\n';
    }

    bool writeText(QStringView text) {
        if (auto c = firstUnwritableChar(text))
            return fail(QStringLiteral("text holds a character XML cannot carry (U+%1)")
                            .arg(quint32(*c), 4, 16, QLatin1Char('0')));
        QString escaped;
        escaped.reserve(text.size());
        for (QChar c : text) {
            switch (c.unicode()) {
            case u'&':
                escaped += QLatin1String("&amp;");
                break;
            case u'<':
                escaped += QLatin1String("&lt;");
                break;
            case u'>':
                escaped += QLatin1String("&gt;");
                break;
            case u'\r':
                // A raw carriage return would come back as a line feed.
                escaped += QLatin1String("&#13;");
                break;
            default:
                escaped += c;
            }
        }
        m_out += escaped.toUtf8();
        return true;
    }

    void element(int depth, const char* name, const QByteArray& text) {
        indent(depth);
        m_out += '<';
        m_out += name;
        m_out += '>';
        m_out += text;
        m_out += "</";
        m_out += name;
        m_out += '>';
        endLine();
    }

    bool writeValue(const QVariant& value, int depth) {
        if (depth > MaxDepth)
            return fail(QStringLiteral("nested deeper than %1 levels").arg(MaxDepth));
        // Past the limit nothing more is written: the whole would be refused anyway.
        if (tooLarge())
            return false;
        switch (kindOf(value)) {
        case Kind::None:
            return fail(QStringLiteral("%1 has no property-list form").arg(typeName(value)));
        case Kind::String:
            indent(depth);
            m_out += "<string>";
            if (!writeText(value.toString()))
                return false;
            m_out += "</string>";
            endLine();
            return true;
        case Kind::Integer:
            element(depth, "integer", QByteArray::number(value.toLongLong()));
            return true;
        case Kind::Unsigned:
            element(depth, "integer", QByteArray::number(value.toULongLong()));
            return true;
        case Kind::Real:
            element(depth, "real", realText(value.toDouble()));
            return true;
        case Kind::Bool:
            indent(depth);
            m_out += value.toBool() ? "<true/>" : "<false/>";
            endLine();
            return true;
        case Kind::Date: {
            const QDateTime date = value.toDateTime();
            if (!dateInRange(date))
                return fail(QStringLiteral("date outside the years 1 to 9999"));
            element(depth, "date", date.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toLatin1());
            return true;
        }
        case Kind::Data:
            element(depth, "data", value.toByteArray().toBase64());
            return true;
        case Kind::Array: {
            const QVariantList list = value.toList();
            indent(depth);
            if (list.isEmpty()) {
                m_out += "<array/>";
                endLine();
                return true;
            }
            m_out += "<array>";
            endLine();
            for (const QVariant& item : list) {
                if (!writeValue(item, depth + 1))
                    return false;
            }
            indent(depth);
            m_out += "</array>";
            endLine();
            return true;
        }
        case Kind::Dictionary: {
            const QVariantMap map = value.toMap();
            indent(depth);
            if (map.isEmpty()) {
                m_out += "<dict/>";
                endLine();
                return true;
            }
            m_out += "<dict>";
            endLine();
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                indent(depth + 1);
                m_out += "<key>";
                if (!writeText(it.key()))
                    return false;
                m_out += "</key>";
                endLine();
                if (!writeValue(it.value(), depth + 1)) {
                    if (!m_error.contains(QLatin1String(" (key \"")))
                        m_error += QStringLiteral(" (key \"%1\")").arg(it.key().left(60));
                    return false;
                }
            }
            indent(depth);
            m_out += "</dict>";
            endLine();
            return true;
        }
        }
        return false;
    }

    static QByteArray realText(double value) {
        if (std::isnan(value))
            return "nan";
        if (std::isinf(value))
            return value > 0 ? "+infinity" : "-infinity";
        // The shortest text that reads back as the same double.
        return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    }

    qint64 m_maximumBytes;
    bool m_compact;
    QByteArray m_out;
    QString m_error;
};

bool validate(const QVariant& value, int depth) {
    if (depth > MaxDepth)
        return false;
    switch (kindOf(value)) {
    case Kind::None:
        return false;
    case Kind::String:
        return !firstUnwritableChar(value.toString());
    case Kind::Date:
        return dateInRange(value.toDateTime());
    case Kind::Array:
        for (const QVariant& item : value.toList()) {
            if (!validate(item, depth + 1))
                return false;
        }
        return true;
    case Kind::Dictionary: {
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (firstUnwritableChar(it.key()) || !validate(it.value(), depth + 1))
                return false;
        }
        return true;
    }
    default:
        return true;
    }
}

} // namespace

ReadResult fromData(const QByteArray& data) {
    if (data.isEmpty())
        return {QVariant(), QStringLiteral("no data")};
    if (data.size() > MaxInputBytes)
        return {QVariant(), QStringLiteral("larger than %1 bytes").arg(MaxInputBytes)};
    if (data.startsWith("bplist"))
        return BinaryReader(data).read();
    if (auto value = PlistXmlScanner::read(data, MaxDepth))
        return {std::move(*value), QString()};
    return XmlReader(data).read();
}

ReadResult fromXmlDataWithFullReader(const QByteArray& data) {
    return XmlReader(data).read();
}

ReadResult readFile(const QString& path) {
    QString error;
    const auto data = readRegularFile(path, MaxInputBytes, &error);
    if (!data)
        return {QVariant(), error};
    ReadResult result = fromData(*data);
    if (!result.ok())
        result.error = QStringLiteral("%1: %2").arg(path, result.error);
    return result;
}

bool isValid(const QVariant& value) {
    return validate(value, 0);
}

QByteArray toData(const QVariant& value, QString* error, qint64 maximumBytes) {
    // What a reader refuses is never written. Indentation takes a tenth or more of a large file: a file
    // that was read (written by another program, without it) must not grow past the limit when it is
    // written again with nothing added, so it goes without before the whole is refused.
    for (const bool compact : {false, true}) {
        XmlWriter writer(maximumBytes, compact);
        if (writer.write(value))
            return writer.data();
        if (!writer.tooLarge()) {
            if (error)
                *error = writer.error();
            return {};
        }
    }
    if (error)
        *error = QStringLiteral("it would be larger than %1 bytes, more than is read back").arg(maximumBytes);
    return {};
}

bool writeFile(const QString& path, const QVariant& value, QString* error, qint64 maximumBytes) {
    QString reason;
    const QByteArray data = toData(value, &reason, maximumBytes);
    if (data.isEmpty()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    }
    return writeFileAtomically(path, data, error);
}

} // namespace PropertyList
