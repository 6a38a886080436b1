#include "settings/ZRGeneralSettingsControls.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRKeyboardMenuPresenter.h"
#include "hotkeys/ZRHotKey.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlHover.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "mouse-control/ZRMouseControlPalette.h"
#include "mouse-control/ZRMouseControlPaletteWindows.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRGeneralSettingsPopover.h"
#include "settings/ZRPaletteEditor.h"
#include "settings/ZRSettingsController.h"
#include "settings/ZRSettingsPopUps.h"
#include "settings/ZRSettingsRows.h"
#include "settings/ZRSettingsSlider.h"
#include "settings/ZRSettingsSwitch.h"
#include "settings/ZRSnapActionSelectors.h"
#include "settings/ZRSourceList.h"
#include "shell/ZRApplicationMode.h"
#include "shell/ZRKeyboardMenuLineHeight.h"
#include "shell/ZRMainController.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/ZRCGEventWrapper.h"
#include "toolkit/ZRLog.h"
#include "toolkit/ZRShroudView.h"
#include "toolkit/ZRSizeToFitControl.h"
#include "window-access/GridGeometry.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QThread>
#include <cmath>
#include <limits>

namespace {

namespace PopUp = ZRSettingsPopUp;
namespace D = ZRMouseControlDefault;

const QString StealthModeKey = QStringLiteral("Stealth Mode");
const QString ApplicationModeKey = QString::fromUtf16(ZRApplicationModeUserDefaultName);
const QString TemporaryDockIconKey = QString::fromUtf16(ZRApplicationModeTemporaryDockIconUserDefaultName);
const QString FocusKey = QStringLiteral("Focus");
const QString FocusStyleKey = QStringLiteral("Focus: Style");
const QString FocusAnimateKey = QStringLiteral("Focus: Animate");
const QString AnimationKey = QStringLiteral("Animation");
const QString GridSpacingKey = QStringLiteral("Grid Spacing");
const QString GridSpacingGapKey = QStringLiteral("Grid Spacing: Gap");
const QString ApplyToEdgesKey = QStringLiteral("Grid Spacing: Apply To Edges");
const QString ApplyToEdgesGapsKey = QStringLiteral("Grid Spacing: Apply To Edges: Gaps");
const QString ApplyToEdgesGapsAlwaysKey = QStringLiteral("Grid Spacing: Apply To Edges: Gaps: Always Apply");
const QString AllowForStageManagerKey = QStringLiteral("Allow For Stage Manager");
const QString AllowForDrawersKey = QStringLiteral("Allow For Drawers");
const QString PaletteIconSizeKey = QStringLiteral("Palette Icon Size");
const QString MouseGridKey = QStringLiteral("Mouse Controls Grid");
const QString MouseGridModeKey = QStringLiteral("Mouse Controls Grid: Mode");
const QString AutoActivateKey = QStringLiteral("Mouse Controls Auto-Activate Window");
const QString CustomControlsKey = QStringLiteral("Mouse Controls Include Custom Controls");
const QString CustomControlsOnHoverKey =
    QStringLiteral("Mouse Controls Include Custom Controls: Show On Hover");
const QString AppleImmutableKey = QStringLiteral("Mouse Controls Trigger: Apple: Immutable");
const QString LineHeightKey = QString::fromUtf16(ZRKeyboardMenuLineHeightUserDefaultName);
const QString CheatSheetKey = QStringLiteral("Show Cheat Sheet");
const QString HideLogoKey = QStringLiteral("Hide Keyboard Controls Logo");
const QString KeyboardGridKey = QString::fromUtf16(ZRKeyboardControlsGridUserDefaultName);
const QString FastTrackKey = QStringLiteral("Keyboard Controls Grid: Fast Track");
const QString GridStartKey = QStringLiteral("Keyboard Controls Grid: Starting Position");
const QString DismissAfterMovingKey = QString::fromUtf16(ZRDismissAfterMovingUserDefaultName);
const QString DismissAfterFillingKey = QString::fromUtf16(ZRDismissAfterFillingUserDefaultName);
const QString DismissAfterOtherKey = QString::fromUtf16(ZRDismissAfterOtherUserDefaultName);
const QString ObtrusiveGeneralSettingsKey = QStringLiteral("Obtrusive General Settings");
const QString SidebarHotKeyPriorityKey = QStringLiteral("Sidebar Hot Key Priority");
const QString DebugLogKey = QStringLiteral("ZRDebugLog");

// Held for the palette's modifier rules: Command or Control.
constexpr ModifierFlags PaletteHoldKeys = ModifierFlag::Command | ModifierFlag::Control;
// The suggested gaps beyond 1 to 9.
constexpr int SuggestedGaps[] = {10, 20, 30, 40, 50};
constexpr int LargestSingleDigitGap = 9;

const QString EmDash = QStringLiteral(" \u2014 ");

bool isApplicationModeWithoutTaskbarEntry(qint64 mode) {
    return mode == static_cast<qint64>(ZRApplicationMode::StatusItem) ||
           mode == static_cast<qint64>(ZRApplicationMode::Faceless);
}

} // namespace

ZRGeneralSettingsControls::ZRGeneralSettingsControls(ZRSettingsController& settings)
    : m_settings(settings), m_snapSelectors(std::make_unique<ZRSnapActionSelectors>(settings.defaults())) {
    m_actionsChanged = settings.context().notifications.addObserver(ZRActionsDidChangeNotification, nullptr,
                                                                    [this](const Notification&) {
                                                                        if (m_filled)
                                                                            updateSnapActionSelectorsSoon();
                                                                    });
    m_modifierFlagsChanged = settings.context().notifications.addObserver(
        ZRModifierFlagsChangedNotification, nullptr,
        [this](const Notification& note) { modifierFlagsDidChange(note); });
}

ZRGeneralSettingsControls::~ZRGeneralSettingsControls() {
    if (ZRMouseController* controller = mouseController();
        controller && controller->settingsControls() == this) {
        controller->setSettingsControls(nullptr);
        controller->setDelayReader(nullptr);
    }
}

ZRMouseController* ZRGeneralSettingsControls::mouseController() const {
    return true ? m_settings.controller().area<ZRMouseController>() : nullptr;
}

