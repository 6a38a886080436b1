#include "ActionTestSupport.h"

#include "platform/Keys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QWidget>
#include <csignal>
#include <random>
#include <sys/resource.h>

namespace {

using namespace ModifierFlag;

const QString StoreKey = QString::fromUtf16(ZRCustomControlsUserDefaultName);

std::shared_ptr<ZRAction> folderOf(std::vector<std::shared_ptr<ZRAction>> children, bool chain = false) {
    auto action = ZRAction::actionWithType(ZRActionTypeFolder);
    action->setChain(chain);
    action->setChildren(std::move(children));
    return action;
}

QStringList identifiers(const std::vector<std::shared_ptr<ZRAction>>& actions) {
    QStringList list;
    for (const auto& action : actions)
        list << action->uniqueIdentifier();
    return list;
}

class ActionStoreTest : public ActionModelTest {
protected:
    QVariantList storedRecordsOnDisk() const {
        const auto file = PropertyList::readFile(settingsPath());
        return file.value.toMap().value(StoreKey).toList();
    }
};

TEST_F(ActionStoreTest, TheLoadedTreeIsWalkedDepthFirstAndLookedUpByIdentifier) {
    auto fill = ZRAction::actionWithType(ZRActionTypeFill);
    auto separator = ZRAction::actionWithType(ZRActionTypeSeparator);
    auto center = ZRAction::actionWithType(ZRActionTypeCenter);
    auto move = ZRAction::actionWithType(ZRActionTypeMove);
    auto revert = ZRAction::actionWithType(ZRActionTypeRevert);
    auto plain = folderOf({center, move});
    auto innerChain = folderOf({revert}, true);
    auto chain = folderOf({fill, separator, plain, innerChain}, true);
    auto layout = ZRAction::actionWithType(ZRActionTypeLayout);
    layout->setHotKey(hotKey(Key::L, Command | Option, layout->uniqueIdentifier()));
    settings().setObject(QVariantList{chain->dictionaryRepresentation(), layout->dictionaryRepresentation()},
                         StoreKey);
    layout.reset();

    auto& store = this->store();
    EXPECT_EQ(identifiers(store.topLevelActions()),
              (QStringList{chain->uniqueIdentifier(), identifiers(store.topLevelActions())[1]}));
    EXPECT_EQ(identifiers(store.allActions()),
              (QStringList{chain->uniqueIdentifier(), fill->uniqueIdentifier(), separator->uniqueIdentifier(),
                           plain->uniqueIdentifier(), center->uniqueIdentifier(), move->uniqueIdentifier(),
                           innerChain->uniqueIdentifier(), revert->uniqueIdentifier(),
                           store.topLevelActions()[1]->uniqueIdentifier()}));
    EXPECT_TRUE(isRegistered(Key::L, Command | Option)) << "each action registers its hot key on load";

    const auto found = store.actionWithIdentifier(move->uniqueIdentifier(), false);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->actionType(), ZRActionTypeMove);
    EXPECT_FALSE(store.actionWithIdentifier(QString(), true));
    EXPECT_FALSE(store.actionWithIdentifier(QStringLiteral("nothing"), true));

    const auto loadedChain = store.topLevelActions()[0];
    EXPECT_EQ(identifiers(store.chainedActionsForAction(*loadedChain)),
              (QStringList{fill->uniqueIdentifier(), center->uniqueIdentifier(), move->uniqueIdentifier(),
                           innerChain->uniqueIdentifier()}));
    EXPECT_TRUE(
        store.chainedActionsForAction(*store.actionWithIdentifier(plain->uniqueIdentifier(), false)).empty());

    auto ephemeral = ZRAction::actionWithType(ZRActionTypeFill);
    store.addEphemeralAction(ephemeral);
    EXPECT_FALSE(store.actionWithIdentifier(ephemeral->uniqueIdentifier(), false));
    EXPECT_EQ(store.actionWithIdentifier(ephemeral->uniqueIdentifier(), true), ephemeral);
    const QString gone = ephemeral->uniqueIdentifier();
    ephemeral.reset();
    EXPECT_FALSE(store.actionWithIdentifier(gone, true));
}

