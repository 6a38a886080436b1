#pragma once

#include "hotkeys/ZRHotKeyContext.h"
#include "platform/GlobalHotKeys.h"
#include "platform/Keys.h"
#include "toolkit/ModifierFlagsMatching.h"

#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class UserDefaults;
class ZRHotKeyDelegate;
struct KeyEvent;

// The identifiers of the two settings hot keys, which are also their settings keys. No action's hot
// key may pass for one of them.
inline constexpr char16_t ZRKeyboardMenuHotKeyIdentifier[] = u"Keyboard Menu";
inline constexpr char16_t ZRKeyboardControlsHotKeyIdentifier[] = u"Keyboard Controls";

// Hot keys without modifiers are local; the action store registers it on.
inline constexpr char16_t ZRNonModifierHotKeysAreLocalUserDefaultName[] = u"Non-Modifier Hot Keys Are Local";

// The stored form of a hot key: "Identifier", "Visual Representation", "Key Code" and "Modifier Flags".
using ZRHotKeyDictionaryRepresentation = QVariantMap;

// One keyboard shortcut: a virtual key code, modifier flags as recorded (side bits included) and the
// text shown for it. Its owner registers it with the desktop; equal hot keys of several owners share
// one registration. A hot key without modifiers may instead be local: never registered, it acts only
// while the keyboard control panel has the keyboard. Main thread only.
//
// Hot keys live in shared pointers: owners and recorder fields hold the same one, and the hot keys
// registered during one turn of the run loop are remembered (weakly) until the turn ends. Each keeps the
// context it was made with: it registers with that desktop and reads those settings.
class ZRHotKey : public std::enable_shared_from_this<ZRHotKey> {
public:
    // A new, unregistered hot key that cannot be local until its owner allows it.
    static std::shared_ptr<ZRHotKey> hotKeyWithIdentifer(const QString& identifier,
                                                         const std::optional<QString>& visualRepresentation,
                                                         KeyCode keyCode, ModifierFlags modifierFlags,
                                                         const ZRHotKeyContext& context);
    // The hot key of a stored record, or null when the record has no text, no identifier (its own or
    // the fallback), or a key code or modifier flags that are not numbers in range. The owner decides
    // the identifier: a fallback, when given, wins over the one in the record, so that no record can
    // pass one owner's hot key off as another's.
    static std::shared_ptr<ZRHotKey>
    hotKeyWithDictionaryRepresentation(const ZRHotKeyDictionaryRepresentation& record,
                                       const QString& fallbackIdentifier, const ZRHotKeyContext& context);
    static std::shared_ptr<ZRHotKey>
    hotKeyWithDictionaryRepresentation(const ZRHotKeyDictionaryRepresentation& record,
                                       const ZRHotKeyContext& context);

    ZRHotKey(const ZRHotKey&) = delete;
    ZRHotKey& operator=(const ZRHotKey&) = delete;
    // Lets go of its registration.
    ~ZRHotKey();

    ZRHotKeyDictionaryRepresentation dictionaryRepresentation() const;

    // Registers the hot key for its owner; with testOnly nothing is kept, it only tells whether
    // registration would succeed. False when the keys are taken, by an owner that does not share or by
    // another program. A duplicate shares the registration of its first equal that holds one.
    bool registerForDelegate(ZRHotKeyDelegate& delegate, bool testOnly);
    // Registers for good and remembers the hot key until the turn ends, so that hot keys registered
    // together are checked against each other before their owners list them.
    bool registerForDelegate(ZRHotKeyDelegate& delegate);
    bool testForDelegate(ZRHotKeyDelegate& delegate);
    // Registers for good as registerForDelegate does, but while a ZRHotKeyRegistrationBatch lives the
    // desktop's part waits for the batch to end; failed runs when registration did not succeed.
    void registerForDelegateLater(ZRHotKeyDelegate& delegate, const std::function<void()>& failed);
    // The last hot key to let go of a registration takes it back from the desktop.
    void unregister();
    // Holds a registration, or is local.
    bool isRegistered() const;
    // The settings that make hot keys local, read once for a look at many hot keys.
    struct LocalRules {
        bool allLocal = false;
        ModifierFlags filterMask = 0;
        bool nonModifierKeysAreLocal = false;
        bool strict = false;
    };
    static LocalRules currentLocalRules(const UserDefaults& settings);
    bool isLocal() const;
    bool isLocal(const LocalRules& rules) const;

