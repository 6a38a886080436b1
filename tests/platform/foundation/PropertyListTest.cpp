#include "platform/foundation/PropertyList.h"
#include "platform/PlatformLog.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RegularFile.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QTemporaryDir>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include <sys/stat.h>

namespace {

using PropertyList::fromData;
using PropertyList::toData;

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms), Qt::UTC);
}

QVariant roundTrip(const QVariant& value) {
    QString error;
    const QByteArray xml = toData(value, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    const auto result = fromData(xml);
    EXPECT_TRUE(result.ok()) << result.error.toStdString() << "\n" << xml.toStdString();
    return result.value;
}

TEST(PropertyList, EveryTypeRoundTripsExactly) {
    const QByteArray allBytes = [] {
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(char(i));
        return bytes;
    }();
    struct Case {
        const char* name;
        QVariant value;
        QMetaType::Type readsBackAs;
    };
    const std::vector<Case> cases = {
        {"empty string", QString(), QMetaType::QString},
        {"markup characters", QStringLiteral("a < b && c > d \"quoted\" 'single'"), QMetaType::QString},
        {"non-ASCII", QStringLiteral("Grüße, 日本語, ✓ and 😀"), QMetaType::QString},
        {"white space kept", QStringLiteral("  two\tlines\nand\r\na carriage\rreturn  "), QMetaType::QString},
        {"zero", qint64(0), QMetaType::LongLong},
        {"negative", qint64(-42), QMetaType::LongLong},
        {"smallest integer", std::numeric_limits<qint64>::min(), QMetaType::LongLong},
        {"largest integer", std::numeric_limits<qint64>::max(), QMetaType::LongLong},
        {"beyond qint64", std::numeric_limits<quint64>::max(), QMetaType::ULongLong},
        {"int", 7, QMetaType::LongLong},
        {"tenth", 0.1, QMetaType::Double},
        {"whole real", 3.0, QMetaType::Double},
        {"huge real", 1e300, QMetaType::Double},
        {"tiny real", -2.5e-10, QMetaType::Double},
        {"denormal", std::numeric_limits<double>::denorm_min(), QMetaType::Double},
        {"infinity", std::numeric_limits<double>::infinity(), QMetaType::Double},
        {"minus infinity", -std::numeric_limits<double>::infinity(), QMetaType::Double},
        {"true", true, QMetaType::Bool},
        {"false", false, QMetaType::Bool},
        {"reference date", utc(2001, 1, 1), QMetaType::QDateTime},
        {"before 1970", utc(1969, 7, 20, 20, 17, 40), QMetaType::QDateTime},
        {"long ago", utc(1600, 2, 29, 12), QMetaType::QDateTime},
        {"beyond 2038 and 2069", utc(2100, 6, 1, 23, 59, 59), QMetaType::QDateTime},
        {"last year", utc(9999, 12, 31, 23, 59, 59), QMetaType::QDateTime},
        {"empty data", QByteArray(), QMetaType::QByteArray},
        {"every byte", allBytes, QMetaType::QByteArray},
        {"empty array", QVariantList(), QMetaType::QVariantList},
        {"empty dictionary", QVariantMap(), QMetaType::QVariantMap},
        {"nested",
         QVariantMap{
             {QStringLiteral("Custom Controls (4001)"),
              QVariantList{QVariantMap{{QStringLiteral("Action"), qint64(19)},
                                       {QStringLiteral("Title"), QStringLiteral("Links ½")},
                                       {QStringLiteral("Children"), QVariantList{QVariantList{}, true}}},
                           QByteArray("\x00\x01", 2)}},
             {QStringLiteral("Schlüssel <&>"), utc(2024, 2, 29, 8, 30)},
             {QString(), QStringLiteral("empty key")}},
         QMetaType::QVariantMap},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QVariant back = roundTrip(c.value);
        EXPECT_EQ(back.metaType().id(), int(c.readsBackAs));
        EXPECT_EQ(back, c.value);
        EXPECT_TRUE(PropertyList::isValid(c.value));
    }
    const QVariant nan = roundTrip(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(nan.toDouble()));
}

TEST(PropertyList, DatesAreWrittenInUtcToTheSecond) {
    const QDateTime berlin(QDate(2023, 3, 8), QTime(21, 26, 40, 999), QTimeZone("Europe/Berlin"));
    const QByteArray xml = toData(QVariantList{berlin});
    EXPECT_TRUE(xml.contains("<date>2023-03-08T20:26:40Z</date>")) << xml.toStdString();
    const QDateTime back = fromData(xml).value.toList().value(0).toDateTime();
    EXPECT_EQ(back.timeSpec(), Qt::UTC);
    EXPECT_EQ(back, utc(2023, 3, 8, 20, 26, 40));

    // Some writers add a fraction; it is kept to the millisecond.
    const auto fractional = fromData("<plist><date>2023-03-08T20:26:40.25Z</date></plist>");
    ASSERT_TRUE(fractional.ok()) << fractional.error.toStdString();
    EXPECT_EQ(fractional.value.toDateTime(), utc(2023, 3, 8, 20, 26, 40, 250));
}

// libplist serves as an independent writer and reader of the format.
struct PlistFree {
    void operator()(void* node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

TEST(PropertyList, ReadsBinaryListsWrittenByLibplist) {
    PlistPtr root(plist_new_dict());
    plist_dict_set_item(root.get(), "Gruß", plist_new_string("Grüße ✓ 😀"));
    plist_dict_set_item(root.get(), "ascii", plist_new_string("plain"));
    plist_dict_set_item(root.get(), "negative", plist_new_uint(uint64_t(-5)));
    plist_dict_set_item(root.get(), "large", plist_new_uint(uint64_t(1) << 40));
    plist_dict_set_item(root.get(), "real", plist_new_real(0.1));
    plist_dict_set_item(root.get(), "yes", plist_new_bool(1));
    // Seconds since 2001 with a fraction, which the binary form keeps.
    plist_dict_set_item(root.get(), "date", plist_new_date(700000000, 250000));
    plist_dict_set_item(root.get(), "before 2001", plist_new_date(-978307200, 0));
    plist_dict_set_item(root.get(), "data", plist_new_data("\0\1\2", 3));
    plist_t list = plist_new_array();
    plist_array_append_item(list, plist_new_bool(0));
    plist_array_append_item(list, plist_new_dict());
    plist_dict_set_item(root.get(), "list", list);

    char* binary = nullptr;
    uint32_t length = 0;
    plist_to_bin(root.get(), &binary, &length);
    const QByteArray data(binary, qsizetype(length));
    std::free(binary);

    const auto result = fromData(data);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    const QVariantMap expected{
        {QStringLiteral("Gruß"), QStringLiteral("Grüße ✓ 😀")},
        {QStringLiteral("ascii"), QStringLiteral("plain")},
        {QStringLiteral("negative"), qint64(-5)},
        {QStringLiteral("large"), qint64(1) << 40},
        {QStringLiteral("real"), 0.1},
        {QStringLiteral("yes"), true},
        {QStringLiteral("date"), utc(2023, 3, 8, 20, 26, 40, 250)},
        {QStringLiteral("before 2001"), utc(1970, 1, 1)},
        {QStringLiteral("data"), QByteArray("\0\1\2", 3)},
        {QStringLiteral("list"), QVariantList{false, QVariantMap()}},
    };
    EXPECT_EQ(result.value, expected);
}

TEST(PropertyList, LibplistReadsWhatWeWrite) {
    const QVariantMap value{{QStringLiteral("Titel ✓"), QStringLiteral("a <b> & \"c\"\r\n")},
                            {QStringLiteral("big"), std::numeric_limits<quint64>::max()},
                            {QStringLiteral("date"), utc(2023, 3, 8, 20, 26, 40)},
                            {QStringLiteral("real"), 0.1}};
    const QByteArray xml = toData(value);
    plist_t raw = nullptr;
    plist_from_memory(xml.constData(), uint32_t(xml.size()), &raw);
    PlistPtr root(raw);
    ASSERT_NE(root, nullptr);

    char* text = nullptr;
    plist_get_string_val(plist_dict_get_item(root.get(), "Titel ✓"), &text);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "a <b> & \"c\"\r\n");
    std::free(text);
    uint64_t big = 0;
    plist_get_uint_val(plist_dict_get_item(root.get(), "big"), &big);
    EXPECT_EQ(big, std::numeric_limits<uint64_t>::max());
    int32_t seconds = 0, microseconds = 0;
    plist_get_date_val(plist_dict_get_item(root.get(), "date"), &seconds, &microseconds);
    EXPECT_EQ(seconds, 700000000);
    double real = 0;
    plist_get_real_val(plist_dict_get_item(root.get(), "real"), &real);
    EXPECT_EQ(real, 0.1);
}

// A binary list from raw objects: one-byte offsets would not do for the larger cases, so offsets
// and references take four bytes.
QByteArray binaryList(const std::vector<QByteArray>& objects, quint64 top = 0, quint64 countOverride = 0) {
    QByteArray out("bplist00");
    std::vector<quint32> offsets;
    for (const auto& object : objects) {
        offsets.push_back(quint32(out.size()));
        out += object;
    }
    const quint64 table = quint64(out.size());
    const auto bigEndian = [&](quint64 value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            out += char((value >> (8 * i)) & 0xFF);
    };
    for (quint32 offset : offsets)
        bigEndian(offset, 4);
    out += QByteArray(6, '\0');
    out += char(4);
    out += char(4);
    bigEndian(countOverride ? countOverride : objects.size(), 8);
    bigEndian(top, 8);
    bigEndian(table, 8);
    return out;
}

QByteArray ref(quint32 index) {
    QByteArray out;
    for (int i = 3; i >= 0; --i)
        out += char((index >> (8 * i)) & 0xFF);
    return out;
}

QByteArray arrayOf(std::initializer_list<quint32> refs) {
    QByteArray out(1, char(0xA0 | refs.size()));
    for (quint32 r : refs)
        out += ref(r);
    return out;
}

TEST(PropertyList, MalformedInputIsRefusedWithAReason) {
    const auto nested = [](int depth) -> QByteArray {
        return "<plist>" + QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) +
               "</plist>";
    };
    // Each array holds the next: deeper than any reader should follow.
    std::vector<QByteArray> deepObjects;
    for (quint32 i = 0; i < 100000; ++i)
        deepObjects.push_back(arrayOf({i + 1}));
    deepObjects.push_back(arrayOf({}));
    // Each array holds the next one twice: a small file for 2^40 values.
    std::vector<QByteArray> doubling;
    for (quint32 i = 0; i < 40; ++i)
        doubling.push_back(arrayOf({i + 1, i + 1}));
    doubling.push_back(QByteArray(1, char(0x09)));
    const QByteArray hugeData = QByteArray(1, char(0x4F)) + QByteArray("\x13\x40\0\0\0\0\0\0\0", 9);

    struct Case {
        const char* name;
        QByteArray data;
        const char* errorMentions;
    };
    const std::vector<Case> cases = {
        {"nothing", QByteArray(), "no data"},
        {"not XML", "this is not a property list", "line 1"},
        {"cut short", "<plist><dict><key>a</key><string>b</str", "line 1"},
        {"no value", "<plist></plist>", "no value"},
        {"unknown element", "<plist><thing/></plist>", "unknown element <thing>"},
        {"key without value", "<plist><dict><key>a</key></dict></plist>", "without a value"},
        {"value without key", "<plist><dict><string>a</string></dict></plist>", "without a key"},
        {"key in an array", "<plist><array><key>a</key></array></plist>", "outside a dictionary"},
        {"two values", "<plist><true/><false/></plist>", "more than one"},
        {"stray text", "<plist><array>text</array></plist>", "unexpected text"},
        {"integer too large", "<plist><integer>18446744073709551616</integer></plist>", "not an integer"},
        {"integer too small", "<plist><integer>-9223372036854775809</integer></plist>", "not an integer"},
        {"integer with letters", "<plist><integer>12abc</integer></plist>", "not an integer"},
        {"empty integer", "<plist><integer></integer></plist>", "not an integer"},
        {"real with letters", "<plist><real>abc</real></plist>", "not a real"},
        {"impossible date", "<plist><date>2023-02-30T00:00:00Z</date></plist>", "not a date"},
        {"local date", "<plist><date>2023-03-08 20:26:40</date></plist>", "not a date"},
        {"bad base64", "<plist><data>!!!</data></plist>", "not base64"},
        {"element inside a string", "<plist><string>a<b/></string></plist>", "line 1"},
        // The XML reader alone would name the first line; columns count characters, not bytes.
        {"not UTF-8", "<plist>\n<array>\n  <string>\xc3\xa9\xff</string>\n</array></plist>",
         "line 3, column 12: byte 0xff is not UTF-8"},
        {"overlong UTF-8", "<plist>\r\n<string>\xc0\xaf</string></plist>", "line 2, column 9: byte 0xc0"},
        {"undefined entity", "<plist><string>&bogus;</string></plist>", "line 1"},
        {"nested too deep (XML)", nested(PropertyList::MaxDepth + 1), "nested deeper"},
        {"short binary", "bplist00", "too short"},
        {"other binary version", "bplist15" + QByteArray(40, '\0'), "unknown version"},
        {"offset table outside", binaryList({arrayOf({})}, 0, quint64(1) << 60), "offset table"},
        {"top object outside", binaryList({arrayOf({})}, 5), "top object"},
        {"reference outside", binaryList({arrayOf({7})}), "reference to object 7"},
        {"array holds itself", binaryList({arrayOf({1}), arrayOf({0})}), "contains itself"},
        {"nested too deep (binary)", binaryList(deepObjects), "nested deeper"},
        {"shared too often", binaryList(doubling), "more than"},
        {"data longer than the file", binaryList({hugeData}), "out of bounds"},
        {"null object", binaryList({QByteArray(1, '\0')}), "no property-list type"},
        {"key that is no string",
         binaryList({QByteArray(1, char(0xD1)) + ref(1) + ref(1), QByteArray(1, char(0x09))}),
         "key is not a string"},
        {"set", binaryList({QByteArray(1, char(0xC0))}), "sets"},
        {"archiver identifier", binaryList({QByteArray("\x80\x01", 2)}), "identifiers"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = fromData(c.data);
        EXPECT_FALSE(result.ok());
        EXPECT_FALSE(result.value.isValid());
        EXPECT_TRUE(result.error.contains(QLatin1String(c.errorMentions))) << result.error.toStdString();
    }
    // Just inside the limit is fine, and nested lists deeper than the limit are not written.
    EXPECT_TRUE(fromData(nested(PropertyList::MaxDepth)).ok());
}

// Same type and value all the way down (QVariant's == would take 1 for 1.0 and a list for a map).
bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.metaType() != b.metaType())
        return false;
    if (a.metaType().id() == QMetaType::QVariantList) {
        const QVariantList x = a.toList(), y = b.toList();
        return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), sameValue);
    }
    if (a.metaType().id() == QMetaType::QVariantMap) {
        const QVariantMap x = a.toMap(), y = b.toMap();
        return x.keys() == y.keys() &&
               std::all_of(x.keyBegin(), x.keyEnd(), [&](const QString& k) { return sameValue(x[k], y[k]); });
    }
    return a == b;
}

