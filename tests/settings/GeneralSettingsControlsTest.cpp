#include "GeneralSettingsTestSupport.h"

#include "actions/ZRKeyboardMenuPresenter.h"
#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyTextView.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "mouse-control/ZRPalette.h"
#include "mouse-control/ZRTriggerUIElement.h"
#include "mouse-control/ZRZoomButtonOverlayWindow.h"
#include "platform/foundation/NotificationCenter.h"
#include "settings/ZRGeneralSettingsPopover.h"
#include "settings/ZRSettingsRows.h"
#include "settings/ZRSnapActionSelectors.h"
#include "shell/ZRApplicationMode.h"
#include "shell/ZRStatusItemController.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/ZRCGEventWrapper.h"
#include "toolkit/ZRShroudView.h"
#include "toolkit/ZRSizeToFitControl.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

namespace {

namespace PopUp = ZRSettingsPopUp;
using Controls = ZRGeneralSettingsControls;

const QString WM = ZRSystemWindowSettings::WindowManagerDomain;

// The modifier keys change as mouse control's tap tells of it.
void post(ModifierFlags flags) {
    TapEvent event;
    event.type = TapEventType::FlagsChanged;
    event.flags = flags;
    NotificationCenter::defaultCenter().post(ZRModifierFlagsChangedNotification, nullptr,
                                             ZRCGEventWrapper::wrapperForEvent(event));
}

// Every control of changeSetting, changed once from the settings of a new user: what it stores, whether it
// asks mouse control to recompute its features, and what it has the desktop's preferences tool do.
TEST_F(GeneralSettingsTest, EverySenderStoresItsSettingAndActsAtOnce) {
    struct Case {
        const char* outlet;
        std::function<QObject*(const Controls&)> control;
        std::function<void(QObject*)> change;
        QString key;
        QVariant stored;
        bool featureFlags = false;
        std::vector<QStringList> toolRuns = {};
    };
    const auto on = [](QObject* control) { toggle(control); };
    const auto pick = [](qint64 tag) { return [tag](QObject* control) { choose(control, tag); }; };
    const auto move = [](double value) { return [value](QObject* control) { slide(control, value); }; };
    const auto hover = [](bool resize, ModifierFlags modifier) {
        return [resize, modifier](const Controls& c) -> QObject* {
            return c.hoverSwitchForModifier(resize, modifier);
        };
    };
    const qint64 move0 = 786432;
    const qint64 resize0 = 1835008;
    ZRSettingsController& window = settings();
    const Case cases[] = {
        {"stealthModeSwitch", &Controls::stealthModeSwitch, on, "Stealth Mode", true},
        {"applicationModeSelector", &Controls::applicationModeSelector, pick(0), "Application Mode", 0},
        {"temporaryDockSwitch", &Controls::temporaryDockSwitch, on, "Application Mode: Temporary Dock Icon",
         true},
        {"highlightSlider", &Controls::highlightSlider, move(0.5), "Focus", 0.5},
        {"outlineStyleSelector", &Controls::outlineStyleSelector, pick(2), "Focus: Style", 2},
        {"outlineAnimateSwitch", &Controls::outlineAnimateSwitch, on, "Focus: Animate", false},
        {"animateSwitch", &Controls::animateSwitch, on, "Animation", true},
        {"spacingSwitch", &Controls::spacingSwitch, on, "Grid Spacing", true},
        {"spacingEdgeSwitch", &Controls::spacingEdgeSwitch, on, "Grid Spacing: Apply To Edges", true},
        {"allowForStageManagerSwitch", &Controls::allowForStageManagerSwitch, on, "Allow For Stage Manager",
         true},
        {"allowForDrawersSwitch", &Controls::allowForDrawersSwitch, on, "Allow For Drawers", true},
        // Without the palette the desktop's zoom-button menu comes back, and stays when the next case puts it
        // first.
        {"mouseControlSwitch",
         &Controls::mouseControlSwitch,
         on,
         "Mouse Controls",
         false,
         false,
         {{"delete", "-g", "NSZoomButtonMenuOption"}}},
        {"mouseControlPrioritySelector",
         [&window](const Controls&) { return window.mouseControlPrioritySelector(); }, pick(1),
         "Mouse Controls Trigger: Apple: Primary", true},
        {"mouseControlTriggerSelector", &Controls::mouseControlTriggerSelector, pick(1),
         "Mouse Controls Trigger", 1},
        {"mouseControlDelaySlider", &Controls::mouseControlDelaySlider, move(0.5), "Mouse Controls Delay",
         0.5},
        {"mouseControlSizeSlider", &Controls::mouseControlSizeSlider, move(30), "Palette Icon Size", 30},
        {"mouseGridSwitch", &Controls::mouseGridSwitch, on, "Mouse Controls Grid", true},
        {"mouseGridModeSelector", &Controls::mouseGridModeSelector, pick(1), "Mouse Controls Grid: Mode", 1},
        {"autoActivateSwitch", &Controls::autoActivateSwitch, on, "Mouse Controls Auto-Activate Window",
         true},
        {"customMouseControlSwitch", &Controls::customMouseControlSwitch, on,
         "Mouse Controls Include Custom Controls", true},
        {"customMouseControlHoverSwitch", &Controls::customMouseControlHoverSwitch, on,
         "Mouse Controls Include Custom Controls: Show On Hover", true},
        {"zoomButtonBehaviorSelector",
         [&window](const Controls&) -> QObject* { return window.zoomButtonBehaviorSelector(); }, pick(2),
         "Mouse Controls: Zoom Button Behavior", 2},
        {"snapSwitch",
         &Controls::snapSwitch,
         on,
         "Snap",
         true,
         true,
         {{"write", WM, "EnableTilingByEdgeDrag", "-bool", "NO"}}},
        {"snapBackSwitch", &Controls::snapBackSwitch, on, "Snap Back", false, true},
        {"snapBackScopeSelector", &Controls::snapBackScopeSelector, pick(1), "Snap Back: Scope", 1, true},
        {"snapDelaySlider", &Controls::snapDelaySlider, move(0.6), "Snap Delay", 0.6},
        {"snapIgnoreBorderingEdgesAndCornersSwitch", &Controls::snapIgnoreBorderingEdgesAndCornersSwitch, on,
         "Snap: Ignore Bordering Edges And Corners", true},
        {"dropSnapSwitch",
         &Controls::dropSnapSwitch,
         on,
         "Drop Snap",
         false,
         true,
         {{"delete", WM, "EnableTilingOptionAccelerator"}}},
        {"dropSnapModeSelector", &Controls::dropSnapModeSelector, pick(2), "Drop Snap: Activation", 2, true},
        {"keyboardMenuLineHeightSlider", &Controls::keyboardMenuLineHeightSlider, move(40),
         "ZRKeyboardMenu: Line Height", 40.0},
        {"cheatSheetSwitch", &Controls::cheatSheetSwitch, on, "Show Cheat Sheet", true},
        {"keyboardLogoSwitch", &Controls::keyboardLogoSwitch, on, "Hide Keyboard Controls Logo", true},
        {"keyboardGridSwitch", &Controls::keyboardGridSwitch, on, "Keyboard Controls Grid", true},
        {"keyboardGridFastTrackSwitch", &Controls::keyboardGridFastTrackSwitch, on,
         "Keyboard Controls Grid: Fast Track", true},
        {"keyboardGridStartSelector", &Controls::keyboardGridStartSelector, pick(2),
         "Keyboard Controls Grid: Starting Position", 2},
        {"dismissAfterMovingSwitch", &Controls::dismissAfterMovingSwitch, on, "Dismiss After Moving", true},
        {"dismissAfterFillingSwitch", &Controls::dismissAfterFillingSwitch, on, "Dismiss After Filling",
         true},
        {"dismissAfterOtherSwitch", &Controls::dismissAfterOtherSwitch, on, "Dismiss After Other", true},
        {"hoverSwitch", &Controls::hoverSwitch, on, "Hover", true, true},
        {"hoverMoveShiftSwitch", hover(false, ModifierFlag::Shift), on, "Hover Move", move0 | 0x20000, true},
        {"hoverMoveFunctionSwitch", hover(false, ModifierFlag::Function), on, "Hover Move", move0 | 0x800000,
         true},
        {"hoverMoveControlSwitch", hover(false, ModifierFlag::Control), on, "Hover Move", move0 & ~0x40000,
         true},
        {"hoverMoveOptionSwitch", hover(false, ModifierFlag::Option), on, "Hover Move", move0 & ~0x80000,
         true},
        {"hoverMoveCommandSwitch", hover(false, ModifierFlag::Command), on, "Hover Move", move0 | 0x100000,
         true},
        {"hoverResizeShiftSwitch", hover(true, ModifierFlag::Shift), on, "Hover Resize", resize0 | 0x20000,
         true},
        {"hoverResizeFunctionSwitch", hover(true, ModifierFlag::Function), on, "Hover Resize",
         resize0 | 0x800000, true},
        {"hoverResizeControlSwitch", hover(true, ModifierFlag::Control), on, "Hover Resize",
         resize0 & ~0x40000, true},
        {"hoverResizeOptionSwitch", hover(true, ModifierFlag::Option), on, "Hover Resize", resize0 & ~0x80000,
         true},
        {"hoverResizeCommandSwitch", hover(true, ModifierFlag::Command), on, "Hover Resize",
         resize0 & ~0x100000, true},
        {"hoverResizeModeSelector", &Controls::hoverResizeModeSelector, pick(1), "Hover Resize: Corner", 1},
    };
    // What a control shows: checked, chosen item or slider position.
    const auto shown = [](QObject* control) -> QVariant {
        if (auto* box = qobject_cast<QCheckBox*>(control))
            return box->isChecked();
        if (auto* popUp = qobject_cast<QComboBox*>(control))
            return popUp->currentIndex();
        if (auto* slider = qobject_cast<QSlider*>(control))
            return slider->value();
        return {};
    };
    std::size_t covered = 0;
    const std::vector<QObject*> senders = controls().changeSettingSenders();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outlet);
        QObject* control = c.control(controls());
        ASSERT_NE(control, nullptr);
        const QVariant before = defaults().persistentObject(c.key);
        const QVariant shownBefore = shown(control);
        featureFlagUpdates = 0;
        desktop.processes().clearRuns();
        c.change(control);
        const QVariant stored = defaults().persistentObject(c.key);
        EXPECT_EQ(stored, c.stored) << stored.toString().toStdString();
        EXPECT_EQ(featureFlagUpdates > 0, c.featureFlags);
        EXPECT_EQ(toolRuns(), c.toolRuns);
        // Each case starts from the settings of a new user, put back as from elsewhere (a help page's
        // link): the control shows it again.
        defaults().setObject(before, c.key);
        EXPECT_EQ(shown(control), shownBefore);
        covered += std::count(senders.begin(), senders.end(), control);
    }
    EXPECT_EQ(covered, senders.size()) << "a control of the table has no case";

    // Any other sender changes nothing.
    QObject stranger;
    const QVariantMap settingsBefore = defaults().persistentDomain();
    controls().changeSetting(&stranger);
    controls().changeSetting(nullptr);
    EXPECT_EQ(defaults().persistentDomain(), settingsBefore);
}

