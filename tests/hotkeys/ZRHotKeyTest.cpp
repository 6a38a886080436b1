#include "HotKeyTestSupport.h"

#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKeyReferencePool.h"

namespace {

using namespace ModifierFlag;

constexpr ModifierFlags ControlOption = Control | Option;

TEST_F(HotKeyTest, EqualHotKeysShareOneRegistrationUntilTheLastLetsGo) {
    FakeOwner first;
    auto a = hotKey(Key::F5, ControlOption);
    ASSERT_TRUE(a->registerForDelegate(first));

    FakeOwner second;
    second.inUse = {a};
    second.acceptsDuplicates = true;
    auto b = hotKey(Key::F5, ControlOption | LeftControl);
    ASSERT_TRUE(b->registerForDelegate(second));

    EXPECT_EQ(b->hotKeyReference(), a->hotKeyReference());
    EXPECT_EQ(hotKeys.registerCalls, 1);
    EXPECT_EQ(hotKeys.registrations().size(), 1u);

    a.reset();
    second.inUse.clear();
    EXPECT_EQ(hotKeys.unregisterCalls, 0);
    EXPECT_TRUE(hotKeys.isRegistered(Key::F5, ControlOption));
    EXPECT_TRUE(b->isRegistered());

    b.reset();
    EXPECT_EQ(hotKeys.unregisterCalls, 1);
    EXPECT_TRUE(hotKeys.registrations().empty());
}

TEST_F(HotKeyTest, AnEqualHotKeyIsTakenUnlessItsOwnerSharesIt) {
    struct Case {
        const char* what;
        std::optional<bool> accepts;
        bool registered;
        bool loggedTaken;
    };
    const Case cases[] = {
        {"owner without an opinion", std::nullopt, false, true},
        {"owner refuses (an action against the keyboard menu's hot key)", false, false, false},
        {"owner shares", true, true, false},
    };
    for (const auto& c : cases) {
        FakeOwner settingsOwner;
        auto keyboardMenu = hotKey(Key::K, Command | Option, QStringLiteral("Keyboard Menu"));
        ASSERT_TRUE(keyboardMenu->registerForDelegate(settingsOwner, false));

        FakeOwner action;
        action.inUse = {keyboardMenu};
        action.acceptsDuplicates = c.accepts;
        auto candidate = hotKey(Key::K, Command | Option);
        EXPECT_EQ(candidate->registerForDelegate(action, false), c.registered) << c.what;
        EXPECT_EQ(candidate->hotKeyReference() != 0, c.registered) << c.what;
        EXPECT_EQ(logged(QStringLiteral("the hot key <\u2325\u2318K> is already taken")), c.loggedTaken)
            << c.what;
        // Asking only tells whether the keys could be had, whatever the owner would answer.
        EXPECT_EQ(candidate->testForDelegate(action), c.accepts.has_value()) << c.what;
        EXPECT_EQ(hotKeys.registrations().size(), 1u) << c.what;
        log->clear();
    }
}

TEST_F(HotKeyTest, RegisteringAgainTakesAFreshRegistration) {
    FakeOwner owner;
    auto key = hotKey(Key::F6, Command);
    ZRHotKey::setRegistrationCounter(7);
    ASSERT_TRUE(key->registerForDelegate(owner, false));
    const HotKeyReference first = key->hotKeyReference();
    EXPECT_EQ(hotKeys.lastIdentifier, 7u);
    EXPECT_EQ(hotKeys.registrations().front().signature, ZRHotKeySignature);

    // A test of a registered hot key changes nothing.
    EXPECT_TRUE(key->testForDelegate(owner));
    EXPECT_EQ(key->hotKeyReference(), first);
    EXPECT_EQ(hotKeys.registerCalls, 1);

    ASSERT_TRUE(key->registerForDelegate(owner, false));
    EXPECT_NE(key->hotKeyReference(), first);
    EXPECT_EQ(hotKeys.unregisterCalls, 1);
    EXPECT_EQ(hotKeys.lastIdentifier, 8u);
    EXPECT_EQ(hotKeys.registrations().size(), 1u);
}

TEST_F(HotKeyTest, RegistrationIdentifiersWrapAfterOneMillion) {
    FakeOwner owner;
    auto key = hotKey(Key::F7, Command);
    ZRHotKey::setRegistrationCounter(1000000);
    ASSERT_TRUE(key->testForDelegate(owner));
    EXPECT_EQ(hotKeys.lastIdentifier, 1000000u);
    EXPECT_EQ(ZRHotKey::registrationCounter(), 0u);
    EXPECT_TRUE(hotKeys.registrations().empty());

    // A refusal by the desktop still uses up an identifier.
    hotKeys.markTaken(Key::F7, Command);
    EXPECT_FALSE(key->registerForDelegate(owner));
    EXPECT_EQ(hotKeys.lastIdentifier, 0u);
    EXPECT_EQ(ZRHotKey::registrationCounter(), 1u);
    EXPECT_FALSE(key->isRegistered());
}

TEST_F(HotKeyTest, LocalityFollowsTheSettings) {
    struct Case {
        const char* what;
        KeyCode keyCode;
        ModifierFlags flags;
        QVariantMap settings;
        bool local;
    };
    const QString strict = QStringLiteral("Non-Modifier Hot Keys Are Local: Strict");
    const QString allLocal = QStringLiteral("All Hot Keys Are Local");
    const QString nonModifier = QStringLiteral("Non-Modifier Hot Keys Are Local");
    const QString mask = QStringLiteral("Local Hot Key Filter Mask");
    const Case cases[] = {
        {"F5", Key::F5, 0, {}, false},
        {"F12 with caps lock and fn", Key::F12, CapsLock | Function, {}, false},
        {"a letter", Key::A, 0, {}, true},
        {"the letter F", Key::F, 0, {}, true},
        {"keypad 5", Key::Keypad5, NumericPad, {}, true},
        {"F5, strict", Key::F5, 0, {{strict, true}}, true},
        {"a letter, strict", Key::A, 0, {{strict, true}}, true},
        {"option-F5", Key::F5, Option, {}, false},
        {"option-F5, strict", Key::F5, Option, {{strict, true}}, false},
        {"option-F5, all local", Key::F5, Option, {{allLocal, true}}, true},
        {"a letter, non-modifier keys global", Key::A, 0, {{nonModifier, false}}, false},
        {"option-A, only command keeps it global", Key::A, Option, {{mask, qint64(Command)}}, true},
        {"command-A, only command keeps it global", Key::A, Command, {{mask, qint64(Command)}}, false},
        {"option-A, a mask below 1", Key::A, Option, {{mask, qint64(-5)}}, false},
    };
    FakeOwner owner;
    for (const auto& c : cases) {
        const ScopedSettings scoped(settings(), c.settings);
        auto key = hotKey(c.keyCode, c.flags);
        ASSERT_TRUE(key->registerForDelegate(owner, false)) << c.what;
        EXPECT_EQ(key->isLocal(), c.local) << c.what;
        EXPECT_TRUE(key->isRegistered()) << c.what;
        EXPECT_EQ(hotKeys.isRegistered(c.keyCode, c.flags), !c.local) << c.what;
        key.reset();
    }

    // An owner that does not allow local hot keys registers even a plain letter.
    FakeOwner strictOwner;
    strictOwner.canBeLocal = false;
    auto letter = hotKey(Key::A, 0);
    ASSERT_TRUE(letter->registerForDelegate(strictOwner, false));
    EXPECT_FALSE(letter->isLocal());
    EXPECT_TRUE(hotKeys.isRegistered(Key::A, 0));
}

TEST_F(HotKeyTest, RegisteringAHotKeyThatBecameLocalLetsGoOfTheDesktop) {
    FakeOwner owner;
    auto key = hotKey(Key::J, Option);
    ASSERT_TRUE(key->registerForDelegate(owner, false));
    ASSERT_TRUE(hotKeys.isRegistered(Key::J, Option));

    set(QStringLiteral("All Hot Keys Are Local"), true);
    ASSERT_TRUE(key->registerForDelegate(owner, false));
    EXPECT_TRUE(key->isLocal());
    EXPECT_EQ(key->hotKeyReference(), 0u);
    EXPECT_FALSE(hotKeys.isRegistered(Key::J, Option));
}

TEST_F(HotKeyTest, ADuplicateSharesTheRegistrationOfTheFirstEqualThatHoldsOne) {
    FakeOwner owner;
    auto released = hotKey(Key::L, Control);
    auto holder = hotKey(Key::L, Control);
    ASSERT_TRUE(released->registerForDelegate(owner, false));
    released->unregister();
    ASSERT_TRUE(holder->registerForDelegate(owner, false));

    FakeOwner duplicates;
    duplicates.acceptsDuplicates = true;
    duplicates.inUse = {released, holder};
    auto duplicate = hotKey(Key::L, Control);
    ASSERT_TRUE(duplicate->registerForDelegate(duplicates, false));
    EXPECT_EQ(duplicate->hotKeyReference(), holder->hotKeyReference());

    // With no equal holding a registration the keys are free: the duplicate takes them, and an equal
    // that registers again shares them.
    holder->unregister();
    duplicate->unregister();
    ASSERT_TRUE(duplicate->registerForDelegate(duplicates, false));
    EXPECT_NE(duplicate->hotKeyReference(), 0u);
    EXPECT_TRUE(hotKeys.isRegistered(Key::L, Control));
    owner.acceptsDuplicates = true;
    owner.inUse = {duplicate};
    ASSERT_TRUE(holder->registerForDelegate(owner, false));
    EXPECT_EQ(holder->hotKeyReference(), duplicate->hotKeyReference());
    EXPECT_EQ(hotKeys.registrations().size(), 1u);
}

TEST_F(HotKeyTest, HotKeysRegisteredInOneTurnAreComparedWithEachOther) {
    FakeOwner owner;
    owner.acceptsDuplicates = true;
    auto first = hotKey(Key::M, Command | Shift);
    auto second = hotKey(Key::M, Command | Shift);
    ASSERT_TRUE(first->registerForDelegate(owner));
    ASSERT_TRUE(second->registerForDelegate(owner));
    EXPECT_EQ(second->hotKeyReference(), first->hotKeyReference());
    EXPECT_EQ(owner.duplicateQuestions, 1);

    // Once the turn is over only the owner's list counts; the desktop then refuses the keys.
    RunLoop::main().runPending();
    auto third = hotKey(Key::M, Command | Shift);
    EXPECT_FALSE(third->registerForDelegate(owner));
    EXPECT_EQ(owner.duplicateQuestions, 1);
}

KeyEvent keyDown(KeyCode keyCode, ModifierFlags flags) {
    KeyEvent event;
    event.keyCode = keyCode;
    event.modifierFlags = flags;
    return event;
}

TEST_F(HotKeyTest, EventsMatchByKeyAndModifiersUnderTheSettings) {
    struct Case {
        const char* what;
        ModifierFlags hotKeyFlags;
        ModifierFlags eventFlags;
        QVariantMap settings;
        bool match;
    };
    const QString capsLock = QStringLiteral("Hot Keys Account For Caps Lock Status");
    const QString function = QStringLiteral("Hot Keys Account For Function Key Status");
    const QString numericPad = QStringLiteral("Hot Keys Account For Numeric Pad Key Status");
    const QString exact = QStringLiteral("Hot Keys Require Exact Modifier Key Matches");
    const Case cases[] = {
        {"same modifiers", ControlOption, ControlOption, {}, true},
        {"one more modifier", ControlOption, ControlOption | Shift, {}, false},
        {"caps lock on, ignored", ControlOption, ControlOption | CapsLock, {}, true},
        {"caps lock on, counted", ControlOption, ControlOption | CapsLock, {{capsLock, true}}, false},
        {"fn held, ignored", ControlOption | Function, ControlOption, {}, true},
        {"fn held, counted", ControlOption | Function, ControlOption, {{function, true}}, false},
        {"numeric pad, ignored", Command, Command | NumericPad, {}, true},
        {"numeric pad, counted", Command, Command | NumericPad, {{numericPad, true}}, false},
        {"other side, not exact", Command | LeftCommand, Command | RightCommand, {}, true},
        {"other side, exact", Command | LeftCommand, Command | RightCommand, {{exact, true}}, false},
    };
    for (const auto& c : cases) {
        const ScopedSettings scoped(settings(), c.settings);
        const auto key = hotKey(Key::Z, c.hotKeyFlags);
        EXPECT_EQ(key->matchesEvent(keyDown(Key::Z, c.eventFlags)), c.match) << c.what;
        EXPECT_FALSE(key->matchesEvent(keyDown(Key::X, c.eventFlags))) << c.what;
    }
}

TEST_F(HotKeyTest, HotKeyEventsMatchByRegistration) {
    FakeOwner owner;
    auto key = hotKey(Key::F8, Control);
    auto other = hotKey(Key::F9, Control);
    ASSERT_TRUE(key->registerForDelegate(owner, false));
    ASSERT_TRUE(other->registerForDelegate(owner, false));

    HotKeyEvent press{key->hotKeyReference(), true, ZRHotKeySignature, 0, 0};
    EXPECT_TRUE(key->matchesEvent(keyEventFromHotKeyEvent(press, Control | CapsLock)));
    EXPECT_FALSE(other->matchesEvent(keyEventFromHotKeyEvent(press, Control)));
    EXPECT_FALSE(key->matchesEvent(keyEventFromHotKeyEvent(press, Control | Shift)));
    // Only the low 32 bits of a reference travel with the event.
    HotKeyEvent widened = press;
    widened.reference |= std::uint64_t(1) << 40;
    EXPECT_TRUE(key->matchesEvent(keyEventFromHotKeyEvent(widened, Control)));
    HotKeyEvent release = press;
    release.pressed = false;
    EXPECT_FALSE(key->matchesEvent(keyEventFromHotKeyEvent(release, Control)));

    key->unregister();
    EXPECT_FALSE(key->matchesEvent(keyEventFromHotKeyEvent(press, Control)));
}

TEST_F(HotKeyTest, RecordsRoundTrip) {
    const ModifierFlags flags = Control | Option | Shift | Command | LeftShift | RightCommand | CapsLock;
    const auto key = ZRHotKey::hotKeyWithIdentifer(QStringLiteral("3F2504E0"), QStringLiteral("stale"),
                                                   Key::F5, flags, hotKeyContext());
    const auto record = key->dictionaryRepresentation();
    EXPECT_EQ(record.value(QStringLiteral("Identifier")).toString(), QStringLiteral("3F2504E0"));
    EXPECT_EQ(record.value(QStringLiteral("Key Code")).toLongLong(), Key::F5);
    EXPECT_EQ(record.value(QStringLiteral("Modifier Flags")).toULongLong(), flags);

    const auto read = ZRHotKey::hotKeyWithDictionaryRepresentation(record, hotKeyContext());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->identifier(), QStringLiteral("3F2504E0"));
    EXPECT_EQ(read->keyCode(), Key::F5);
    EXPECT_EQ(read->modifierFlags(), flags);
    EXPECT_EQ(read->visualRepresentation(), key->visualRepresentation());
    EXPECT_EQ(read->dictionaryRepresentation(), record);
}