// Common files take a quicker way than the full XML reader; for every input both must agree on the
// value or on the reason for refusing it.
// What a reader refuses is never written; a value that only fits without indentation is written without it,
// and both readers take that form.
TEST(PropertyList, NothingLargerThanTheLimitIsWritten) {
    QVariantList records;
    for (int i = 0; i < 200; ++i)
        records.append(QVariantMap{
            {QStringLiteral("Action"), qint64(i)},
            {QStringLiteral("Nested"), QVariantList{QVariantMap{{QStringLiteral("Deep"), true}}}}});
    const QVariant value = QVariantMap{{QStringLiteral("Custom Controls (4001)"), records}};
    const QByteArray indented = PropertyList::toData(value);
    QByteArray compact;
    for (const QByteArray& line : indented.split('\n'))
        compact += line.trimmed();
    ASSERT_LT(compact.size(), indented.size());

    const struct {
        qint64 limit;
        bool written;
        bool isIndented;
    } cases[] = {
        {indented.size(), true, true},
        {indented.size() - 1, true, false},
        {compact.size() + 200, true, false},
        {compact.size() / 2, false, false},
        {0, false, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.limit);
        QString error;
        const QByteArray data = PropertyList::toData(value, &error, test.limit);
        EXPECT_LE(data.size(), test.limit);
        EXPECT_EQ(!data.isEmpty(), test.written) << error.toStdString();
        if (!test.written) {
            EXPECT_TRUE(error.contains(QStringLiteral("larger than %1 bytes").arg(test.limit)))
                << error.toStdString();
            continue;
        }
        EXPECT_EQ(data == indented, test.isIndented);
        EXPECT_EQ(PropertyList::fromData(data).value, value);
        EXPECT_EQ(PropertyList::fromXmlDataWithFullReader(data).value, value);
    }
}