// The extra effects that show in the window: shrouds, rows, enabled controls, mouse control's state.
TEST_F(GeneralSettingsTest, SwitchesShroudAndShowTheControlsThatDependOnThem) {
    Controls& c = controls();
    EXPECT_TRUE(c.hoverShroud()->isShrouded());
    EXPECT_FALSE(c.hoverResizeModeSelector()->isEnabled());
    toggle(c.hoverSwitch());
    EXPECT_FALSE(c.hoverShroud()->isShrouded());
    EXPECT_TRUE(c.hoverResizeModeSelector()->isEnabled()) << "resizing has keys of its own";
    // Resizing with the keys of moving is no resizing: its corner cannot be chosen.
    for (const ModifierFlags modifier : {ModifierFlag::Command})
        toggle(c.hoverSwitchForModifier(true, modifier));
    EXPECT_FALSE(c.hoverResizeModeSelector()->isEnabled());

    EXPECT_TRUE(c.snapShroud()->isShrouded());
    toggle(c.snapSwitch());
    EXPECT_FALSE(c.snapShroud()->isShrouded());
    toggle(c.snapBackSwitch());
    EXPECT_FALSE(c.snapBackScopeSelector()->isEnabled());
    toggle(c.snapBackSwitch());
    EXPECT_TRUE(c.snapBackScopeSelector()->isEnabled());

    EXPECT_TRUE(c.mouseControlSwitch()->isChecked());
    EXPECT_FALSE(c.mouseControlDelayShroud()->isShrouded());
    toggle(c.mouseControlSwitch());
    EXPECT_FALSE(mouseControl().features().paletteOn);
    EXPECT_TRUE(c.mouseControlDelayShroud()->isShrouded());
    EXPECT_FALSE(c.mouseControlTriggerSelector()->isEnabled());

    EXPECT_FALSE(c.mouseGridModeSelector()->isEnabled());
    EXPECT_TRUE(c.customizeGridButton()->isHidden());
    toggle(c.mouseGridSwitch());
    EXPECT_TRUE(c.mouseGridModeSelector()->isEnabled());
    EXPECT_FALSE(c.customizeGridButton()->isHidden());

    // Rows that show only while their switch is on; the rows below follow them.
    struct Row {
        QAbstractButton* control;
        QWidget* row;
    };
    for (const Row& r : {Row{c.customMouseControlSwitch(), c.customMouseControlHoverRow()},
                         Row{c.keyboardGridSwitch(), c.keyboardGridFastTrackRow()},
                         Row{c.spacingSwitch(), c.spacingEdgeRow()}}) {
        SCOPED_TRACE(r.row->objectName().toStdString());
        QWidget* pane = r.row->parentWidget();
        const int height = pane->height();
        EXPECT_TRUE(r.row->isHidden());
        toggle(r.control);
        EXPECT_FALSE(r.row->isHidden());
        EXPECT_EQ(pane->height(), height + r.row->height() + ZRSettingsRows::Spacing);
        toggle(r.control);
        EXPECT_TRUE(r.row->isHidden());
        EXPECT_EQ(pane->height(), height);
    }
    EXPECT_FALSE(c.spacingGapField()->isEnabled());

    // With edge gaps of their own always applied, the edge switch shows on, cannot change, and stays.
    set(QStringLiteral("Grid Spacing: Apply To Edges: Gaps"), 4);
    set(QStringLiteral("Grid Spacing: Apply To Edges: Gaps: Always Apply"), true);
    c.updateSpacingControls(false);
    EXPECT_FALSE(c.spacingEdgeRow()->isHidden());
    EXPECT_TRUE(c.spacingEdgeSwitch()->isChecked());
    EXPECT_FALSE(c.spacingEdgeSwitch()->isEnabled());
}