ZRMouseControlPaletteWindows* ZRGeneralSettingsControls::paletteWindows() const {
    if (m_paletteWindows)
        return m_paletteWindows;
    ZRMouseController* controller = mouseController();
    return controller ? dynamic_cast<ZRMouseControlPaletteWindows*>(&controller->palette()) : nullptr;
}

void ZRGeneralSettingsControls::updateFeatureFlagsAndTap() {
    if (m_featureFlagsUpdater)
        m_featureFlagsUpdater();
    else if (ZRMouseController* controller = mouseController())
        controller->updateFeatureFlagsAndTap();
}

// --- The table

void ZRGeneralSettingsControls::addSetting(QObject* sender, const QString& key, Storage storage,
                                           std::function<void(QObject*)> effect, ModifierFlags modifier) {
    if (!sender)
        return;
    m_table[sender] = Setting{key, storage, modifier, std::move(effect)};
    m_senders.push_back(sender);
    connectSender(sender);
}

void ZRGeneralSettingsControls::connectSender(QObject* sender) {
    if (auto* control = qobject_cast<QCheckBox*>(sender))
        connect(control, &QCheckBox::clicked, this, [this, control] { changeSetting(control); });
    else if (auto* slider = qobject_cast<ZRSettingsSlider*>(sender))
        connect(slider, &ZRSettingsSlider::doubleValueChanged, this,
                [this, slider] { changeSetting(slider); });
    else if (auto* popUp = qobject_cast<QComboBox*>(sender))
        connect(popUp, &QComboBox::activated, this, [this, popUp] { changeSetting(popUp); });
}