TEST_F(HotKeyTest, RecordsThatNameNoUsableKeyAreRefused) {
    const QVariantMap valid{{QStringLiteral("Identifier"), QStringLiteral("action")},
                            {QStringLiteral("Visual Representation"), QStringLiteral("\u2318A")},
                            {QStringLiteral("Key Code"), 0},
                            {QStringLiteral("Modifier Flags"), qint64(Command)}};
    struct Case {
        const char* what;
        QString key;
        QVariant value; // invalid: the key is removed
        bool accepted;
    };
    const Case cases[] = {
        {"valid", {}, {}, true},
        // The text only shows the keys: it is made from them when missing.
        {"no text", QStringLiteral("Visual Representation"), {}, true},
        {"text not a string", QStringLiteral("Visual Representation"), 5, true},
        {"no identifier", QStringLiteral("Identifier"), {}, false},
        {"empty identifier", QStringLiteral("Identifier"), QString(), false},
        {"no key code", QStringLiteral("Key Code"), {}, false},
        {"key code as text", QStringLiteral("Key Code"), QStringLiteral("0"), false},
        {"negative key code", QStringLiteral("Key Code"), -1, false},
        {"key code beyond 16 bits", QStringLiteral("Key Code"), 65536, false},
        {"fractional key code", QStringLiteral("Key Code"), 1.5, false},
        {"whole real key code", QStringLiteral("Key Code"), 96.0, true},
        {"no modifier flags", QStringLiteral("Modifier Flags"), {}, true},
        {"negative modifier flags", QStringLiteral("Modifier Flags"), -1, false},
        {"modifier flags as text", QStringLiteral("Modifier Flags"), QStringLiteral("x"), false},
        {"largest modifier flags", QStringLiteral("Modifier Flags"), QVariant::fromValue(~quint64(0)), true},
    };
    for (const auto& c : cases) {
        QVariantMap record = valid;
        if (!c.key.isEmpty()) {
            if (c.value.isValid())
                record.insert(c.key, c.value);
            else
                record.remove(c.key);
        }
        EXPECT_EQ(ZRHotKey::hotKeyWithDictionaryRepresentation(record, hotKeyContext()) != nullptr,
                  c.accepted)
            << c.what;
    }
    const auto noFlags = ZRHotKey::hotKeyWithDictionaryRepresentation(
        QVariantMap{{QStringLiteral("Identifier"), QStringLiteral("a")},
                    {QStringLiteral("Visual Representation"), QStringLiteral("A")},
                    {QStringLiteral("Key Code"), 0}},
        hotKeyContext());
    ASSERT_TRUE(noFlags);
    EXPECT_EQ(noFlags->modifierFlags(), 0u);
    const auto noText = ZRHotKey::hotKeyWithDictionaryRepresentation(
        QVariantMap{{QStringLiteral("Key Code"), Key::F5},
                    {QStringLiteral("Modifier Flags"), qint64(Control | Option)}},
        QStringLiteral("action"), hotKeyContext());
    ASSERT_TRUE(noText);
    EXPECT_EQ(noText->visualRepresentation(), QStringLiteral("\u2303\u2325F5"));
    EXPECT_TRUE(
        logged(QStringLiteral("cannot read hot key <\u2318A>: the key code is missing or out of range")));
}