TEST_F(GeneralSettingsTest, TheKeyboardControlsOptionsWaitForAHotKeyThatOpensThem) {
    Controls& c = controls();
    ZRMainController& controller = settings().controller();
    ZRHotKeyTextView* field = controller.keyboardControlHotKeyTextView();
    ZRShroudView* shroud = c.keyboardControlsShroud();
    ASSERT_TRUE(shroud);
    ASSERT_TRUE(controller.keyboardControlHotKey()) << "stored before launch";
    EXPECT_FALSE(shroud->isShrouded());

    // A row that shows inside the shroud moves the shroud's end, and the pane grows with it.
    QWidget* pane = shroud->parentWidget();
    const int paneHeight = pane->height(), shroudHeight = shroud->height();
    toggle(c.keyboardGridSwitch());
    const int row = c.keyboardGridFastTrackRow()->height() + ZRSettingsRows::Spacing;
    EXPECT_EQ(shroud->height(), shroudHeight + row);
    EXPECT_EQ(pane->height(), paneHeight + row);
    toggle(c.keyboardGridSwitch());
    EXPECT_EQ(shroud->height(), shroudHeight);
    EXPECT_EQ(pane->height(), paneHeight);

    // Cleared and set through the field, as the user does: the options follow, and so do mouse control's
    // features.
    int updates = featureFlagUpdates;
    ASSERT_TRUE(controller.shouldSetHotKey(nullptr, QStringLiteral("Keyboard Controls")));
    field->setHotKey(nullptr);
    EXPECT_TRUE(shroud->isShrouded());
    EXPECT_FALSE(c.cheatSheetSwitch()->isEnabled());
    EXPECT_FALSE(c.escapeKeyActionSelector()->isEnabled());
    EXPECT_GT(featureFlagUpdates, updates);
    updates = featureFlagUpdates;
    const auto hotKey = ZRHotKey::hotKeyWithIdentifer(
        QStringLiteral("Keyboard Controls"), QString(), Key::M, ModifierFlag::Control | ModifierFlag::Option,
        ZRHotKeyContext{desktop.globalHotKeys(), DesktopTest::settings(), RunLoop::main()});
    ASSERT_TRUE(controller.shouldSetHotKey(hotKey, QStringLiteral("Keyboard Controls")));
    field->setHotKey(hotKey);
    EXPECT_FALSE(shroud->isShrouded());
    EXPECT_TRUE(c.cheatSheetSwitch()->isEnabled());
    EXPECT_TRUE(c.escapeKeyActionSelector()->isEnabled());
    EXPECT_GT(featureFlagUpdates, updates);

    // The keyboard menu's hot key leaves them as they are.
    ASSERT_TRUE(controller.shouldSetHotKey(nullptr, QStringLiteral("Keyboard Controls")));
    field->setHotKey(nullptr);
    const auto menuHotKey = ZRHotKey::hotKeyWithIdentifer(
        QStringLiteral("Keyboard Menu"), QString(), Key::K, ModifierFlag::Control | ModifierFlag::Option,
        ZRHotKeyContext{desktop.globalHotKeys(), DesktopTest::settings(), RunLoop::main()});
    ASSERT_TRUE(controller.shouldSetHotKey(menuHotKey, QStringLiteral("Keyboard Menu")));
    controller.keyboardMenuHotKeyTextView()->setHotKey(menuHotKey);
    EXPECT_TRUE(shroud->isShrouded());
}