void ZRGeneralSettingsControls::buildTable() {
    // Once, and only when the window has placed the controls: a fill before that connects nothing twice.
    if (m_builtTable || !m_placed)
        return;
    m_builtTable = true;
    const auto flags = [this](QObject*) { updateFeatureFlagsAndTap(); };
    const auto demo = [this](QObject*) { showFocusOutlineDemo(); };

    addSetting(m_stealthModeSwitch, StealthModeKey, Storage::InvertedBool);
    addSetting(m_applicationModeSelector, ApplicationModeKey, Storage::ByEffect,
               [this](QObject*) { changeApplicationMode(m_applicationModeSelector); });
    addSetting(m_temporaryDockSwitch, TemporaryDockIconKey, Storage::Bool,
               [this](QObject*) { changeTemporaryDockIcon(m_temporaryDockSwitch->isChecked()); });
    addSetting(m_highlightSlider, FocusKey, Storage::ByEffect, [this](QObject*) { changeFocus(); });
    addSetting(m_outlineStyleSelector, FocusStyleKey, Storage::Integer, demo);
    addSetting(m_outlineAnimateSwitch, FocusAnimateKey, Storage::Bool, demo);
    addSetting(m_animateSwitch, AnimationKey, Storage::Bool);
    addSetting(m_spacingSwitch, GridSpacingKey, Storage::Bool,
               [this](QObject*) { updateSpacingControls(m_spacingSwitch->isChecked()); });
    addSetting(m_spacingEdgeSwitch, ApplyToEdgesKey, Storage::Bool);
    addSetting(m_allowForStageManagerSwitch, AllowForStageManagerKey, Storage::Bool);
    addSetting(m_allowForDrawersSwitch, AllowForDrawersKey, Storage::Bool);

    addSetting(m_mouseControlSwitch, D::MouseControls, Storage::ByEffect, [this](QObject*) {
        if (ZRMouseController* controller = mouseController()) {
            controller->updateMouseControlUserDefaultForSender(m_mouseControlSwitch, false, true);
            return;
        }
        const bool on = m_mouseControlSwitch->isChecked();
        m_settings.defaults().setBool(on, D::MouseControls);
        setMouseControlTriggerSelectorEnabled(on);
        setMouseControlDelayShrouded(!on);
    });
    addSetting(m_settings.mouseControlPrioritySelector(), ZRSystemWindowSettings::ApplePrimaryUserDefaultName,
               Storage::ByEffect, [this](QObject* sender) {
                   auto* selector = static_cast<QComboBox*>(sender);
                   const bool applePrimary = PopUp::tagOfItem(selector, selector->currentIndex()) == 1;
                   m_settings.defaults().setBool(applePrimary,
                                                 ZRSystemWindowSettings::ApplePrimaryUserDefaultName);
                   m_settings.updateMouseControlPriorityExplanationField(applePrimary, false);
                   ZRUpdateSystemZoomButtonMenuOption(!applePrimary);
               });
    addSetting(m_mouseControlTriggerSelector, D::Trigger, Storage::Integer, [this](QObject*) {
        const UserDefaults& defaults = m_settings.defaults();
        m_settings.updateWindowButtonSettingsControlsWithTrigger(
            defaults.integerForKey(D::Trigger), defaults.integerForKey(D::ZoomButtonBehavior));
        ZRUpdateSystemZoomButtonMenuOption(
            !defaults.boolForKey(ZRSystemWindowSettings::ApplePrimaryUserDefaultName));
    });
    addSetting(m_mouseControlDelaySlider, D::Delay, Storage::ByEffect,
               [this](QObject* sender) { delayForUserDefaultName(D::Delay, true, false, true, sender); });
    addSetting(m_mouseControlSizeSlider, PaletteIconSizeKey, Storage::ByEffect,
               [this](QObject*) { changePaletteIconSize(); });
    addSetting(m_mouseGridSwitch, MouseGridKey, Storage::Bool,
               [this](QObject*) { updateMouseGridControls(); });
    addSetting(m_mouseGridModeSelector, MouseGridModeKey, Storage::Integer);
    addSetting(m_autoActivateSwitch, AutoActivateKey, Storage::Bool);
    addSetting(m_customMouseControlSwitch, CustomControlsKey, Storage::Bool,
               [this](QObject*) { updateCustomMouseControlRows(); });
    addSetting(m_customMouseControlHoverSwitch, CustomControlsOnHoverKey, Storage::Bool);
    addSetting(m_settings.zoomButtonBehaviorSelector(), D::ZoomButtonBehavior, Storage::Integer,
               [this](QObject*) {
                   const UserDefaults& defaults = m_settings.defaults();
                   m_settings.updateWindowButtonSettingsControlsWithTrigger(
                       defaults.integerForKey(D::Trigger), defaults.integerForKey(D::ZoomButtonBehavior));
               });

    addSetting(m_snapSwitch, D::Snap, Storage::Bool, [this](QObject*) {
        ZRSetSystemTilingDefault(ZRSystemWindowSettings::TilingByEdgeDragKey, !m_snapSwitch->isChecked());
        updateSnapControls();
        updateFeatureFlagsAndTap();
    });
    addSetting(m_snapBackSwitch, D::SnapBack, Storage::Bool, [this](QObject*) {
        updateFeatureFlagsAndTap();
        setShroudAwareEnabled(m_snapBackScopeSelector, m_snapBackSwitch->isChecked());
    });
    addSetting(m_snapBackScopeSelector, D::SnapBackScope, Storage::Integer, flags);
    addSetting(m_snapDelaySlider, D::SnapDelay, Storage::ByEffect,
               [this](QObject* sender) { delayForUserDefaultName(D::SnapDelay, true, false, true, sender); });
    addSetting(m_snapIgnoreBorderingSwitch, D::SnapIgnoreBorderingEdgesAndCorners, Storage::Bool);
    addSetting(m_dropSnapSwitch, D::DropSnap, Storage::Bool, [this](QObject*) {
        ZRSetSystemTilingDefault(ZRSystemWindowSettings::TilingOptionAcceleratorKey,
                                 !m_dropSnapSwitch->isChecked());
        updateDropSnapControls();
        updateFeatureFlagsAndTap();
    });
    addSetting(m_dropSnapModeSelector, D::DropSnapActivation, Storage::Integer, [this](QObject*) {
        updateDropSnapControls();
        updateFeatureFlagsAndTap();
    });

    addSetting(m_lineHeightSlider, LineHeightKey, Storage::ByEffect,
               [this](QObject*) { changeKeyboardMenuLineHeight(); });
    addSetting(m_cheatSheetSwitch, CheatSheetKey, Storage::Bool);
    addSetting(m_keyboardLogoSwitch, HideLogoKey, Storage::InvertedBool);
    addSetting(m_keyboardGridSwitch, KeyboardGridKey, Storage::Bool,
               [this](QObject*) { updateKeyboardGridControls(); });
    addSetting(m_fastTrackSwitch, FastTrackKey, Storage::Bool);
    addSetting(m_keyboardGridStartSelector, GridStartKey, Storage::Integer);
    addSetting(m_dismissAfterMovingSwitch, DismissAfterMovingKey, Storage::Bool);
    addSetting(m_dismissAfterFillingSwitch, DismissAfterFillingKey, Storage::Bool);
    addSetting(m_dismissAfterOtherSwitch, DismissAfterOtherKey, Storage::Bool);

    addSetting(m_hoverSwitch, D::Hover, Storage::Bool, [this](QObject*) {
        updateHoverControls();
        updateFeatureFlagsAndTap();
    });
    const auto hoverKeys = [this](QObject*) {
        if (ZRMouseController* controller = mouseController())
            controller->hover().updateHoverResizeModeSelector();
        updateFeatureFlagsAndTap();
    };
    for (std::size_t i = 0; i < ZRSnapActionSelectors::DropSnapModifiers.size(); ++i) {
        const ModifierFlags modifier = ZRSnapActionSelectors::DropSnapModifiers[i];
        addSetting(m_hoverMoveSwitches[i], D::HoverMove, Storage::ModifierMask, hoverKeys, modifier);
        addSetting(m_hoverResizeSwitches[i], D::HoverResize, Storage::ModifierMask, hoverKeys, modifier);
    }
    addSetting(m_hoverResizeModeSelector, D::HoverResizeCorner, Storage::Integer);

    // The controls with actions of their own.
    for (QComboBox* selector : m_snapSelectors->snapSelectors())
        if (selector)
            connect(selector, &QComboBox::activated, this, [this, selector] { changeSnapAction(selector); });
    for (QComboBox* selector : m_snapSelectors->dropSnapSelectors())
        if (selector)
            connect(selector, &QComboBox::activated, this,
                    [this, selector] { changeDropSnapAction(selector); });
    for (QComboBox* selector : m_keyActionSelectors)
        if (selector)
            connect(selector, &QComboBox::activated, this, [this, selector] { changeKeyAction(selector); });
    for (ZRSuggestionsTextField* field : {m_gapField, m_standardGridColumnsField, m_standardGridRowsField}) {
        if (!field)
            continue;
        field->setSuggestionsProvider(this);
        connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });
    }
    if (m_customizeGridButton)
        connect(m_customizeGridButton, &QPushButton::clicked, this,
                [this] { m_settings.customizeStandardGrid(); });
    if (m_sidebarHotKeyButton)
        connect(m_sidebarHotKeyButton, &QPushButton::clicked, this,
                [this] { changeSidebarHotKeyVisibility(m_sidebarHotKeyButton); });
    if (m_debugLoggingButton)
        connect(m_debugLoggingButton, &QPushButton::clicked, this,
                [this] { toggleDebugLogging(m_debugLoggingButton); });
}

std::vector<QObject*> ZRGeneralSettingsControls::changeSettingSenders() const {
    return m_senders;
}

void ZRGeneralSettingsControls::changeSetting(QObject* sender) {
    const auto found = m_table.find(sender);
    if (found == m_table.end())
        return;
    const Setting& setting = found->second;
    UserDefaults& defaults = m_settings.defaults();
    const QScopedValueRollback changing(m_changingSetting, true);
    if (auto* popUp = qobject_cast<QComboBox*>(sender);
        popUp && !PopUp::isChoosableItem(popUp, popUp->currentIndex())) {
        // A header or separator reached by the keys is no choice: the stored one comes back.
        fillControl(sender, setting);
        return;
    }
    switch (setting.storage) {
    case Storage::Bool:
    case Storage::InvertedBool: {
        const bool on = static_cast<QCheckBox*>(sender)->isChecked();
        defaults.setBool(setting.storage == Storage::Bool ? on : !on, setting.key);
        break;
    }
    case Storage::Integer: {
        auto* popUp = static_cast<QComboBox*>(sender);
        defaults.setInteger(PopUp::tagOfItem(popUp, popUp->currentIndex()), setting.key);
        break;
    }
    case Storage::Double:
        defaults.setDouble(static_cast<ZRSettingsSlider*>(sender)->doubleValue(), setting.key);
        break;
    case Storage::ModifierMask: {
        const auto mask = static_cast<ModifierFlags>(defaults.integerForKey(setting.key));
        const bool on = static_cast<QCheckBox*>(sender)->isChecked();
        defaults.setInteger(static_cast<qint64>(on ? mask | setting.modifier : mask & ~setting.modifier),
                            setting.key);
        break;
    }
    case Storage::ByEffect:
        break;
    }
    if (setting.effect)
        setting.effect(sender);
}