TEST_F(HotKeyTest, TheOwnerDecidesTheIdentifier) {
    QVariantMap record{{QStringLiteral("Identifier"), QStringLiteral("Keyboard Menu")},
                       {QStringLiteral("Visual Representation"), QStringLiteral("\u2318K")},
                       {QStringLiteral("Key Code"), Key::K},
                       {QStringLiteral("Modifier Flags"), qint64(Command)}};
    EXPECT_EQ(
        ZRHotKey::hotKeyWithDictionaryRepresentation(record, QStringLiteral("action-1"), hotKeyContext())
            ->identifier(),
        QStringLiteral("action-1"));
    EXPECT_EQ(ZRHotKey::hotKeyWithDictionaryRepresentation(record, hotKeyContext())->identifier(),
              QStringLiteral("Keyboard Menu"));
    record.remove(QStringLiteral("Identifier"));
    EXPECT_EQ(
        ZRHotKey::hotKeyWithDictionaryRepresentation(record, QStringLiteral("action-1"), hotKeyContext())
            ->identifier(),
        QStringLiteral("action-1"));
}

TEST_F(HotKeyTest, TextsFollowTheCurrentGlyphsAndKeyNames) {
    // A stored text takes the current modifier glyphs and key name.
    const auto f5 = ZRHotKey::hotKeyWithIdentifer(QStringLiteral("a"), QStringLiteral("old"), Key::F5,
                                                  Control | Option | LeftControl, hotKeyContext());
    EXPECT_EQ(f5->visualRepresentation(), QStringLiteral("\u2303\u2325F5"));
    EXPECT_EQ(f5->keyEquivalentCharacter(), QString(QChar(0xF708)));
    set(QStringLiteral("Hot Keys Require Exact Modifier Key Matches"), true);
    f5->setVisualRepresentation(QStringLiteral("old"));
    EXPECT_EQ(f5->visualRepresentation(), QStringLiteral("\u2039\u2303\u2325F5"));
    EXPECT_EQ(f5->displayString(), QStringLiteral("Left Ctrl+Alt+F5")) << "the text a user reads";

    // A key without a name keeps the character that was recorded for it.
    const auto yen = ZRHotKey::hotKeyWithIdentifer(QStringLiteral("a"), QStringLiteral("\u2318\u00A5"),
                                                   Key::JISYen, Option, hotKeyContext());
    EXPECT_EQ(yen->visualRepresentation(), QStringLiteral("\u2325\u00A5"));
    EXPECT_EQ(yen->keyEquivalentCharacter(), QStringLiteral("\u00A5"));
    EXPECT_EQ(yen->displayString(), QStringLiteral("Alt+\u00A5"));
    const auto letter = ZRHotKey::hotKeyWithIdentifer(QStringLiteral("a"), QStringLiteral("\u2318A"), Key::A,
                                                      Command, hotKeyContext());
    EXPECT_EQ(letter->keyEquivalentCharacter(), QStringLiteral("a"));
    // No text stays no text.
    const auto none = ZRHotKey::hotKeyWithIdentifer({}, std::nullopt, Key::Escape, 0, hotKeyContext());
    EXPECT_FALSE(none->visualRepresentation().has_value());
    EXPECT_FALSE(none->dictionaryRepresentation().contains(QStringLiteral("Visual Representation")));
    EXPECT_FALSE(none->dictionaryRepresentation().contains(QStringLiteral("Identifier")));
}