TEST_F(GeneralSettingsTest, HoverTurnedOnInTheWindowTurnsOnMouseControlsHoverKeys) {
    controls().setFeatureFlagsUpdater(nullptr);
    EXPECT_EQ(mouseControl().features().hoverMoveModifiers, 0u);
    // A real click on the switch, in the pane the sidebar opens.
    select({QStringLiteral("Hover")});
    QApplication::processEvents();
    ZRSettingsSwitch* hover = controls().hoverSwitch();
    ASSERT_TRUE(hover->isVisible());
    QTest::mouseClick(hover, Qt::LeftButton, {}, QPoint(8, hover->height() / 2));
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("Hover")));
    EXPECT_EQ(mouseControl().features().hoverMoveModifiers, ModifierFlag::Control | ModifierFlag::Option);
    EXPECT_EQ(mouseControl().features().hoverResizeModifiers,
              ModifierFlag::Control | ModifierFlag::Option | ModifierFlag::Command);

    select({QStringLiteral("Snap")});
    QApplication::processEvents();
    ZRSettingsSwitch* snap = controls().snapSwitch();
    QTest::mouseClick(snap, Qt::LeftButton, {}, QPoint(8, snap->height() / 2));
    EXPECT_TRUE(mouseControl().features().snapOn) << "the registered halves and quarters snap";
}

TEST_F(GeneralSettingsTest, ModifierFlagsPositionsAndKeysOfTheControls) {
    Controls& c = controls();
    struct Flag {
        ModifierFlags modifier;
        ModifierFlags value;
    };
    for (const Flag& f : {Flag{ModifierFlag::Shift, 131072}, Flag{ModifierFlag::Function, 8388608},
                          Flag{ModifierFlag::Control, 262144}, Flag{ModifierFlag::Option, 524288},
                          Flag{ModifierFlag::Command, 1048576}}) {
        EXPECT_EQ(c.modifierFlagForHoverSwitch(c.hoverSwitchForModifier(false, f.modifier)), f.value);
        EXPECT_EQ(c.modifierFlagForHoverSwitch(c.hoverSwitchForModifier(true, f.modifier)), f.value);
        EXPECT_EQ(
            c.modifierFlagForDropZoneActionSelector(c.snapActionSelectors().dropSnapSelector(f.modifier)),
            f.value);
    }
    for (QObject* other :
         {static_cast<QObject*>(c.hoverSwitch()), static_cast<QObject*>(c.snapSwitch()),
          static_cast<QObject*>(c.snapActionSelectors().snapSelector(3)), (QObject*)nullptr}) {
        EXPECT_EQ(c.modifierFlagForHoverSwitch(other), 0u);
        EXPECT_EQ(c.modifierFlagForDropZoneActionSelector(other), 0u);
    }

    const std::int64_t positions[] = {3, 4, 5, 6, 7, 8, 9, 10};
    for (std::size_t i = 0; i < std::size(positions); ++i) {
        QComboBox* selector = c.snapActionSelectors().snapSelectors()[i];
        EXPECT_EQ(c.positionForSnapActionSelector(selector), positions[i]);
        EXPECT_EQ(Controls::userDefaultNameForSnapPosition(positions[i]),
                  QStringLiteral("Snap: %1").arg(positions[i]));
    }
    EXPECT_EQ(c.positionForSnapActionSelector(c.hoverSwitch()), -1);
    EXPECT_EQ(c.positionForSnapActionSelector(c.snapActionSelectors().dropSnapSelectors()[0]), -1);

    const std::pair<QComboBox*, const char*> keys[] = {
        {c.arrowKeyActionSelector(), "Key Control: Arrow"},
        {c.commandArrowKeyActionSelector(), "Key Control: Arrow: Command"},
        {c.optionArrowKeyActionSelector(), "Key Control: Arrow: Option"},
        {c.controlArrowKeyActionSelector(), "Key Control: Arrow: Control"},
        {c.returnKeyActionSelector(), "Key Control: Return"},
        {c.spaceKeyActionSelector(), "Key Control: Space"},
        {c.tabKeyActionSelector(), "Key Control: Tab"},
        {c.escapeKeyActionSelector(), "Key Control: Escape"},
    };
    for (const auto& [selector, key] : keys) {
        EXPECT_EQ(c.userDefaultNameForKeyActionSelector(selector), QString::fromLatin1(key));
        featureFlagUpdates = 0;
        chooseIndex(selector, selector->count() - 1);
        EXPECT_EQ(defaults().integerForKey(QString::fromLatin1(key)),
                  PopUp::tagOfItem(selector, selector->count() - 1));
        EXPECT_EQ(featureFlagUpdates, 1);
    }
    EXPECT_EQ(c.userDefaultNameForKeyActionSelector(c.hoverSwitch()), std::nullopt);
    // The variants read with their suffix and every action shows its icon.
    const QComboBox* arrows = c.arrowKeyActionSelector();
    const int confined = PopUp::indexOfItemWithTag(arrows, ZRActionTypeMoveConfined);
    EXPECT_EQ(arrows->itemText(confined), QStringLiteral("Move \u2014 Confine to Display"));
    EXPECT_FALSE(arrows->itemIcon(confined).isNull());
    EXPECT_TRUE(arrows->itemIcon(0).isNull()) << "the default has no action";
    const QComboBox* space = c.spaceKeyActionSelector();
    EXPECT_EQ(space->itemText(PopUp::indexOfItemWithTag(space, ZRActionTypeCenterGeometrically)),
              QStringLiteral("Center \u2014 Actual Display Center"));
}