TEST_F(ActionStoreTest, ChangesAreSavedOnceAfterTheTurnThatMadeThem) {
    auto& store = this->store();
    auto first = ZRAction::actionWithType(ZRActionTypeFill);
    auto second = ZRAction::actionWithType(ZRActionTypeCenter);
    store.insertAction(first);
    store.insertAction(second);
    EXPECT_TRUE(store.needsSave());
    EXPECT_FALSE(QFile::exists(settingsPath()));

    RunLoop::main().runPending();
    EXPECT_FALSE(store.needsSave());
    QVariantList records = storedRecordsOnDisk();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].toMap().value(ZRActionKey::Identifier), second->uniqueIdentifier());

    first->setRelativeFrame({0, 0, 0.5, 0.5});
    EXPECT_TRUE(store.needsSave()) << "an action of the store changed";
    RunLoop::main().runPending();
    EXPECT_EQ(storedRecordsOnDisk()[1].toMap().value(ZRActionKey::RelativeFrame),
              stringFromRect({0, 0, 0.5, 0.5}));

    auto stranger = ZRAction::actionWithType(ZRActionTypeFill);
    stranger->setMoveDelta(30);
    EXPECT_FALSE(store.needsSave()) << "an action outside the store changed";
}

TEST_F(ActionStoreTest, AStoredValueThatIsNoArrayIsKeptUntilTheTreeChanges) {
    const QVariantMap unreadable{{QStringLiteral("Action"), 11}};
    settings().setObject(unreadable, StoreKey);
    auto& store = this->store();
    EXPECT_TRUE(store.topLevelActions().empty());
    EXPECT_TRUE(logged(QStringLiteral("cannot load actions")));

    EXPECT_TRUE(store.save());
    EXPECT_EQ(settings().persistentObject(StoreKey), QVariant(unreadable));

    store.insertAction(ZRAction::actionWithType(ZRActionTypeFill));
    RunLoop::main().runPending();
    EXPECT_EQ(storedRecordsOnDisk().size(), 1);
}

// A stored array with what this version cannot use: a newer version's type, an entry that is no
// record, keys it does not know and a value of the wrong type, folders nested past the limit, a hot key
// without its text, and a folder member of an unknown type.
QVariantList storedRecordsWithUnusableParts() {
    QVariantMap deep{{ZRActionKey::Action, qint64(ZRActionTypeFill)}, {ZRActionKey::Identifier, "deepest"}};
    constexpr int Levels = 100;
    for (int i = 0; i < Levels; ++i)
        deep = {{ZRActionKey::Action, qint64(ZRActionTypeFolder)},
                {ZRActionKey::Identifier, QStringLiteral("level %1").arg(i)},
                {ZRActionKey::Children, QVariantList{deep}}};
    const QVariantMap fromTheFuture{{ZRActionKey::Action, 4242}, {ZRActionKey::Identifier, "future"}};
    return {
        QVariantMap{{ZRActionKey::Action, qint64(ZRActionTypeMove)},
                    {ZRActionKey::Identifier, "move"},
                    {ZRActionKey::MoveDelta, "50"},
                    {QStringLiteral("Future Setting"), QVariantMap{{QStringLiteral("Depth"), 3}}}},
        fromTheFuture,
        QStringLiteral("junk"),
        deep,
        QVariantMap{{ZRActionKey::Action, qint64(ZRActionTypeFill)},
                    {ZRActionKey::Identifier, "fill"},
                    {ZRActionKey::HotKey, QVariantMap{{QStringLiteral("Key Code"), Key::F5},
                                                      {QStringLiteral("Modifier Flags"), 393216}}}},
        QVariantMap{{ZRActionKey::Action, qint64(ZRActionTypeFolder)},
                    {ZRActionKey::Identifier, "folder"},
                    {ZRActionKey::Children,
                     QVariantList{QVariantMap{{ZRActionKey::Action, 11}, {ZRActionKey::Identifier, "a"}},
                                  fromTheFuture,
                                  QVariantMap{{ZRActionKey::Action, 21}, {ZRActionKey::Identifier, "b"}}}}},
    };
}

// Python's reader, independent of ours: the stored arrays of two settings files are equal, once the key
// named in the third argument is taken from the first record of the second file (when given).
bool storedArraysEqual(const QString& before, const QString& after, const QString& changedKey = {}) {
    static const QString script = QStringLiteral(R"(
import plistlib, sys
def stored(path):
    with open(path, 'rb') as f:
        return plistlib.load(f)['Custom Controls (4001)']
before, after = stored(sys.argv[1]), stored(sys.argv[2])
if len(sys.argv) > 3 and sys.argv[3]:
    after[0].pop(sys.argv[3])
if before != after:
    sys.exit('%r\n!=\n%r' % (before, after))
)");
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, before, after, changedKey});
    if (!python.waitForFinished() || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().left(2000).toStdString();
        return false;
    }
    return true;
}

