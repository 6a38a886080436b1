#include "ActionTestSupport.h"

#include "platform/Keys.h"

#include <QDir>
#include <QProcess>
#include <QWidget>
#include <csignal>
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
    UserDefaults::standard().setObject(
        QVariantList{chain->dictionaryRepresentation(), layout->dictionaryRepresentation()}, StoreKey);
    layout.reset();

    auto& store = ZRActionManager::actionManager();
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
    auto& store = ZRActionManager::actionManager();
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
    UserDefaults::standard().setObject(unreadable, StoreKey);
    auto& store = ZRActionManager::actionManager();
    EXPECT_TRUE(store.topLevelActions().empty());
    EXPECT_TRUE(logged(QStringLiteral("cannot load actions")));

    EXPECT_TRUE(store.save());
    EXPECT_EQ(UserDefaults::standard().persistentObject(StoreKey), QVariant(unreadable));

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
    auto& store = ZRActionManager::actionManager();
    ASSERT_EQ(store.topLevelActions().size(), 4u);
    EXPECT_TRUE(isRegistered(Key::F5, Shift | Control)) << "a hot key without its text still works";
    EXPECT_TRUE(logged(QStringLiteral("keeping 4 stored action records")));

    // Quitting without a change writes nothing.
    EXPECT_TRUE(store.save());
    RunLoop::main().runPending();
    EXPECT_FALSE(UserDefaults::standard().hasUnsavedChanges());
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

TEST_F(ActionStoreTest, TheSidebarRebuildsTheTreeAndActionsThatLeaveLetGoOfTheirHotKeys) {
    auto& store = ZRActionManager::actionManager();
    auto kept = ZRAction::actionWithType(ZRActionTypeFill);
    auto leaving = ZRAction::actionWithType(ZRActionTypeCenter);
    auto member = ZRAction::actionWithType(ZRActionTypeRevert);
    auto box = folderOf({});
    for (const auto& action : {kept, leaving})
        ASSERT_TRUE(action->shouldSetHotKey(
            hotKey(action == kept ? Key::K : Key::C, Command | Option, action->uniqueIdentifier()),
            action->uniqueIdentifier()));
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
    auto& store = ZRActionManager::actionManager();
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
    ZRActionManager::setActionManager(nullptr);
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
    auto& store = ZRActionManager::actionManager();
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
    auto& store = ZRActionManager::actionManager();
    auto first = ZRAction::actionWithType(ZRActionTypeMoveAndResize);
    first->setGridDimensionsDictionary({{QStringLiteral("Configuration Grid: Columns"), 8},
                                        {QStringLiteral("Configuration Grid: Rows"), 3}});
    auto second = ZRAction::actionWithType(ZRActionTypeUseGrid);
    second->setGridDimensionsDictionary({{QStringLiteral("Mouse Controls Grid: Columns"), 8}});
    store.insertAction(first);
    store.insertAction(folderOf({second}));
    EXPECT_EQ(store.gridDimensionsInUse(), (std::vector<std::int64_t>{3, 8}));
    const QVariantList suggestions = ZRGridGeometry::gridDimensionSuggestions();
    EXPECT_TRUE(suggestions.contains(QStringLiteral("8")) || suggestions.contains(qint64(8)));
}

TEST_F(ActionStoreTest, TheCollectionViewShowsTheFocusActionsPaneOnly) {
    auto& store = ZRActionManager::actionManager();
    QWidget pane;
    int made = 0;
    ZRAction::setConfigurationViewFactory([&](ZRAction&) {
        ++made;
        return &pane;
    });
    EXPECT_TRUE(store.configurationViewsInCollectionView(nullptr).isEmpty());
    auto action = ZRAction::actionWithType(ZRActionTypeFill);
    store.setFocusAction(action);
    EXPECT_EQ(store.configurationViewsInCollectionView(nullptr), QList<QWidget*>{&pane});
    EXPECT_EQ(store.configurationViewsInCollectionView(nullptr), QList<QWidget*>{&pane});
    EXPECT_EQ(made, 1);
    ZRAction::setConfigurationViewFactory({});
}

} // namespace