TEST_F(GeneralSettingsTest, TheDelayRule) {
    Controls& c = controls();
    const QString snap = QStringLiteral("Snap Delay");
    const QString mouse = QStringLiteral("Mouse Controls Delay");
    struct Case {
        QString key;
        QVariant stored;
        bool updateSlider;
        double delay;
        QString description;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {snap, 0.25, false, 0.2, "0.2 second"},    {mouse, 0.03, false, 0, "None"},
        {mouse, 0.15, false, 0.1, "0.1 second"},   {mouse, 1.0, false, 1.0, "1 second"},
        {mouse, 0.5, false, 0.5, "0.5 second"},    {snap, 2.5, false, 2.5, "2.5 seconds"},
        {snap, 0.26, true, 0.26, "0.3 second"},    {mouse, 0.03, true, 0.03, "None"},
        {mouse, -1.0, false, 0.1, "0.1 second"},   {snap, nan, false, 0.2, "0.2 second"},
        {snap, infinity, true, 0.2, "0.2 second"}, {mouse, QStringLiteral("soon"), false, 0.1, "0.1 second"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(
            QStringLiteral("%1 %2 %3").arg(k.key, k.stored.toString()).arg(k.updateSlider).toStdString());
        set(k.key, k.stored);
        EXPECT_DOUBLE_EQ(c.delayForUserDefaultName(k.key, false, k.updateSlider, true, nullptr), k.delay);
        QLabel* field = k.key == snap ? c.snapDelayField() : c.mouseControlDelayField();
        EXPECT_EQ(field->text(), k.description);
        ZRSettingsSlider* slider = k.key == snap ? c.snapDelaySlider() : c.mouseControlDelaySlider();
        if (k.updateSlider) {
            EXPECT_NEAR(slider->doubleValue(), k.delay, slider->step() / 2);
        }
    }
    // Kept to the preferred delay, the slider goes there too.
    set(snap, 0.25);
    c.delayForUserDefaultName(snap, false, false, false, nullptr);
    EXPECT_NEAR(c.snapDelaySlider()->doubleValue(), 0.2, 0.001);
    // Stored through the slider: the value the rule gives, never what was dragged to.
    slide(c.snapDelaySlider(), 0.27);
    EXPECT_DOUBLE_EQ(defaults().doubleForKey(snap), 0.2);
    // Mouse control reads the broken setting as the preferred delay too.
    set(mouse, -5.0);
    EXPECT_DOUBLE_EQ(mouseControl().delayForUserDefaultName(mouse), 0.1);
}

TEST_F(GeneralSettingsTest, FocusAndPaletteIconSizeRules) {
    Controls& c = controls();
    slide(c.highlightSlider(), 0.04);
    EXPECT_EQ(defaults().doubleForKey(QStringLiteral("Focus")), 0.0);
    EXPECT_EQ(c.highlightStatusField()->text(), QStringLiteral("Off"));
    EXPECT_EQ(c.highlightSlider()->doubleValue(), 0.0);
    EXPECT_FALSE(ZRFocusWindow::defaultFocusWindow().isActive()) << "no demo while off";
    // Turned up, the settings window shows through a dimmed screen for a second.
    slide(c.highlightSlider(), 0.3);
    EXPECT_EQ(c.highlightStatusField()->text(), QString());
    ZRFocusWindow& focus = ZRFocusWindow::defaultFocusWindow();
    EXPECT_TRUE(focus.isActive());
    EXPECT_FALSE(focus.apertureFrame().isEmpty());
    EXPECT_TRUE(focus.outlineFrame().isEmpty());
    RunLoop::main().advance(Controls::FocusDemoDuration);
    EXPECT_FALSE(focus.isActive());
    // The outline style's demo outlines the window regardless of the focus setting.
    choose(c.outlineStyleSelector(), 1);
    EXPECT_TRUE(focus.isActive());
    EXPECT_TRUE(focus.apertureFrame().isEmpty());
    EXPECT_FALSE(focus.outlineFrame().isEmpty());
    EXPECT_TRUE(focus.displayRegardless());
    RunLoop::main().advance(Controls::FocusDemoDuration);
    EXPECT_FALSE(focus.isActive());

    struct Size {
        double slider;
        qint64 stored;
        double movedTo;
    };
    FakePaletteWindows windows;
    windows.isChangingPaletteIconSize = [&c] { return c.isChangingPaletteIconSize(); };
    c.setPaletteWindows(&windows);
    for (const Size& s :
         {Size{30, 30, 30}, Size{14, 18, 10}, Size{15, 19, 15}, Size{19, 19, 15}, Size{10, 18, 10}}) {
        SCOPED_TRACE(s.slider);
        windows.calls.clear();
        slide(c.mouseControlSizeSlider(), s.slider);
        EXPECT_EQ(defaults().integerForKey(QStringLiteral("Palette Icon Size")), s.stored);
        EXPECT_EQ(c.mouseControlSizeSlider()->doubleValue(), s.movedTo);
        EXPECT_FALSE(c.isChangingPaletteIconSize());
        EXPECT_EQ(windows.calls, QStringList({"cancel hides", "preview", "hide later", "preview"}));
    }
    // With the palette up and the size as stored, the palette is left alone.
    windows.paletteExists = true;
    windows.calls.clear();
    slide(c.mouseControlSizeSlider(), 31);
    slide(c.mouseControlSizeSlider(), 30);
    c.changeSetting(c.mouseControlSizeSlider());
    EXPECT_EQ(windows.calls.count(QStringLiteral("cancel hides")), 2);
    EXPECT_FALSE(c.isChangingPaletteIconSize());
    c.setPaletteWindows(nullptr);
}

TEST_F(GeneralSettingsTest, FieldsStoreClampedNumbersAndShowThemLater) {
    Controls& c = controls();
    ZRSuggestionsTextField* gap = c.spacingGapField();
    toggle(c.spacingSwitch());
    EXPECT_TRUE(gap->isEnabled());
    const QString gapKey = QStringLiteral("Grid Spacing: Gap");
    gap->selectAll();
    QTest::keyClicks(gap, QStringLiteral("0"));
    EXPECT_EQ(defaults().integerForKey(gapKey), 1);
    EXPECT_EQ(gap->text(), QStringLiteral("0"));
    RunLoop::main().advance(Controls::FieldCorrectionDelay - 0.1);
    EXPECT_EQ(gap->text(), QStringLiteral("0"));
    RunLoop::main().advance(0.1);
    EXPECT_EQ(gap->text(), QStringLiteral("1"));

    // Edited meanwhile into a number as it is stored: the edit stands.
    gap->selectAll();
    QTest::keyClicks(gap, QStringLiteral("0"));
    RunLoop::main().advance(1);
    QTest::keyClick(gap, Qt::Key_Backspace);
    QTest::keyClicks(gap, QStringLiteral("8"));
    EXPECT_EQ(defaults().integerForKey(gapKey), 8);
    RunLoop::main().advance(Controls::FieldCorrectionDelay * 2);
    EXPECT_EQ(gap->text(), QStringLiteral("8"));

    struct Text {
        const char* text;
        qint64 gap;
        qint64 columns;
    };
    const qint64 maximumGrid = ZRGridGeometry::maximumGridDimensionSize(DesktopTest::settings());
    for (const Text& t :
         {Text{"12", 12, 12}, Text{"abc", 1, 1}, Text{"-7", 1, 1}, Text{"", 1, 1},
          Text{"99999999999999999999999", 100, maximumGrid}, Text{"9223372036854775807", 100, maximumGrid},
          Text{" 7 px", 7, 7}, Text{"+3", 3, 3}}) {
        SCOPED_TRACE(t.text);
        gap->setText(QString::fromLatin1(t.text));
        Q_EMIT gap->textEdited(gap->text());
        EXPECT_EQ(defaults().integerForKey(gapKey), t.gap);
        c.standardGridColumnsField()->setText(QString::fromLatin1(t.text));
        Q_EMIT c.standardGridColumnsField()->textEdited(c.standardGridColumnsField()->text());
        EXPECT_EQ(defaults().integerForKey(QStringLiteral("Mouse Controls Grid: Columns")), t.columns);
    }
    RunLoop::main().advance(Controls::FieldCorrectionDelay);
    EXPECT_EQ(gap->text(), QStringLiteral("3"));

    // The gap field suggests gaps, the grid fields grid sizes.
    const QVariantList gaps = c.suggestionsForTextField(gap);
    EXPECT_EQ(gaps.front().toString(), QStringLiteral("ZRTextFieldSuggestionsSectionSuggested"));
    EXPECT_EQ(gaps.size(), 15);
    EXPECT_EQ(gaps.back().toString(), QStringLiteral("50"));
    EXPECT_EQ(c.suggestionsForTextField(c.standardGridRowsField()),
              ZRGridGeometry::gridDimensionSuggestions(DesktopTest::settings()));
}

TEST_F(GeneralSettingsTest, SidebarHotKeysCycleAndTheLogOpensOrDebugLoggingToggles) {
    Controls& c = controls();
    const QString key = QStringLiteral("Sidebar Hot Key Priority");
    set(key, 0);
    QStringList seen;
    for (int click = 0; click < 4; ++click) {
        c.sidebarHotKeyVisibilityButton()->click();
        seen << QString::number(defaults().integerForKey(key)) + u' ' +
                    c.sidebarHotKeyVisibilityButton()->text();
    }
    EXPECT_EQ(seen, QStringList({"1 Always", "-1 Never", "0 In a wide window", "1 Always"}));

    // With a log reader its window opens; without one the button switches debug logging.
    c.debugLoggingButton()->click();
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("ZRDebugLog")));
    ZRSetLogReaderFactory({});
    c.debugLoggingButton()->click();
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("ZRDebugLog")));
    c.debugLoggingButton()->click();
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("ZRDebugLog")));
}

