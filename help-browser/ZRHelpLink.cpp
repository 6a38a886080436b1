#include "help-browser/ZRHelpLink.h"

#include "actions/ZRActionController.h"
#include "actions/ZRFrameMemory.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowAccessDefaults.h"

#include <QStringDecoder>
#include <cmath>

namespace {

constexpr char16_t MessageMarker[] = u"://message/";
constexpr char16_t DefaultMarker[] = u"://default/";
constexpr char16_t ValueSeparator = u'#';
const QString IntegerPrefix = QStringLiteral("integer:");
const QString DoublePrefix = QStringLiteral("double:");
constexpr double MaximumDockSpacing = 200;
constexpr double MinimumMouseControlsDelay = 0.02;
constexpr double MaximumDelay = 5;
constexpr double MinimumDraggingThreshold = 0.01;
constexpr double MaximumDraggingThreshold = 100;

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Percent-decoded as UTF-8; none for a "%" without two hex digits, bad UTF-8 or a NUL.
std::optional<QString> strictlyDecoded(QStringView text) {
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'%') {
            bytes += text.mid(i, 1).toUtf8();
            continue;
        }
        const int high = i + 2 < text.size() ? hexValue(text.at(i + 1)) : -1;
        const int low = high >= 0 ? hexValue(text.at(i + 2)) : -1;
        if (low < 0)
            return std::nullopt;
        bytes += char(high * 16 + low);
        i += 2;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder.decode(bytes);
    if (decoder.hasError() || decoded.contains(QChar(0)))
        return std::nullopt;
    return decoded;
}

// The value the text stands for: none (remove) when empty, yes/true/no/false as booleans, "integer:" and
// "double:" numbers, else the text. Invalid with ok false for a number that does not read whole.
QVariant valueOfText(const QString& text, bool& ok) {
    ok = true;
    if (text.isEmpty())
        return {};
    const QString lower = text.toLower();
    if (lower == u"yes" || lower == u"true")
        return true;
    if (lower == u"no" || lower == u"false")
        return false;
    if (lower.startsWith(IntegerPrefix) && text.size() > IntegerPrefix.size()) {
        const qint64 number = text.mid(IntegerPrefix.size()).toLongLong(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    if (lower.startsWith(DoublePrefix) && text.size() > DoublePrefix.size()) {
        const double number = text.mid(DoublePrefix.size()).toDouble(&ok);
        ok = ok && std::isfinite(number);
        return ok ? QVariant(number) : QVariant();
    }
    return text;
}

bool fits(const ZRHelpLink::AllowedDefault& allowed, const QVariant& value) {
    if (!value.isValid())
        return true;
    if (value.typeId() != allowed.type)
        return false;
    if (allowed.type == QMetaType::Bool)
        return true;
    const double number = value.toDouble();
    return number >= allowed.minimum && number <= allowed.maximum;
}

std::optional<ZRHelpLink> refused(QString* reason, const QString& why) {
    if (reason)
        *reason = why;
    return std::nullopt;
}

} // namespace

const std::vector<ZRHelpLink::AllowedDefault>& ZRHelpLink::allowedDefaults() {
    static const std::vector<AllowedDefault> allowed = {
        {QStringView(ZRDebugLogUserDefaultName).toString(), QMetaType::Bool, 0, 0},
        {QStringView(ZRAnimationUserDefaultName).toString(), QMetaType::Bool, 0, 0},
        {QStringView(ZRFrameStorageEnableUserDefaultName).toString(), QMetaType::Bool, 0, 0},
        {QStringView(ZRPreserveOriginalFramesForeverUserDefaultName).toString(), QMetaType::Bool, 0, 0},
        {ZRMouseControlDefault::SnapBackUndeadExtendedScope, QMetaType::Bool, 0, 0},
        {ZRMouseControlDefault::HoverMoveSuppressImplicitDropSnap, QMetaType::Bool, 0, 0},
        {QStringView(ZRVisibleFrameExtraDockSpacingUserDefaultName).toString(), QMetaType::LongLong, 0,
         MaximumDockSpacing},
        {ZRMouseControlDefault::Delay, QMetaType::Double, MinimumMouseControlsDelay, MaximumDelay},
        {ZRMouseControlDefault::MouseDraggingThreshold, QMetaType::Double, MinimumDraggingThreshold,
         MaximumDraggingThreshold},
    };
    return allowed;
}

std::optional<ZRHelpLink> ZRHelpLink::parse(const QString& absoluteString, QString* reason) {
    if (!absoluteString.startsWith(QStringView(Scheme) + u':', Qt::CaseInsensitive))
        return refused(reason, QStringLiteral("not a help link"));
    if (const qsizetype at = absoluteString.indexOf(QStringView(MessageMarker)); at >= 0) {
        ZRHelpLink link;
        link.kind = Kind::Message;
        link.message = absoluteString.mid(at + QStringView(MessageMarker).size());
        return link;
    }
    const qsizetype at = absoluteString.indexOf(QStringView(DefaultMarker));
    if (at < 0)
        return refused(reason, QStringLiteral("neither a message nor a settings link"));
    const QStringView rest = QStringView(absoluteString).mid(at + QStringView(DefaultMarker).size());
    const qsizetype separator = rest.indexOf(ValueSeparator);
    const std::optional<QString> key = strictlyDecoded(separator < 0 ? rest : rest.left(separator));
    const std::optional<QString> text =
        strictlyDecoded(separator < 0 ? QStringView() : rest.mid(separator + 1));
    if (!key || !text)
        return refused(reason, QStringLiteral("broken escapes, NUL or bad UTF-8"));
    if (key->isEmpty())
        return refused(reason, QStringLiteral("no settings key"));
    const auto& allowedList = allowedDefaults();
    const auto allowed = std::find_if(allowedList.begin(), allowedList.end(),
                                      [&](const AllowedDefault& entry) { return entry.key == *key; });
    if (allowed == allowedList.end())
        return refused(reason, QStringLiteral("a setting help links may not change"));
    bool ok = false;
    const QVariant value = valueOfText(*text, ok);
    if (!ok || !fits(*allowed, value))
        return refused(reason, QStringLiteral("a value of the wrong type or out of range"));
    ZRHelpLink link;
    link.kind = Kind::Default;
    link.key = *key;
    link.value = value;
    return link;
}