// --- Filling

void ZRGeneralSettingsControls::fillControl(QObject* sender, const Setting& setting) {
    const UserDefaults& defaults = m_settings.defaults();
    switch (setting.storage) {
    case Storage::Bool:
        static_cast<QCheckBox*>(sender)->setChecked(defaults.boolForKey(setting.key));
        return;
    case Storage::InvertedBool:
        static_cast<QCheckBox*>(sender)->setChecked(!defaults.boolForKey(setting.key));
        return;
    case Storage::Integer:
        PopUp::selectItemWithTag(static_cast<QComboBox*>(sender), defaults.integerForKey(setting.key));
        return;
    case Storage::Double:
        static_cast<ZRSettingsSlider*>(sender)->setDoubleValue(defaults.doubleForKey(setting.key));
        return;
    case Storage::ModifierMask:
        static_cast<QCheckBox*>(sender)->setChecked(
            (static_cast<ModifierFlags>(defaults.integerForKey(setting.key)) & setting.modifier) != 0);
        return;
    case Storage::ByEffect:
        break;
    }
    if (sender == m_applicationModeSelector) {
        PopUp::selectItemWithTag(m_applicationModeSelector, defaults.integerForKey(setting.key));
    } else if (sender == m_settings.mouseControlPrioritySelector()) {
        m_settings.updateMouseControlPriorityExplanationField(defaults.boolForKey(setting.key), true);
    } else if (sender == m_highlightSlider) {
        const double focus = defaults.doubleForKey(FocusKey);
        m_highlightSlider->setDoubleValue(focus);
        m_highlightStatus->setText(focus < FocusOffThreshold ? tr("Off") : QString());
    } else if (sender == m_mouseControlSizeSlider) {
        const double size = defaults.doubleForKey(PaletteIconSizeKey);
        m_mouseControlSizeSlider->setDoubleValue(size <= SmallestIconSize          ? SmallestIconSliderValue
                                                 : size < LargeIconSliderThreshold ? SmallIconSliderValue
                                                                                   : size);
    } else if (sender == m_lineHeightSlider) {
        m_lineHeightSlider->setDoubleValue(defaults.doubleForKey(LineHeightKey));
    } else if (sender == m_mouseControlSwitch) {
        m_mouseControlSwitch->setChecked(defaults.boolForKey(D::MouseControls));
    } else if (sender == m_mouseControlDelaySlider || sender == m_snapDelaySlider) {
        delayForUserDefaultName(setting.key, false, true, true, nullptr);
    }
}

void ZRGeneralSettingsControls::fillTextFields() {
    const UserDefaults& defaults = m_settings.defaults();
    if (m_gapField)
        m_gapField->setText(QString::number(std::clamp<qint64>(defaults.integerForKey(GridSpacingGapKey), 1,
                                                               ZRGridGeometry::maximumSpacing())));
    const std::pair<ZRSuggestionsTextField*, QString> gridFields[] = {
        {m_standardGridColumnsField, ZRGridDimensionKey::MouseControlsGridColumns},
        {m_standardGridRowsField, ZRGridDimensionKey::MouseControlsGridRows}};
    for (const auto& [field, key] : gridFields)
        if (field)
            field->setText(QString::number(ZRGridGeometry::sizeOfGridDimension(
                key, nullptr, nullptr, nullptr, nullptr, false, m_settings.defaults())));
}

void ZRGeneralSettingsControls::fillSettingsControls() {
    buildTable();
    for (QObject* sender : m_senders)
        fillControl(sender, m_table.at(sender));
    fillTextFields();
    for (QComboBox* selector : m_keyActionSelectors)
        if (selector)
            initializeKeyActionSelector(selector);
    m_settings.setStandardGridColumnsField(m_standardGridColumnsField);

    const UserDefaults& defaults = m_settings.defaults();
    updateApplicationModeRows(defaults.integerForKey(ApplicationModeKey));
    updateSpacingControls(defaults.boolForKey(GridSpacingKey));
    updateMouseGridControls();
    updateCustomMouseControlRows();
    updateHoverControls();
    updateSnapControls();
    if (m_snapBackScopeSelector)
        setShroudAwareEnabled(m_snapBackScopeSelector, defaults.boolForKey(D::SnapBack));
    updateDropSnapControls();
    updateKeyboardGridControls();
    updateKeyboardControlsShroud();
    updateSidebarHotKeyButton();

    // Mouse control reads its delays through these controls from now on, and shows its state in them.
    if (ZRMouseController* controller = mouseController()) {
        controller->setSettingsControls(this);
        controller->setDelayReader([this](const QString& name) {
            return delayForUserDefaultName(name, false, false, false, nullptr);
        });
        controller->updateMouseControlUserDefaultForSender(nullptr, true, true);
        controller->hover().updateHoverResizeModeSelector();
    } else {
        setMouseControlTriggerSelectorEnabled(defaults.boolForKey(D::MouseControls));
        setMouseControlDelayShrouded(!defaults.boolForKey(D::MouseControls));
    }
    m_appearanceChanged = m_settings.platform().workspace().appearanceChanged.connect([this] {
        for (QComboBox* selector : m_keyActionSelectors)
            if (selector)
                initializeKeyActionSelector(selector);
        updateSnapActionSelectors();
    });
    m_settingsChanged = m_settings.defaults().changed.connect([this](const QString& key) {
        if (QThread::currentThread() == thread())
            settingDidChange(key);
        else
            QMetaObject::invokeMethod(
                this, [this, key] { settingDidChange(key); }, Qt::QueuedConnection);
    });
    m_filled = true;
    updateSnapActionSelectors();
}