TEST_F(ActionStoreTest, StoredRecordsThisVersionCannotUseAreNeverLost) {
    ASSERT_TRUE(
        PropertyList::writeFile(settingsPath(), QVariantMap{{StoreKey, storedRecordsWithUnusableParts()}}));
    const QString before = folder.filePath(QStringLiteral("before.plist"));
    ASSERT_TRUE(QFile::copy(settingsPath(), before));
    openSettings();
    auto& store = this->store();
    ASSERT_EQ(store.topLevelActions().size(), 4u);
    EXPECT_TRUE(isRegistered(Key::F5, Shift | Control)) << "a hot key without its text still works";
    EXPECT_TRUE(logged(QStringLiteral("keeping 4 stored action records")));

    // Quitting without a change writes nothing.
    EXPECT_TRUE(store.save());
    RunLoop::main().runPending();
    EXPECT_FALSE(settings().hasUnsavedChanges());
    EXPECT_TRUE(storedArraysEqual(before, settingsPath()));

    // A change by the user: everything else stays as stored, in its place.
    store.topLevelActions()[0]->setMoveDirection(ZRPositionRight);
    RunLoop::main().runPending();
    EXPECT_TRUE(storedArraysEqual(before, settingsPath(), ZRActionKey::MoveDirection));
    EXPECT_EQ(storedRecordsOnDisk()[0].toMap().value(ZRActionKey::MoveDirection), qint64(ZRPositionRight));

    // One that cannot keep them: a folder becomes a single action, its unknown member goes with its
    // members. The file as it was is kept aside first.
    const QString lastSaved = folder.filePath(QStringLiteral("last-saved.plist"));
    ASSERT_TRUE(QFile::copy(settingsPath(), lastSaved));
    store.topLevelActions()[3]->setActionType(ZRActionTypeCenter);
    RunLoop::main().runPending();
    const QStringList copies =
        QDir(folder.path()).entryList({QStringLiteral("Settings.plist.before-actions-changed-*")});
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(storedArraysEqual(lastSaved, folder.filePath(copies[0])));
    EXPECT_TRUE(logged(copies[0]));
    EXPECT_EQ(storedRecordsOnDisk().size(), 6);
}

// A stored title too long to show is cut as it loads, and the file keeps it whole through saves of other
// changes.
TEST_F(ActionStoreTest, AStoredTitleCutAtLoadStaysWholeInTheFile) {
    QVariantMap record = ZRAction::actionWithType(ZRActionTypeCenter)->dictionaryRepresentation();
    const QString title(5000, u't');
    record.insert(ZRActionKey::Title, title);
    ASSERT_TRUE(PropertyList::writeFile(settingsPath(), QVariantMap{{StoreKey, QVariantList{record}}}));
    openSettings();
    auto& store = this->store();
    ASSERT_EQ(store.topLevelActions().size(), 1u);
    EXPECT_EQ(store.topLevelActions()[0]->userDefinedName()->size(), 1000);

    store.topLevelActions()[0]->setMoveDirection(ZRPositionRight);
    RunLoop::main().runPending();
    const QVariantMap stored = storedRecordsOnDisk()[0].toMap();
    EXPECT_EQ(stored.value(ZRActionKey::MoveDirection).toInt(), int(ZRPositionRight));
    EXPECT_EQ(stored.value(ZRActionKey::Title).toString(), title);
}

