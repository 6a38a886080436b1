// The action editor's grids: the move-and-resize action's grid with its own dimensions, and the dimensions of
// the grid a "use grid" action opens.

#include "settings/ZRActionEditor.h"
#include "settings/ZRSettingsController.h"

#include "actions/ZRAction.h"
#include "keyboard-control/ZRConfigurationGrid.h"
#include "keyboard-control/ZROverlayGrid.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRGridDimensionFields.h"
#include "settings/ZRScreenBackgroundView.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr double BrightnessReduction = 0.2;
// The grid's margin inside its miniature screen, and the room above its dimension fields.
constexpr int GridInset = 10;
constexpr int FieldsGap = 10;

bool individualGridDimensionsDisabled(const UserDefaults& defaults) {
    return defaults.boolForKey(ZRActionEditor::DisableIndividualGridDimensionsKey);
}

} // namespace

void ZRActionEditor::fillGridSection(ZRAction& action, bool updateGridDimensions) {
    const bool disabled = individualGridDimensionsDisabled(m_settings.defaults());
    const QVariantMap dimensions = disabled ? QVariantMap() : action.gridDimensionsDictionary();
    if (updateGridDimensions) {
        for (const auto& [field, key] :
             {std::pair{m_configurationGridColumnsField, ZRGridDimensionKey::ConfigurationGridColumns},
              std::pair{m_configurationGridRowsField, ZRGridDimensionKey::ConfigurationGridRows}})
            ZRGridDimensionFields::takeValueOfControl(*field, key, disabled ? nullptr : &dimensions,
                                                      ZRConfigurationGrid::allowsExtendedRules(),
                                                      m_settings.defaults());
    }
    m_grid->setRepresentedRelativeWindowFrame(action.relativeFrame());
    m_grid->setPreferredGridDimensionsDictionary(dimensions);
    auto* screen = static_cast<ZRScreenBackgroundView*>(m_grid->parentWidget());
    screen->setBrightnessReduction(BrightnessReduction);
    const int oldHeight = m_grid->height();
    m_grid->updateLayout();
    m_grid->update();
    // The grid takes the proportions of the screen: its section follows its height.
    if (m_grid->height() == oldHeight && screen->height() == oldHeight + 2 * GridInset)
        return;
    screen->resize(screen->width(), m_grid->height() + 2 * GridInset);
    const int fieldsY = screen->height() + FieldsGap;
    for (QObject* child : m_gridSection->children())
        if (auto* widget = qobject_cast<QWidget*>(child); widget && widget != screen)
            widget->move(widget->x(), fieldsY);
    m_gridSection->resize(m_gridSection->width(), fieldsY + m_configurationGridColumnsField->height());
}

void ZRActionEditor::takeConfigurationGridDimensions(ZRAction& action) {
    const bool disabled = individualGridDimensionsDisabled(m_settings.defaults());
    QVariantMap dimensions = action.gridDimensionsDictionary();
    for (const auto& [field, key] :
         {std::pair{m_configurationGridColumnsField, ZRGridDimensionKey::ConfigurationGridColumns},
          std::pair{m_configurationGridRowsField, ZRGridDimensionKey::ConfigurationGridRows}})
        ZRGridDimensionFields::takeSizeOfGridDimension(key, *field, disabled ? nullptr : &dimensions, false,
                                                       ZRConfigurationGrid::allowsExtendedRules(),
                                                       m_settings.defaults());
    if (!disabled)
        action.setGridDimensionsDictionary(dimensions);
}

void ZRActionEditor::fillUseGridSection(ZRAction& action, bool updateGridDimensions) {
    if (updateGridDimensions) {
        const QVariantMap dimensions = action.gridDimensionsDictionary();
        for (const auto& [field, key] :
             {std::pair{m_actionGridColumnsField, ZRGridDimensionKey::MouseControlsGridColumns},
              std::pair{m_actionGridRowsField, ZRGridDimensionKey::MouseControlsGridRows}})
            ZRGridDimensionFields::takeValueOfControl(
                *field, key, &dimensions, ZROverlayGrid::allowsExtendedRules(), m_settings.defaults());
    }
    updateActionGridSyncSwitch();
}

void ZRActionEditor::updateActionGridSyncSwitch() {
    const auto action = m_action.lock();
    if (!action || !m_actionGridSyncSwitch)
        return;
    const bool standard = action->gridDimensionsDictionary().isEmpty();
    m_actionGridSyncSwitch->setChecked(standard);
    m_actionGridCustomizeButton->setVisible(standard);
}

void ZRActionEditor::absorbActionGridDimensionsChange() {
    const auto action = m_action.lock();
    if (!action || !m_actionGridColumnsField)
        return;
    QVariantMap dimensions = action->gridDimensionsDictionary();
    for (const auto& [field, key] :
         {std::pair{m_actionGridColumnsField, ZRGridDimensionKey::MouseControlsGridColumns},
          std::pair{m_actionGridRowsField, ZRGridDimensionKey::MouseControlsGridRows}})
        ZRGridDimensionFields::takeSizeOfGridDimension(
            key, *field, &dimensions, true, ZROverlayGrid::allowsExtendedRules(), m_settings.defaults());
    action->setGridDimensionsDictionary(dimensions);
}

void ZRActionEditor::changeGridSetting(ZRAction& action) {
    const bool disabled = individualGridDimensionsDisabled(m_settings.defaults());
    action.applyStateChange(
        [&] {
            action.setRelativeFrame(m_grid->representedRelativeWindowFrame());
            if (disabled)
                return;
            QVariantMap dimensions = action.gridDimensionsDictionary();
            dimensions.insert(ZRGridDimensionKey::ConfigurationGridColumns,
                              qint64(m_grid->numberOfColumns()));
            dimensions.insert(ZRGridDimensionKey::ConfigurationGridRows, qint64(m_grid->numberOfRows()));
            action.setGridDimensionsDictionary(dimensions);
        },
        true);
}