void ZRGeneralSettingsControls::settingDidChange(const QString& key) {
    if (m_changingSetting)
        return;
    for (QObject* sender : m_senders) {
        const Setting& setting = m_table.at(sender);
        if (setting.key == key)
            fillControl(sender, setting);
    }
}

// --- ZRMouseControlSettingsControls

void ZRGeneralSettingsControls::setMouseControlSwitchState(bool on) {
    if (m_mouseControlSwitch)
        m_mouseControlSwitch->setChecked(on);
}

void ZRGeneralSettingsControls::setMouseControlTriggerSelectorEnabled(bool enabled) {
    setShroudAwareEnabled(m_mouseControlTriggerSelector, enabled);
}

void ZRGeneralSettingsControls::setMouseControlDelayShrouded(bool shrouded) {
    if (m_mouseControlDelayShroud)
        m_mouseControlDelayShroud->setShrouded(shrouded);
}

void ZRGeneralSettingsControls::setHoverResizeModeSelectorEnabled(bool enabled) {
    setShroudAwareEnabled(m_hoverResizeModeSelector, enabled);
}

// --- Rows that follow their switches

void ZRGeneralSettingsControls::updateMouseGridControls() {
    if (!m_mouseGridSwitch)
        return;
    const bool on = m_settings.defaults().boolForKey(MouseGridKey);
    setShroudAwareEnabled(m_mouseGridModeSelector, on);
    m_customizeGridButton->setVisible(on);
}

void ZRGeneralSettingsControls::updateCustomMouseControlRows() {
    if (m_customMouseControlHoverRow)
        setRowVisible(m_customMouseControlHoverRow, m_settings.defaults().boolForKey(CustomControlsKey));
}

void ZRGeneralSettingsControls::updateHoverControls() {
    if (m_hoverShroud)
        m_hoverShroud->setShrouded(!m_settings.defaults().boolForKey(D::Hover));
}

void ZRGeneralSettingsControls::updateSnapControls() {
    if (m_snapShroud)
        m_snapShroud->setShrouded(!m_settings.defaults().boolForKey(D::Snap));
}

void ZRGeneralSettingsControls::hotKeyDidChange(const QString& identifier) {
    updateFeatureFlagsAndTap();
    if (identifier == QString::fromUtf16(ZRKeyboardControlsHotKeyIdentifier))
        updateKeyboardControlsShroud();
}

void ZRGeneralSettingsControls::updateKeyboardControlsShroud() {
    if (m_keyboardControlsShroud && true)
        m_keyboardControlsShroud->setShrouded(!m_settings.controller().keyboardControlHotKey());
}

void ZRGeneralSettingsControls::updateKeyboardGridControls() {
    if (m_fastTrackRow)
        setRowVisible(m_fastTrackRow, m_settings.defaults().boolForKey(KeyboardGridKey));
}

void ZRGeneralSettingsControls::updateDropSnapControls() {
    if (!m_dropSnapSwitch)
        return;
    const UserDefaults& defaults = m_settings.defaults();
    const bool on = defaults.boolForKey(D::DropSnap);
    const qint64 activation = defaults.integerForKey(D::DropSnapActivation);
    setShroudAwareEnabled(m_dropSnapModeSelector, on);
    m_dropSnapModifierRow->setShrouded(!on);
    setRowVisible(m_dropSnapModifierRow, activation == ZRDropSnapActivationModifierKeys);
    m_dropSnapExplanation->setText(dropSnapExplanation(activation));
}

QString ZRGeneralSettingsControls::dropSnapExplanation(qint64 activation) {
    if (activation == ZRDropSnapActivationHotKeyModifiers)
        return tr("While dragging a window, hold any layout's hot key modifiers to activate its drop zones.");
    if (activation == ZRDropSnapActivationHotKey)
        return tr("While dragging a window, enter any layout's hot key to activate its drop zones.");
    return tr("While dragging a window, hold a modifier key to activate the corresponding drop zones.");
}

void ZRGeneralSettingsControls::updateSpacingControls(bool on) {
    if (!m_spacingEdgeSwitch)
        return;
    const UserDefaults& defaults = m_settings.defaults();
    if (defaults.hasValue(ApplyToEdgesGapsKey) && defaults.boolForKey(ApplyToEdgesGapsAlwaysKey)) {
        // The edges always take their own gaps: the switch shows that and cannot change it.
        setShroudAwareEnabled(m_spacingEdgeSwitch, false);
        m_spacingEdgeSwitch->setChecked(true);
        setRowVisible(m_spacingEdgeRow, true);
    } else {
        setShroudAwareEnabled(m_spacingEdgeSwitch, true);
        m_spacingEdgeSwitch->setChecked(defaults.boolForKey(ApplyToEdgesKey));
        setRowVisible(m_spacingEdgeRow, on);
    }
    m_gapField->setEnabled(on);
    refitGeneralSettings();
}

void ZRGeneralSettingsControls::updateApplicationModeRows(qint64 mode) {
    if (!m_temporaryDockRow)
        return;
    setRowVisible(m_temporaryDockRow, isApplicationModeWithoutTaskbarEntry(mode));
    setRowVisible(m_facelessExplanation, mode == static_cast<qint64>(ZRApplicationMode::Faceless));
}

void ZRGeneralSettingsControls::updateSidebarHotKeyButton() {
    if (!m_sidebarHotKeyButton)
        return;
    const qint64 priority = m_settings.defaults().integerForKey(SidebarHotKeyPriorityKey);
    m_sidebarHotKeyButton->setText(priority == MostSidebarHotKeyPriority ? tr("Always")
                                   : priority == 0                       ? tr("In a wide window")
                                                                         : tr("Never"));
}

void ZRGeneralSettingsControls::refitGeneralSettings() {
    QWidget* view = m_generalSettingsView;
    if (!view)
        return;
    view->setGeometry(frameByAdjustingHeightToFitSubviewsOfView(
        view, view, ZRSettingsController::GeneralSettingsBottomMargin));
    if (ZRGeneralSettingsPopover* popover = m_settings.generalSettingsPopover();
        popover && popover->isShown())
        showGeneralSettingsAgain();
}

void ZRGeneralSettingsControls::showGeneralSettingsAgain() {
    m_settings.showGeneralSettings();
}