TEST_F(ActionStoreTest, TheSidebarRebuildsTheTreeAndActionsThatLeaveLetGoOfTheirHotKeys) {
    auto& store = this->store();
    auto kept = ZRAction::actionWithType(ZRActionTypeFill);
    auto leaving = ZRAction::actionWithType(ZRActionTypeCenter);
    auto member = ZRAction::actionWithType(ZRActionTypeRevert);
    auto box = folderOf({});
    for (const auto& action : {kept, leaving}) {
        ASSERT_TRUE(action->shouldSetHotKey(
            hotKey(action == kept ? Key::K : Key::C, Command | Option, action->uniqueIdentifier()),
            action->uniqueIdentifier()));
    }
    const Row keptRow(kept), leavingRow(leaving), memberRow(member), boxRow(box, {&memberRow});
    store.populateWithSourceListItems({&keptRow, &leavingRow});
    RunLoop::main().runPending();
    ASSERT_EQ(storedRecordsOnDisk().size(), 2);

    const Row section(nullptr);
    store.populateWithSourceListItems({&section, &boxRow, &keptRow, &boxRow});
    EXPECT_EQ(identifiers(store.topLevelActions()),
              (QStringList{box->uniqueIdentifier(), kept->uniqueIdentifier()}));
    EXPECT_EQ(identifiers(box->children()), QStringList{member->uniqueIdentifier()});
    EXPECT_TRUE(logged(QStringLiteral("in the sidebar twice")));
    EXPECT_TRUE(isRegistered(Key::K, Command | Option));
    EXPECT_FALSE(isRegistered(Key::C, Command | Option)) << "the deleted action still lives in a menu, say";
    EXPECT_TRUE(leaving->hotKey()) << "its record keeps the hot key for undo and recently deleted";

    store.populateWithSourceListItems({&leavingRow});
    EXPECT_TRUE(isRegistered(Key::C, Command | Option)) << "an action coming back takes up its hot key";
    RunLoop::main().runPending();
    ASSERT_EQ(storedRecordsOnDisk().size(), 1);
}

TEST_F(ActionStoreTest, AnActionMovedBetweenFoldersKeepsItsRegistration) {
    auto& store = this->store();
    auto moving = ZRAction::actionWithType(ZRActionTypeFill);
    ASSERT_TRUE(moving->shouldSetHotKey(hotKey(Key::M, Command | Option, moving->uniqueIdentifier()),
                                        moving->uniqueIdentifier()));
    auto first = folderOf({moving});
    auto second = folderOf({});
    const Row movingRow(moving), firstBefore(first, {&movingRow}), secondBefore(second);
    store.populateWithSourceListItems({&firstBefore, &secondBefore});
    const HotKeyReference reference = moving->hotKey()->hotKeyReference();
    ASSERT_NE(reference, 0u);

    const Row firstAfter(first), secondAfter(second, {&movingRow});
    store.populateWithSourceListItems({&firstAfter, &secondAfter});
    EXPECT_TRUE(first->children().empty());
    EXPECT_EQ(second->children(), std::vector<std::shared_ptr<ZRAction>>{moving});
    EXPECT_EQ(moving->hotKey()->hotKeyReference(), reference) << "never let go of in between";

    // Taken out of its folder directly, as an editor may do, or dropped by a folder that becomes
    // another type: the store hears of it all the same.
    second->setChildren({});
    EXPECT_FALSE(isRegistered(Key::M, Command | Option));
    second->setChildren({moving});
    EXPECT_TRUE(isRegistered(Key::M, Command | Option));
    second->setActionType(ZRActionTypeFill);
    EXPECT_FALSE(isRegistered(Key::M, Command | Option));
    second->setActionType(ZRActionTypeFolder);
    second->setChildren({moving});
    EXPECT_TRUE(isRegistered(Key::M, Command | Option));

    // A store that goes lets go of the keys of its actions, wherever else they are held.
    actionStore.reset();
    EXPECT_FALSE(isRegistered(Key::M, Command | Option));
    EXPECT_FALSE(moving->hotKey()->isRegistered());
}

// The operating system refuses to grow files past the limit, even for root, so the save fails the way a
// full disk makes it fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }

private:
    rlimit m_previous{};
};

