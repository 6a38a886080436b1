#include "settings/ZRActionEditor.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyContainerView.h"
#include "hotkeys/ZRHotKeyTextView.h"
#include "keyboard-control/ZRConfigurationGrid.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRActionConfigurationView.h"
#include "settings/ZRConfigurationCollectionView.h"
#include "settings/ZRPositionView.h"
#include "settings/ZRSettingsController.h"
#include "settings/ZRSidebarController.h"
#include "shell/ZRMainController.h"
#include "toolkit/InterfaceLoader.h"
#include "toolkit/ZRLog.h"
#include "window-access/GridGeometry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <set>

namespace {

// The zero symbol of resize dimensions: a dimension of 0 keeps the window's own.
const QString KeepSymbol = QStringLiteral("=");
constexpr std::int64_t MaximumPercent = 100;

const QStringList BaseSuggestions = {QString::fromUtf16(ZRTextFieldSuggestionsSectionSuggested),
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

} // namespace

ZRActionEditor::ZRActionEditor(const std::shared_ptr<ZRAction>& action, ZRSettingsController& settings)
    : m_settings(settings), m_action(action) {}

ZRActionEditor::~ZRActionEditor() {
    // Sections kept aside have no parent to take them along.
    for (const QPointer<QWidget>& section : m_inactiveConfigurationSubviews)
        if (section && !section->parent())
            delete section.data();
}

void ZRActionEditor::install(ZRSettingsController& settings) {
    registerInterfaceBuilder(InterfaceName, [](QObject* owner) {
        auto* editor = qobject_cast<ZRActionEditor*>(owner);
        return editor && editor->buildInterface();
    });
    settings.store().context().configurationViewFactory = [&settings](ZRAction& action) -> QWidget* {
        const auto editor = std::make_shared<ZRActionEditor>(action.shared_from_this(), settings);
        return editor->configurationView();
    };
}

void ZRActionEditor::uninstall(ZRSettingsController& settings) {
    settings.store().context().configurationViewFactory = nullptr;
}

ZRActionEditor* ZRActionEditor::editorForAction(ZRAction& action) {
    auto* pane = qobject_cast<ZRActionConfigurationView*>(action.configurationView());
    return pane ? pane->editor() : nullptr;
}

void ZRActionEditor::reflectVisualChange() const {
    // The pane's header draws the action's icon too, which a grid or a picker has just changed.
    if (m_configurationView)
        m_configurationView->update();
    if (ZRSettingsController* controller = settings())
        controller->reflectVisualActionChange();
}

void ZRActionEditor::stopRenamingAction(const ZRAction& action) const {
    if (ZRSettingsController* controller = settings())
        controller->sidebar().stopRenamingAction(action);
}

// --- The pane

ZRActionConfigurationView* ZRActionEditor::configurationView() {
    if (m_configurationView)
        return m_configurationView;
    const auto action = m_action.lock();
    if (!action)
        return nullptr;
    if (!vintageStyleLoadNibNamed(InterfaceName, this) || !m_configurationView) {
        ZRLog("cannot load <Custom.nib>");
        m_settings.beep();
        return nullptr;
    }
    ZRActionConfigurationView* pane = m_configurationView;
    QWidget* collection = m_settings.loadedStore() ? m_settings.loadedStore()->collectionView() : nullptr;
    pane->setGeometry(pane->x(), pane->y(), collection ? collection->width() : 0, pane->height());
    pane->setAction(action);
    pane->setEditor(shared_from_this());
    pane->setMoveSortFrame(QRect());
    m_hotKeyTextView->setHotKeyDelegate(this);
    m_hotKeyTextView->setHotKey(action->hotKey());
    updateConfigurationViewWithUpdatedGridDimensions(true, false);
    return pane;
}

void ZRActionEditor::inactivateConfigurationSubview(QWidget* section) {
    if (!section || !section->parentWidget())
        return;
    if (std::find(m_inactiveConfigurationSubviews.begin(), m_inactiveConfigurationSubviews.end(), section) ==
        m_inactiveConfigurationSubviews.end())
        m_inactiveConfigurationSubviews.push_back(section);
    section->hide();
    section->setParent(nullptr);
}

void ZRActionEditor::destroyConfigurationView() {
    m_reflectGridDimensions.cancel();
    // The action lets go of the pane and its undo history; the pane, and this editor with it, go later.
    if (const auto action = m_action.lock())
        action->destroyConfigurationView();
    else if (m_configurationView)
        m_configurationView->deleteLater();
}

std::vector<std::pair<QWidget*, std::int64_t>> ZRActionEditor::sections() const {
    const auto sectionOf = [](QWidget* control) { return control ? control->parentWidget() : nullptr; };
    return {
        {m_gridSection, ZRActionTypeMoveAndResize},
        {sectionOf(m_centerModeSelector), ZRActionTypeCenter},
        {sectionOf(m_moveDirectionSelector), ZRActionTypeMove},
        {sectionOf(m_moveToEdgeOrCornerPositionSelector), ZRActionTypeMoveToEdgeOrCorner},
        {sectionOf(m_moveToOtherDisplayDirectionSelector), ZRActionTypeMoveToOtherDisplay},
        {sectionOf(m_resizeAnchorPositionSelector), ZRActionTypeResize},
        {sectionOf(m_growDirectionSelector), ZRActionTypeGrow},
        {sectionOf(m_shrinkDirectionSelector), ZRActionTypeShrink},
        {m_layoutSection, ZRActionTypeLayout},
        {sectionOf(m_chainSwitch), ZRActionTypeFolder},
        {m_useGridSection, ZRActionTypeUseGrid},
    };
}

bool ZRActionEditor::isCompactSection(const QWidget* section) const {
    return section && (section == m_gridSection || section == m_layoutSection ||
                       section == m_moveToEdgeOrCornerPositionSelector->parentWidget());
}

void ZRActionEditor::selectItemWithTag(QComboBox* selector, std::int64_t tag) {
    selector->setCurrentIndex(selector->findData(qint64(tag)));
}

void ZRActionEditor::updateConfigurationViewWithUpdatedGridDimensions(bool updateGridDimensions, bool tile) {
    const auto action = m_action.lock();
    ZRActionConfigurationView* pane = action ? configurationView() : nullptr;
    if (!pane)
        return;
    QString header = action->defaultNameWithSuffixes(nullptr, false);
    const ZRActionType type = action->actionType();
    if (type < 1) {
        m_hotKeyTextView->containerView()->hide();
        if (action->hotKey()) {
            action->setHotKey(nullptr);
            m_hotKeyTextView->setHotKey(nullptr);
        }
    } else {
        m_hotKeyTextView->containerView()->show();
    }

    QWidget* active = nullptr;
    for (const auto& [section, sectionType] : sections()) {
        if (!section)
            continue;
        if (sectionType != type) {
            inactivateConfigurationSubview(section);
            continue;
        }
        active = section;
        switch (type) {
        case ZRActionTypeMoveAndResize:
            fillGridSection(*action, updateGridDimensions);
            break;
        case ZRActionTypeCenter:
            selectItemWithTag(m_centerModeSelector, action->centerMode());
            break;
        case ZRActionTypeMove:
            m_moveDirectionSelector->setPosition(action->moveDirection());
            m_moveDeltaField->setText(
                stringWithLength(action->moveDelta(), {}, action->moveDeltaUnit(), false));
            m_moveConfinedToDisplaySwitch->setChecked(action->confinedToDisplay());
            break;
        case ZRActionTypeMoveToEdgeOrCorner:
            m_moveToEdgeOrCornerPositionSelector->setPosition(action->moveToEdgeOrCornerPosition());
            break;
        case ZRActionTypeMoveToOtherDisplay:
            m_moveToOtherDisplayDirectionSelector->setPosition(action->moveDirection());
            m_moveToOtherDisplayResizeSwitch->setChecked(action->moveToOtherDisplayResize());
            m_moveToOtherDisplayLoopSwitch->setChecked(action->moveToOtherDisplayLoop());
            break;
        case ZRActionTypeResize:
            m_resizeAnchorPositionSelector->setPosition(action->resizeAnchorPosition());
            m_resizeWidthField->setText(stringWithLength(qint64(action->resizeSize().width), KeepSymbol,
                                                         action->resizeWidthUnit(), false));
            m_resizeHeightField->setText(stringWithLength(qint64(action->resizeSize().height), KeepSymbol,
                                                          action->resizeHeightUnit(), false));
            break;
        case ZRActionTypeGrow:
            m_growDirectionSelector->setPosition(action->moveDirection());
            m_growDeltaField->setText(
                stringWithLength(action->moveDelta(), {}, action->moveDeltaUnit(), false));
            break;
        case ZRActionTypeShrink:
            m_shrinkDirectionSelector->setPosition(action->moveDirection());
            m_shrinkDeltaField->setText(
                stringWithLength(action->moveDelta(), {}, action->moveDeltaUnit(), false));
            break;
        case ZRActionTypeLayout:
            fillLayoutSection(*action, header);
            break;
        case ZRActionTypeFolder:
            m_chainSwitch->setChecked(action->chain());
            selectItemWithTag(m_chainModeSelector, action->chainMode());
            m_chainModeSelector->parentWidget()->setVisible(action->chain());
            break;
        case ZRActionTypeUseGrid:
            fillUseGridSection(*action, updateGridDimensions);
            break;
        default:
            break;
        }
    }
    if (type == ZRActionTypeFolder && action->chain() && m_settings.loadedStore()) {
        QStringList names;
        for (const auto& member : m_settings.loadedStore()->chainedActionsForAction(*action)) {
            const QString name = member->displayNameWithSuffixes();
            if (names.isEmpty() || names.back() != name)
                names.append(name);
        }
        if (!names.isEmpty())
            header = QStringLiteral("%1: %2").arg(header, names.join(spacedMidDotSring()));
    }

    m_activeSection = active;
    m_headerSeparator->setVisible(active && !isCompactSection(active));
    if (active)
        placeSection(active);
    m_headerField->setText(header);
    pane->updateFrame();
    action->uncacheIcon();
    pane->update();
    if (tile) {
        if (auto* collection = pane->collectionView()) {
            collection->tileConfigurationViewsIncludingMovingViews(true, true);
            collection->scrollRectToVisible(pane->geometry());
        }
    }
}

void ZRActionEditor::placeSection(QWidget* section) {
    ZRActionConfigurationView* pane = m_configurationView;
    const int top = isCompactSection(section) ? CompactSectionTop : SectionTop;
    const QRect frame((pane->width() - section->width()) / 2, top, section->width(), section->height());
    if (section->geometry() != frame)
        section->setGeometry(frame);
    if (section->parentWidget() != pane) {
        section->setParent(pane);
        std::erase(m_inactiveConfigurationSubviews, section);
    }
    section->show();
}

// --- What the controls do

void ZRActionEditor::changeSetting(QObject* sender) {
    const auto action = m_action.lock();
    if (!action || !sender)
        return;
    stopRenamingAction(*action);
    ZRSettingsController* controller = settings();
    const auto checked = [sender] { return static_cast<QAbstractButton*>(sender)->isChecked(); };
    const auto selectedTag = [sender] { return static_cast<QComboBox*>(sender)->currentData().toLongLong(); };
    if (sender == m_grid) {
        changeGridSetting(*action);
    } else if (sender == m_centerModeSelector) {
        action->setCenterMode(ZRCenterMode(selectedTag()));
        action->uncacheIcon();
    } else if (sender == m_moveConfinedToDisplaySwitch) {
        action->setConfinedToDisplay(checked());
    } else if (sender == m_moveToOtherDisplayResizeSwitch) {
        action->setMoveToOtherDisplayResize(checked());
    } else if (sender == m_moveToOtherDisplayLoopSwitch) {
        action->setMoveToOtherDisplayLoop(checked());
    } else if (sender == m_snapshotWakeAutoTriggerSwitch) {
        action->setSnapshotWakeAutoTriggerEnabled(checked());
    } else if (sender == m_activatesApplicationsSwitch) {
        action->setActivatesApplications(checked());
    } else if (sender == m_hidesOtherApplicationsSwitch) {
        action->setHidesOtherApplications(checked());
    } else if (sender == m_snapshotDisplayAutoTriggerSwitch) {
        action->setSnapshotDisplayAutoTriggerEnabled(checked());
        m_snapshotDisplayAutoTriggerDisplayCountSelector->setEnabled(checked());
        m_snapshotWakeAutoTriggerSwitch->setEnabled(checked());
        action->uncacheIcon();
    } else if (sender == m_snapshotDisplayAutoTriggerDisplayCountSelector) {
        if (selectedTag() >= 1)
            action->setSnapshotAutoDisplayCount(selectedTag());
        action->uncacheIcon();
    } else if (sender == m_ignoreObstructedWindowsSwitch) {
        action->setApplyToObstructedWindows(!checked());
        updateConfigurationView();
        if (controller)
            controller->updateSnapActionSelectorsSoon();
    } else if (sender == m_snapshotMatchingSelector) {
        const std::int64_t tag = selectedTag();
        if (tag >= 0) {
            action->setSnapshotGeneric(tag % 10 == 1);
            action->setSnapshotGenericProximity(tag / 100);
            action->setSnapshotAppliesToActiveDisplay(tag % 100 >= 10 && tag % 100 <= 19);
        }
        updateConfigurationView();
    } else if (sender == m_snapshotAdaptsSwitch) {
        action->setSnapshotAdapts(!action->snapshotAdapts());
        updateConfigurationView();
    } else if (sender == m_chainSwitch) {
        action->setChain(checked());
        updateConfigurationView();
        if (controller)
            controller->updateSnapActionSelectorsSoon();
    } else if (sender == m_chainModeSelector) {
        action->setChainMode(ZRChainMode(selectedTag()));
    } else if (sender == m_actionGridSyncSwitch) {
        if (checked()) {
            action->setGridDimensionsDictionary({});
            updateConfigurationView();
        } else {
            absorbActionGridDimensionsChange();
            updateActionGridSyncSwitch();
        }
    } else if (sender == m_actionGridCustomizeButton) {
        if (controller)
            controller->customizeStandardGrid();
    }
    reflectVisualChange();
}

void ZRActionEditor::positionViewDidChangePosition(ZRPositionView* picker) {
    const auto action = m_action.lock();
    if (!action || !picker)
        return;
    stopRenamingAction(*action);
    switch (action->actionType()) {
    case ZRActionTypeMove:
    case ZRActionTypeMoveToOtherDisplay:
    case ZRActionTypeGrow:
    case ZRActionTypeShrink:
        action->setMoveDirection(picker->position());
        break;
    case ZRActionTypeMoveToEdgeOrCorner:
        action->setMoveToEdgeOrCornerPosition(picker->position());
        break;
    case ZRActionTypeResize:
        action->setResizeAnchorPosition(picker->position());
        break;
    default:
        return;
    }
    action->uncacheIcon();
    reflectVisualChange();
}

std::pair<std::int64_t, ZRMeasurementUnit> ZRActionEditor::takeLength(QLineEdit* field, bool isResizeField) {
    std::int64_t value = integerValue(field->text());
    if (value >= 1) {
        ZRMeasurementUnit unit = ZRMeasurementUnit::Points;
        if (trimmedString(field->text()).endsWith(QLatin1Char('%'))) {
            unit = ZRMeasurementUnit::Percent;
            value = std::min(value, MaximumPercent);
        }
        const QString normalised =
            stringWithLength(value, isResizeField ? KeepSymbol : QString(), unit, false);
        if (field->text() != normalised)
            field->setText(normalised);
        return {value, unit};
    }
    if (isResizeField) {
        field->setText(KeepSymbol);
        field->selectAll();
        return {0, ZRMeasurementUnit::Points};
    }
    field->setText(QStringLiteral("1"));
    return {1, ZRMeasurementUnit::Points};
}

void ZRActionEditor::controlTextDidChange(QLineEdit* field) {
    const auto action = m_action.lock();
    if (!action || !field)
        return;
    if (field == m_actionGridColumnsField || field == m_actionGridRowsField) {
        absorbActionGridDimensionsChange();
        updateActionGridSyncSwitch();
        return;
    }
    if (field == m_configurationGridColumnsField || field == m_configurationGridRowsField) {
        takeConfigurationGridDimensions(*action);
        m_reflectGridDimensions = m_settings.mainRunLoop().performLater(
            GridDimensionReflectionDelay, [this] { reflectConfigurationGridDimensionChange(); });
        return;
    }
    const bool isDelta =
        field == m_moveDeltaField || field == m_growDeltaField || field == m_shrinkDeltaField;
    const bool isWidth = field == m_resizeWidthField, isHeight = field == m_resizeHeightField;
    if (!isDelta && !isWidth && !isHeight)
        return;
    const auto [value, unit] = takeLength(field, !isDelta);
    if (isDelta) {
        action->setMoveDelta(value);
        action->setMoveDeltaUnit(unit);
        field->update();
        return;
    }
    action->applyStateChange(
        [&, value = value, unit = unit] {
            Size size = action->resizeSize();
            if (isWidth) {
                action->setResizeWidthUnit(unit);
                size.width = double(value);
            } else {
                action->setResizeHeightUnit(unit);
                size.height = double(value);
            }
            action->setResizeSize(size);
        },
        true);
}

QVariantList ZRActionEditor::suggestionsForTextField(ZRSuggestionsTextField* field) {
    if (field && (field == m_configurationGridColumnsField || field == m_configurationGridRowsField))
        return ZRGridGeometry::gridDimensionSuggestions(m_settings.defaults());
    QVariantList base;
    for (const QString& row : BaseSuggestions)
        base.append(row);
    const auto action = m_action.lock();
    const ZRActionManager* store = m_settings.loadedStore();
    if (!action || !store)
        return base;
    const bool isMove = action->actionType() == ZRActionTypeMove;
    QStringList inUse;
    for (const auto& other : store->allActions()) {
        const ZRActionType type = other->actionType();
        const bool counts =
            isMove ? type == ZRActionTypeMove : type == ZRActionTypeGrow || type == ZRActionTypeShrink;
        if (!counts || other == action)
            continue;
        const QString delta = stringWithLength(other->moveDelta(), {}, other->moveDeltaUnit(), false);
        if (!inUse.contains(delta))
            inUse.append(delta);
    }
    if (std::all_of(inUse.begin(), inUse.end(),
                    [](const QString& delta) { return BaseSuggestions.contains(delta); }))
        return base;
    std::stable_sort(inUse.begin(), inUse.end(),
                     [](const QString& a, const QString& b) { return compareIntegerValue(a, b) < 0; });
    QVariantList answer{QString::fromUtf16(ZRTextFieldSuggestionsSectionCurrentlyUsed)};
    for (const QString& delta : inUse)
        answer.append(delta);
    answer.append(QString());
    answer.append(base);
    return answer;
}

// --- Hot-key delegate

std::vector<std::shared_ptr<ZRHotKey>> ZRActionEditor::hotKeys() const {
    const auto action = m_action.lock();
    return action ? action->hotKeys() : std::vector<std::shared_ptr<ZRHotKey>>();
}

std::uint32_t ZRActionEditor::hotKeySignature() const {
    return ZRHotKeySignature;
}

QString ZRActionEditor::identifierForHotKeyTextView(const ZRHotKeyTextView* textView) const {
    const auto action = m_action.lock();
    return action ? action->identifierForHotKeyTextView(textView) : QString();
}

bool ZRActionEditor::shouldSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) {
    const auto action = m_action.lock();
    return action && action->shouldSetHotKey(hotKey, identifier);
}

std::optional<bool> ZRActionEditor::hotKeyCanBeLocal(const ZRHotKey& hotKey) {
    const auto action = m_action.lock();
    return action ? action->hotKeyCanBeLocal(hotKey) : std::nullopt;
}

std::optional<bool>
ZRActionEditor::acceptNonUniqueHotKey(const ZRHotKey& hotKey,
                                      const std::vector<std::shared_ptr<ZRHotKey>>& existingEquals) {
    const auto action = m_action.lock();
    return action ? action->acceptNonUniqueHotKey(hotKey, existingEquals) : std::nullopt;
}

void ZRActionEditor::didSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) {
    if (const auto action = m_action.lock())
        action->didSetHotKey(hotKey, identifier);
    if (ZRSettingsController* controller = settings())
        controller->hotKeyDidChange(identifier);
}