TEST(PropertyList, TheQuickReaderAgreesWithTheFullReader) {
    const QByteArray prologue =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC "
        "\"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";
    const std::vector<QByteArray> bodies = {
        "<integer>0</integer>",
        "<integer>-0</integer>",
        "<integer> 42 </integer>",
        "<integer>+5</integer>",
        "<integer>007</integer>",
        "<integer>9223372036854775807</integer>",
        "<integer>9223372036854775808</integer>",
        "<integer>-9223372036854775808</integer>",
        "<integer>18446744073709551615</integer>",
        "<integer>18446744073709551616</integer>",
        "<integer>1 2</integer>",
        "<integer>&#49;</integer>",
        "<integer>٣</integer>",
        "<real>0.1</real>",
        "<real>-.5</real>",
        "<real>1.</real>",
        "<real>1E5</real>",
        "<real>1e-5</real>",
        "<real>+1</real>",
        "<real>1e+5</real>",
        "<real>1e999</real>",
        "<real>1e-400</real>",
        "<real>-Infinity</real>",
        "<real>.</real>",
        "<real>1e</real>",
        "<real>0x10</real>",
        "<real>4.9406564584124654e-324</real>",
        "<real>2.2250738585072014e-308</real>",
        "<date>2024-02-29T23:59:59Z</date>",
        "<date>2023-02-29T00:00:00Z</date>",
        "<date>0000-01-01T00:00:00Z</date>",
        "<date>2024-01-01T00:00:00.5Z</date>",
        "<date>2024-01-01T00:00:00.123456789Z</date>",
        "<date>2024-01-01T00:00:00.1234567890Z</date>",
        "<date>2024-01-01T24:00:00Z</date>",
        "<date> 2024-01-01T00:00:00Z </date>",
        "<date>2024-01-01T00:00:00</date>",
        "<data>AAEC</data>",
        "<data> AA\nEC </data>",
        "<data>AAE</data>",
        "<data>A=AA</data>",
        "<data/>",
        "<string/>",
        "<string>a &amp; b &lt;&gt; &quot;&apos; &#13;&#x1F600;</string>",
        "<string>&#0;</string>",
        "<string>&#xD800;</string>",
        "<string>&amp</string>",
        "<string>a]]>b</string>",
        "<string>a]>b</string>",
        "<string>tab\tand\nline</string>",
        "<string>cr\rhere</string>",
        "<string>bell\x07</string>",
        "<string>\xEF\xBF\xBE</string>",
        "<string>\xC3</string>",
        "<string>Grüße ✓ 😀</string>",
        "<string><![CDATA[x]]></string>",
        "<string><!-- c -->x</string>",
        "<true/>",
        "<true></true>",
        "<true> </true>",
        "<false>x</false>",
        "<dict/>",
        "<array/>",
        "<array >\n</array>",
        "<dict><key>a</key><integer>1</integer><key>a</key><integer>2</integer></dict>",
        "<dict><key>b</key><true/><key>a</key><false/><key/><string>empty key</string></dict>",
        "<dict><key>a</key></dict>",
        "<dict><true/></dict>",
        "<dict><key>a</key><key>b</key><true/></dict>",
        "<array><key>a</key></array>",
        "<array>text</array>",
        "<array><true/><!-- c --></array>",
        "<array></dict>",
        "<array><true/>",
        "<dict id=\"1\"></dict>",
        "<string a='1' a='2'>x</string>",
        "<thing/>",
        "<true/><false/>",
        "<array><array><array/></array></array>"};
    std::vector<QByteArray> inputs;
    for (const QByteArray& body : bodies) {
        inputs.push_back(prologue + "<plist version=\"1.0\">\n" + body + "\n</plist>\n");
        inputs.push_back("<plist>" + body + "</plist>");
        inputs.push_back(body);
    }
    inputs.push_back("\xEF\xBB\xBF<plist><true/></plist>");
    inputs.push_back("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><string>\xE4</string></plist>");
    inputs.push_back("<?xml version=\"1.1\"?><plist><true/></plist>");
    inputs.push_back("<plist><true/></plist>trailing");
    inputs.push_back("<plist><true/></plist><!-- after -->");
    inputs.push_back("  <plist version=\"1.0\" ><true/></plist>");
    inputs.push_back(QByteArray("<plist><string>\0</string></plist>", 33));
    for (const QByteArray& input : inputs) {
        SCOPED_TRACE(input.toStdString());
        const auto quick = fromData(input);
        const auto full = PropertyList::fromXmlDataWithFullReader(input);
        EXPECT_EQ(quick.error, full.error);
        EXPECT_TRUE(sameValue(quick.value, full.value)) << quick.value.toString().toStdString();
    }
}

