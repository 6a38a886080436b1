#include "GeneralSettingsTestSupport.h"
#include "MouseControlContext.h"
#include "TestProgram.h"

#include "mouse-control/ZRMouseControlDefaults.h"

namespace {

namespace PopUp = ZRSettingsPopUp;

const QString TopKey = QStringLiteral("Snap: 3");
const QString TopLeftKey = QStringLiteral("Snap: 10");
const QString ShiftKey = QStringLiteral("Drop Snap: Modifier: 131072");
const QString CommandKey = QStringLiteral("Drop Snap: Modifier: 1048576");
const QString ViaSnapKey = QStringLiteral("Drop Snap: Activate Via Snap");

// One line per item: its tag, its title, and "=" and its represented object when it has one; headers and
// separators as "[header]" and "--".
QStringList menu(const QComboBox* popUp) {
    QStringList items;
    for (int index = 0; index < popUp->count(); ++index) {
        const QString title = popUp->itemText(index);
        if (!PopUp::isChoosableItem(popUp, index)) {
            items << (title.isEmpty() ? QStringLiteral("--") : u'[' + title + u']');
            continue;
        }
        QString item = QString::number(PopUp::tagOfItem(popUp, index)) + u' ' + title;
        const QVariant represented = PopUp::representedObjectOfItem(popUp, index);
        if (represented.isValid())
            item += QStringLiteral(" = ") + represented.toString();
        items << item;
    }
    return items;
}

std::shared_ptr<ZRAction> action(ZRActionType type, const QString& name) {
    auto action = ZRAction::actionWithType(type);
    action->setName(name);
    if (type == ZRActionTypeLayout) {
        ZRSnapshot snapshot;
        snapshot.windowDescriptions.push_back(
            ZRMakeWindowDescription({QStringLiteral("com.example.Editor"), QStringLiteral("Editor"), name,
                                     Rect(0, 0, 400, 300), Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875)}));
        action->setSnapshot(snapshot);
    }
    return action;
}

// The store of the tests: a folder with a move-and-resize action, two layouts, one more move-and-resize
// action, and an empty folder and layout, which offer nothing to snap to.
class SnapActionSelectorsTest : public GeneralSettingsTest {
protected:
    void beforeLaunch() override {
        auto folder = action(ZRActionTypeFolder, QStringLiteral("Work"));
        folder->setChildren({action(ZRActionTypeMoveAndResize, QStringLiteral("Inside"))});
        const std::shared_ptr<ZRAction> actions[] = {
            folder,
            action(ZRActionTypeLayout, QStringLiteral("Desk")),
            action(ZRActionTypeLayout, QStringLiteral("Couch")),
            action(ZRActionTypeMoveAndResize, QStringLiteral("Wide")),
            action(ZRActionTypeFolder, QStringLiteral("Empty")),
            ZRAction::actionWithType(ZRActionTypeLayout),
        };
        QVariantList records;
        for (const auto& a : actions) {
            records << QVariant(a->dictionaryRepresentation());
            identifiers[a->displayNameWithSuffixes()] = a->uniqueIdentifier();
        }
        identifiers[QStringLiteral("Inside")] = folder->children().front()->uniqueIdentifier();
        set(QStringLiteral("Custom Controls (4001)"), records);
        set(TopKey, QString(u'=' + identifiers[QStringLiteral("Wide")]));
        set(ShiftKey, identifiers[QStringLiteral("Couch")]);
    }

    std::shared_ptr<ZRAction> stored(const QString& name) const {
        return store().actionWithIdentifier(identifiers[name], false);
    }
    QComboBox* snapSelector(std::int64_t position) const {
        return controls().snapActionSelectors().snapSelector(position);
    }
    QComboBox* dropSnapSelector(ModifierFlags modifier) const {
        return controls().snapActionSelectors().dropSnapSelector(modifier);
    }

    QMap<QString, QString> identifiers;
};

