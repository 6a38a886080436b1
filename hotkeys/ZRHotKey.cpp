#include "hotkeys/ZRHotKey.h"

#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKeyDelegate.h"
#include "hotkeys/ZRHotKeyReferencePool.h"
#include "platform/foundation/PlistRead.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/KeyStrings.h"
#include "toolkit/ModifierFlagsMatching.h"
#include "toolkit/ZRLog.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

const QString IdentifierKey = QStringLiteral("Identifier");
const QString VisualRepresentationKey = QStringLiteral("Visual Representation");
const QString KeyCodeKey = QStringLiteral("Key Code");
const QString ModifierFlagsKey = QStringLiteral("Modifier Flags");

const QString RequireExactModifierMatchesKey = QStringLiteral("Hot Keys Require Exact Modifier Key Matches");
const QString AccountForCapsLockKey = QStringLiteral("Hot Keys Account For Caps Lock Status");
const QString AccountForFunctionKeyKey = QStringLiteral("Hot Keys Account For Function Key Status");
const QString AccountForNumericPadKey = QStringLiteral("Hot Keys Account For Numeric Pad Key Status");
const QString AllHotKeysAreLocalKey = QStringLiteral("All Hot Keys Are Local");
const QString LocalHotKeyFilterMaskKey = QStringLiteral("Local Hot Key Filter Mask");
const QString NonModifierHotKeysAreLocalKey = QString::fromUtf16(ZRNonModifierHotKeysAreLocalUserDefaultName);
const QString NonModifierHotKeysAreLocalStrictKey = QStringLiteral("Non-Modifier Hot Keys Are Local: Strict");

// Identifiers of registrations run from 0 to this value, then start again at 0.
constexpr std::uint32_t MaximumRegistrationIdentifier = 1000000;
std::uint32_t registrationCounterValue = 0;

// The hot keys registered during the current turn of the run loop; null between turns.
std::vector<std::weak_ptr<ZRHotKey>>* hotKeysOfThisTurn = nullptr;

void rememberForThisTurn(const std::weak_ptr<ZRHotKey>& hotKey, RunLoop& mainRunLoop) {
    if (!hotKeysOfThisTurn) {
        hotKeysOfThisTurn = new std::vector<std::weak_ptr<ZRHotKey>>;
        mainRunLoop.performAfterThisTurn([] {
            delete hotKeysOfThisTurn;
            hotKeysOfThisTurn = nullptr;
        });
    }
    hotKeysOfThisTurn->push_back(hotKey);
}