    // The character a menu shows as the shortcut: the key's key-equivalent character, else the key's
    // text without modifier glyphs, lower-cased.
    QString keyEquivalentCharacter() const;

    // The hot-key settings that matching reads, read once for a press matched against many hot keys.
    using MatchOptions = ZRModifierMatchOptions;
    static MatchOptions currentMatchOptions(const UserDefaults& settings);

    bool matchesModifierFlags(ModifierFlags flags, bool requireExactModifierMatch) const;
    bool matchesModifierFlags(ModifierFlags flags, const MatchOptions& options) const;
    // A hot-key press whose registration is this hot key's.
    bool matchesHotKeyReferenceForEvent(const KeyEvent& event) const;
    // A key-down of this key, or a press of this hot key's registration, with matching modifiers.
    bool matchesEvent(const KeyEvent& event) const;
    bool matchesEvent(const KeyEvent& event, const MatchOptions& options) const;
    bool isEqualToHotKey(const ZRHotKey* other, bool requireExactModifierMatch) const;
    bool isEqualToHotKey(const ZRHotKey* other) const;

    // The hot-key settings, read on every call.
    static bool requireExactModifierMatches(const UserDefaults& settings);
    static bool ignoreCapsLock(const UserDefaults& settings);
    static bool ignoreFunctionKey(const UserDefaults& settings);
    static bool ignoreNumericPadKey(const UserDefaults& settings);
    // What the hot key was made with: the desktop it registers with, the settings it reads.
    const ZRHotKeyContext& context() const { return m_context; }

    // The text, rebuilt after it was set from the current modifier glyphs and key name: the stored form.
    std::optional<QString> visualRepresentation() const;
    // The keys as the desktop writes them, for every text a user reads (KeyStrings.h).
    QString displayString() const;
    void setVisualRepresentation(const std::optional<QString>& visualRepresentation);
    bool canBeLocal() const { return m_canBeLocal; }
    void setCanBeLocal(bool canBeLocal) { m_canBeLocal = canBeLocal; }
    KeyCode keyCode() const { return m_keyCode; }
    void setKeyCode(KeyCode keyCode) { m_keyCode = keyCode; }
    // Empty for none.
    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier) { m_identifier = identifier; }
    // 0 while no registration is held.
    HotKeyReference hotKeyReference() const { return m_hotKeyReference; }
    ModifierFlags modifierFlags() const { return m_modifierFlags; }
    void setModifierFlags(ModifierFlags modifierFlags) { m_modifierFlags = modifierFlags; }

    // The identifier the next registration attempt will use (0 to 1,000,000, then 0 again).
    static std::uint32_t registrationCounter();
    static void setRegistrationCounter(std::uint32_t counter);

private:
    ZRHotKey(const QString& identifier, const std::optional<QString>& visualRepresentation, KeyCode keyCode,
             ModifierFlags modifierFlags, const ZRHotKeyContext& context);
    void rebuildVisualRepresentation() const;
    // All of a registration but the desktop's part: a decision, or none when the desktop must be asked
    // with that identifier.
    std::optional<bool> prepareRegistration(ZRHotKeyDelegate& delegate, bool testOnly,
                                            std::uint32_t& identifier);
    // Takes the desktop's answer.
    bool completeRegistration(HotKeyRegistrationStatus status, HotKeyReference reference, bool testOnly);
    friend class ZRHotKeyRegistrationBatch;

    ZRHotKeyContext m_context;
    mutable std::optional<QString> m_visualRepresentation;
    mutable bool m_updateVisualRepresentation = false;
    bool m_canBeLocal = false;
    KeyCode m_keyCode = 0;
    QString m_identifier;
    HotKeyReference m_hotKeyReference = 0;
    ModifierFlags m_modifierFlags = 0;
};

// Hot keys registered together, as a store does when it loads its actions: while one lives,
// registerForDelegateLater queues the desktop's part, and when it ends every queued grab goes out at
// once and is checked once. Batches nest; main thread only.
class ZRHotKeyRegistrationBatch {
public:
    ZRHotKeyRegistrationBatch();
    ~ZRHotKeyRegistrationBatch();
    ZRHotKeyRegistrationBatch(const ZRHotKeyRegistrationBatch&) = delete;
    ZRHotKeyRegistrationBatch& operator=(const ZRHotKeyRegistrationBatch&) = delete;

private:
    friend class ZRHotKey;
    struct Entry;
    // Registers what is queued.
    void finish();

    ZRHotKeyRegistrationBatch* m_outer;
    std::vector<Entry> m_entries;
};