TEST_F(SnapActionSelectorsTest, MenusOfferTheFixedItemsAndTheActionsByGroup) {
    const QString wide = identifiers[QStringLiteral("Wide")];
    const QString inside = identifiers[QStringLiteral("Inside")];
    const QString desk = identifiers[QStringLiteral("Desk")];
    const QString couch = identifiers[QStringLiteral("Couch")];
    const QString work = identifiers[QStringLiteral("Work")];
    const QStringList fixedTop = {
        "11 Fill", "12 Top Half", "13 Quarter", "21 Center", "22 Center \u2014 Actual Display Center", "--"};
    const QStringList groups = {
        "[Choose from Folder]",   "-1 Work = =" + work,   "--", "[Layout Drop Zones]",
        "-1 Desk = =" + desk,     "-1 Couch = =" + couch, "--", "[Move and Resize]",
        "-1 Inside = =" + inside, "-1 Wide = =" + wide,   "--", "0 None",
    };
    EXPECT_EQ(menu(snapSelector(3)), fixedTop + groups);
    EXPECT_EQ(snapSelector(3)->currentText(), QStringLiteral("Wide")) << "the stored action is chosen";
    EXPECT_EQ(snapSelector(10)->currentText(), QStringLiteral("Top Left Quarter"));
    for (int index = 0; index < 5; ++index) {
        EXPECT_FALSE(snapSelector(3)->itemIcon(index).isNull()) << index;
    }

    // The headers name what a corner or an edge takes from a folder or a layout.
    set(ViaSnapKey, false);
    controls().updateSnapActionSelectors();
    struct Headers {
        std::int64_t position;
        const char* folder;
        const char* layout;
    };
    for (const Headers& h :
         {Headers{3, "First in Folder", "First in Layout"}, Headers{4, "First in Folder", "First in Layout"},
          Headers{10, "First in Folder", "First in Layout"}, Headers{6, "Last in Folder", "Last in Layout"},
          Headers{8, "Last in Folder", "Last in Layout"},
          Headers{5, "Choose from Folder", "Choose from Layout"},
          Headers{7, "Choose from Folder", "Choose from Layout"},
          Headers{9, "Choose from Folder", "Choose from Layout"}}) {
        if (h.position == 3)
            continue;
        const QStringList items = menu(snapSelector(h.position));
        EXPECT_EQ(items[6], QStringLiteral("[%1]").arg(QString::fromLatin1(h.folder))) << h.position;
        EXPECT_EQ(items[9], QStringLiteral("[%1]").arg(QString::fromLatin1(h.layout))) << h.position;
    }

    // The drop-snap keys offer the layouts with windows, then "None".
    EXPECT_EQ(menu(dropSnapSelector(ModifierFlag::Shift)),
              QStringList({"-1 Desk = " + desk, "-1 Couch = " + couch, "--", "-1 None"}));
    EXPECT_EQ(dropSnapSelector(ModifierFlag::Shift)->currentText(), QStringLiteral("Couch"));
    EXPECT_EQ(dropSnapSelector(ModifierFlag::Command)->currentText(), QStringLiteral("None"));

    // Choices store the action, the layout, or take the key away.
    chooseIndex(snapSelector(10), menu(snapSelector(10)).indexOf("-1 Desk = =" + desk));
    EXPECT_EQ(defaults().stringForKey(TopLeftKey), "=" + desk);
    choose(snapSelector(10), 21);
    EXPECT_EQ(defaults().integerForKey(TopLeftKey), 21);
    chooseIndex(dropSnapSelector(ModifierFlag::Command), 0);
    EXPECT_EQ(defaults().stringForKey(CommandKey), desk);
    chooseIndex(dropSnapSelector(ModifierFlag::Command),
                dropSnapSelector(ModifierFlag::Command)->count() - 1);
    EXPECT_FALSE(defaults().hasValue(CommandKey));
    EXPECT_EQ(featureFlagUpdates, 4);
}

TEST_F(SnapActionSelectorsTest, ActionsThatLeaveTheTreeLeaveTheSettings) {
    // Deleted in the sidebar: the chosen action and the layout of the Shift key.
    select({QStringLiteral("Wide"), QStringLiteral("Couch")});
    sidebar().delete_();
    RunLoop::main().runPending();
    EXPECT_EQ(defaults().object(TopKey), QVariant(0));
    EXPECT_EQ(snapSelector(3)->currentText(), QStringLiteral("None"));
    EXPECT_FALSE(defaults().hasValue(ShiftKey));
    EXPECT_EQ(dropSnapSelector(ModifierFlag::Shift)->currentText(), QStringLiteral("None"));
    EXPECT_TRUE(dropSnapSelector(ModifierFlag::Shift)->isEnabled());

    // Without layouts the drop-snap keys cannot be set.
    select({QStringLiteral("Desk")});
    sidebar().delete_();
    RunLoop::main().runPending();
    for (QComboBox* selector : controls().snapActionSelectors().dropSnapSelectors()) {
        EXPECT_FALSE(selector->isEnabled());
        EXPECT_EQ(selector->count(), ZRSnapActionSelectors::DropSnapFixedItemCount);
    }
    // Later rebuilds keep the fixed items once.
    EXPECT_EQ(menu(snapSelector(3)).count(QStringLiteral("21 Center")), 1);
    EXPECT_EQ(menu(snapSelector(3)).back(), QStringLiteral("0 None"));
}