// "F5" names a function key; "F" (the letter) and "Fn" do not.
bool isFunctionKeyName(const QString& name) {
    return name.size() >= 2 && name.startsWith(u'F') &&
           std::all_of(name.begin() + 1, name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

ZRHotKey::ZRHotKey(const QString& identifier, const std::optional<QString>& visualRepresentation,
                   KeyCode keyCode, ModifierFlags modifierFlags, const ZRHotKeyContext& context)
    : m_context(context), m_keyCode(keyCode), m_identifier(identifier), m_modifierFlags(modifierFlags) {
    setVisualRepresentation(visualRepresentation);
}

ZRHotKey::~ZRHotKey() {
    unregister();
}

std::shared_ptr<ZRHotKey> ZRHotKey::hotKeyWithIdentifer(const QString& identifier,
                                                        const std::optional<QString>& visualRepresentation,
                                                        KeyCode keyCode, ModifierFlags modifierFlags,
                                                        const ZRHotKeyContext& context) {
    return std::shared_ptr<ZRHotKey>(
        new ZRHotKey(identifier, visualRepresentation, keyCode, modifierFlags, context));
}

std::shared_ptr<ZRHotKey>
ZRHotKey::hotKeyWithDictionaryRepresentation(const ZRHotKeyDictionaryRepresentation& record,
                                             const ZRHotKeyContext& context) {
    return hotKeyWithDictionaryRepresentation(record, QString(), context);
}

std::shared_ptr<ZRHotKey>
ZRHotKey::hotKeyWithDictionaryRepresentation(const ZRHotKeyDictionaryRepresentation& record,
                                             const QString& fallbackIdentifier,
                                             const ZRHotKeyContext& context) {
    QString identifier = fallbackIdentifier;
    if (identifier.isEmpty())
        identifier = Plist::readString(record, IdentifierKey).valueOr({});
    if (identifier.isEmpty())
        return nullptr;
    const auto visualRepresentation = Plist::readString(record, VisualRepresentationKey);
    // Only for the log lines: the key and flags decide what the hot key is.
    const QString shown = visualRepresentation.valueOr(identifier);
    // A key code that silently read as 0 would put the hot key on the A key.
    const auto keyCode = Plist::readUnsigned(record, KeyCodeKey);
    if (!keyCode.ok() || keyCode.value > std::numeric_limits<KeyCode>::max()) {
        ZRLog("cannot read hot key <%@>: the key code is missing or out of range", shown);
        return nullptr;
    }
    const auto modifierFlags = Plist::readUnsigned(record, ModifierFlagsKey);
    if (modifierFlags.wrongType()) {
        ZRLog("cannot read hot key <%@>: the modifier flags are not a number in range", shown);
        return nullptr;
    }
    const auto key = static_cast<KeyCode>(keyCode.value);
    const ModifierFlags flags = modifierFlags.valueOr(0);
    // The text is only what is shown for the keys: without one it is made from them.
    QString text = visualRepresentation.valueOr({});
    if (!visualRepresentation.ok())
        text = stringRepresentingModifierFlags(flags, requireExactModifierMatches(context.settings)) +
               stringRepresentingKeyCode(key, false);
    return hotKeyWithIdentifer(identifier, text, key, flags, context);
}

ZRHotKeyDictionaryRepresentation ZRHotKey::dictionaryRepresentation() const {
    ZRHotKeyDictionaryRepresentation record;
    if (!m_identifier.isEmpty())
        record.insert(IdentifierKey, m_identifier);
    if (const auto text = visualRepresentation())
        record.insert(VisualRepresentationKey, *text);
    record.insert(KeyCodeKey, static_cast<qint64>(m_keyCode));
    record.insert(ModifierFlagsKey, static_cast<quint64>(m_modifierFlags));
    return record;
}

bool ZRHotKey::registerForDelegate(ZRHotKeyDelegate& delegate, bool testOnly) {
    std::uint32_t identifier = 0;
    if (const auto decided = prepareRegistration(delegate, testOnly, identifier))
        return *decided;
    HotKeyReference reference = 0;
    const HotKeyRegistrationStatus status =
        m_context.globalHotKeys.registerHotKey(m_keyCode, ZRCarbonModifiersFromCocoaFlags(m_modifierFlags),
                                               delegate.hotKeySignature(), identifier, reference);
    return completeRegistration(status, reference, testOnly);
}

std::optional<bool> ZRHotKey::prepareRegistration(ZRHotKeyDelegate& delegate, bool testOnly,
                                                  std::uint32_t& identifier) {
    if (const auto canBeLocal = delegate.hotKeyCanBeLocal(*this))
        m_canBeLocal = *canBeLocal;
    const bool local = isLocal();

    // A registration still held is dropped before registering anew, even when the hot key has become
    // local meanwhile: it would otherwise keep the keys taken from every other program for good.
    if (m_hotKeyReference != 0) {
        if (testOnly) {
            if (!local)
                return true;
        } else {
            unregister();
        }
    }

    std::vector<std::shared_ptr<ZRHotKey>> candidates = delegate.hotKeys();
    if (hotKeysOfThisTurn) {
        for (const auto& weak : *hotKeysOfThisTurn) {
            if (auto hotKey = weak.lock())
                candidates.push_back(std::move(hotKey));
        }
    }
    std::vector<std::shared_ptr<ZRHotKey>> equals;
    for (const auto& candidate : candidates) {
        if (candidate && candidate.get() != this && candidate->isEqualToHotKey(this, false))
            equals.push_back(candidate);
    }

    if (!equals.empty()) {
        const auto accept = delegate.acceptNonUniqueHotKey(*this, equals);
        if (!accept) {
            ZRLog("the hot key <%@> is already taken", visualRepresentation().value_or(QString()));
            return false;
        }
        if (testOnly)
            return true;
        if (local || !*accept)
            return *accept;
        // Share the registration of the first equal that holds one. When none does (all let go of
        // theirs, as while the keyboard control panel has the keyboard), the keys are free: this hot key
        // takes them, and the equals share its registration when they register again.
        for (const auto& equal : equals) {
            if (equal->m_hotKeyReference != 0 &&
                &equal->m_context.globalHotKeys == &m_context.globalHotKeys) {
                m_hotKeyReference = equal->m_hotKeyReference;
                ZRHotKeyReferencePool::defaultPool().push(m_hotKeyReference, m_context.globalHotKeys);
                return true;
            }
        }
    } else if (local) {
        return true;
    }

    identifier = registrationCounterValue;
    registrationCounterValue = identifier >= MaximumRegistrationIdentifier ? 0 : identifier + 1;
    return std::nullopt;
}

bool ZRHotKey::completeRegistration(HotKeyRegistrationStatus status, HotKeyReference reference,
                                    bool testOnly) {
    if (status != HotKeyRegistrationStatus::Success || reference == 0)
        return false;
    if (testOnly) {
        m_context.globalHotKeys.unregisterHotKey(reference);
        return true;
    }
    m_hotKeyReference = reference;
    ZRHotKeyReferencePool::defaultPool().push(reference, m_context.globalHotKeys);
    return true;
}

bool ZRHotKey::registerForDelegate(ZRHotKeyDelegate& delegate) {
    if (!registerForDelegate(delegate, false))
        return false;
    rememberForThisTurn(weak_from_this(), m_context.mainRunLoop);
    return true;
}

// --- Registering together

namespace {

ZRHotKeyRegistrationBatch* currentBatch = nullptr;

} // namespace

struct ZRHotKeyRegistrationBatch::Entry {
    std::weak_ptr<ZRHotKey> hotKey;
    // The hot key's: the grab is let go of there when the hot key went meanwhile.
    GlobalHotKeys* globalHotKeys;
    RunLoop* mainRunLoop;
    HotKeyRegistrationRequest request;
    std::function<void()> failed;
};

ZRHotKeyRegistrationBatch::ZRHotKeyRegistrationBatch() : m_outer(currentBatch) {
    currentBatch = this;
}

ZRHotKeyRegistrationBatch::~ZRHotKeyRegistrationBatch() {
    finish();
    currentBatch = m_outer;
}

void ZRHotKeyRegistrationBatch::finish() {
    std::vector<Entry> entries = std::move(m_entries);
    m_entries.clear();
    // Hot keys of one program share one desktop; each desktop still gets its grabs at once.
    while (!entries.empty()) {
        GlobalHotKeys& globalHotKeys = *entries.front().globalHotKeys;
        std::vector<Entry> ofDesktop;
        std::vector<Entry> others;
        for (Entry& entry : entries)
            (entry.globalHotKeys == &globalHotKeys ? ofDesktop : others).push_back(std::move(entry));
        entries = std::move(others);
        std::vector<HotKeyRegistrationRequest> requests;
        for (const Entry& entry : ofDesktop)
            requests.push_back(entry.request);
        globalHotKeys.registerHotKeys(requests);
        for (std::size_t i = 0; i < ofDesktop.size(); ++i) {
            const HotKeyRegistrationRequest& done = requests[i];
            const auto hotKey = ofDesktop[i].hotKey.lock();
            if (!hotKey) {
                // Its owner let go of it meanwhile: nothing may keep its keys.
                if (done.reference != 0)
                    globalHotKeys.unregisterHotKey(done.reference);
                continue;
            }
            if (hotKey->completeRegistration(done.status, done.reference, false))
                rememberForThisTurn(hotKey, *ofDesktop[i].mainRunLoop);
            else if (ofDesktop[i].failed)
                ofDesktop[i].failed();
        }
    }
}

void ZRHotKey::registerForDelegateLater(ZRHotKeyDelegate& delegate, const std::function<void()>& failed) {
    ZRHotKeyRegistrationBatch* batch = currentBatch;
    if (!batch) {
        if (!registerForDelegate(delegate) && failed)
            failed();
        return;
    }
    // An equal waiting in the batch would hold no registration to share yet: the batch so far goes first.
    for (const auto& entry : batch->m_entries) {
        const auto other = entry.hotKey.lock();
        if (other.get() == this)
            return;
        if (other && other->isEqualToHotKey(this, false)) {
            batch->finish();
            break;
        }
    }
    std::uint32_t identifier = 0;
    if (const auto decided = prepareRegistration(delegate, false, identifier)) {
        if (*decided)
            rememberForThisTurn(weak_from_this(), m_context.mainRunLoop);
        else if (failed)
            failed();
        return;
    }
    HotKeyRegistrationRequest request;
    request.keyCode = m_keyCode;
    request.modifiers = ZRCarbonModifiersFromCocoaFlags(m_modifierFlags);
    request.signature = delegate.hotKeySignature();
    request.identifier = identifier;
    batch->m_entries.push_back(
        {weak_from_this(), &m_context.globalHotKeys, &m_context.mainRunLoop, request, failed});
}

bool ZRHotKey::testForDelegate(ZRHotKeyDelegate& delegate) {
    return registerForDelegate(delegate, true);
}

void ZRHotKey::unregister() {
    const HotKeyReference reference = std::exchange(m_hotKeyReference, 0);
    if (reference == 0)
        return;
    ZRHotKeyReferencePool& pool = ZRHotKeyReferencePool::defaultPool();
    if (!pool.pop(reference, m_context.globalHotKeys))
        return;
    m_context.globalHotKeys.unregisterHotKey(reference);
    pool.referenceUnregistered.emit(reference);
}

bool ZRHotKey::isRegistered() const {
    return m_hotKeyReference != 0 || isLocal();
}

ZRHotKey::LocalRules ZRHotKey::currentLocalRules(const UserDefaults& settings) {
    const qint64 filterMask = settings.integerForKey(LocalHotKeyFilterMaskKey);
    return {settings.boolForKey(AllHotKeysAreLocalKey),
            filterMask < 1 ? ModifierFlag::ShiftControlOptionCommand : static_cast<ModifierFlags>(filterMask),
            settings.boolForKey(NonModifierHotKeysAreLocalKey),
            settings.boolForKey(NonModifierHotKeysAreLocalStrictKey)};
}

bool ZRHotKey::isLocal() const {
    return m_canBeLocal && isLocal(currentLocalRules(m_context.settings));
}

bool ZRHotKey::isLocal(const LocalRules& rules) const {
    if (!m_canBeLocal)
        return false;
    if (rules.allLocal)
        return true;
    if ((m_modifierFlags & rules.filterMask) || !rules.nonModifierKeysAreLocal)
        return false;
    if (rules.strict)
        return true;
    // Without modifiers, a function key is still meant for every application.
    return !isFunctionKeyName(stringRepresentingKeyCode(m_keyCode, false));
}

QString ZRHotKey::keyEquivalentCharacter() const {
    const QString character = stringRepresentingKeyCode(m_keyCode, true);
    if (!character.isEmpty())
        return character;
    return stringByTrimmingModifierPrefix(visualRepresentation().value_or(QString())).toLower();
}

ZRHotKey::MatchOptions ZRHotKey::currentMatchOptions(const UserDefaults& settings) {
    return {requireExactModifierMatches(settings), ignoreCapsLock(settings), ignoreFunctionKey(settings),
            ignoreNumericPadKey(settings)};
}

bool ZRHotKey::matchesModifierFlags(ModifierFlags flags, bool requireExactModifierMatch) const {
    MatchOptions options = currentMatchOptions(m_context.settings);
    options.requireExactModifierMatch = requireExactModifierMatch;
    return matchesModifierFlags(flags, options);
}

bool ZRHotKey::matchesModifierFlags(ModifierFlags flags, const MatchOptions& options) const {
    return ZRHotKeyModifierFlagsMatch(flags, m_modifierFlags, options);
}

bool ZRHotKey::matchesHotKeyReferenceForEvent(const KeyEvent& event) const {
    return event.isHotKeyPress() && m_hotKeyReference != 0 &&
           hotKeyReferencesAgree(event.data1, m_hotKeyReference);
}

bool ZRHotKey::matchesEvent(const KeyEvent& event) const {
    return matchesEvent(event, currentMatchOptions(m_context.settings));
}

bool ZRHotKey::matchesEvent(const KeyEvent& event, const MatchOptions& options) const {
    if (!matchesModifierFlags(event.modifierFlags, options))
        return false;
    switch (event.type) {
    case KeyEventType::KeyDown:
        return event.keyCode == m_keyCode;
    case KeyEventType::SystemDefined:
        return matchesHotKeyReferenceForEvent(event);
    }
    return false;
}

bool ZRHotKey::isEqualToHotKey(const ZRHotKey* other, bool requireExactModifierMatch) const {
    if (other == this)
        return true;
    if (!other || other->m_keyCode != m_keyCode)
        return false;
    return matchesModifierFlags(other->m_modifierFlags, requireExactModifierMatch);
}

bool ZRHotKey::isEqualToHotKey(const ZRHotKey* other) const {
    return isEqualToHotKey(other, requireExactModifierMatches(m_context.settings));
}

bool ZRHotKey::requireExactModifierMatches(const UserDefaults& settings) {
    return settings.boolForKey(RequireExactModifierMatchesKey);
}

bool ZRHotKey::ignoreCapsLock(const UserDefaults& settings) {
    return !settings.boolForKey(AccountForCapsLockKey);
}

bool ZRHotKey::ignoreFunctionKey(const UserDefaults& settings) {
    return !settings.boolForKey(AccountForFunctionKeyKey);
}

bool ZRHotKey::ignoreNumericPadKey(const UserDefaults& settings) {
    return !settings.boolForKey(AccountForNumericPadKey);
}

std::optional<QString> ZRHotKey::visualRepresentation() const {
    if (m_updateVisualRepresentation)
        rebuildVisualRepresentation();
    return m_visualRepresentation;
}

QString ZRHotKey::displayString() const {
    return stringRepresentingKeys(m_keyCode, m_modifierFlags, requireExactModifierMatches(m_context.settings),
                                  stringByTrimmingModifierPrefix(visualRepresentation().value_or(QString())));
}

void ZRHotKey::setVisualRepresentation(const std::optional<QString>& visualRepresentation) {
    m_visualRepresentation = visualRepresentation;
    m_updateVisualRepresentation = true;
}

// A stored text takes the current modifier glyphs and key names; a key without a name keeps the
// character that was recorded for it.
void ZRHotKey::rebuildVisualRepresentation() const {
    m_updateVisualRepresentation = false;
    if (!m_visualRepresentation)
        return;
    QString keyName = stringRepresentingKeyCode(m_keyCode, false);
    if (keyName.isEmpty()) {
        keyName = stringByTrimmingModifierPrefix(*m_visualRepresentation);
        if (keyName.isEmpty())
            return;
    }
    m_visualRepresentation =
        stringRepresentingModifierFlags(m_modifierFlags, requireExactModifierMatches(m_context.settings)) +
        keyName;
}

std::uint32_t ZRHotKey::registrationCounter() {
    return registrationCounterValue;
}

void ZRHotKey::setRegistrationCounter(std::uint32_t counter) {
    registrationCounterValue = counter > MaximumRegistrationIdentifier ? 0 : counter;
}
