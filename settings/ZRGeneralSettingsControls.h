#pragma once

#include "mouse-control/ZRMouseControlSettingsControls.h"
#include "platform/Keys.h"
#include "platform/Signal.h"
#include "platform/foundation/RunLoop.h"
#include "settings/ZRSettingsTabIdentifier.h"
#include "toolkit/ZRSuggestionsTextField.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

class QComboBox;
class QLabel;
class QPushButton;
class ZRMouseControlPaletteWindows;
class ZRMouseController;
class ZRSettingsController;
class ZRSettingsSlider;
class ZRSettingsSwitch;
class ZRShroudView;
class ZRSnapActionSelectors;
struct Notification;

// The controls of the settings panes (the palette's, hover, snap, keyboard) and of the general settings
// popover, which write the settings the rest of the program reads. Most of them share one action,
// changeSetting, which knows its sender by pointer from one table built from the outlets: the setting,
// how it is stored, and what else changes at once (mouse control's features and event tap, the desktop's
// own tiling, the rows each control shows or hides, the demos of the focus outline and the keyboard
// menu). The pop-ups of snap positions, drop-snap keys and key controls, and the text fields, have actions
// of their own. The controls are filled from the settings at launch, before the action store loads; the
// pop-ups that offer actions wait for it. Main thread only.
class ZRGeneralSettingsControls : public QObject,
                                  public ZRMouseControlSettingsControls,
                                  public ZRTextFieldSuggestionsProvider {
    Q_OBJECT
public:
    // The demos of the focus outline and of the keyboard menu's line height last this long.
    static constexpr double FocusDemoDuration = 1.0;
    static constexpr double KeyboardMenuDemoDuration = 1.0;
    // A field whose text is not the number it stored shows that number after this pause.
    static constexpr double FieldCorrectionDelay = 2.0;
    // Below this the focus is off; a delay this close to the slider's minimum is the minimum.
    static constexpr double FocusOffThreshold = 0.05;
    static constexpr double DelayMinimumSnap = 0.05;
    // A delay this close to its preferred value takes that value.
    static constexpr double DelayPreferredSnap = 0.1;
    static constexpr double PreferredSnapDelay = 0.2;
    static constexpr double PreferredMouseControlsDelay = 0.1;
    // The line height stays while the menu shows and a change is smaller than this.
    static constexpr double LineHeightTolerance = 0.1;
    // Palette icon sizes: the small end of the slider stands for these sizes.
    static constexpr double SmallestIconSliderValue = 10;
    static constexpr double SmallIconSliderValue = 15;
    static constexpr double LargeIconSliderThreshold = 20;
    static constexpr double SmallestIconSize = 18;
    static constexpr double SmallIconSize = 19;
    // "Sidebar Hot Key Priority" above which the cycle starts again.
    static constexpr qint64 MostSidebarHotKeyPriority = 1;

    explicit ZRGeneralSettingsControls(ZRSettingsController& settings);
    ~ZRGeneralSettingsControls() override;

    // --- Placing, while the settings window builds its panes; each answers the bottom of what it placed.

    // Above the window-button controls of the palette's pane: the palette switch, trigger and delay.
    int placePaletteControlsAbove(QWidget* document, int top, int margin, int width);
    // Below them: icon size, grid, window activation and custom actions.
    int placePaletteControlsBelow(QWidget* document, int top, int margin, int width);
    // The hover, snap and keyboard panes; nothing (top) for another tab.
    int placeControlsInPane(const ZRSettingsTabIdentifier& tab, QWidget* document, int top, int margin,
                            int width);
    int placeGeneralSettings(QWidget* view, int top, int margin, int width);

    // Fills every control from the settings and acts on them: mouse control's features and tap, the rows
    // each control shows, the shrouds. The pop-ups of actions wait for the action store.
    void fillSettingsControls();

    // --- Actions

    // The table: the sender's setting and what it changes besides; any other sender changes nothing.
    void changeSetting(QObject* sender);
    void changeSnapAction(QComboBox* sender);
    void changeDropSnapAction(QComboBox* sender);
    void changeKeyAction(QComboBox* sender);
    // Icons and titles of a key-control pop-up, and its stored choice.
    void initializeKeyActionSelector(QComboBox* selector);
    void updateSnapActionSelectorsSoon();
    void updateSnapActionSelectors();
    void updateDropSnapControls();
    void updateSpacingControls(bool on);
    // A hot key was set or cleared: mouse control's features and tap follow, and the options of the keyboard
    // controls, which mean nothing while no hot key opens them, are shrouded meanwhile.
    void hotKeyDidChange(const QString& identifier);
    void updateKeyboardControlsShroud();
    // The delay of "Snap Delay" or "Mouse Controls Delay" in seconds, by the delay rule: the sender's value
    // (or the stored one), kept to the slider's minimum and the preferred delay, stored and described as
    // asked. Mouse control reads delays through it with NO, NO, NO and no sender.
    double delayForUserDefaultName(const QString& userDefaultName, bool updateUserDefault, bool updateSlider,
                                   bool updateDescription, QObject* sender);
    void showFocusOutlineDemo();
    void endKeyboardMenuDemo();
    void changeSidebarHotKeyVisibility(QObject* sender);
    void toggleDebugLogging(QObject* sender);
    QVariantList suggestionsForTextField(ZRSuggestionsTextField* field) override;
    void controlTextDidChange(ZRSuggestionsTextField* field);
    void modifierFlagsDidChange(const Notification& note);

    ModifierFlags modifierFlagForHoverSwitch(const QObject* control) const;
    ModifierFlags modifierFlagForDropZoneActionSelector(const QObject* control) const;
    std::int64_t positionForSnapActionSelector(const QObject* control) const;
    static QString userDefaultNameForSnapPosition(std::int64_t position);
    std::optional<QString> userDefaultNameForKeyActionSelector(const QObject* control) const;
    // Set while the palette icon size changes: the palette shows as a preview then. The palette reads it from
    // the palette editor's layout.
    bool isChangingPaletteIconSize() const;

    // --- The rules, on their own

    // What the drop-snap activation asks of the user.
    static QString dropSnapExplanation(qint64 activation);
    // The description of a delay: "None", "%1 second" or "%1 seconds", one decimal at most.
    static QString delayDescription(double seconds);
    // The width at which a pop-up shows its first count items whole, as it would size itself for them.
    static int popUpWidthShowingItems(QComboBox* popUp, int count);
    // The stored icon size of a slider value, and where the slider goes for it.
    static double paletteIconSizeForSliderValue(double sliderValue, double* movedSliderValue);
    // The integer a field's text stands for, within the range: text that does not begin with a number, or
    // a negative one, gives the minimum; one too large for any integer, the maximum.
    static qint64 clampedIntegerFromText(const QString& text, qint64 minimum, qint64 maximum);

    // --- ZRMouseControlSettingsControls

    void setMouseControlSwitchState(bool on) override;
    void setMouseControlTriggerSelectorEnabled(bool enabled) override;
    void setMouseControlDelayShrouded(bool shrouded) override;
    void setHoverResizeModeSelectorEnabled(bool enabled) override;

    // --- What the controls reach (tests replace them)

    // Recomputes mouse control's features and tap; by default the mouse-control area's, when there is one.
    void setFeatureFlagsUpdater(std::function<void()> updater) { m_featureFlagsUpdater = std::move(updater); }
    // The palette's windows; by default the mouse-control area's palette when it has them.
    void setPaletteWindows(ZRMouseControlPaletteWindows* windows) { m_paletteWindows = windows; }

    // --- Outlets

    ZRSettingsSwitch* stealthModeSwitch() const { return m_stealthModeSwitch; }
    QComboBox* applicationModeSelector() const { return m_applicationModeSelector; }
    ZRSettingsSwitch* temporaryDockSwitch() const { return m_temporaryDockSwitch; }
    QWidget* temporaryDockRow() const { return m_temporaryDockRow; }
    QWidget* facelessExplanationView() const { return m_facelessExplanation; }
    ZRSettingsSlider* highlightSlider() const { return m_highlightSlider; }
    QLabel* highlightStatusField() const { return m_highlightStatus; }
    QComboBox* outlineStyleSelector() const { return m_outlineStyleSelector; }
    ZRSettingsSwitch* outlineAnimateSwitch() const { return m_outlineAnimateSwitch; }
    ZRSettingsSwitch* animateSwitch() const { return m_animateSwitch; }
    ZRSettingsSwitch* spacingSwitch() const { return m_spacingSwitch; }
    ZRSettingsSwitch* spacingEdgeSwitch() const { return m_spacingEdgeSwitch; }
    QWidget* spacingEdgeRow() const { return m_spacingEdgeRow; }
    ZRSuggestionsTextField* spacingGapField() const { return m_gapField; }
    ZRSuggestionsTextField* standardGridColumnsField() const { return m_standardGridColumnsField; }
    ZRSuggestionsTextField* standardGridRowsField() const { return m_standardGridRowsField; }
    ZRSettingsSwitch* allowForStageManagerSwitch() const { return m_allowForStageManagerSwitch; }
    ZRSettingsSwitch* allowForDrawersSwitch() const { return m_allowForDrawersSwitch; }
    QPushButton* sidebarHotKeyVisibilityButton() const { return m_sidebarHotKeyButton; }
    QPushButton* debugLoggingButton() const { return m_debugLoggingButton; }

    ZRSettingsSwitch* mouseControlSwitch() const { return m_mouseControlSwitch; }
    QComboBox* mouseControlTriggerSelector() const { return m_mouseControlTriggerSelector; }
    ZRSettingsSlider* mouseControlDelaySlider() const { return m_mouseControlDelaySlider; }
    QLabel* mouseControlDelayField() const { return m_mouseControlDelayField; }
    ZRShroudView* mouseControlDelayShroud() const { return m_mouseControlDelayShroud; }
    ZRSettingsSlider* mouseControlSizeSlider() const { return m_mouseControlSizeSlider; }
    ZRSettingsSwitch* mouseGridSwitch() const { return m_mouseGridSwitch; }
    QComboBox* mouseGridModeSelector() const { return m_mouseGridModeSelector; }
    QPushButton* customizeGridButton() const { return m_customizeGridButton; }
    ZRSettingsSwitch* autoActivateSwitch() const { return m_autoActivateSwitch; }
    ZRSettingsSwitch* customMouseControlSwitch() const { return m_customMouseControlSwitch; }
    ZRSettingsSwitch* customMouseControlHoverSwitch() const { return m_customMouseControlHoverSwitch; }
    QWidget* customMouseControlHoverRow() const { return m_customMouseControlHoverRow; }

    ZRSettingsSwitch* hoverSwitch() const { return m_hoverSwitch; }
    ZRShroudView* hoverShroud() const { return m_hoverShroud; }
    // The hover keys of moving (resize false) or resizing, one per modifier of ZRSnapActionSelectors'
    // order: Shift, Fn, Control, Option, Command.
    ZRSettingsSwitch* hoverSwitchForModifier(bool resize, ModifierFlags modifier) const;
    QComboBox* hoverResizeModeSelector() const { return m_hoverResizeModeSelector; }

    ZRSettingsSwitch* snapSwitch() const { return m_snapSwitch; }
    ZRShroudView* snapShroud() const { return m_snapShroud; }
    ZRSettingsSwitch* snapBackSwitch() const { return m_snapBackSwitch; }
    QComboBox* snapBackScopeSelector() const { return m_snapBackScopeSelector; }
    ZRSettingsSlider* snapDelaySlider() const { return m_snapDelaySlider; }
    QLabel* snapDelayField() const { return m_snapDelayField; }
    ZRSettingsSwitch* snapIgnoreBorderingEdgesAndCornersSwitch() const { return m_snapIgnoreBorderingSwitch; }
    ZRSettingsSwitch* dropSnapSwitch() const { return m_dropSnapSwitch; }
    QComboBox* dropSnapModeSelector() const { return m_dropSnapModeSelector; }
    ZRSnapActionSelectors& snapActionSelectors() const { return *m_snapSelectors; }

    ZRSettingsSlider* keyboardMenuLineHeightSlider() const { return m_lineHeightSlider; }
    ZRSettingsSwitch* cheatSheetSwitch() const { return m_cheatSheetSwitch; }
    ZRShroudView* keyboardControlsShroud() const { return m_keyboardControlsShroud; }
    ZRSettingsSwitch* keyboardLogoSwitch() const { return m_keyboardLogoSwitch; }
    ZRSettingsSwitch* keyboardGridSwitch() const { return m_keyboardGridSwitch; }
    ZRSettingsSwitch* keyboardGridFastTrackSwitch() const { return m_fastTrackSwitch; }
    QWidget* keyboardGridFastTrackRow() const { return m_fastTrackRow; }
    QComboBox* keyboardGridStartSelector() const { return m_keyboardGridStartSelector; }
    ZRSettingsSwitch* dismissAfterMovingSwitch() const { return m_dismissAfterMovingSwitch; }
    ZRSettingsSwitch* dismissAfterFillingSwitch() const { return m_dismissAfterFillingSwitch; }
    ZRSettingsSwitch* dismissAfterOtherSwitch() const { return m_dismissAfterOtherSwitch; }
    QComboBox* arrowKeyActionSelector() const { return m_keyActionSelectors[0]; }
    QComboBox* commandArrowKeyActionSelector() const { return m_keyActionSelectors[1]; }
    QComboBox* optionArrowKeyActionSelector() const { return m_keyActionSelectors[2]; }
    QComboBox* controlArrowKeyActionSelector() const { return m_keyActionSelectors[3]; }
    QComboBox* returnKeyActionSelector() const { return m_keyActionSelectors[4]; }
    QComboBox* spaceKeyActionSelector() const { return m_keyActionSelectors[5]; }
    QComboBox* tabKeyActionSelector() const { return m_keyActionSelectors[6]; }
    QComboBox* escapeKeyActionSelector() const { return m_keyActionSelectors[7]; }

    // Every control of the table, for going through all of them.
    std::vector<QObject*> changeSettingSenders() const;

private:
    // What a sender of changeSetting stores and what else it changes.
    enum class Storage { Bool, InvertedBool, Integer, Double, ModifierMask, ByEffect };
    struct Setting {
        QString key;
        Storage storage = Storage::Bool;
        ModifierFlags modifier = 0;
        std::function<void(QObject* sender)> effect;
    };

    void buildTable();
    void addSetting(QObject* sender, const QString& key, Storage storage,
                    std::function<void(QObject*)> effect = {}, ModifierFlags modifier = 0);
    void connectSender(QObject* sender);
    void fillControl(QObject* sender, const Setting& setting);
    // A setting changed elsewhere (the help's links, the popover, another window): its controls show it.
    void settingDidChange(const QString& key);
    void fillTextFields();
    // The snap pop-ups' widths, once their choices have their titles and icons.
    void fitSnapSelectors();

    void updateFeatureFlagsAndTap();
    ZRMouseController* mouseController() const;
    ZRMouseControlPaletteWindows* paletteWindows() const;

    // The extra effects of the table.
    void changeApplicationMode(QComboBox* selector);
    void changeTemporaryDockIcon(bool on);
    void changeFocus();
    void changePaletteIconSize();
    void changeKeyboardMenuLineHeight();
    void updateMouseGridControls();
    void updateCustomMouseControlRows();
    void updateHoverControls();
    void updateSnapControls();
    void updateKeyboardGridControls();
    void updateApplicationModeRows(qint64 mode);
    void updateSidebarHotKeyButton();
    // The general settings fit their rows again, and the popover their new size when it shows.
    void refitGeneralSettings();
    void showGeneralSettingsAgain();
    void scheduleFieldCorrection(ZRSuggestionsTextField* field, qint64 stored);

    ZRSettingsController& m_settings;
    std::unordered_map<const QObject*, Setting> m_table;
    std::vector<QObject*> m_senders;
    std::unique_ptr<ZRSnapActionSelectors> m_snapSelectors;
    std::function<void()> m_featureFlagsUpdater;
    ZRMouseControlPaletteWindows* m_paletteWindows = nullptr;
    bool m_filled = false;
    bool m_placed = false;
    bool m_builtTable = false;
    Connection m_modifierFlagsChanged;
    Connection m_actionsChanged;
    Connection m_appearanceChanged;
    Connection m_settingsChanged;
    // While a control stores its own change, which it already shows.
    bool m_changingSetting = false;

    // General settings.
    QPointer<QWidget> m_generalSettingsView;
    ZRSettingsSwitch* m_stealthModeSwitch = nullptr;
    QComboBox* m_applicationModeSelector = nullptr;
    ZRSettingsSwitch* m_temporaryDockSwitch = nullptr;
    QWidget* m_temporaryDockRow = nullptr;
    QWidget* m_facelessExplanation = nullptr;
    ZRSettingsSlider* m_highlightSlider = nullptr;
    QLabel* m_highlightStatus = nullptr;
    QComboBox* m_outlineStyleSelector = nullptr;
    ZRSettingsSwitch* m_outlineAnimateSwitch = nullptr;
    ZRSettingsSwitch* m_animateSwitch = nullptr;
    ZRSettingsSwitch* m_spacingSwitch = nullptr;
    ZRSettingsSwitch* m_spacingEdgeSwitch = nullptr;
    QWidget* m_spacingEdgeRow = nullptr;
    ZRSuggestionsTextField* m_gapField = nullptr;
    ZRSuggestionsTextField* m_standardGridColumnsField = nullptr;
    ZRSuggestionsTextField* m_standardGridRowsField = nullptr;
    ZRSettingsSwitch* m_allowForStageManagerSwitch = nullptr;
    ZRSettingsSwitch* m_allowForDrawersSwitch = nullptr;
    QPushButton* m_sidebarHotKeyButton = nullptr;
    QPushButton* m_debugLoggingButton = nullptr;

    // The palette's pane.
    ZRSettingsSwitch* m_mouseControlSwitch = nullptr;
    QComboBox* m_mouseControlTriggerSelector = nullptr;
    ZRShroudView* m_mouseControlDelayShroud = nullptr;
    ZRSettingsSlider* m_mouseControlDelaySlider = nullptr;
    QLabel* m_mouseControlDelayField = nullptr;
    ZRSettingsSlider* m_mouseControlSizeSlider = nullptr;
    ZRSettingsSwitch* m_mouseGridSwitch = nullptr;
    QComboBox* m_mouseGridModeSelector = nullptr;
    QPushButton* m_customizeGridButton = nullptr;
    ZRSettingsSwitch* m_autoActivateSwitch = nullptr;
    ZRSettingsSwitch* m_customMouseControlSwitch = nullptr;
    ZRSettingsSwitch* m_customMouseControlHoverSwitch = nullptr;
    QWidget* m_customMouseControlHoverRow = nullptr;

    // Hover.
    ZRSettingsSwitch* m_hoverSwitch = nullptr;
    ZRShroudView* m_hoverShroud = nullptr;
    std::array<ZRSettingsSwitch*, 5> m_hoverMoveSwitches{};
    std::array<ZRSettingsSwitch*, 5> m_hoverResizeSwitches{};
    QComboBox* m_hoverResizeModeSelector = nullptr;

    // Snap.
    ZRSettingsSwitch* m_snapSwitch = nullptr;
    ZRShroudView* m_snapShroud = nullptr;
    ZRSettingsSlider* m_snapDelaySlider = nullptr;
    QLabel* m_snapDelayField = nullptr;
    ZRSettingsSwitch* m_snapIgnoreBorderingSwitch = nullptr;
    ZRSettingsSwitch* m_snapBackSwitch = nullptr;
    QComboBox* m_snapBackScopeSelector = nullptr;
    ZRSettingsSwitch* m_dropSnapSwitch = nullptr;
    QComboBox* m_dropSnapModeSelector = nullptr;
    QLabel* m_dropSnapExplanation = nullptr;
    ZRShroudView* m_dropSnapModifierRow = nullptr;

    // Keyboard.
    ZRSettingsSlider* m_lineHeightSlider = nullptr;
    ZRSettingsSwitch* m_cheatSheetSwitch = nullptr;
    ZRShroudView* m_keyboardControlsShroud = nullptr;
    ZRSettingsSwitch* m_keyboardLogoSwitch = nullptr;
    ZRSettingsSwitch* m_keyboardGridSwitch = nullptr;
    ZRSettingsSwitch* m_fastTrackSwitch = nullptr;
    QWidget* m_fastTrackRow = nullptr;
    QComboBox* m_keyboardGridStartSelector = nullptr;
    ZRSettingsSwitch* m_dismissAfterMovingSwitch = nullptr;
    ZRSettingsSwitch* m_dismissAfterFillingSwitch = nullptr;
    ZRSettingsSwitch* m_dismissAfterOtherSwitch = nullptr;
    std::array<QComboBox*, 8> m_keyActionSelectors{};
    PendingPerform m_endKeyboardMenuDemo;
    PendingPerform m_updateSnapActionSelectors;
    // A field's text put back to what was stored, a moment after the user typed something out of range.
    std::unordered_map<const ZRSuggestionsTextField*, PendingPerform> m_fieldCorrections;
};
