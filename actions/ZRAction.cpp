#include "actions/ZRAction.h"

#include "actions/ActionRecordReading.h"
#include "actions/ZRActionHost.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKey.h"
#include "platform/foundation/PlistRead.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRLog.h"
#include "window-access/PropertyListSafeValue.h"

#include <QSet>
#include <QUuid>
#include <QWidget>
#include <algorithm>
#include <functional>

namespace {

const QString KeyboardMenuHotKeyIdentifier = QString::fromUtf16(ZRKeyboardMenuHotKeyIdentifier);
const QString KeyboardControlsHotKeyIdentifier = QString::fromUtf16(ZRKeyboardControlsHotKeyIdentifier);

// Percentages never exceed the whole.
constexpr std::int64_t MaximumPercent = 100;
// How loosely a generic layout may match.
constexpr std::int64_t MaximumGenericProximity = 2;

ZRActionContext& context() {
    return ZRActionManager::actionContext();
}

ZRKeyboardControlHotKeyMissingAlert& keyboardControlAlert() {
    auto& alert = context().keyboardControlHotKeyMissingAlert;
    if (!alert)
        alert = ZRKeyboardControlHotKeyMissingAlert::standardAlert();
    return *alert;
}

QString newIdentifier() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

ZRRelativeFrame clampedRelativeFrame(const Rect& frame) {
    const Rect r = frame.standardized();
    const double x = std::clamp(r.x(), 0.0, 1.0);
    const double y = std::clamp(r.y(), 0.0, 1.0);
    return {x, y, std::clamp(r.width(), 0.0, 1.0 - x), std::clamp(r.height(), 0.0, 1.0 - y)};
}

std::int64_t clampedLength(std::int64_t length, ZRMeasurementUnit unit, std::int64_t minimum) {
    const std::int64_t clamped = std::max(length, minimum);
    return unit == ZRMeasurementUnit::Percent ? std::min(clamped, MaximumPercent) : clamped;
}

double clampedDimension(double length, ZRMeasurementUnit unit) {
    const double clamped = std::max(length, 0.0);
    return unit == ZRMeasurementUnit::Percent ? std::min(clamped, double(MaximumPercent)) : clamped;
}

QVariantMap integerEntries(const QVariantMap& dictionary, const QString& context) {
    QVariantMap kept;
    for (auto it = dictionary.begin(); it != dictionary.end(); ++it) {
        const auto value = Plist::readInteger(dictionary, it.key());
        if (value.ok())
            kept.insert(it.key(), value.value);
        else
            ZRLog("ignoring grid dimension \"%@\" of action %@: it is %@, not an integer", it.key(), context,
                  ActionRecordReading::typeDescription(it.value()));
    }
    return kept;
}

template <class T> bool assign(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

// Reads of one record that log what they skip.
class RecordReader {
public:
    RecordReader(const QVariantMap& record, const QString& context) : m_record(record), m_context(context) {}

    template <class T, class Read>
    std::optional<T> read(const QString& key, Read readFunction, const char* kind) {
        const auto result = readFunction(m_record, key);
        if (result.wrongType())
            ZRLog("ignoring \"%@\" of action %@: it is %@, not %s", key, m_context,
                  ActionRecordReading::typeDescription(m_record.value(key)), kind);
        return result.optional();
    }
    std::optional<bool> boolean(const QString& key) { return read<bool>(key, Plist::readBool, "a boolean"); }
    std::optional<std::int64_t> integer(const QString& key) {
        return read<qint64>(key, Plist::readInteger, "an integer");
    }
    std::optional<QString> string(const QString& key) {
        const auto text = read<QString>(key, Plist::readString, "text");
        return text ? std::optional(ActionRecordReading::cappedText(*text, key, m_context)) : std::nullopt;
    }
    std::optional<QVariantMap> dictionary(const QString& key) {
        return read<QVariantMap>(key, Plist::readDictionary, "a dictionary");
    }
    std::optional<QVariantList> array(const QString& key) {
        return read<QVariantList>(key, Plist::readArray, "an array");
    }
    // One of the listed values.
    std::optional<std::int64_t> choice(const QString& key, std::initializer_list<std::int64_t> values) {
        const auto value = integer(key);
        if (value && std::find(values.begin(), values.end(), *value) == values.end()) {
            ZRLog("ignoring \"%@\" of action %@: %lld is no choice", key, m_context, qint64(*value));
            return std::nullopt;
        }
        return value;
    }
    std::optional<Rect> rect(const QString& key) {
        return geometry(key, ActionRecordReading::rectFromValue, QStringLiteral("rectangle"));
    }
    std::optional<Size> size(const QString& key) {
        return geometry(key, ActionRecordReading::sizeFromValue, QStringLiteral("size"));
    }
    std::optional<ZRSnapshot> snapshot(const QString& key) {
        if (!m_record.contains(key))
            return std::nullopt;
        auto snapshot = ZRSnapshot::snapshotWithDictionaryRepresentation(m_record.value(key));
        if (!snapshot)
            ZRLog("ignoring the layout of action %@: it is %@, not a dictionary", m_context,
                  ActionRecordReading::typeDescription(m_record.value(key)));
        return snapshot;
    }
    // Only the grid's integer settings belong in an action's own grid dimensions.
    std::optional<QVariantMap> integerDictionary(const QString& key) {
        const auto dictionary = this->dictionary(key);
        return dictionary ? std::optional(integerEntries(*dictionary, m_context)) : std::nullopt;
    }

private:
    // A rectangle or size read by the parser; a value that gives none is logged and ignored.
    template <class Parse>
    auto geometry(const QString& key, Parse parse, const QString& what) -> decltype(parse(QVariant())) {
        if (!m_record.contains(key))
            return std::nullopt;
        const auto value = parse(m_record.value(key));
        if (!value)
            ZRLog("ignoring \"%@\" of action %@: it is no %@ of finite numbers", key, m_context, what);
        return value;
    }

    const QVariantMap& m_record;
    const QString& m_context;
};

// The stored forms of ZRActionStoredProperties.h: how a value is read from a record, logging what is
// skipped, and how it is written.
struct Boolean {
    static constexpr auto read = &RecordReader::boolean;
    static QVariant write(bool value) { return value; }
};
struct Integer {
    static constexpr auto read = &RecordReader::integer;
    static QVariant write(std::int64_t value) { return qint64(value); }
};
// One of the listed values of an enumeration, stored as its number.
template <class T, T... Values> struct Choice {
    static std::optional<T> read(RecordReader& reader, const QString& key) {
        const auto value = reader.choice(key, {std::int64_t(Values)...});
        return value ? std::optional(T(*value)) : std::nullopt;
    }
    static QVariant write(T value) { return qint64(value); }
};
using ChainModeChoice = Choice<ZRChainMode, ZRChainModeSequence, ZRChainModeCycle>;
using CenterModeChoice = Choice<ZRCenterMode, ZRCenterModeOptical, ZRCenterModeGeometric>;
using UnitChoice = Choice<ZRMeasurementUnit, ZRMeasurementUnit::Points, ZRMeasurementUnit::Percent>;
struct RectText {
    static constexpr auto read = &RecordReader::rect;
    static QVariant write(const Rect& value) { return stringFromRect(value); }
};
struct SizeText {
    static constexpr auto read = &RecordReader::size;
    static QVariant write(const Size& value) { return stringFromSize(value); }
};
struct IntegerDictionary {
    static constexpr auto read = &RecordReader::integerDictionary;
    static QVariant write(const QVariantMap& value) { return value; }
};
struct SnapshotRecord {
    static constexpr auto read = &RecordReader::snapshot;
    static QVariant write(const ZRSnapshot& value) { return value.dictionaryRepresentation(); }
};

// A stored property as reading, writing and undo see it.
struct StoredProperty {
    const QString& key;
    // Sets the record's value through the setter when the record has a usable one.
    void (*read)(ZRAction& action, RecordReader& reader);
    QVariant (*write)(const ZRAction& action);
    bool (*isDefault)(const ZRAction& action);
    void (*reset)(ZRAction& action);
};

#define ZR_ACTION_STORED_PROPERTY(Type, getter, setter, Key, text, initial, Form)                            \
    StoredProperty{ZRActionKey::Key,                                                                         \
                   [](ZRAction& action, RecordReader& reader) {                                              \
                       if (const auto value = std::invoke(Form::read, reader, ZRActionKey::Key))             \
                           action.setter(*value);                                                            \
                   },                                                                                        \
                   [](const ZRAction& action) { return Form::write(action.getter()); },                      \
                   [](const ZRAction& action) { return action.getter() == Type(initial); },                  \
                   [](ZRAction& action) { action.setter(Type(initial)); }},
const StoredProperty StoredProperties[] = {ZR_ACTION_STORED_PROPERTIES(ZR_ACTION_STORED_PROPERTY)};
#undef ZR_ACTION_STORED_PROPERTY

} // namespace

struct ZRAction::ReadContext {
    bool preserveIdentifiers = false;
    QSet<QString> identifiers;
    // What the hot keys read are made with; null when nothing can take them.
    const ZRHotKeyContext* hotKeys = ZRActionManager::actionContext().hotKeys;
};

ZRAction::ZRAction(bool registersHotKeys)
    : m_registersHotKeys(registersHotKeys), m_uniqueIdentifier(newIdentifier()) {}

ZRAction::~ZRAction() {
    if (m_hotKey)
        m_hotKey->unregister();
}

// --- Making and storing

std::shared_ptr<ZRAction> ZRAction::actionWithDictionaryRepresentation(const QVariantMap& record,
                                                                       bool preserveUniqueIdentifier) {
    ReadContext context{preserveUniqueIdentifier, {}};
    return readRecord(record, context, 0, true);
}

std::shared_ptr<ZRAction> ZRAction::actionWithDictionaryRepresentation(const QVariantMap* record) {
    if (!record)
        return std::shared_ptr<ZRAction>(new ZRAction(true));
    return actionWithDictionaryRepresentation(*record, false);
}

std::vector<std::shared_ptr<ZRAction>> ZRAction::actionsFromCollection(const QVariantList& records,
                                                                       bool preserveUniqueIdentifiers,
                                                                       UnusableRecordEntries* unusable,
                                                                       const ZRHotKeyContext* hotKeys) {
    ReadContext context{preserveUniqueIdentifiers, {}};
    if (hotKeys)
        context.hotKeys = hotKeys;
    std::vector<std::shared_ptr<ZRAction>> actions;
    actions.reserve(std::size_t(records.size()));
    for (qsizetype i = 0; i < records.size(); ++i) {
        const QVariant& record = records.at(i);
        std::shared_ptr<ZRAction> action;
        if (record.typeId() != QMetaType::QVariantMap)
            ZRLog("skipping action record %lld: it is %@, not a dictionary", qint64(i),
                  ActionRecordReading::typeDescription(record));
        else
            action = readRecord(record.toMap(), context, 0, true);
        if (action)
            actions.push_back(std::move(action));
        else if (unusable)
            unusable->keep(record, actions.empty() ? QString() : actions.back()->m_uniqueIdentifier);
    }
    return actions;
}

std::shared_ptr<ZRAction> ZRAction::actionWithType(ZRActionType type) {
    std::shared_ptr<ZRAction> action(new ZRAction(true));
    action->m_actionType = type;
    return action;
}

std::shared_ptr<ZRAction> ZRAction::readRecord(const QVariantMap& record, ReadContext& context, int depth,
                                               bool registersHotKeys) {
    const auto type = Plist::readInteger(record, ZRActionKey::Action);
    if (type.wrongType()) {
        ZRLog("skipping action record: its type is %@, not an integer",
              ActionRecordReading::typeDescription(record.value(ZRActionKey::Action)));
        return nullptr;
    }
    if (type.ok() && !ZRActionTypeIsKnown(type.value)) {
        ZRLog("skipping action record of unknown type %lld", qint64(type.value));
        return nullptr;
    }
    std::shared_ptr<ZRAction> action(registersHotKeys ? new ZRAction(true) : new ZRActionDummy);
    action->m_actionType = ZRActionType(type.valueOr(ZRActionTypeSeparator));

    bool identifierKept = false;
    if (context.preserveIdentifiers) {
        const auto identifier = Plist::readString(record, ZRActionKey::Identifier);
        identifierKept = identifier.ok() && !identifier.value.trimmed().isEmpty() &&
                         identifier.value.size() <= ActionRecordReading::MaximumTextLength &&
                         !context.identifiers.contains(identifier.value);
        if (identifierKept)
            action->m_uniqueIdentifier = identifier.value;
        else if (!identifier.missing())
            ZRLog("action record with a missing, malformed or repeated identifier gets a new one: %@",
                  action->m_uniqueIdentifier);
    }
    context.identifiers.insert(action->m_uniqueIdentifier);

    const QString& name = action->m_uniqueIdentifier;
    RecordReader reader(record, name);
    if (const auto title = reader.string(ZRActionKey::Title))
        action->setName(ZRPropertyListSafeValue(*title).toString());
    if (const auto expanded = reader.boolean(ZRActionKey::Expanded))
        action->m_expanded = *expanded;
    action->readProperties(record, name);

    if (action->m_actionType == ZRActionTypeFolder) {
        if (const auto children = reader.array(ZRActionKey::Children)) {
            const bool tooDeep = depth + 1 > MaximumFolderDepth;
            if (tooDeep)
                ZRLog("leaving out the %lld members of folder %@: folders nest at most %d deep",
                      qint64(children->size()), name, MaximumFolderDepth);
            for (const QVariant& child : *children) {
                std::shared_ptr<ZRAction> member;
                if (!tooDeep && child.typeId() == QMetaType::QVariantMap)
                    member = readRecord(child.toMap(), context, depth + 1, registersHotKeys);
                else if (!tooDeep)
                    ZRLog("skipping a member of folder %@: it is %@, not a dictionary", name,
                          ActionRecordReading::typeDescription(child));
                if (member)
                    action->m_children.push_back(std::move(member));
                else
                    action->m_unusableMembers.keep(
                        child, action->m_children.empty() ? QString()
                                                          : action->m_children.back()->m_uniqueIdentifier);
            }
        }
    }

    if (const auto hotKeyRecord = reader.dictionary(ZRActionKey::HotKey)) {
        const ZRHotKeyContext* hotKeys = context.hotKeys;
        auto hotKey = hotKeys ? ZRHotKey::hotKeyWithDictionaryRepresentation(
                                    *hotKeyRecord, action->m_uniqueIdentifier, *hotKeys)
                              : nullptr;
        if (!hotKeys)
            ZRLog("ignoring the hot key of action %@: no action store is there to register it", name);
        else if (!hotKey)
            ZRLog("ignoring the hot key of action %@: its record is unreadable", name);
        else if (action->m_actionType < ZRActionTypeRevert)
            ZRLog("ignoring the hot key of action %@: separators and headers take none", name);
        else
            action->m_hotKey = std::move(hotKey);
        action->registerHotKey();
    }

    action->m_storedRecord = record;
    if (action->m_actionType == ZRActionTypeFolder)
        action->m_storedRecord.remove(ZRActionKey::Children);
    QVariantMap written;
    action->ownedForms(action->m_readForms, written);
    // A new identifier is a change: the stored one, also in the hot key, must not come back.
    if (!identifierKept) {
        action->m_readForms.remove(ZRActionKey::Identifier);
        action->m_readForms.remove(ZRActionKey::HotKey);
    }
    return action;
}

void ZRAction::registerHotKey() {
    if (!m_hotKey || !m_registersHotKeys || m_hotKey->isRegistered())
        return;
    m_hotKey->registerForDelegateLater(
        *this, [hotKey = std::weak_ptr<ZRHotKey>(m_hotKey), identifier = m_uniqueIdentifier] {
            const auto refused = hotKey.lock();
            ZRLog("cannot register hot key <%@> of action %@",
                  refused ? refused->visualRepresentation().value_or(QString()) : QString(), identifier);
        });
}

void ZRAction::readProperties(const QVariantMap& record, const QString& context) {
    RecordReader reader(record, context);
    for (const StoredProperty& property : StoredProperties)
        property.read(*this, reader);
}

void ZRAction::writeProperties(QVariantMap& record, bool includeDefaults) const {
    for (const StoredProperty& property : StoredProperties)
        if (includeDefaults || !property.isDefault(*this))
            record.insert(property.key, property.write(*this));
}

void ZRAction::ownedForms(QVariantMap& all, QVariantMap& written) const {
    for (QVariantMap* record : {&all, &written}) {
        record->insert(ZRActionKey::Action, qint64(m_actionType));
        record->insert(ZRActionKey::Identifier, m_uniqueIdentifier);
        if (m_userDefinedName)
            record->insert(ZRActionKey::Title, *m_userDefinedName);
        if (m_hotKey)
            record->insert(ZRActionKey::HotKey, m_hotKey->dictionaryRepresentation());
    }
    all.insert(ZRActionKey::Expanded, m_expanded);
    if (m_expanded)
        written.insert(ZRActionKey::Expanded, true);
    writeProperties(all, true);
    writeProperties(written, false);
}

ZRActionDictionaryRepresentation ZRAction::dictionaryRepresentation() const {
    QVariantMap all;
    QVariantMap written;
    ownedForms(all, written);
    QVariantMap record = m_storedRecord;
    const auto settle = [&](const QString& key) {
        // Unchanged since it was read: the stored value stays, whatever form it had, unless that form
        // cannot be written again (text that a binary list could carry and XML cannot).
        const auto stored = record.constFind(key);
        if (all.value(key) == m_readForms.value(key) &&
            (stored == record.cend() || PropertyList::isValid(*stored)))
            return;
        if (const auto it = written.constFind(key); it != written.cend())
            record.insert(key, *it);
        else
            record.remove(key);
    };
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        settle(it.key());
    for (auto it = m_readForms.cbegin(); it != m_readForms.cend(); ++it)
        if (!all.contains(it.key()))
            settle(it.key());
    if (m_actionType == ZRActionTypeFolder)
        record.insert(ZRActionKey::Children, m_unusableMembers.interleavedWith(m_children));
    return record;
}

// --- Stored properties

void ZRAction::didChange() {
    m_iconCache.clear();
    m_snapChildren.clear();
    if (const auto& observer = context().changeObserver)
        observer(*this);
}

void ZRAction::setActionType(ZRActionType actionType) {
    if (!assign(m_actionType, actionType))
        return;
    if (m_actionType != ZRActionTypeFolder) {
        m_children.clear();
        m_unusableMembers = {};
    }
    if (m_actionType < ZRActionTypeRevert)
        setHotKey(nullptr);
    didChange();
}

void ZRAction::setChildren(std::vector<std::shared_ptr<ZRAction>> children) {
    std::erase_if(children,
                  [this](const std::shared_ptr<ZRAction>& child) { return !child || child.get() == this; });
    m_children = std::move(children);
    didChange();
}

void ZRAction::setExpanded(bool expanded) {
    // Opening a folder in the sidebar is no change worth saving by itself.
    m_expanded = expanded;
}

template <class T> void ZRAction::change(T& field, const T& value) {
    const T before = std::exchange(field, value);
    keepWithinBounds();
    if (!(field == before))
        didChange();
}

void ZRAction::keepWithinBounds() {
    m_relativeFrame = clampedRelativeFrame(m_relativeFrame);
    m_moveDelta = clampedLength(m_moveDelta, m_moveDeltaUnit, 1);
    m_resizeSize = {clampedDimension(m_resizeSize.width, m_resizeWidthUnit),
                    clampedDimension(m_resizeSize.height, m_resizeHeightUnit)};
    m_snapshotGenericProximity =
        std::clamp<std::int64_t>(m_snapshotGenericProximity, 0, MaximumGenericProximity);
    m_snapshotAutoDisplayCount = std::max<std::int64_t>(m_snapshotAutoDisplayCount, 1);
}

#define ZR_ACTION_SETTER(Type, getter, setter, Key, text, initial, Form)                                     \
    void ZRAction::setter(ZRActionValue<Type> value) {                                                       \
        change<Type>(m_##getter, value);                                                                     \
    }
ZR_ACTION_STORED_PROPERTIES(ZR_ACTION_SETTER)
#undef ZR_ACTION_SETTER

void ZRAction::setSnapshotScreenFrames(const std::vector<Rect>& screenFrames) {
    if (assign(m_snapshot.screenFrames, screenFrames))
        didChange();
}

void ZRAction::setHotKey(std::shared_ptr<ZRHotKey> hotKey) {
    if (hotKey == m_hotKey)
        return;
    // A recorder field may still hold the old hot key; its keys must not stay grabbed for this action.
    if (m_hotKey)
        m_hotKey->unregister();
    m_hotKey = std::move(hotKey);
    didChange();
}

void ZRAction::setName(const std::optional<QString>& name) {
    std::optional<QString> value = name;
    if (value && value->isEmpty())
        value.reset();
    if (assign(m_userDefinedName, value))
        didChange();
}

bool ZRAction::acceptsUserDefinedName() const {
    return m_actionType != ZRActionTypeSeparator;
}

// --- Undo

QVariantMap ZRAction::stateRecord() const {
    QVariantMap state;
    writeProperties(state, false);
    return state;
}

void ZRAction::restoreState(const QVariantMap& state) {
    // Every property the state leaves out has its default value.
    RecordReader reader(state, m_uniqueIdentifier);
    for (const StoredProperty& property : StoredProperties) {
        if (state.contains(property.key))
            property.read(*this, reader);
        else
            property.reset(*this);
    }
    didChange();
}

void ZRAction::applyStateChange(const std::function<void()>& change, bool isUndoable) {
    const QVariantMap before = isUndoable ? stateRecord() : QVariantMap();
    if (change)
        change();
    if (!isUndoable || stateRecord() == before)
        return;
    m_undoStack.push_back(before);
    m_redoStack.clear();
}

void ZRAction::undo() {
    stepHistory(m_undoStack, m_redoStack);
}

void ZRAction::redo() {
    stepHistory(m_redoStack, m_undoStack);
}

void ZRAction::stepHistory(std::vector<QVariantMap>& from, std::vector<QVariantMap>& to) {
    if (from.empty())
        return;
    to.push_back(stateRecord());
    const QVariantMap state = std::move(from.back());
    from.pop_back();
    restoreState(state);
}

void ZRAction::clearUndoHistory() {
    m_undoStack.clear();
    m_redoStack.clear();
}

// --- Editor pane

QWidget* ZRAction::configurationView() {
    if (const auto& factory = context().configurationViewFactory; !m_configurationView && factory)
        m_configurationView = factory(*this);
    return m_configurationView;
}

void ZRAction::destroyConfigurationView() {
    if (m_configurationView) {
        m_configurationView->setParent(nullptr);
        m_configurationView->deleteLater();
    }
    m_configurationView = nullptr;
    clearUndoHistory();
}

// --- Capture

void ZRAction::saveSnapshot(std::function<void()> captured) {
    if (ZRActionCapturer* capturer = context().capturer)
        capturer->saveSnapshot(*this, std::move(captured));
    else
        ZRLog("cannot save layout: windows cannot be captured yet");
}

void ZRAction::reflectCurrentStateSilently(bool silently, std::function<void()> captured) {
    if (ZRActionCapturer* capturer = context().capturer)
        capturer->reflectCurrentState(*this, silently, std::move(captured));
}

// --- Hot-key delegate

namespace {

std::vector<std::shared_ptr<ZRHotKey>> settingsHotKeys() {
    if (const ZRActionHost* host = context().host)
        return host->settingsHotKeys();
    // Before the main controller is there, its hot keys are as the settings store holds them.
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys;
    const ZRHotKeyContext* made = context().hotKeys;
    if (!made)
        return hotKeys;
    for (const QString& identifier : {KeyboardMenuHotKeyIdentifier, KeyboardControlsHotKeyIdentifier}) {
        const QVariantMap record = made->settings.dictionaryForKey(identifier);
        if (auto hotKey = ZRHotKey::hotKeyWithDictionaryRepresentation(record, identifier, *made))
            hotKeys.push_back(std::move(hotKey));
    }
    return hotKeys;
}

bool keyboardControlHotKeyExists() {
    const auto hotKeys = settingsHotKeys();
    return std::any_of(hotKeys.begin(), hotKeys.end(), [](const std::shared_ptr<ZRHotKey>& hotKey) {
        return hotKey->identifier() == KeyboardControlsHotKeyIdentifier;
    });
}

} // namespace

std::vector<std::shared_ptr<ZRHotKey>> ZRAction::hotKeys() const {
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys = settingsHotKeys();
    if (const ZRActionManager* manager = ZRActionManager::actionManagerIfMade()) {
        for (const auto& action : manager->allActions()) {
            if (action->m_hotKey)
                hotKeys.push_back(action->m_hotKey);
        }
    }
    return hotKeys;
}

std::uint32_t ZRAction::hotKeySignature() const {
    return ZRHotKeySignature;
}

QString ZRAction::identifierForHotKeyTextView(const ZRHotKeyTextView*) const {
    return m_uniqueIdentifier;
}

bool ZRAction::shouldSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) {
    if (identifier.isEmpty())
        return false;
    if (!hotKey) {
        setHotKey(nullptr);
        return true;
    }
    if (m_actionType < ZRActionTypeRevert || !hotKey->registerForDelegate(*this))
        return false;
    if (hotKey->isLocal() && !keyboardControlHotKeyExists()) {
        if (keyboardControlAlert().run(*hotKey) == ZRKeyboardControlHotKeyMissingAlert::Answer::Cancel) {
            if (hotKey != m_hotKey)
                hotKey->unregister();
            return false;
        }
        // The settings open after the recorder field has finished with this key.
        hotKey->context().mainRunLoop.performOnNextTurn([] {
            if (ZRActionHost* host = context().host)
                host->assignKeyboardControlHotKey();
        });
    }
    setHotKey(hotKey);
    return true;
}

std::optional<bool> ZRAction::hotKeyCanBeLocal(const ZRHotKey&) {
    return true;
}

std::optional<bool>
ZRAction::acceptNonUniqueHotKey(const ZRHotKey&,
                                const std::vector<std::shared_ptr<ZRHotKey>>& existingEquals) {
    for (const auto& equal : existingEquals) {
        const QString identifier = equal->identifier();
        if (identifier == KeyboardMenuHotKeyIdentifier || identifier == KeyboardControlsHotKeyIdentifier)
            return false;
    }
    ZRLog("duplicate hot key assigned: will offer choice");
    return true;
}

void ZRAction::didSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) {
    if (ZRActionHost* host = context().host)
        host->didSetHotKey(hotKey, identifier);
}

// --- Dummy

std::shared_ptr<ZRActionDummy> ZRActionDummy::actionWithDictionaryRepresentation(const QVariantMap* record) {
    if (!record)
        return std::shared_ptr<ZRActionDummy>(new ZRActionDummy);
    ReadContext context;
    auto action = readRecord(*record, context, 0, false);
    return action ? std::static_pointer_cast<ZRActionDummy>(action)
                  : std::shared_ptr<ZRActionDummy>(new ZRActionDummy);
}

std::shared_ptr<ZRActionDummy> ZRActionDummy::dummyWithType(ZRActionType type) {
    std::shared_ptr<ZRActionDummy> dummy(new ZRActionDummy);
    dummy->setActionType(type);
    return dummy;
}

void ZRActionDummy::setHasGenericIcon(bool hasGenericIcon) {
    if (assign(m_hasGenericIcon, hasGenericIcon))
        uncacheIcon();
}