// A hot key registers with the desktop and reads the settings it was made with, whichever the program
// reads: alone, in a batch beside hot keys of another desktop, and when it lets go.
TEST_F(HotKeyTest, AHotKeyKeepsToTheDesktopAndSettingsItWasMadeWith) {
    SimDesktop otherDesktop;
    UserDefaults otherSettings(folder.filePath(QStringLiteral("Other.plist")));
    otherSettings.setBool(true, QStringLiteral("Hot Keys Require Exact Modifier Key Matches"));
    const ZRHotKeyContext other{otherDesktop.globalHotKeys(), otherSettings, RunLoop::main()};
    const auto left = ZRHotKey::hotKeyWithIdentifer(QStringLiteral("owner"), QString(), Key::F5,
                                                    Command | LeftCommand, other);
    const auto right = hotKey(Key::F5, Command | RightCommand);
    EXPECT_FALSE(left->isEqualToHotKey(right.get())) << "its own settings tell the sides apart";
    EXPECT_TRUE(right->isEqualToHotKey(left.get())) << "the case's settings do not";
    const auto otherLetter =
        ZRHotKey::hotKeyWithIdentifer(QStringLiteral("owner"), QString(), Key::A, 0, other);
    const auto letter = hotKey(Key::A, 0);
    otherLetter->setCanBeLocal(true);
    letter->setCanBeLocal(true);
    EXPECT_FALSE(otherLetter->isLocal()) << "its settings never made keys without modifiers local";
    EXPECT_TRUE(letter->isLocal());

    FakeOwner owner;
    const auto taken = hotKey(Key::F6, Command);
    {
        ZRHotKeyRegistrationBatch batch;
        left->registerForDelegateLater(owner, [] { ADD_FAILURE() << "F5 refused"; });
        taken->registerForDelegateLater(owner, [] { ADD_FAILURE() << "F6 refused"; });
    }
    EXPECT_TRUE(otherDesktop.globalHotKeys().isRegistered(Key::F5, Command));
    EXPECT_FALSE(hotKeys.isRegistered(Key::F5, Command));
    EXPECT_TRUE(hotKeys.isRegistered(Key::F6, Command));
    EXPECT_FALSE(otherDesktop.globalHotKeys().isRegistered(Key::F6, Command));
    left->unregister();
    EXPECT_FALSE(otherDesktop.globalHotKeys().isRegistered(Key::F5, Command))
        << "given back where it was taken";
    taken->unregister();
    ASSERT_TRUE(left->registerForDelegate(owner, false));
    EXPECT_TRUE(otherDesktop.globalHotKeys().isRegistered(Key::F5, Command));
    left->unregister();
}

} // namespace