// --- Effects of the table

void ZRGeneralSettingsControls::changeApplicationMode(QComboBox* selector) {
    UserDefaults& defaults = m_settings.defaults();
    const qint64 mode = PopUp::tagOfItem(selector, selector->currentIndex());
    if (mode == defaults.integerForKey(ApplicationModeKey))
        return;
    defaults.setInteger(mode, ApplicationModeKey);
    const bool accessory =
        isApplicationModeWithoutTaskbarEntry(mode) && !defaults.boolForKey(TemporaryDockIconKey);
    ZRSetAccessoryApplicationMode(
        accessory, true, nullptr,
        [self = QPointer<ZRGeneralSettingsControls>(this)] {
            if (self)
                self->showGeneralSettingsAgain();
        },
        m_settings.mainRunLoop());
    m_settings.controller().updateStatusItem();
    updateApplicationModeRows(mode);
    refitGeneralSettings();
}

void ZRGeneralSettingsControls::changeTemporaryDockIcon(bool) {
    ZRSetAccessoryApplicationMode(
        ZRApplicationModeWantsAccessory(m_settings.defaults()), true, nullptr,
        [self = QPointer<ZRGeneralSettingsControls>(this)] {
            if (self)
                self->showGeneralSettingsAgain();
        },
        m_settings.mainRunLoop());
}

void ZRGeneralSettingsControls::changeFocus() {
    double focus = m_highlightSlider->doubleValue();
    if (focus < FocusOffThreshold) {
        focus = 0;
        m_highlightSlider->setDoubleValue(0);
        m_highlightStatus->setText(tr("Off"));
    } else {
        m_highlightStatus->setText(QString());
    }
    m_settings.defaults().setDouble(focus, FocusKey);
    ZRFocusWindow& focusWindow = m_settings.context().focusWindow();
    if (focusWindow.isActive()) {
        focusWindow.setNeedsDisplay();
        return;
    }
    if (focus < FocusOffThreshold || !m_settings.preferencesWindow())
        return;
    focusWindow.setDropFrameValues({}, cocoaRectFromQtRect(m_settings.preferencesWindow()->frameGeometry()),
                                   Rect());
    focusWindow.activateTemporarily(FocusDemoDuration);
}

void ZRGeneralSettingsControls::showFocusOutlineDemo() {
    if (!m_settings.preferencesWindow())
        return;
    ZRFocusWindow& focusWindow = m_settings.context().focusWindow();
    focusWindow.setDropFrameValues({}, Rect(),
                                   cocoaRectFromQtRect(m_settings.preferencesWindow()->frameGeometry()));
    focusWindow.setDisplayRegardless(true);
    focusWindow.setNeedsDisplay();
    focusWindow.activateTemporarily(FocusDemoDuration);
}

bool ZRGeneralSettingsControls::isChangingPaletteIconSize() const {
    return m_settings.paletteEditor().isChangingPaletteIconSize();
}

double ZRGeneralSettingsControls::paletteIconSizeForSliderValue(double sliderValue,
                                                                double* movedSliderValue) {
    double size = sliderValue;
    double moved = sliderValue;
    if (sliderValue < SmallIconSliderValue) {
        size = SmallestIconSize;
        moved = SmallestIconSliderValue;
    } else if (sliderValue < LargeIconSliderThreshold) {
        size = SmallIconSize;
        moved = SmallIconSliderValue;
    }
    if (movedSliderValue)
        *movedSliderValue = moved;
    return size;
}

void ZRGeneralSettingsControls::changePaletteIconSize() {
    double moved = 0;
    const double size = paletteIconSizeForSliderValue(m_mouseControlSizeSlider->doubleValue(), &moved);
    m_mouseControlSizeSlider->setDoubleValue(moved);
    UserDefaults& defaults = m_settings.defaults();
    ZRMouseControlPaletteWindows* windows = paletteWindows();
    const qint64 stored = std::llround(size);
    if (windows && windows->hasPaletteWindow() && stored == defaults.integerForKey(PaletteIconSizeKey))
        return;
    // The palette shows as a preview while the flag is set, and must never be left in that mode.
    struct ChangingIconSize {
        ZRPaletteEditor& editor;
        explicit ChangingIconSize(ZRPaletteEditor& editor) : editor(editor) {
            editor.setChangingPaletteIconSize(true);
        }
        ~ChangingIconSize() { editor.setChangingPaletteIconSize(false); }
    } changing(m_settings.paletteEditor());
    defaults.setInteger(stored, PaletteIconSizeKey);
    if (ZRMouseController* controller = mouseController(); windows && controller) {
        ZRMouseControlPalette& palette = controller->palette();
        windows->cancelPendingOverlayHides();
        palette.hideOverlayRegardless();
        palette.processTappedMouseMovedEvent(nullptr);
        windows->hideOverlayAfterDelay();
    }
    m_settings.updatePaletteItemWells();
}

void ZRGeneralSettingsControls::changeKeyboardMenuLineHeight() {
    UserDefaults& defaults = m_settings.defaults();
    const double lineHeight = m_lineHeightSlider->doubleValue();
    auto* menu = true ? m_settings.controller().area<ZRMouseControlKeyboardMenu>() : nullptr;
    if (std::abs(lineHeight - defaults.doubleForKey(LineHeightKey)) < LineHeightTolerance && menu &&
        menu->isVisible())
        return;
    defaults.setDouble(lineHeight, LineHeightKey);
    // The popover stays while the menu shows over it.
    if (ZRGeneralSettingsPopover* popover = m_settings.generalSettingsPopover())
        popover->setBehavior(ZRGeneralSettingsPopover::Behavior::ApplicationDefined);
    if (auto* presenter = true ? m_settings.controller().area<ZRKeyboardMenuPresenter>() : nullptr)
        presenter->popUpKeyboardMenuForControl(nullptr, nullptr, nullptr, std::nullopt, nullptr, false);
    m_endKeyboardMenuDemo =
        m_settings.mainRunLoop().performLater(KeyboardMenuDemoDuration, [this] { endKeyboardMenuDemo(); });
}