TEST_F(GeneralSettingsTest, ApplicationModesShowTheirRowsAndSwitchTheTaskbarEntry) {
    Controls& c = controls();
    struct Mode {
        qint64 mode;
        bool temporaryDockRow;
        bool facelessNote;
        bool accessory;
        bool statusItem;
    };
    for (const Mode& m : {Mode{0, false, false, false, false}, Mode{2, true, true, true, false},
                          Mode{3, false, false, false, true}, Mode{1, true, false, true, true}}) {
        SCOPED_TRACE(m.mode);
        choose(c.applicationModeSelector(), m.mode);
        EXPECT_EQ(defaults().integerForKey(QStringLiteral("Application Mode")), m.mode);
        EXPECT_EQ(!c.temporaryDockRow()->isHidden(), m.temporaryDockRow);
        EXPECT_EQ(!c.facelessExplanationView()->isHidden(), m.facelessNote);
        EXPECT_EQ(ZRIsAccessoryApplicationMode(), m.accessory);
        EXPECT_EQ(settings().controller().statusItemController().isRequested(), m.statusItem);
        // The popover comes back once the windows have their new kind, fitted to its rows.
        RunLoop::main().runPending();
        ZRGeneralSettingsPopover* popover = settings().generalSettingsPopover();
        ASSERT_TRUE(popover && popover->isShown());
        const QWidget* view = settings().generalSettingsView();
        EXPECT_EQ(view->height(), frameByAdjustingHeightToFitSubviewsOfView(view, view, 20).height());
    }
    // In a mode without a taskbar entry, the temporary one comes and goes with its switch.
    toggle(c.temporaryDockSwitch());
    EXPECT_FALSE(ZRIsAccessoryApplicationMode());
    toggle(c.temporaryDockSwitch());
    EXPECT_TRUE(ZRIsAccessoryApplicationMode());
}