// The controls are filled before the store loads: nothing they name is taken for gone then, and the store
// is not loaded early for them (its actions would take their hot keys before the settings' own).
class SnapSettingsAtLaunchTest : public SnapActionSelectorsTest {
protected:
    void beforeLaunch() override {
        SnapActionSelectorsTest::beforeLaunch();
        struct Watcher : ZRApplicationArea {
            explicit Watcher(SnapSettingsAtLaunchTest& test) : test(test) {}
            void fillSettingsControls() override {
                test.storeLoadedWhileFilling = test.program->store().hasLoaded();
                test.topWhileFilling = test.defaults().object(TopKey);
                test.shiftWhileFilling = test.defaults().object(ShiftKey);
            }
            SnapSettingsAtLaunchTest& test;
        };
        // Its hooks run after those of the areas before it: the settings window fills its controls first.
        pendingWatcher = std::make_unique<Watcher>(*this);
    }
    std::optional<TestProgram> program;

    void SetUp() override {
        testApplication<ZRHotKeyHandlerApplication>();
        DesktopTest::SetUp();
        desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
        program.emplace(defaults(), desktop);
        ZRMainController& controller = program->controller();
        controller.addArea(std::make_unique<ZRMouseController>(mouseControlContext(DesktopTest::settings())));
        beforeLaunch();
        controller.addArea(std::make_unique<ZRSettingsController>(program->settingsContext()));
        controller.addArea(std::move(pendingWatcher));
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();
        RunLoop::main().runPending();
    }
    void TearDown() override {
        program.reset();
        DesktopTest::TearDown();
    }

    std::unique_ptr<ZRApplicationArea> pendingWatcher;
    bool storeLoadedWhileFilling = true;
    QVariant topWhileFilling;
    QVariant shiftWhileFilling;
};

TEST_F(SnapSettingsAtLaunchTest, SettingsNamingActionsSurviveTheFillingBeforeTheStoreLoads) {
    EXPECT_FALSE(storeLoadedWhileFilling);
    EXPECT_EQ(topWhileFilling, QVariant(QString(u'=' + identifiers[QStringLiteral("Wide")])));
    EXPECT_EQ(shiftWhileFilling, QVariant(identifiers[QStringLiteral("Couch")]));
    EXPECT_EQ(defaults().stringForKey(TopKey), u'=' + identifiers[QStringLiteral("Wide")]);
    EXPECT_EQ(defaults().stringForKey(ShiftKey), identifiers[QStringLiteral("Couch")]);
    ZRSettingsController* settings = program->controller().area<ZRSettingsController>();
    EXPECT_EQ(settings->generalSettingsControls().snapActionSelectors().snapSelector(3)->currentText(),
              QStringLiteral("Wide"));
}

// A stored tree that cannot be read leaves every setting that names one of its actions as it was.
class UnreadableStoreTest : public SnapActionSelectorsTest {
protected:
    void beforeLaunch() override {
        SnapActionSelectorsTest::beforeLaunch();
        set(QStringLiteral("Custom Controls (4001)"), QStringLiteral("not a list of actions"));
    }
};

TEST_F(UnreadableStoreTest, SettingsThatNameActionsStay) {
    EXPECT_TRUE(settings().store().storedValueIsUnreadable());
    controls().updateSnapActionSelectors();
    EXPECT_EQ(defaults().stringForKey(TopKey), u'=' + identifiers[QStringLiteral("Wide")]);
    EXPECT_EQ(defaults().stringForKey(ShiftKey), identifiers[QStringLiteral("Couch")]);
    EXPECT_EQ(snapSelector(3)->currentIndex(), -1) << "an action not in the menu shows as no choice";
}

} // namespace