void ZRGeneralSettingsControls::endKeyboardMenuDemo() {
    m_endKeyboardMenuDemo.cancel();
    if (auto* menu = true ? m_settings.controller().area<ZRMouseControlKeyboardMenu>() : nullptr)
        menu->vanishAndClose();
    if (m_settings.defaults().boolForKey(ObtrusiveGeneralSettingsKey))
        return;
    if (ZRGeneralSettingsPopover* popover = m_settings.generalSettingsPopover())
        popover->setBehavior(ZRGeneralSettingsPopover::Behavior::Transient);
}

// --- The delay rule

QString ZRGeneralSettingsControls::delayDescription(double seconds) {
    QString text = QString::number(seconds, 'f', 1);
    if (text.endsWith(QStringLiteral(".0")))
        text.chop(2);
    if (text == QStringLiteral("0") || text == QStringLiteral("-0"))
        return tr("None");
    return seconds <= 1 || text == QStringLiteral("1") ? tr("%1 second").arg(text)
                                                       : tr("%1 seconds").arg(text);
}

double ZRGeneralSettingsControls::delayForUserDefaultName(const QString& userDefaultName,
                                                          bool updateUserDefault, bool updateSlider,
                                                          bool updateDescription, QObject* sender) {
    const bool snap = userDefaultName == D::SnapDelay;
    ZRSettingsSlider* slider = snap ? m_snapDelaySlider : m_mouseControlDelaySlider;
    QLabel* description = snap ? m_snapDelayField : m_mouseControlDelayField;
    const double preferred = snap ? PreferredSnapDelay : PreferredMouseControlsDelay;
    UserDefaults& defaults = m_settings.defaults();

    double value = preferred;
    if (auto* source = qobject_cast<ZRSettingsSlider*>(sender))
        value = source->doubleValue();
    else if (const auto stored = defaults.optionalDouble(userDefaultName))
        value = *stored;
    // A broken setting must never become a timer's interval.
    if (!std::isfinite(value) || value < 0)
        value = preferred;

    if (updateSlider) {
        if (slider)
            slider->setDoubleValue(value);
    } else {
        const double minimum = slider ? slider->minValue() : 0;
        bool moveSlider = true;
        if (value < minimum + DelayMinimumSnap)
            value = minimum;
        else if (std::abs(value - preferred) <= DelayPreferredSnap + std::numeric_limits<float>::epsilon())
            value = preferred;
        else
            moveSlider = false;
        if (moveSlider && slider)
            slider->setDoubleValue(value);
    }
    if (updateUserDefault)
        defaults.setDouble(value, userDefaultName);
    if (updateDescription && description)
        description->setText(delayDescription(value));
    return value;
}

// --- Pop-ups with actions of their own

void ZRGeneralSettingsControls::changeSnapAction(QComboBox* sender) {
    if (m_snapSelectors->changeSnapAction(sender))
        updateFeatureFlagsAndTap();
}

void ZRGeneralSettingsControls::changeDropSnapAction(QComboBox* sender) {
    if (m_snapSelectors->changeDropSnapAction(sender))
        updateFeatureFlagsAndTap();
}

void ZRGeneralSettingsControls::changeKeyAction(QComboBox* sender) {
    const std::optional<QString> key = userDefaultNameForKeyActionSelector(sender);
    if (!key)
        return;
    if (!PopUp::isChoosableItem(sender, sender->currentIndex())) {
        PopUp::selectItemWithTag(sender, m_settings.defaults().integerForKey(*key));
        return;
    }
    m_settings.defaults().setInteger(PopUp::tagOfItem(sender, sender->currentIndex()), *key);
    updateFeatureFlagsAndTap();
}

void ZRGeneralSettingsControls::initializeKeyActionSelector(QComboBox* selector) {
    const QColor color = selector->palette().color(QPalette::Text);
    for (int index = 0; index < selector->count(); ++index) {
        const qint64 tag = PopUp::tagOfItem(selector, index);
        if (tag <= 0)
            continue;
        const auto type = static_cast<ZRActionType>(tag);
        selector->setItemIcon(
            index, QPixmap::fromImage(tintedImage(
                       ZRActionDummy::genericMenuTemplateIconForActionType(type, nullptr, nullptr), color)));
        QString suffix;
        if (tag == ZRActionTypeMoveConfined)
            suffix = EmDash + tr("Confine to Display");
        else if (tag == ZRActionTypeCenterGeometrically)
            suffix = EmDash + tr("Actual Display Center");
        if (!suffix.isEmpty() && !selector->itemText(index).endsWith(suffix))
            selector->setItemText(index, selector->itemText(index) + suffix);
    }
    if (const std::optional<QString> key = userDefaultNameForKeyActionSelector(selector))
        PopUp::selectItemWithTag(selector, m_settings.defaults().integerForKey(*key));
}

void ZRGeneralSettingsControls::updateSnapActionSelectorsSoon() {
    m_updateSnapActionSelectors =
        m_settings.mainRunLoop().performLater(0, [this] { updateSnapActionSelectors(); });
}

void ZRGeneralSettingsControls::updateSnapActionSelectors() {
    m_updateSnapActionSelectors.cancel();
    QWidget* window = m_settings.preferencesWindow();
    const QColor iconColor =
        window ? window->palette().color(QPalette::Text) : QApplication::palette().color(QPalette::Text);
    m_snapSelectors->updateSnapActionSelectors(m_settings.loadedStore(), iconColor);
    fitSnapSelectors();
}

ModifierFlags ZRGeneralSettingsControls::modifierFlagForHoverSwitch(const QObject* control) const {
    const auto& modifiers = ZRSnapActionSelectors::DropSnapModifiers;
    for (std::size_t i = 0; i < modifiers.size(); ++i)
        if (control && (m_hoverMoveSwitches[i] == control || m_hoverResizeSwitches[i] == control))
            return modifiers[i];
    return 0;
}

ModifierFlags ZRGeneralSettingsControls::modifierFlagForDropZoneActionSelector(const QObject* control) const {
    return m_snapSelectors->modifierFlagForDropZoneActionSelector(control);
}

std::int64_t ZRGeneralSettingsControls::positionForSnapActionSelector(const QObject* control) const {
    return m_snapSelectors->positionForSnapActionSelector(control);
}

QString ZRGeneralSettingsControls::userDefaultNameForSnapPosition(std::int64_t position) {
    return ZRSnapActionSelectors::userDefaultNameForSnapPosition(position);
}