// A header or separator reached by the keys in a pop-up stores nothing, and the stored choice comes back.
TEST_F(GeneralSettingsTest, HeadersAndSeparatorsAreNoChoice) {
    addLayout(QStringLiteral("Desk"));
    RunLoop::main().runPending();
    Controls& c = controls();
    QComboBox* top = c.snapActionSelectors().snapSelector(3);
    QComboBox* shift = c.snapActionSelectors().dropSnapSelector(ModifierFlag::Shift);
    const QStringList keys = {"Snap: 3", "Drop Snap: Modifier: 131072", "Drop Snap: Activation"};
    const auto stored = [this, &keys] {
        QVariantList values;
        for (const QString& key : keys)
            values << defaults().persistentObject(key);
        return values;
    };
    const QVariantList before = stored();
    const int topChoice = top->currentIndex();
    for (int index = 0; index < top->count(); ++index) {
        if (PopUp::isChoosableItem(top, index))
            continue;
        featureFlagUpdates = 0;
        chooseIndex(top, index);
        EXPECT_EQ(top->currentIndex(), topChoice);
        EXPECT_EQ(featureFlagUpdates, 0);
    }
    chooseIndex(shift, shift->count() - 2);
    EXPECT_EQ(shift->currentIndex(), shift->count() - 1);
    chooseIndex(c.dropSnapModeSelector(), -1);
    EXPECT_EQ(stored(), before);
}

TEST_F(GeneralSettingsTest, TheLineHeightDemoEndsAlsoWhenThePopoverClosedFirst) {
    struct RecordingMenu : ZRApplicationArea, ZRKeyboardMenuPresenter, ZRMouseControlKeyboardMenu {
        bool popUpKeyboardMenuForControl(const std::shared_ptr<ZRAction>&, const void*,
                                         const std::vector<std::shared_ptr<ZRAction>>*,
                                         const std::optional<QString>&, bool*, bool) override {
            visible = true;
            ++popUps;
            return true;
        }
        void close() override { visible = false; }
        bool isVisible() const override { return visible; }
        void vanishAndClose() override { visible = false; }
        double lineHeightForScreen(const ScreenInfo&) const override { return 0; }
        bool popUpWithEntryItem(const EntryItem&, const ScreenInfo&, bool, const void*) override {
            return false;
        }
        bool selectItemAtIndex(std::int64_t) override { return false; }
        bool visible = false;
        int popUps = 0;
    };
    auto owned = std::make_unique<RecordingMenu>();
    RecordingMenu& menu = *owned;
    settings().controller().addArea(std::move(owned));
    Controls& c = controls();
    settings().showGeneralSettings();
    ZRGeneralSettingsPopover* popover = settings().generalSettingsPopover();
    slide(c.keyboardMenuLineHeightSlider(), 50);
    EXPECT_TRUE(menu.visible);
    EXPECT_EQ(popover->behavior(), ZRGeneralSettingsPopover::Behavior::ApplicationDefined);
    // The same height while the menu shows is no new demo.
    c.keyboardMenuLineHeightSlider()->setDoubleValue(50);
    c.changeSetting(c.keyboardMenuLineHeightSlider());
    EXPECT_EQ(menu.popUps, 1);
    popover->close();
    settings().preferencesWindow()->close();
    RunLoop::main().advance(Controls::KeyboardMenuDemoDuration);
    EXPECT_FALSE(menu.visible);
    EXPECT_EQ(popover->behavior(), ZRGeneralSettingsPopover::Behavior::Transient);
    EXPECT_DOUBLE_EQ(defaults().doubleForKey(QStringLiteral("ZRKeyboardMenu: Line Height")), 50);
}

// The palette's windows under the hold keys (Command or Control), by the zoom button's behaviour, whether
// the desktop's zoom-button menu can be managed, and whether the palette's trigger is not the default one.
TEST_F(GeneralSettingsTest, ModifierKeysOrderThePalettesWindowsOutAndIn) {
    FakePaletteWindows windows;
    controls().setPaletteWindows(&windows);
    // Nothing exists: nothing happens.
    post(ModifierFlag::Command);
    EXPECT_TRUE(windows.calls.isEmpty());

    struct Case {
        qint64 behavior;
        bool canManage;
        bool nonDefault; // by a trigger other than the zoom button
        ModifierFlags held;
        bool overlay;
        QStringList calls;
    };
    const ModifierFlags none = ModifierFlag::Shift;
    const Case cases[] = {
        {1, true, false, ModifierFlag::Command, true, {"shadow", "palette out", "overlay out"}},
        {1, true, false, none, true, {"shadow", "palette front", "overlay front"}},
        {0, false, false, ModifierFlag::Control, true, {"shadow", "overlay out"}},
        {0, true, false, ModifierFlag::Control, false, {"shadow", "palette front"}},
        {0, true, false, none, false, {"shadow", "palette out"}},
        {0, true, true, ModifierFlag::Command, true, {"shadow", "palette out", "overlay out"}},
        {0, true, true, none, true, {"shadow", "palette front", "overlay front"}},
    };
    windows.paletteExists = true;
    windows.paletteVisible = true;
    // The desktop's zoom-button menu as the user has it: off.
    desktop.systemPreferences().removeValue(SystemPreferences::GlobalDomain,
                                            QStringLiteral("NSZoomButtonMenuOption"));
    for (const Case& k : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 %3 %4")
                         .arg(k.behavior)
                         .arg(k.canManage)
                         .arg(k.nonDefault)
                         .arg(k.held)
                         .toStdString());
        set(QStringLiteral("Mouse Controls: Zoom Button Behavior"), k.behavior);
        set(QStringLiteral("Mouse Controls Trigger: Apple: Manual Availability Override"), k.canManage);
        set(QStringLiteral("Mouse Controls Trigger"), k.nonDefault ? 1 : 0);
        windows.overlayExists = k.overlay;
        windows.calls.clear();
        post(k.held);
        EXPECT_EQ(windows.calls, k.calls);
    }
    // The user's own choices keep the palette where it is.
    set(QStringLiteral("Mouse Controls: Zoom Button Behavior"), 0);
    set(QStringLiteral("Mouse Controls Trigger"), 0);
    windows.overlayExists = false;
    set(QStringLiteral("Mouse Controls Trigger: Apple: Immutable"), true);
    windows.calls.clear();
    post(ModifierFlag::Command);
    set(QStringLiteral("Mouse Controls Trigger: Apple: Immutable: Disabled Temporarily"), true);
    post(none);
    EXPECT_EQ(windows.calls, QStringList({"shadow", "shadow"}));
    controls().setPaletteWindows(nullptr);
}

