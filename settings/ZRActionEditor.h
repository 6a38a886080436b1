#pragma once

#include "hotkeys/ZRHotKeyDelegate.h"
#include "platform/foundation/RunLoop.h"
#include "settings/ZRPositionViewDelegate.h"
#include "toolkit/StringExtensions.h"
#include "toolkit/ZRSuggestionsTextField.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <memory>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class ZRAction;
class ZRActionConfigurationView;
class ZRActionSnapshotPreviewView;
class ZRConfigurationGrid;
class ZRHotKeyTextView;
class ZRPositionView;
class ZRScreenBackgroundView;
class ZRSettingsController;

// The editor pane of one custom action: a header with the action's icon, name and hot key, and the one
// section of controls that fits its type. Each control edits the action at once (the grid and the resize
// fields through the action's undo history). Sections that do not fit the type are kept aside, so that a
// later change of type can show them. The pane owns its editor; the editor holds the action weakly, so a
// late refill or a field's change after the action left does nothing. Main thread only.
class ZRActionEditor : public QObject,
                       public ZRPositionViewDelegate,
                       public ZRTextFieldSuggestionsProvider,
                       public ZRHotKeyDelegate,
                       public std::enable_shared_from_this<ZRActionEditor> {
    Q_OBJECT
public:
    // The name of the interface that builds a pane.
    static inline const QString InterfaceName = QStringLiteral("Custom");
    // Sections sit this far below the pane's top edge, compact ones closer.
    static constexpr int SectionTop = 69;
    static constexpr int CompactSectionTop = 48;
    // A change of a grid field shows in the grid after this pause.
    static constexpr double GridDimensionReflectionDelay = 0.5;
    // The display-count pop-up offers at most this many counts.
    static constexpr std::int64_t MaximumDisplayCountItems = 64;

    static inline const QString DisableIndividualGridDimensionsKey =
        QStringLiteral("Disable Individual Configuration Grid Dimensions");
    static inline const QString IgnoreScreenFramesKey =
        QStringLiteral("Auto-Trigger Snapshots Ignoring Screen Frames");
    static inline const QString MaximumDisplayCountKey = QStringLiteral("Maximum Auto-Trigger Display Count");

    ZRActionEditor(const std::shared_ptr<ZRAction>& action, ZRSettingsController& settings);
    ~ZRActionEditor() override;

    // Makes every action's pane through its editor, built by the "Custom" interface; uninstall undoes it.
    static void install(ZRSettingsController& settings);
    static void uninstall(ZRSettingsController& settings);
    // The editor of the action's pane, when it has one.
    static ZRActionEditor* editorForAction(ZRAction& action);

    std::shared_ptr<ZRAction> action() const { return m_action.lock(); }

    // --- The pane

    // Made on first use; null when the interface cannot be built (logged, with a beep).
    ZRActionConfigurationView* configurationView();
    // Fills the pane from the action; with update, the grid's dimensions too; with tile, the collection
    // view places it again.
    void updateConfigurationViewWithUpdatedGridDimensions(bool updateGridDimensions, bool tileCollectionView);
    void updateConfigurationView() { updateConfigurationViewWithUpdatedGridDimensions(true, false); }
    void reflectConfigurationGridDimensionChange() {
        updateConfigurationViewWithUpdatedGridDimensions(false, true);
    }
    // Takes the section out of the pane and keeps it.
    void inactivateConfigurationSubview(QWidget* section);
    // The pane goes, with the kept sections and the action's undo history.
    void destroyConfigurationView();
    // The section shown, none for types without one.
    QWidget* activeSection() const { return m_activeSection; }

    // --- What the controls do

    void changeSetting(QObject* sender);
    void positionViewDidChangePosition(ZRPositionView* picker) override;
    // A text field's text changed by the user.
    void controlTextDidChange(QLineEdit* field);
    QVariantList suggestionsForTextField(ZRSuggestionsTextField* field) override;
    void updateActionGridSyncSwitch();
    void absorbActionGridDimensionsChange();

    // --- Hot-key delegate: the action's answers, while it is there

    std::vector<std::shared_ptr<ZRHotKey>> hotKeys() const override;
    std::uint32_t hotKeySignature() const override;
    QString identifierForHotKeyTextView(const ZRHotKeyTextView* textView) const override;
    bool shouldSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) override;
    std::optional<bool> hotKeyCanBeLocal(const ZRHotKey& hotKey) override;
    std::optional<bool>
    acceptNonUniqueHotKey(const ZRHotKey& hotKey,
                          const std::vector<std::shared_ptr<ZRHotKey>>& existingEquals) override;
    void didSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) override;

    // --- Outlets

    QLabel* headerField() const { return m_headerField; }
    QWidget* headerSeparator() const { return m_headerSeparator; }
    ZRHotKeyTextView* hotKeyTextView() const { return m_hotKeyTextView; }
    QCheckBox* chainSwitch() const { return m_chainSwitch; }
    QComboBox* chainModeSelector() const { return m_chainModeSelector; }
    ZRConfigurationGrid* grid() const { return m_grid; }
    QLineEdit* configurationGridColumnsField() const { return m_configurationGridColumnsField; }
    QLineEdit* configurationGridRowsField() const { return m_configurationGridRowsField; }
    QLineEdit* actionGridRowsField() const { return m_actionGridRowsField; }
    QCheckBox* actionGridSyncSwitch() const { return m_actionGridSyncSwitch; }
    QPushButton* actionGridCustomizeButton() const { return m_actionGridCustomizeButton; }
    QComboBox* centerModeSelector() const { return m_centerModeSelector; }
    ZRPositionView* moveDirectionSelector() const { return m_moveDirectionSelector; }
    QLineEdit* moveDeltaField() const { return m_moveDeltaField; }
    ZRPositionView* moveToOtherDisplayDirectionSelector() const {
        return m_moveToOtherDisplayDirectionSelector;
    }
    QCheckBox* moveToOtherDisplayResizeSwitch() const { return m_moveToOtherDisplayResizeSwitch; }
    QCheckBox* moveToOtherDisplayLoopSwitch() const { return m_moveToOtherDisplayLoopSwitch; }
    QLineEdit* resizeWidthField() const { return m_resizeWidthField; }
    QLineEdit* resizeHeightField() const { return m_resizeHeightField; }
    QLineEdit* growDeltaField() const { return m_growDeltaField; }
    QComboBox* snapshotMatchingSelector() const { return m_snapshotMatchingSelector; }
    ZRActionSnapshotPreviewView* snapshotPreviewView() const { return m_snapshotPreviewView; }
    QPushButton* snapshotSaveButton() const { return m_snapshotSaveButton; }
    QCheckBox* snapshotDisplayAutoTriggerSwitch() const { return m_snapshotDisplayAutoTriggerSwitch; }
    QComboBox* snapshotDisplayAutoTriggerDisplayCountSelector() const {
        return m_snapshotDisplayAutoTriggerDisplayCountSelector;
    }
    QCheckBox* activatesApplicationsSwitch() const { return m_activatesApplicationsSwitch; }
    QCheckBox* hidesOtherApplicationsSwitch() const { return m_hidesOtherApplicationsSwitch; }