std::optional<QString>
ZRGeneralSettingsControls::userDefaultNameForKeyActionSelector(const QObject* control) const {
    for (std::size_t i = 0; i < m_keyActionSelectors.size(); ++i)
        if (control && m_keyActionSelectors[i] == control)
            return ZRKeyboardControlKeyMap::userDefaultNames()[i];
    return std::nullopt;
}

// --- Buttons

void ZRGeneralSettingsControls::changeSidebarHotKeyVisibility(QObject*) {
    UserDefaults& defaults = m_settings.defaults();
    const qint64 priority = defaults.integerForKey(SidebarHotKeyPriorityKey);
    defaults.setInteger(priority < MostSidebarHotKeyPriority ? priority + 1 : -1, SidebarHotKeyPriorityKey);
    updateSidebarHotKeyButton();
    if (ZRSourceList* sidebar = m_settings.sourceList())
        sidebar->viewport()->update();
}

void ZRGeneralSettingsControls::toggleDebugLogging(QObject* sender) {
    if (ZRDisplayDebugLog(sender))
        return;
    UserDefaults& defaults = m_settings.defaults();
    defaults.setBool(!defaults.boolForKey(DebugLogKey), DebugLogKey);
}

// --- Text fields

qint64 ZRGeneralSettingsControls::clampedIntegerFromText(const QString& text, qint64 minimum,
                                                         qint64 maximum) {
    const QString trimmed = text.trimmed();
    qsizetype index = 0;
    bool negative = false;
    if (index < trimmed.size() && (trimmed[index] == u'-' || trimmed[index] == u'+'))
        negative = trimmed[index++] == u'-';
    qint64 value = 0;
    bool digits = false;
    for (; index < trimmed.size() && trimmed[index].isDigit(); ++index) {
        const int digit = trimmed[index].digitValue();
        if (digit < 0)
            break;
        digits = true;
        // Past the maximum nothing more can change the answer; stopping there also keeps it from wrapping.
        if (value > (maximum - digit) / 10) {
            value = maximum;
            break;
        }
        value = value * 10 + digit;
    }
    if (!digits || negative)
        return minimum;
    return std::clamp(value, minimum, maximum);
}

QVariantList ZRGeneralSettingsControls::suggestionsForTextField(ZRSuggestionsTextField* field) {
    if (field && field == m_gapField) {
        QVariantList rows{QString::fromUtf16(ZRTextFieldSuggestionsSectionSuggested)};
        for (int gap = 1; gap <= LargestSingleDigitGap; ++gap)
            rows.append(QString::number(gap));
        for (const int gap : SuggestedGaps)
            rows.append(QString::number(gap));
        return rows;
    }
    return ZRGridGeometry::gridDimensionSuggestions(m_settings.defaults());
}

void ZRGeneralSettingsControls::controlTextDidChange(ZRSuggestionsTextField* field) {
    QString key;
    qint64 minimum = 1;
    qint64 maximum = 1;
    if (field == m_gapField) {
        key = GridSpacingGapKey;
        maximum = ZRGridGeometry::maximumSpacing();
    } else if (field == m_standardGridColumnsField || field == m_standardGridRowsField) {
        key = field == m_standardGridColumnsField ? ZRGridDimensionKey::MouseControlsGridColumns
                                                  : ZRGridDimensionKey::MouseControlsGridRows;
        minimum = ZRGridGeometry::minimumGridDimensionSize();
        maximum = ZRGridGeometry::maximumGridDimensionSize(m_settings.defaults());
    } else {
        return;
    }
    const qint64 value = clampedIntegerFromText(field->text(), minimum, maximum);
    m_settings.defaults().setInteger(value, key);
    m_fieldCorrections.erase(field);
    if (field->text() != QString::number(value))
        scheduleFieldCorrection(field, value);
    if (field == m_gapField)
        return;
    // A grid action that follows the standard grid shows the new dimensions.
    if (const ZRActionManager* store = m_settings.loadedStore())
        if (const auto focus = store->focusAction(); focus && focus->actionType() == ZRActionTypeUseGrid &&
                                                     focus->gridDimensionsDictionary().isEmpty())
            m_settings.updateConfigurationView();
}

void ZRGeneralSettingsControls::scheduleFieldCorrection(ZRSuggestionsTextField* field, qint64 stored) {
    m_fieldCorrections[field] = m_settings.mainRunLoop().performLater(
        FieldCorrectionDelay, [field = QPointer<ZRSuggestionsTextField>(field), stored] {
            if (field)
                field->setText(QString::number(stored));
        });
}

// --- The palette's windows and the modifier keys

void ZRGeneralSettingsControls::modifierFlagsDidChange(const Notification& note) {
    ZRMouseControlPaletteWindows* windows = paletteWindows();
    if (!windows || (!windows->hasPaletteWindow() && !windows->hasZoomButtonOverlayWindow()))
        return;
    ModifierFlags flags = 0;
    if (const auto* wrapper = std::any_cast<std::shared_ptr<ZRCGEventWrapper>>(&note.object);
        wrapper && *wrapper && (*wrapper)->event())
        flags = (*wrapper)->event()->flags;
    const bool held = (flags & PaletteHoldKeys) != 0;
    const UserDefaults& defaults = m_settings.defaults();
    if (windows->hasPaletteWindow()) {
        if (windows->isPaletteWindowVisible())
            windows->invalidatePaletteWindowShadowSoon();
        if (defaults.integerForKey(D::ZoomButtonBehavior) != 0) {
            windows->orderPaletteWindow(!held);
            windows->orderZoomButtonOverlayWindow(!held);
            return;
        }
        if (ZRCanManageSystemZoomButtonMenuOption()) {
            if (ZRPaletteTriggerIsNonDefault() == held) {
                if (!defaults.boolForKey(ZRSystemWindowSettings::DisabledTemporarilyUserDefaultName))
                    windows->orderPaletteWindow(false);
            } else if (!defaults.boolForKey(AppleImmutableKey)) {
                windows->orderPaletteWindow(true);
            }
        }
    }
    if (windows->hasZoomButtonOverlayWindow())
        windows->orderZoomButtonOverlayWindow(!held);
}