// Mouse control's own palette answers the settings: a new icon size shows it beside the settings window's own
// button for a moment, and Command held puts its windows away until it is let go.
TEST_F(GeneralSettingsTest, ThePalettesOwnWindowsFollowTheIconSizeAndTheHoldKeys) {
    ZRPalette& palette = mouseControl().ownPalette();
    SimWindow& own =
        desktop.addWindow(desktop.addOwnApplication(QStringLiteral("Skaf")), Rect(300, 350, 400, 300));
    own.addStandardButtons();
    QWidget* window = settings().preferencesWindow();
    window->show();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    slide(controls().mouseControlSizeSlider(), 40);
    ASSERT_TRUE(palette.isPaletteWindowVisible()) << "the preview";
    EXPECT_EQ(palette.currentTriggerUIElement()->frame(), Rect(348, 358, 12, 12));
    RunLoop::main().advance(2);
    EXPECT_FALSE(palette.hasPaletteWindow()) << "gone after the usual pause";

    set(QStringLiteral("Mouse Controls: Zoom Button Behavior"), 1);
    SimWindow& editor = desktop.addWindow(
        desktop.addApplication(QStringLiteral("com.example.Editor"), "Editor"), Rect(600, 100, 600, 400));
    editor.addStandardButtons();
    TapEvent moved;
    moved.type = TapEventType::MouseMoved;
    moved.location = Point(654, 114);
    desktop.movePointer(moved.location);
    palette.processTappedMouseMovedEvent(ZRCGEventWrapper::wrapperForEvent(moved));
    RunLoop::main().advance(0.2);
    ASSERT_TRUE(palette.isPaletteWindowVisible());
    ASSERT_TRUE(palette.zoomButtonOverlayWindow() && palette.zoomButtonOverlayWindow()->isVisible());
    post(ModifierFlag::Command);
    EXPECT_FALSE(palette.isPaletteWindowVisible());
    EXPECT_FALSE(palette.zoomButtonOverlayWindow()->isVisible());
    post(0);
    EXPECT_TRUE(palette.isPaletteWindowVisible());
    EXPECT_TRUE(palette.zoomButtonOverlayWindow()->isVisible());
    palette.hideOverlayRegardless();
}

} // namespace

namespace {

// Pictures of the panes with their controls and of the general settings in each application mode, in the
// light and the dark style, with layouts to offer and hover and snapping on.
TEST_F(GeneralSettingsTest, PicturesOfThePanesAndTheGeneralSettings) {
    addLayout(QStringLiteral("Desk"));
    addLayout(QStringLiteral("Couch"));
    addActions({QStringLiteral("Left Two Thirds")});
    toggle(controls().hoverSwitch());
    toggle(controls().snapSwitch());
    toggle(controls().customMouseControlSwitch());
    RunLoop::main().runPending();
    RunLoop::main().advance(ZRSettingsController::HelpButtonFlashInterval *
                            ZRSettingsController::HelpButtonFlashCount);
    QMainWindow* window = settings().preferencesWindow();
    window->resize(window->width(), 640);
    for (const bool dark : {false, true}) {
        desktop.workspace().setDarkAppearance(dark);
        QApplication::setActiveWindow(window);
        QApplication::processEvents();
        const QString look = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        for (const QString& tab : {QStringLiteral("Palette"), QStringLiteral("Hover"), QStringLiteral("Snap"),
                                   QStringLiteral("Keyboard")}) {
            select({tab});
            QApplication::processEvents();
            saveScreenshot(window->grab().toImage(),
                           QStringLiteral("general-settings-") + tab.toLower() + look);
            // The whole pane, also what the window would scroll to.
            QWidget* pane = settings().pane(tab);
            EXPECT_LE(pane->childrenRect().bottom(), pane->height()) << tab.toStdString();
            // Rows shown, hidden and shown again, and the palette's wells grown below them, never overlap.
            const auto rows = pane->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            for (const QWidget* a : rows)
                for (const QWidget* b : rows) {
                    EXPECT_TRUE(a == b || a->isHidden() || b->isHidden() ||
                                !a->geometry().intersects(b->geometry()))
                        << a->objectName().toStdString() << " over " << b->objectName().toStdString();
                }
            saveScreenshot(pane->grab().toImage(),
                           QStringLiteral("general-settings-") + tab.toLower() + "-pane" + look);
            if (tab == QStringLiteral("Snap")) {
                // Each snap pop-up shows its standard choices whole, "Bottom Right Quarter" too, and the
                // three columns stay inside the pane.
                for (QComboBox* selector : controls().snapActionSelectors().snapSelectors()) {
                    EXPECT_GE(selector->width(), Controls::popUpWidthShowingItems(selector, 3))
                        << selector->itemText(2).toStdString();
                    EXPECT_LE(selector->mapTo(pane, QPoint(selector->width(), 0)).x(), pane->width() - 20);
                }
            }
        }
        for (const qint64 mode : {0, 1, 2, 3}) {
            choose(controls().applicationModeSelector(), mode);
            RunLoop::main().runPending();
            QApplication::processEvents();
            ZRGeneralSettingsPopover* popover = settings().generalSettingsPopover();
            ASSERT_TRUE(popover && popover->isShown());
            // Every row fits inside the popover.
            const QWidget* view = settings().generalSettingsView();
            EXPECT_LE(view->childrenRect().bottom(), view->height());
            EXPECT_LE(view->childrenRect().right(), view->width());
            saveScreenshot(popover->grab().toImage(),
                           QStringLiteral("general-settings-popover-mode%1").arg(mode) + look);
        }
        settings().generalSettingsPopover()->close();
    }
}

} // namespace
