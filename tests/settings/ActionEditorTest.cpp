#include "SettingsTestSupport.h"

#include "actions/ZRActionGeometry.h"
#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyContainerView.h"
#include "hotkeys/ZRHotKeyTextView.h"
#include "keyboard-control/ZRConfigurationGrid.h"
#include "platform/Keys.h"
#include "platform/foundation/DispatchQueue.h"
#include "settings/ZRActionConfigurationView.h"
#include "settings/ZRActionEditor.h"
#include "settings/ZRActionSnapshotPreviewView.h"
#include "settings/ZRConfigurationCollectionView.h"
#include "settings/ZRIconSizes.h"
#include "settings/ZRPositionView.h"
#include "shell/ZRSidebarMenuTarget.h"
#include "toolkit/InterfaceLoader.h"
#include "window-access/GridGeometry.h"
#include "window-access/Position.h"
#include "window-access/WindowDescription.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTest>

namespace {

class ActionEditorTest : public SettingsTest {
protected:
    // The action added to the sidebar and selected: its pane shows.
    ZRActionEditor& show(const std::shared_ptr<ZRAction>& action) {
        sidebar().addActions({action}, nullptr, std::nullopt, false);
        select({action->displayNameWithSuffixes()});
        RunLoop::main().runPending();
        ZRActionEditor* editor = ZRActionEditor::editorForAction(*action);
        EXPECT_NE(editor, nullptr);
        return *editor;
    }
    static std::shared_ptr<ZRAction> actionOfType(ZRActionType type, const QString& name = {}) {
        auto action = ZRAction::actionWithType(type);
        if (!name.isEmpty())
            action->setName(name);
        return action;
    }
    // The text as the user pastes it over the field's.
    static void type(QLineEdit* field, const QString& text) {
        field->selectAll();
        field->insert(text);
    }
    static QStringList itemTitles(const QComboBox* popUp) {
        QStringList titles;
        for (int i = 0; i < popUp->count(); ++i)
            titles.append(popUp->itemText(i));
        return titles;
    }
    static ZRWindowDescription window(const QString& application, const QString& bundle, const Rect& frame,
                                      const Rect& screen = Rect(0, 0, 1440, 900)) {
        return ZRMakeWindowDescription(
            {bundle, application, QStringLiteral("Window"), frame, screen, screen});
    }
    static void setLayout(ZRAction& action, std::vector<ZRWindowDescription> windows,
                          std::vector<Rect> screens = {}) {
        ZRSnapshot snapshot;
        snapshot.windowDescriptions = std::move(windows);
        snapshot.screenFrames = std::move(screens);
        action.setSnapshot(snapshot);
    }
};

TEST_F(ActionEditorTest, PicturesOfEverySection) {
    struct Case {
        ZRActionType type;
        const char* name;
        std::function<void(ZRAction&)> configure;
    };
    const std::vector<Case> cases = {
        {ZRActionTypeMoveAndResize, "move-and-resize",
         [](ZRAction& a) { a.setRelativeFrame(Rect(0, 0.5, 0.5, 0.5)); }},
        {ZRActionTypeCenter, "center", {}},
        {ZRActionTypeMove, "move", [](ZRAction& a) { a.setMoveDirection(ZRPositionRight); }},
        {ZRActionTypeMoveToEdgeOrCorner, "move-to-edge", {}},
        {ZRActionTypeMoveToOtherDisplay, "move-to-other-display", {}},
        {ZRActionTypeResize, "resize",
         [](ZRAction& a) {
             a.setResizeSize(Size(800, 0));
             a.setResizeAnchorPosition(ZRPositionTopLeft);
         }},
        {ZRActionTypeGrow, "grow", {}},
        {ZRActionTypeShrink, "shrink", {}},
        {ZRActionTypeLayout, "layout",
         [](ZRAction& a) {
             setLayout(a, {window(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"),
                                  Rect(0, 0, 720, 875)),
                           window(QStringLiteral("Terminal"), QStringLiteral("org.example.Terminal"),
                                  Rect(720, 0, 720, 875))});
         }},
        {ZRActionTypeFolder, "folder",
         [](ZRAction& a) {
             a.setChain(true);
             a.setChildren({actionOfType(ZRActionTypeCenter), actionOfType(ZRActionTypeFill)});
         }},
        {ZRActionTypeUseGrid, "use-grid", {}},
    };
    QMainWindow* settingsWindow = settings().preferencesWindow();
    settingsWindow->resize(settingsWindow->width(), 640);
    for (const bool dark : {false, true}) {
        desktop.workspace().setDarkAppearance(dark);
        for (const Case& c : cases) {
            auto action = actionOfType(c.type);
            if (c.configure)
                c.configure(*action);
            show(action);
            QApplication::setActiveWindow(settingsWindow);
            QApplication::processEvents();
            saveScreenshot(
                settingsWindow->grab().toImage(),
                QStringLiteral("action-editor-%1-%2")
                    .arg(QLatin1String(c.name), dark ? QStringLiteral("dark") : QStringLiteral("light")));
        }
    }
    desktop.workspace().setDarkAppearance(false);
}

TEST_F(ActionEditorTest, EachTypeShowsItsOneSectionWhereItBelongs) {
    struct Case {
        ZRActionType type;
        const char* section; // none for types without one
        bool compact;
    };
    const Case cases[] = {
        {ZRActionTypeMoveAndResize, "gridSection", true},
        {ZRActionTypeCenter, "centerSection", false},
        {ZRActionTypeMove, "moveSection", false},
        {ZRActionTypeMoveToEdgeOrCorner, "edgeSection", true},
        {ZRActionTypeMoveToOtherDisplay, "otherDisplaySection", false},
        {ZRActionTypeResize, "resizeSection", false},
        {ZRActionTypeGrow, "growSection", false},
        {ZRActionTypeShrink, "shrinkSection", false},
        {ZRActionTypeLayout, "layoutSection", true},
        {ZRActionTypeFolder, "folderSection", false},
        {ZRActionTypeUseGrid, "useGridSection", false},
        {ZRActionTypeFill, nullptr, false},
        {ZRActionTypeSeparator, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        auto action = actionOfType(c.type);
        action->setHotKey(ZRHotKey::hotKeyWithIdentifer(
            action->uniqueIdentifier(), QStringLiteral("K"), Key::K,
            ModifierFlag::Control | ModifierFlag::Option,
            ZRHotKeyContext{desktop.globalHotKeys(), DesktopTest::settings(), RunLoop::main()}));
        sidebar().addActions({action}, nullptr, std::nullopt, false);
        ZRActionEditor& editor = *ZRActionEditor::editorForAction(*action);
        ZRActionConfigurationView* pane = editor.configurationView();
        QStringList shown;
        for (const QWidget* child : pane->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->objectName().endsWith(QStringLiteral("Section")))
                shown.append(child->objectName());
        EXPECT_EQ(shown, c.section ? QStringList{QString::fromLatin1(c.section)} : QStringList());
        if (c.section) {
            const QWidget* section = editor.activeSection();
            EXPECT_EQ(section->y(),
                      c.compact ? ZRActionEditor::CompactSectionTop : ZRActionEditor::SectionTop);
            EXPECT_EQ(section->x(), (pane->width() - section->width()) / 2);
            EXPECT_GE(pane->height(), section->geometry().bottom() + 1);
        }
        EXPECT_EQ(editor.headerSeparator()->isVisibleTo(pane), c.section && !c.compact);
        const bool separator = c.type == ZRActionTypeSeparator;
        EXPECT_EQ(editor.hotKeyTextView()->containerView()->isVisibleTo(pane), !separator);
        EXPECT_EQ(action->hotKey() == nullptr, separator) << "a separator takes no hot key";
        EXPECT_EQ(editor.hotKeyTextView()->hotKey(), action->hotKey());
    }
}

TEST_F(ActionEditorTest, TheMatchingPopUpReadsAndWritesTheLayoutsMatching) {
    struct Case {
        bool generic;
        std::int64_t proximity;
        bool activeDisplay;
        bool adapts;
        std::int64_t tag;
    };
    const Case cases[] = {
        {false, 0, false, false, 0},  {true, 0, false, false, 1},  {true, 1, false, false, 101},
        {true, 2, false, false, 201}, {true, 0, true, true, 11},   {true, 1, true, true, 111},
        {true, 2, true, true, 211},   {true, 1, true, false, 101}, {true, 1, false, true, 101},
    };
    auto action = actionOfType(ZRActionTypeLayout);
    setLayout(*action,
              {window(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"), Rect(0, 0, 700, 800))});
    ZRActionEditor& editor = show(action);
    QComboBox* matching = editor.snapshotMatchingSelector();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        action->setSnapshotGeneric(c.generic);
        action->setSnapshotGenericProximity(c.proximity);
        action->setSnapshotAppliesToActiveDisplay(c.activeDisplay);
        action->setSnapshotAdapts(c.adapts);
        editor.updateConfigurationView();
        EXPECT_EQ(matching->currentData().toLongLong(), c.tag);
        EXPECT_EQ(matching->count(), c.adapts ? 8 : 4) << "the active display's items come with adapting";
        // Choosing the tag stores it back.
        action->setSnapshotGeneric(!c.generic);
        action->setSnapshotGenericProximity(7);
        matching->setCurrentIndex(matching->findData(qint64(c.tag)));
        editor.changeSetting(matching);
        EXPECT_EQ(action->snapshotGeneric(), c.generic);
        EXPECT_EQ(action->snapshotGenericProximity(), c.proximity);
        EXPECT_EQ(action->snapshotAppliesToActiveDisplay(), c.activeDisplay && c.adapts);
    }
    // Tag 101: generic, proximity 1, not the active display.
    matching->setCurrentIndex(matching->findData(qint64(101)));
    editor.changeSetting(matching);
    EXPECT_TRUE(action->snapshotGeneric());
    EXPECT_EQ(action->snapshotGenericProximity(), 1);
    EXPECT_FALSE(action->snapshotAppliesToActiveDisplay());
}

TEST_F(ActionEditorTest, LaunchAndHideNeedTheApplicationsOfAnExactLayout) {
    struct Case {
        const char* name;
        std::vector<ZRWindowDescription> windows;
        bool generic;
        bool launchEnabled;
        QString launchTitle;
        bool hideEnabled;
    };
    const auto editorWindow =
        window(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"), Rect(0, 0, 9, 9));
    const auto anonymous = window(QStringLiteral("Tool"), QString(), Rect(9, 0, 9, 9));
    const auto terminal =
        window(QStringLiteral("Terminal"), QStringLiteral("org.example.Terminal"), Rect(0, 9, 9, 9));
    const Case cases[] = {
        {"one application", {editorWindow}, false, true, QStringLiteral("Bring Editor forward"), true},
        {"two applications",
         {editorWindow, terminal},
         false,
         true,
         QStringLiteral("Bring the programs forward"),
         true},
        {"one without an identifier",
         {editorWindow, anonymous},
         false,
         true,
         QStringLiteral("Bring the programs forward"),
         false},
        {"none identified", {anonymous}, false, false, QStringLiteral("Bring the programs forward"), false},
        {"no windows", {}, false, false, QStringLiteral("Bring the programs forward"), true},
        {"generic", {editorWindow}, true, false, QStringLiteral("Bring the programs forward"), false},
    };
    auto action = actionOfType(ZRActionTypeLayout);
    action->setActivatesApplications(true);
    action->setHidesOtherApplications(true);
    ZRActionEditor& editor = show(action);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setLayout(*action, c.windows);
        action->setSnapshotGeneric(c.generic);
        editor.updateConfigurationView();
        EXPECT_EQ(editor.activatesApplicationsSwitch()->isEnabled(), c.launchEnabled);
        EXPECT_EQ(editor.activatesApplicationsSwitch()->isChecked(), c.launchEnabled);
        EXPECT_EQ(editor.activatesApplicationsSwitch()->text(), c.launchTitle);
        EXPECT_EQ(editor.hidesOtherApplicationsSwitch()->isEnabled(), c.hideEnabled);
        EXPECT_EQ(editor.hidesOtherApplicationsSwitch()->isChecked(), c.hideEnabled);
    }
    setLayout(*action, {});
    editor.updateConfigurationView();
    EXPECT_EQ(editor.snapshotSaveButton()->text(), QStringLiteral("Save Layout"));
}

TEST_F(ActionEditorTest, TheDisplayCountPopUpListsTheScreensAndCountsUpToItsCap) {
    auto action = actionOfType(ZRActionTypeLayout);
    setLayout(*action,
              {window(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"), Rect(0, 0, 9, 9))},
              {Rect(1440, 0, 1920, 1080), Rect(0, 0, 1440, 900), Rect(-1280, 100, 1280, 1024)});
    action->setSnapshotAutoDisplayCount(12);
    ZRActionEditor& editor = show(action);
    QComboBox* counts = editor.snapshotDisplayAutoTriggerDisplayCountSelector();
    QStringList expected{QStringLiteral("Displays of the layout:"),
                         QStringLiteral("- 1440 x 900 px (main display)"),
                         QStringLiteral("- 1280 x 1024 px (at -1280, 100)"),
                         QStringLiteral("- 1920 x 1080 px (at 1440, 0)"),
                         QString(),
                         QStringLiteral("switching to 1 display")};
    for (int n = 2; n <= 12; ++n)
        expected.append(QStringLiteral("switching to %1 displays").arg(n));
    EXPECT_EQ(itemTitles(counts), expected);
    EXPECT_EQ(counts->currentText(), QStringLiteral("switching to 12 displays"));
    EXPECT_FALSE(counts->isEnabled()) << "only while the display auto-trigger is on";
    EXPECT_FALSE(qobject_cast<QStandardItemModel*>(counts->model())->item(1)->isEnabled());

    // A count from outside, far beyond any desk, asks for no more items than the cap.
    action->setSnapshotAutoDisplayCount(std::int64_t(1) << 62);
    set(ZRActionEditor::IgnoreScreenFramesKey, true);
    editor.updateConfigurationView();
    EXPECT_EQ(counts->count(), 2 + ZRActionEditor::MaximumDisplayCountItems + 1);
    EXPECT_EQ(counts->currentData().toLongLong(), std::int64_t(1) << 62);
    editor.snapshotDisplayAutoTriggerSwitch()->click();
    EXPECT_TRUE(counts->isEnabled());
    counts->setCurrentIndex(counts->findData(qint64(3)));
    editor.changeSetting(counts);
    EXPECT_EQ(action->snapshotAutoDisplayCount(), 3);
}

TEST_F(ActionEditorTest, FieldsNormaliseWhatIsTyped) {
    auto resize = actionOfType(ZRActionTypeResize, QStringLiteral("Resize"));
    ZRActionEditor& editor = show(resize);
    struct Case {
        QString typed;
        QString shown;
        double width;
        ZRMeasurementUnit unit;
    };
    const Case cases[] = {
        {QStringLiteral("150%"), QStringLiteral("100%"), 100, ZRMeasurementUnit::Percent},
        {QStringLiteral("640"), QStringLiteral("640"), 640, ZRMeasurementUnit::Points},
        {QStringLiteral(" 40 %"), QStringLiteral("40%"), 40, ZRMeasurementUnit::Percent},
        {QStringLiteral("99999999999999999999999"), QStringLiteral("9223372036854775807"),
         9.2233720368547758e18, ZRMeasurementUnit::Points},
        {QStringLiteral("0"), QStringLiteral("="), 0, ZRMeasurementUnit::Points},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        type(editor.resizeWidthField(), c.typed);
        EXPECT_EQ(editor.resizeWidthField()->text(), c.shown);
        EXPECT_EQ(resize->resizeSize().width, c.width);
        EXPECT_EQ(resize->resizeWidthUnit(), c.unit);
    }
    EXPECT_EQ(editor.resizeWidthField()->selectedText(), QStringLiteral("=")) << "typing replaces it";
    QTest::keyClicks(editor.resizeWidthField(), QStringLiteral("7"));
    EXPECT_EQ(editor.resizeWidthField()->text(), QStringLiteral("7"));
    EXPECT_EQ(resize->resizeSize().width, 7) << "each change typed is one change of the action";

    // A resize change undone and redone shows in the fields.
    type(editor.resizeHeightField(), QStringLiteral("300"));
    type(editor.resizeWidthField(), QStringLiteral("50%"));
    sidebar().undoActionStateChange();
    EXPECT_EQ(editor.resizeWidthField()->text(), QStringLiteral("7"));
    EXPECT_EQ(editor.resizeHeightField()->text(), QStringLiteral("300"));
    sidebar().redoActionStateChange();
    EXPECT_EQ(editor.resizeWidthField()->text(), QStringLiteral("50%"));
    EXPECT_EQ(resize->resizeSize(), Size(50, 300));

    auto move = actionOfType(ZRActionTypeMove, QStringLiteral("Move"));
    ZRActionEditor& moveEditor = show(move);
    const std::pair<QString, QString> deltas[] = {{QStringLiteral("0"), QStringLiteral("1")},
                                                  {QStringLiteral("abc"), QStringLiteral("1")},
                                                  {QStringLiteral("-20"), QStringLiteral("1")},
                                                  {QStringLiteral("25%"), QStringLiteral("25%")}};
    for (const auto& [typed, shown] : deltas) {
        type(moveEditor.moveDeltaField(), typed);
        EXPECT_EQ(moveEditor.moveDeltaField()->text(), shown) << typed.toStdString();
    }
    EXPECT_EQ(move->moveDelta(), 25);
    EXPECT_EQ(move->moveDeltaUnit(), ZRMeasurementUnit::Percent);
}

TEST_F(ActionEditorTest, SuggestionsOfferTheDeltasInUse) {
    const auto withDelta = [](ZRActionType type, std::int64_t delta, ZRMeasurementUnit unit) {
        auto action = actionOfType(type);
        action->setMoveDelta(delta);
        action->setMoveDeltaUnit(unit);
        return action;
    };
    sidebar().addActions({withDelta(ZRActionTypeMove, 15, ZRMeasurementUnit::Points),
                          withDelta(ZRActionTypeMove, 15, ZRMeasurementUnit::Points),
                          withDelta(ZRActionTypeMove, 10, ZRMeasurementUnit::Points),
                          withDelta(ZRActionTypeGrow, 25, ZRMeasurementUnit::Percent),
                          withDelta(ZRActionTypeShrink, 7, ZRMeasurementUnit::Points)},
                         nullptr, std::nullopt, false);
    const QString used = QString::fromUtf16(ZRTextFieldSuggestionsSectionCurrentlyUsed);
    const QString suggested = QString::fromUtf16(ZRTextFieldSuggestionsSectionSuggested);
    const QVariantList base{suggested,
                            QStringLiteral("1"),
                            QStringLiteral("2"),
                            QStringLiteral("3"),
                            QStringLiteral("4"),
                            QStringLiteral("5"),
                            QStringLiteral("10"),
                            QStringLiteral("20"),
                            QStringLiteral("30"),
                            QStringLiteral("40"),
                            QStringLiteral("50")};
    ZRActionEditor& move = show(actionOfType(ZRActionTypeMove, QStringLiteral("Mine")));
    auto* field = static_cast<ZRSuggestionsTextField*>(move.moveDeltaField());
    const QVariantList moves =
        QVariantList{used, QStringLiteral("10"), QStringLiteral("15"), QString()} + base;
    EXPECT_EQ(move.suggestionsForTextField(field), moves);
    ZRActionEditor& grow = show(actionOfType(ZRActionTypeGrow, QStringLiteral("Growing")));
    const QVariantList growth =
        QVariantList{used, QStringLiteral("7"), QStringLiteral("25%"), QString()} + base;
    EXPECT_EQ(grow.suggestionsForTextField(static_cast<ZRSuggestionsTextField*>(grow.growDeltaField())),
              growth);
    ZRActionEditor& resize = show(actionOfType(ZRActionTypeResize, QStringLiteral("Sizing")));
    const QVariantList sizes =
        QVariantList{used, QStringLiteral("7"), QStringLiteral("10"), QStringLiteral("25%"), QString()} +
        base;
    EXPECT_EQ(resize.suggestionsForTextField(static_cast<ZRSuggestionsTextField*>(resize.resizeWidthField())),
              sizes);
    // Deltas that the base list holds already call for no list of their own.
    for (const auto& other : store().allActions())
        if (other->actionType() == ZRActionTypeShrink || other->actionType() == ZRActionTypeGrow)
            other->setMoveDelta(5), other->setMoveDeltaUnit(ZRMeasurementUnit::Points);
    EXPECT_EQ(resize.suggestionsForTextField(static_cast<ZRSuggestionsTextField*>(resize.resizeWidthField())),
              base);
}

TEST_F(ActionEditorTest, AChainsHeaderNamesItsActionsWithoutRepeats) {
    auto chain = actionOfType(ZRActionTypeFolder, QStringLiteral("Steps"));
    auto first = actionOfType(ZRActionTypeCenter, QStringLiteral("Middle"));
    auto second = actionOfType(ZRActionTypeFill, QStringLiteral("Big"));
    auto third = actionOfType(ZRActionTypeFill, QStringLiteral("Big"));
    chain->setChildren({first, second, third});
    ZRActionEditor& editor = show(chain);
    EXPECT_EQ(editor.headerField()->text(), QStringLiteral("Folder"));
    EXPECT_FALSE(editor.chainModeSelector()->parentWidget()->isVisibleTo(editor.configurationView()));
    editor.chainSwitch()->click();
    EXPECT_TRUE(chain->chain());
    EXPECT_EQ(editor.headerField()->text(),
              QStringLiteral("Chain: Middle") + spacedMidDotSring() + QStringLiteral("Big"));
    EXPECT_TRUE(editor.chainModeSelector()->parentWidget()->isVisibleTo(editor.configurationView()));
    editor.chainModeSelector()->setCurrentIndex(1);
    editor.changeSetting(editor.chainModeSelector());
    EXPECT_EQ(chain->chainMode(), ZRChainModeCycle);
}

TEST_F(ActionEditorTest, ControlsEditTheAction) {
    auto action = actionOfType(ZRActionTypeMoveToOtherDisplay, QStringLiteral("Away"));
    ZRActionEditor& editor = show(action);
    editor.moveToOtherDisplayResizeSwitch()->click();
    editor.moveToOtherDisplayLoopSwitch()->click();
    EXPECT_TRUE(action->moveToOtherDisplayResize());
    EXPECT_TRUE(action->moveToOtherDisplayLoop());
    editor.moveToOtherDisplayDirectionSelector()->topRadio()->click();
    EXPECT_EQ(action->moveDirection(), ZRPositionTop);
    editor.moveToOtherDisplayDirectionSelector()->setPosition(ZRPositionRight);
    editor.positionViewDidChangePosition(editor.moveToOtherDisplayDirectionSelector());
    EXPECT_EQ(action->moveDirection(), ZRPositionRight);

    auto centre = actionOfType(ZRActionTypeCenter, QStringLiteral("Middle"));
    ZRActionEditor& centreEditor = show(centre);
    centreEditor.centerModeSelector()->setCurrentIndex(1);
    centreEditor.changeSetting(centreEditor.centerModeSelector());
    EXPECT_EQ(centre->centerMode(), ZRCenterModeGeometric);

    auto grid = actionOfType(ZRActionTypeMoveAndResize, QStringLiteral("Corner"));
    ZRActionEditor& gridEditor = show(grid);
    gridEditor.grid()->setRepresentedRelativeWindowFrame(Rect(0.5, 0.5, 0.5, 0.5));
    gridEditor.changeSetting(gridEditor.grid());
    EXPECT_EQ(grid->relativeFrame(), Rect(0.5, 0.5, 0.5, 0.5));
    EXPECT_EQ(
        grid->gridDimensionsDictionary().value(QStringLiteral("Configuration Grid: Columns")).toLongLong(),
        6);
    EXPECT_TRUE(grid->canUndo()) << "the grid edits through the action's history";
    // Undone, the grid shows the frame before: the next change starts from there, not from the undone one.
    select({QStringLiteral("Corner")});
    sidebar().undoActionStateChange();
    EXPECT_EQ(gridEditor.grid()->representedRelativeWindowFrame(), Rect(0, 0, 1, 1));
    gridEditor.changeSetting(gridEditor.grid());
    EXPECT_EQ(grid->relativeFrame(), Rect(0, 0, 1, 1));
    type(gridEditor.configurationGridColumnsField(), QStringLiteral("8"));
    EXPECT_EQ(
        grid->gridDimensionsDictionary().value(QStringLiteral("Configuration Grid: Columns")).toLongLong(),
        8);
    RunLoop::main().advance(ZRActionEditor::GridDimensionReflectionDelay);
    EXPECT_EQ(gridEditor.grid()->numberOfColumns(), 8);

    auto useGrid = actionOfType(ZRActionTypeUseGrid, QStringLiteral("Grid"));
    ZRActionEditor& useGridEditor = show(useGrid);
    EXPECT_TRUE(useGridEditor.actionGridSyncSwitch()->isChecked());
    type(useGridEditor.actionGridRowsField(), QStringLiteral("3<300+1"));
    EXPECT_EQ(
        useGrid->gridDimensionsDictionary().value(QStringLiteral("Mouse Controls Grid: Rows")).toLongLong(),
        3);
    EXPECT_EQ(useGrid->gridDimensionsDictionary()
                  .value(QStringLiteral("Mouse Controls Grid: Rows: Limit"))
                  .toLongLong(),
              300);
    EXPECT_FALSE(useGridEditor.actionGridSyncSwitch()->isChecked());
    EXPECT_FALSE(useGridEditor.actionGridCustomizeButton()->isVisibleTo(useGridEditor.configurationView()));
    useGridEditor.actionGridSyncSwitch()->click();
    EXPECT_TRUE(useGrid->gridDimensionsDictionary().isEmpty());
}

TEST_F(ActionEditorTest, WithoutIndividualDimensionsTheGridFieldsEditTheSettings) {
    set(ZRActionEditor::DisableIndividualGridDimensionsKey, true);
    auto action = actionOfType(ZRActionTypeMoveAndResize, QStringLiteral("Shared"));
    ZRActionEditor& editor = show(action);
    type(editor.configurationGridColumnsField(), QStringLiteral("12"));
    EXPECT_TRUE(action->gridDimensionsDictionary().isEmpty());
    EXPECT_EQ(defaults().integerForKey(QStringLiteral("Configuration Grid: Columns")), 12);
    editor.changeSetting(editor.grid());
    EXPECT_TRUE(action->gridDimensionsDictionary().isEmpty()) << "a grid click stores the frame only";
}

TEST(MenuItemIconSizeTest, StoredSizesAreKeptWithinTheirLimits) {
    const std::pair<QVariant, Size> cases[] = {
        {QVariant(), Size(19, 14)},
        {QStringLiteral("{24, 18}"), Size(24, 18)},
        {QStringLiteral("{4, 40}"), Size(10, 30)},
        {QStringLiteral("nonsense"), Size(10, 10)},
        {QStringLiteral("{nan, 12}"), Size(10, 10)},
    };
    for (const auto& [stored, size] : cases) {
        EXPECT_EQ(ZRMenuItemIconSizeForValue(stored), size) << stored.toString().toStdString();
    }
}

TEST_F(ActionEditorTest, APaneOutlivingItsActionDoesNothing) {
    auto action = actionOfType(ZRActionTypeMoveAndResize, QStringLiteral("Gone"));
    ZRActionEditor& editor = *ZRActionEditor::editorForAction(*action);
    std::unique_ptr<ZRActionConfigurationView> pane(editor.configurationView());
    type(editor.configurationGridColumnsField(), QStringLiteral("5"));
    const QString header = editor.headerField()->text();
    action.reset();
    // The reflection still pending, a field's change, a grid click and a paint find no action.
    RunLoop::main().advance(ZRActionEditor::GridDimensionReflectionDelay);
    type(editor.configurationGridRowsField(), QStringLiteral("3"));
    editor.changeSetting(editor.grid());
    editor.updateConfigurationView();
    pane->resize(pane->width(), pane->height());
    pane->grab();
    EXPECT_EQ(editor.headerField()->text(), header);
    EXPECT_TRUE(editor.hotKeys().empty());
    EXPECT_FALSE(editor.shouldSetHotKey(nullptr, QStringLiteral("Gone")));
}

// Counts the paints of a widget that reach a rectangle of it.
class PaintsOf : public QObject {
public:
    PaintsOf(QWidget* widget, const QRect& within) : m_within(within) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && static_cast<QPaintEvent*>(event)->region().intersects(m_within))
            ++count;
        return false;
    }
    int count = 0;

private:
    QRect m_within;
};

TEST_F(ActionEditorTest, TheHeadersIconFollowsTheGridAndThePickers) {
    settings().preferencesWindow()->show();
    for (const auto& [type, name] : {std::pair{ZRActionTypeMoveAndResize, QStringLiteral("Corner")},
                                     std::pair{ZRActionTypeMove, QStringLiteral("Along")}}) {
        SCOPED_TRACE(name.toStdString());
        auto action = actionOfType(type, name);
        ZRActionEditor& editor = show(action);
        ZRActionConfigurationView* pane = editor.configurationView();
        QTest::qWait(1);
        PaintsOf paints(pane, pane->iconRect().toAlignedRect());
        if (type == ZRActionTypeMoveAndResize) {
            editor.grid()->setRepresentedRelativeWindowFrame(Rect(0.5, 0.5, 0.5, 0.5));
            editor.changeSetting(editor.grid());
        } else {
            editor.moveDirectionSelector()->topRadio()->click();
        }
        QTest::qWait(1);
        EXPECT_GT(paints.count, 0) << "the header still shows the icon of before";
    }
}

TEST_F(ActionEditorTest, AHotKeySetInThePaneShowsInTheSidebarAtOnce) {
    settings().preferencesWindow()->show();
    auto action = actionOfType(ZRActionTypeCenter, QStringLiteral("Middle"));
    ZRActionEditor& editor = show(action);
    QTest::qWait(1);
    QWidget* rows = sourceList().viewport();
    PaintsOf paints(rows, rows->rect());
    const auto hotKey = ZRHotKey::hotKeyWithIdentifer(
        action->uniqueIdentifier(), QString(), Key::K, ModifierFlag::Control | ModifierFlag::Option,
        ZRHotKeyContext{desktop.globalHotKeys(), DesktopTest::settings(), RunLoop::main()});
    ASSERT_TRUE(editor.shouldSetHotKey(hotKey, action->uniqueIdentifier()));
    editor.hotKeyTextView()->setHotKey(hotKey);
    QTest::qWait(1);
    EXPECT_EQ(action->hotKey(), hotKey);
    EXPECT_GT(paints.count, 0) << "the sidebar row still shows the hot key of before";
}

TEST_F(ActionEditorTest, TheEditMenusSelectAllAndDeleteGoToThePanesWhileTheyHaveTheKeyboard) {
    addActions({QStringLiteral("One"), QStringLiteral("Two")});
    select({QStringLiteral("One")});
    RunLoop::main().runPending();
    QMenu* edit = nullptr;
    for (QAction* menu : settings().preferencesWindow()->menuBar()->actions())
        if (menu->menu() && menu->text() == QStringLiteral("&Edit"))
            edit = menu->menu();
    ASSERT_TRUE(edit);
    const auto item = [edit](const QString& title) {
        for (QAction* action : edit->actions())
            if (action->text() == title)
                return action;
        return static_cast<QAction*>(nullptr);
    };
    QAction* deleteItem = item(QStringLiteral("Delete"));
    QAction* selectAll = item(QStringLiteral("Select All"));
    ASSERT_TRUE(deleteItem && selectAll);

    // A click on the pane's margin gives the panes the keyboard: an action pane is never selected, so the
    // menu cannot delete there, and selecting all leaves the sidebar as it was.
    ZRConfigurationCollectionView* collection = settings().configurationCollectionView();
    collection->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(settings().focusedCollectionView(), collection);
    Q_EMIT edit->aboutToShow();
    EXPECT_FALSE(deleteItem->isEnabled());
    selectAll->trigger();
    EXPECT_EQ(selectedTitles(), QStringList{QStringLiteral("One")});
    deleteItem->trigger();
    EXPECT_EQ(storeTitles(), (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));

    // With the keyboard elsewhere both act on the sidebar again.
    sourceList().setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(settings().focusedCollectionView(), nullptr);
    Q_EMIT edit->aboutToShow();
    EXPECT_TRUE(deleteItem->isEnabled());
    selectAll->trigger();
    EXPECT_EQ(selectedTitles(), (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));
    deleteItem->trigger();
    EXPECT_TRUE(storeTitles().isEmpty());
}

// Rows that stand for configurations, each as high as asked.
class Rows : public ZRConfigurationCollectionViewDelegate {
public:
    QList<QWidget*> rows;
    int deletions = 0;
    int sequenceUpdates = 0;
    QList<QWidget*> configurationViewsInCollectionView(QWidget*) override { return rows; }
    void sortConfigurationsByViewYCoordinatesInCollectionView(QWidget* view) override {
        rows = static_cast<ZRConfigurationCollectionView*>(view)->configurationViewsInRowOrder();
    }
    void sortConfigurationsByViewIndexInArray(const QList<QWidget*>& views) override { rows = views; }
    void deleteSelectedConfigurations() override { ++deletions; }
    void sequenceDidUpdateInCollectionView(QWidget*) override { ++sequenceUpdates; }
};

class CollectionViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<ZRHotKeyHandlerApplication>();
        RunLoop::main().useManualClock();
        container.resize(560, 100);
        scroll = new QScrollArea(&container);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(false);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view = new ZRConfigurationCollectionView;
        scroll->setWidget(view);
        view->setResizableContainerView(&container);
        view->setDelegate(&delegate);
        container.show();
    }
    void TearDown() override {
        for (QWidget* r : delegate.rows)
            if (!r->parent())
                delete r;
        RunLoop::main().useRealClock();
    }
    // Rows of the heights, added and tiled.
    void addRows(std::initializer_list<int> heights) {
        for (const int height : heights) {
            auto* row = new ZRConfigurationView(RunLoop::main());
            row->setObjectName(QString::number(delegate.rows.size()));
            row->resize(100, height);
            delegate.rows.append(row);
        }
        view->tileConfigurationViewsIncludingMovingViews(true, false);
    }
    ZRConfigurationView* row(int index) const {
        return static_cast<ZRConfigurationView*>(delegate.rows[index]);
    }
    QString order() const {
        QStringList names;
        for (const QWidget* r : delegate.rows)
            names.append(r->objectName());
        return names.join(QString());
    }
    QString selection() const {
        QString marks;
        for (const QWidget* r : delegate.rows)
            marks += static_cast<const ZRConfigurationView*>(r)->selected() ? u'x' : u'.';
        return marks;
    }

    QWidget container;
    QScrollArea* scroll = nullptr;
    ZRConfigurationCollectionView* view = nullptr;
    Rows delegate;
};

TEST_F(CollectionViewTest, TheContainerFollowsTheRowsWithinItsLimits) {
    struct Case {
        std::initializer_list<int> heights;
        int container;
        int content;
    };
    const Case cases[] = {{{}, 102, 60}, {{300}, 352, 310}, {{600}, 550, 610}, {{100, 200}, 352, 310}};
    for (const Case& c : cases) {
        qDeleteAll(delegate.rows);
        delegate.rows.clear();
        addRows(c.heights);
        EXPECT_EQ(container.height(), c.container);
        EXPECT_EQ(scroll->height(),
                  c.container - ZRConfigurationCollectionView::AdditionalResizableContainerHeight);
        EXPECT_EQ(view->height(), std::max(c.content, scroll->height())) << c.container;
        int y = ZRConfigurationView::Inset;
        for (QWidget* r : delegate.rows) {
            EXPECT_EQ(r->geometry(), QRect(0, y, view->width(), r->height()));
            y += r->height();
        }
    }
}

TEST_F(CollectionViewTest, ADelegateThatWentIsLetGo) {
    auto replaced = std::make_unique<Rows>();
    addRows({40});
    replaced->rows = delegate.rows;
    view->setDelegate(replaced.get());
    EXPECT_EQ(view->delegate(), replaced.get());
    replaced.reset();
    EXPECT_EQ(view->delegate(), nullptr);
    view->tileConfigurationViewsIncludingMovingViews(true, true);
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(container.height(), ZRConfigurationCollectionView::MinimumResizableContainerHeight);
    view->setDelegate(&delegate);
}

TEST_F(CollectionViewTest, ClicksAndKeysSelectByTheirModifiers) {
    addRows({40, 40, 40, 40, 40});
    const auto click = [this](int index, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(row(index), Qt::LeftButton, modifiers, QPoint(50, 20));
    };
    struct Step {
        std::function<void()> act;
        QString selection;
    };
    const Step steps[] = {
        {[&] { click(1); }, QStringLiteral(".x...")},
        {[&] { click(3, Qt::ShiftModifier); }, QStringLiteral(".xxx.")},
        {[&] { click(0, Qt::ControlModifier); }, QStringLiteral("xxxx.")},
        {[&] { click(2, Qt::ControlModifier); }, QStringLiteral("xx.x.")},
        {[&] { click(3, Qt::ShiftModifier); }, QStringLiteral("xx.x.")},
        {[&] { click(4); }, QStringLiteral("....x")},
        {[&] { click(4); }, QStringLiteral(".....")},
        {[&] { QTest::keyClick(view, Qt::Key_Down); }, QStringLiteral("x....")},
        {[&] { QTest::keyClick(view, Qt::Key_Down); }, QStringLiteral(".x...")},
        {[&] { QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier); }, QStringLiteral(".xx..")},
        {[&] { QTest::keyClick(view, Qt::Key_Up); }, QStringLiteral("x....")},
        {[&] { QTest::keyClick(view, Qt::Key_Up); }, QStringLiteral("x....")},
        {[&] { QTest::mouseClick(row(2), Qt::LeftButton, {}, QPoint(3, 20)); }, QStringLiteral(".....")},
        {[&] { QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier); }, QStringLiteral("xxxxx")},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(selection(), step.selection);
    }
    EXPECT_TRUE(view->canDelete());
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(delegate.deletions, 1);
    // Control with the arrows moves the selected rows as a block.
    click(4);
    click(1);
    click(2, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(order(), QStringLiteral("03124"));
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(order(), QStringLiteral("12034"));
}

TEST_F(CollectionViewTest, RowsDraggedReorderAndScrollTheView) {
    addRows({100, 100, 100, 100, 100, 100});
    ASSERT_EQ(scroll->height(), 508);
    // The row pressed gets the moves and the release, wherever the pointer is, as it holds the mouse.
    const auto send = [](QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, target->mapFromGlobal(global), global,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    ZRConfigurationView* dragged = row(0);
    const QPoint grip = dragged->mapToGlobal(QPoint(50, 50));
    send(dragged, QEvent::MouseButtonPress, grip, Qt::LeftButton);
    send(dragged, QEvent::MouseMove, grip + QPoint(0, 160), Qt::LeftButton);
    EXPECT_TRUE(view->dragging());
    EXPECT_EQ(order(), QStringLiteral("102345")) << "row 0 passed the centre of row 1";
    EXPECT_EQ(dragged->y(), ZRConfigurationView::Inset + 160);
    // Near the bottom edge the view scrolls, first after a tenth of a second, then in steps, and the row
    // follows the pointer down.
    send(dragged, QEvent::MouseMove, grip + QPoint(0, 440), Qt::LeftButton);
    RunLoop::main().advance(ZRConfigurationView::AutoscrollFirstDelay);
    EXPECT_EQ(scroll->verticalScrollBar()->value(), ZRConfigurationView::AutoscrollStep);
    RunLoop::main().advance(3 * ZRConfigurationView::AutoscrollInterval);
    EXPECT_EQ(scroll->verticalScrollBar()->value(), 4 * ZRConfigurationView::AutoscrollStep);
    RunLoop::main().advance(10 * ZRConfigurationView::AutoscrollInterval);
    EXPECT_EQ(scroll->verticalScrollBar()->value(), scroll->verticalScrollBar()->maximum());
    EXPECT_EQ(order(), QStringLiteral("123450")) << "the row reached the end of the list";
    send(dragged, QEvent::MouseButtonRelease, grip + QPoint(0, 440), Qt::NoButton);
    EXPECT_FALSE(view->dragging());
    EXPECT_EQ(delegate.sequenceUpdates, 1);
    EXPECT_TRUE(dragged->moveSortFrame().isEmpty());
    int y = ZRConfigurationView::Inset;
    for (QWidget* r : delegate.rows) {
        EXPECT_EQ(r->y(), y) << "tiled again after the drop";
        y += r->height();
    }

    // A key during the drag puts the rows back.
    scroll->verticalScrollBar()->setValue(0);
    const QString before = order();
    dragged = row(1);
    const QPoint second = dragged->mapToGlobal(QPoint(50, 50));
    send(dragged, QEvent::MouseButtonPress, second, Qt::LeftButton);
    send(dragged, QEvent::MouseMove, second + QPoint(0, -120), Qt::LeftButton);
    EXPECT_NE(order(), before);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(order(), before);
    EXPECT_FALSE(view->dragging());
    EXPECT_EQ(delegate.sequenceUpdates, 1);
}

TEST_F(ActionEditorTest, AnInterfaceThatCannotBeBuiltGivesNoPane) {
    registerInterfaceBuilder(ZRActionEditor::InterfaceName, [](QObject*) { return false; });
    auto action = actionOfType(ZRActionTypeCenter, QStringLiteral("Broken"));
    sidebar().addActions({action}, nullptr, std::nullopt, false);
    EXPECT_EQ(action->configurationView(), nullptr);
    EXPECT_TRUE(logged(QStringLiteral("cannot load <Custom.nib>")));
    EXPECT_GE(beeps, 1);
    settings().updateConfigurationView();
    ZRActionEditor::install(settings());
    EXPECT_NE(action->configurationView(), nullptr);
}

} // namespace

namespace {

// "Save Layout" captures the windows a moment later, off the main thread: the pane then shows them, with
// the applications in the header, the windows in the preview and the button that updates, without the row
// being selected again. A new layout that takes the current state shows its windows the same way.
TEST_F(ActionEditorTest, ACapturedLayoutShowsInItsPaneAtOnce) {
    desktop.addWindow(desktop.addApplication(QStringLiteral("org.example.Editor"), QStringLiteral("Editor")),
                      Rect(100, 100, 600, 400), QStringLiteral("Notes"));
    desktop.addWindow(
        desktop.addApplication(QStringLiteral("org.example.Terminal"), QStringLiteral("Terminal")),
        Rect(700, 200, 500, 300), QStringLiteral("Shell"));
    const auto captured = [this](ZRActionEditor& editor) {
        DispatchQueue::waitForIdle();
        RunLoop::main().runPending();
        ASSERT_EQ(editor.action()->snapshot().windowDescriptions.size(), 2u);
        EXPECT_EQ(editor.snapshotPreviewView()->snapshot().size(), 2);
        EXPECT_TRUE(editor.headerField()->text().contains(QStringLiteral("Terminal")))
            << editor.headerField()->text().toStdString();
        EXPECT_EQ(editor.snapshotSaveButton()->text(), QStringLiteral("Update Layout..."));
    };

    auto layout = actionOfType(ZRActionTypeLayout, QStringLiteral("Desk"));
    ZRActionEditor& editor = show(layout);
    EXPECT_EQ(editor.snapshotSaveButton()->text(), QStringLiteral("Save Layout"));
    editor.snapshotSaveButton()->click();
    captured(editor);

    set(QStringLiteral("New Custom Actions: Reflect Current State"), true);
    QAction item;
    item.setProperty(ZRAddMenuActionTypeProperty, qint64(ZRActionTypeLayout));
    sidebar().addActionViaMenuItem(&item);
    RunLoop::main().runPending();
    const auto added = store().focusAction();
    ASSERT_TRUE(added && added != layout);
    ZRActionEditor* addedEditor = ZRActionEditor::editorForAction(*added);
    ASSERT_NE(addedEditor, nullptr);
    captured(*addedEditor);
}

} // namespace