TEST_F(ActionStoreTest, AFailedSaveIsLoggedAndRetriedWhileTheFileStaysWhole) {
    auto& store = this->store();
    store.insertAction(ZRAction::actionWithType(ZRActionTypeFill));
    ASSERT_TRUE(store.save());
    const QByteArray before = [&] {
        QFile file(settingsPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }();

    {
        FileSizeLimit limit(rlim_t(before.size()) + 64);
        for (int i = 0; i < 20; ++i)
            store.insertAction(ZRAction::actionWithType(ZRActionTypeCenter));
        EXPECT_FALSE(store.save());
    }
    EXPECT_TRUE(logged(QStringLiteral("cannot save actions")));
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();

    RunLoop::main().advance(ZRActionManager::SaveRetryDelay + 0.1);
    EXPECT_EQ(storedRecordsOnDisk().size(), 21);
}

TEST_F(ActionStoreTest, GridsHearOfTheDimensionsInUse) {
    auto& store = this->store();
    auto first = ZRAction::actionWithType(ZRActionTypeMoveAndResize);
    first->setGridDimensionsDictionary({{QStringLiteral("Configuration Grid: Columns"), 8},
                                        {QStringLiteral("Configuration Grid: Rows"), 3}});
    auto second = ZRAction::actionWithType(ZRActionTypeUseGrid);
    second->setGridDimensionsDictionary({{QStringLiteral("Mouse Controls Grid: Columns"), 8}});
    store.insertAction(first);
    store.insertAction(folderOf({second}));
    EXPECT_EQ(store.gridDimensionsInUse(), (std::vector<std::int64_t>{3, 8}));
    const QVariantList suggestions = ZRGridGeometry::gridDimensionSuggestions(settings());
    EXPECT_TRUE(suggestions.contains(QStringLiteral("8")) || suggestions.contains(qint64(8)));
}

TEST_F(ActionStoreTest, TheCollectionViewShowsTheFocusActionsPaneOnly) {
    auto& store = this->store();
    QWidget pane;
    int made = 0;
    store.context().configurationViewFactory = [&](ZRAction&) {
        ++made;
        return &pane;
    };
    EXPECT_TRUE(store.configurationViewsInCollectionView(nullptr).isEmpty());
    auto action = ZRAction::actionWithType(ZRActionTypeFill);
    store.setFocusAction(action);
    EXPECT_EQ(store.configurationViewsInCollectionView(nullptr), QList<QWidget*>{&pane});
    EXPECT_EQ(store.configurationViewsInCollectionView(nullptr), QList<QWidget*>{&pane});
    EXPECT_EQ(made, 1);
}

// A thousand actions of every type, with settings drawn from a fixed sequence; every seventh read from
// a record that carries a key this version does not know and a value of the wrong type, every fiftieth a
// folder of the three that follow it.
std::vector<std::shared_ptr<ZRAction>> aThousandActions() {
    constexpr ZRActionType Types[] = {
        ZRActionTypeMenuHeader,
        ZRActionTypeSeparator,
        ZRActionTypeRevert,
        ZRActionTypeFill,
        ZRActionTypeHalf,
        ZRActionTypeQuarter,
        ZRActionTypeMoveAndResize,
        ZRActionTypeCenter,
        ZRActionTypeCenterGeometrically,
        ZRActionTypeMove,
        ZRActionTypeMoveConfined,
        ZRActionTypeMoveToEdgeOrCorner,
        ZRActionTypeMoveToOtherDisplay,
        ZRActionTypeResize,
        ZRActionTypeGrow,
        ZRActionTypeShrink,
        ZRActionTypeZoomToFit,
        ZRActionTypeUseGrid,
        ZRActionTypeLayout,
    };
    std::mt19937 random(2026);
    const auto below = [&](std::uint32_t n) { return std::int64_t(random() % n); };
    const auto half = [&] { return below(2) == 1; };
    const auto unit = [&] { return ZRMeasurementUnit(below(2)); };
    const Rect screen(0, 0, 1440, 900);
    int made = 0;
    const auto make = [&](ZRActionType type) {
        QVariantMap record{
            {ZRActionKey::Action, qint64(type)},
            {ZRActionKey::Identifier, QStringLiteral("ACTION-%1").arg(made, 4, 10, QChar(u'0'))}};
        if (made % 7 == 0)
            record.insert({{QStringLiteral("A Later Version's Key"), made},
                           {ZRActionKey::MoveDelta, QStringLiteral("wrong")}});
        ++made;
        auto action = ZRAction::actionWithDictionaryRepresentation(record, true);
        if (half())
            action->setName(QStringLiteral("Action %1").arg(below(100000)));
        if (half())
            action->setMoveDirection(below(12) - 1);
        if (half())
            action->setMoveDeltaUnit(unit());
        if (half())
            action->setMoveDelta(below(300) - 20);
        if (half())
            action->setRelativeFrame(Rect{below(5) / 4.0, below(7) / 6.0, below(9) / 8.0, below(3) / 2.0});
        if (half())
            action->setGridDimensionsDictionary(
                {{QStringLiteral("Configuration Grid: Columns"), qint64(below(12))}});
        if (half())
            action->setCenterMode(ZRCenterMode(below(2)));
        if (half())
            action->setConfinedToDisplay(half());
        if (half())
            action->setMoveToEdgeOrCornerPosition(below(10));
        if (half())
            action->setMoveToOtherDisplayResize(half());
        if (half())
            action->setMoveToOtherDisplayLoop(half());
        if (half())
            action->setResizeAnchorPosition(below(10));
        if (half()) {
            action->setResizeWidthUnit(unit());
            action->setResizeHeightUnit(unit());
        }
        if (half())
            action->setResizeSize({double(below(900)) - 10, double(below(900)) + 0.5});
        if (type == ZRActionTypeLayout) {
            action->setSnapshot(
                {{ZRMakeWindowDescription({QStringLiteral("org.example.app%1").arg(below(30)),
                                           QStringLiteral("App"), QStringLiteral("Window"),
                                           Rect(double(below(700)), 0, 720, 450), screen, screen})},
                 {screen}});
            action->setSnapshotGeneric(half());
            action->setSnapshotGenericProximity(below(4));
            action->setSnapshotAppliesToActiveDisplay(half());
            action->setSnapshotAdapts(half());
            action->setSnapshotWakeAutoTriggerEnabled(half());
            action->setSnapshotDisplayAutoTriggerEnabled(half());
            action->setSnapshotAutoDisplayCount(below(5));
            action->setApplyToObstructedWindows(half());
            action->setActivatesApplications(half());
            action->setHidesOtherApplications(half());
        }
        return action;
    };
    std::vector<std::shared_ptr<ZRAction>> actions;
    while (made < 1000) {
        if (made % 50 == 0) {
            auto folder = make(ZRActionTypeFolder);
            folder->setChain(half());
            folder->setChainMode(ZRChainMode(below(2)));
            folder->setExpanded(half());
            std::vector<std::shared_ptr<ZRAction>> members;
            for (int i = 0; i < 3; ++i)
                members.push_back(make(Types[below(std::size(Types))]));
            folder->setChildren(std::move(members));
            actions.push_back(std::move(folder));
        } else {
            actions.push_back(make(Types[below(std::size(Types))]));
        }
    }
    return actions;
}

// The stored form is what files of earlier versions hold and other versions read: a change to it
// must be deliberate, never a side effect of changing the code that writes it.
TEST_F(ActionStoreTest, AThousandActionsAreStoredExactlyAsBefore) {
    auto& store = this->store();
    auto actions = aThousandActions();
    for (auto it = actions.rbegin(); it != actions.rend(); ++it)
        store.insertAction(*it);
    ASSERT_TRUE(store.save());
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (qEnvironmentVariableIsSet("SKAF_KEEP_STORE"))
        QFile::copy(settingsPath(), qEnvironmentVariable("SKAF_KEEP_STORE"));
    EXPECT_EQ(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()),
              QStringLiteral("d99cf1fa5f6eacd2f79c78bb3b9c672fd75349606dfe9badfccb00d3fe787e2c"))
        << bytes.size() << " bytes";
}