private:
    // Builds the pane and its sections into the outlets (the "Custom" interface).
    bool buildInterface();
    void fillLayoutSection(ZRAction& action, QString& header);
    void fillDisplayCountSelector(const ZRAction& action);
    void fillGridSection(ZRAction& action, bool updateGridDimensions);
    void fillUseGridSection(ZRAction& action, bool updateGridDimensions);
    // The grid's fields into the action's grid dimensions (or the settings', when actions have none).
    void takeConfigurationGridDimensions(ZRAction& action);
    // The grid's selection, as one undoable change.
    void changeGridSetting(ZRAction& action);
    // The sections in the order they are looked at, each with the type it is for.
    std::vector<std::pair<QWidget*, std::int64_t>> sections() const;
    bool isCompactSection(const QWidget* section) const;
    void placeSection(QWidget* section);
    void reflectVisualChange() const;
    void stopRenamingAction(const ZRAction& action) const;
    ZRSettingsController* settings() const { return &m_settings; }
    // The length a delta or resize field reads, normalised in place; zero for "=" in a resize field.
    std::pair<std::int64_t, ZRMeasurementUnit> takeLength(QLineEdit* field, bool isResizeField);
    static void selectItemWithTag(QComboBox* selector, std::int64_t tag);

    ZRSettingsController& m_settings;
    std::weak_ptr<ZRAction> m_action;
    std::vector<QPointer<QWidget>> m_inactiveConfigurationSubviews;
    QPointer<ZRActionConfigurationView> m_configurationView;
    QPointer<QWidget> m_activeSection;

    QLabel* m_headerField = nullptr;
    QWidget* m_headerSeparator = nullptr;
    ZRHotKeyTextView* m_hotKeyTextView = nullptr;
    QCheckBox* m_chainSwitch = nullptr;
    QComboBox* m_chainModeSelector = nullptr;
    ZRConfigurationGrid* m_grid = nullptr;
    QLineEdit* m_configurationGridColumnsField = nullptr;
    QLineEdit* m_configurationGridRowsField = nullptr;
    QLineEdit* m_actionGridColumnsField = nullptr;
    QLineEdit* m_actionGridRowsField = nullptr;
    QCheckBox* m_actionGridSyncSwitch = nullptr;
    QPushButton* m_actionGridCustomizeButton = nullptr;
    QComboBox* m_centerModeSelector = nullptr;
    ZRPositionView* m_moveDirectionSelector = nullptr;
    QLineEdit* m_moveDeltaField = nullptr;
    QCheckBox* m_moveConfinedToDisplaySwitch = nullptr;
    ZRPositionView* m_moveToEdgeOrCornerPositionSelector = nullptr;
    ZRPositionView* m_moveToOtherDisplayDirectionSelector = nullptr;
    QCheckBox* m_moveToOtherDisplayResizeSwitch = nullptr;
    QCheckBox* m_moveToOtherDisplayLoopSwitch = nullptr;
    ZRPositionView* m_resizeAnchorPositionSelector = nullptr;
    QLineEdit* m_resizeWidthField = nullptr;
    QLineEdit* m_resizeHeightField = nullptr;
    ZRPositionView* m_growDirectionSelector = nullptr;
    QLineEdit* m_growDeltaField = nullptr;
    ZRPositionView* m_shrinkDirectionSelector = nullptr;
    QLineEdit* m_shrinkDeltaField = nullptr;
    QComboBox* m_snapshotMatchingSelector = nullptr;
    QCheckBox* m_snapshotAdaptsSwitch = nullptr;
    ZRActionSnapshotPreviewView* m_snapshotPreviewView = nullptr;
    QPushButton* m_snapshotSaveButton = nullptr;
    QCheckBox* m_snapshotWakeAutoTriggerSwitch = nullptr;
    QCheckBox* m_snapshotDisplayAutoTriggerSwitch = nullptr;
    QComboBox* m_snapshotDisplayAutoTriggerDisplayCountSelector = nullptr;
    QCheckBox* m_ignoreObstructedWindowsSwitch = nullptr;
    QCheckBox* m_activatesApplicationsSwitch = nullptr;
    QCheckBox* m_hidesOtherApplicationsSwitch = nullptr;
    // The sections whose first control is not a direct child (the grid's, inside a miniature screen).
    QWidget* m_gridSection = nullptr;
    QWidget* m_useGridSection = nullptr;
    QWidget* m_layoutSection = nullptr;
    PendingPerform m_reflectGridDimensions;
};