TEST(PropertyList, ValuesWithoutAPropertyListFormAreRefused) {
    QVariant deep = QVariantList();
    for (int i = 0; i < PropertyList::MaxDepth + 2; ++i)
        deep = QVariantList{deep};
    struct Case {
        const char* name;
        QVariant value;
    };
    const std::vector<Case> cases = {
        {"a point", QPoint(1, 2)},
        {"nothing", QVariant()},
        {"nothing in a list", QVariantList{1, QVariant()}},
        {"a point in a dictionary", QVariantMap{{QStringLiteral("p"), QPoint()}}},
        {"a nul character", QString(QChar(0))},
        {"a control character in a key", QVariantMap{{QStringLiteral("a\x01"), 1}}},
        {"a lone surrogate", QString(QChar(0xD800))},
        {"an invalid date", QDateTime()},
        {"a date after 9999", utc(9999, 12, 31).addDays(1)},
        {"nested too deep", deep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        EXPECT_TRUE(toData(c.value, &error).isEmpty());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(PropertyList::isValid(c.value));
    }
}

class AtomicFileTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QString path() const { return folder.filePath(QStringLiteral("Settings.plist")); }
    QStringList entries() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    static QByteArray contents(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(AtomicFileTest, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    using AtomicFileTesting::FailAt;
    const QVariantMap old{{QStringLiteral("kept"), true}};
    ASSERT_TRUE(PropertyList::writeFile(path(), old));
    const QByteArray oldBytes = contents(path());

    for (FailAt step : {FailAt::Writing, FailAt::Syncing, FailAt::Renaming}) {
        SCOPED_TRACE(int(step));
        AtomicFileTesting::failNextWriteAt(step);
        QString error;
        EXPECT_FALSE(PropertyList::writeFile(path(), QVariantMap{{QStringLiteral("new"), 1}}, &error));
        EXPECT_TRUE(error.contains(path())) << error.toStdString();
        EXPECT_EQ(contents(path()), oldBytes);
        EXPECT_EQ(entries(), QStringList{QStringLiteral("Settings.plist")});
    }
    // The failure was used up: the next write goes through.
    EXPECT_TRUE(PropertyList::writeFile(path(), QVariantMap{{QStringLiteral("new"), 1}}));
    EXPECT_EQ(PropertyList::readFile(path()).value, QVariant(QVariantMap{{QStringLiteral("new"), 1}}));
}

TEST_F(AtomicFileTest, ReplacingKeepsPermissionsAndSymbolicLinks) {
    const QString target = folder.filePath(QStringLiteral("elsewhere.plist"));
    ASSERT_TRUE(writeFileAtomically(target, "old"));
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::link(target, path()));

    ASSERT_TRUE(writeFileAtomically(path(), "new"));
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(QFile::permissions(target), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadUser | QFileDevice::WriteUser);

    // A folder that does not exist yet is made.
    EXPECT_TRUE(writeFileAtomically(folder.filePath(QStringLiteral("a/b/c.plist")), "x"));
    EXPECT_FALSE(writeFileAtomically(QStringLiteral("/proc/no-such-place/file"), "x"));
}

// A settings file kept elsewhere through a link whose target is not written yet stays linked; a link that
// cannot be written through gives way to the file, and says so.
TEST_F(AtomicFileTest, ALinkToAFileNotWrittenYetIsWrittenThrough) {
    QStringList logged;
    setPlatformLogSink([&](const QString& line) { logged.append(line); });
    const QString elsewhere = folder.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const struct {
        const char* name;
        QString target;      // what the link points at
        QString linkBetween; // a second link on the way, when not empty
        bool throughLink;
    } cases[] = {
        {"to a missing file in a folder", elsewhere + QStringLiteral("/Settings.plist"), {}, true},
        {"by way of another link", elsewhere + QStringLiteral("/Chained.plist"),
         folder.filePath(QStringLiteral("between")), true},
        {"into a folder that is not there",
         folder.filePath(QStringLiteral("gone/Settings.plist")),
         {},
         false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        QFile::remove(path());
        logged.clear();
        if (test.linkBetween.isEmpty()) {
            ASSERT_TRUE(QFile::link(test.target, path()));
        } else {
            ASSERT_TRUE(QFile::link(test.target, test.linkBetween));
            ASSERT_TRUE(QFile::link(test.linkBetween, path()));
        }
        ASSERT_TRUE(writeFileAtomically(path(), "written"));
        EXPECT_EQ(contents(path()), "written");
        EXPECT_EQ(QFileInfo(path()).isSymLink(), test.throughLink);
        EXPECT_EQ(contents(test.target), test.throughLink ? QByteArray("written") : QByteArray());
        EXPECT_EQ(logged.size(), test.throughLink ? 0 : 1) << logged.join(u'\n').toStdString();
    }
    setPlatformLogSink({});
}

TEST_F(AtomicFileTest, OnlyRegularFilesWithinTheCapAreRead) {
    const QString fifo = folder.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(writeFileAtomically(path(), "0123456789"));
    struct Case {
        QString path;
        const char* errorMentions;
    };
    // A FIFO without a writer would block an ordinary open for good.
    for (const auto& [file, errorMentions] :
         {Case{folder.filePath(QStringLiteral("missing")), "cannot open"},
          Case{folder.path(), "not a regular file"}, Case{fifo, "not a regular file"}}) {
        SCOPED_TRACE(file.toStdString());
        const auto result = PropertyList::readFile(file);
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.error.contains(file) && result.error.contains(QLatin1String(errorMentions)))
            << result.error.toStdString();
    }
    QString error;
    EXPECT_EQ(readRegularFile(path(), 10, &error), QByteArray("0123456789"));
    EXPECT_FALSE(readRegularFile(path(), 9, &error));
    EXPECT_TRUE(error.contains(QLatin1String("larger than 9 bytes"))) << error.toStdString();
}

} // namespace