// A store made beside the installed one (a benchmark's, say) registers the hot keys of the actions it
// loads with its own desktop, and takes them back as it goes.
TEST_F(ActionStoreTest, AStoreRegistersTheHotKeysOfItsActionsWithItsOwnDesktop) {
    store();
    SimDesktop otherDesktop;
    UserDefaults otherSettings(folder.filePath(QStringLiteral("Other.plist")));
    auto action = ZRAction::actionWithType(ZRActionTypeFill);
    action->setHotKey(
        ZRHotKey::hotKeyWithIdentifer(action->uniqueIdentifier(), QString(), Key::K, Command | Option,
                                      {otherDesktop.globalHotKeys(), otherSettings, RunLoop::main()}));
    otherSettings.setObject(QVariantList{action->dictionaryRepresentation()}, StoreKey);
    action.reset();
    {
        ZRActionManager other(otherSettings, otherDesktop.globalHotKeys(), RunLoop::main(),
                              NotificationCenter::defaultCenter());
        ASSERT_TRUE(other.load());
        ASSERT_EQ(other.allActions().size(), 1u);
        ASSERT_TRUE(other.allActions()[0]->hotKey());
        EXPECT_TRUE(otherDesktop.globalHotKeys().isRegistered(Key::K, Command | Option));
        EXPECT_FALSE(isRegistered(Key::K, Command | Option));
    }
    EXPECT_FALSE(otherDesktop.globalHotKeys().isRegistered(Key::K, Command | Option));
}

} // namespace
