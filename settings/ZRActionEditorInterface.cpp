// The "Custom" interface: the action editor's pane and its sections, placed by hand.

#include "settings/ZRActionEditor.h"
#include "settings/ZRSettingsController.h"

#include "actions/ZRAction.h"
#include "hotkeys/ZRHotKeyContainerView.h"
#include "hotkeys/ZRHotKeyTextView.h"
#include "keyboard-control/ZRConfigurationGrid.h"
#include "platform/Platform.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRActionConfigurationView.h"
#include "settings/ZRActionSnapshotPreviewView.h"
#include "settings/ZRIconSizes.h"
#include "settings/ZRPositionView.h"
#include "settings/ZRScreenBackgroundView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int PaneWidth = 560;
constexpr int HotKeyWidth = 170;
constexpr int HotKeyHeight = 24;
// The header's text starts right of the icon.
constexpr int HeaderTextGap = 8;
constexpr int HeaderMargin = 2 * ZRConfigurationView::Inset + 10;
// Sections: a picker on the left, its fields and switches on the right.
constexpr QSize PickerSize(176, 110);
constexpr int ColumnGap = 20;
constexpr int RowHeight = 26;
constexpr int LabelWidth = 80;
constexpr int FieldWidth = 90;
constexpr int SwitchWidth = 260;
constexpr int ComboWidth = 240;
// The layout section: the preview's miniature screen, and the column of controls beside it.
constexpr QSize LayoutSectionSize(520, 240);
constexpr QSize LayoutScreenSize(250, 160);
constexpr int LayoutScreenTop = 34;
constexpr int PreviewInset = 6;
constexpr int LayoutColumnX = 270;
// The grid's miniature screen, and its dimension fields below.
constexpr QSize GridScreenSize(300, 190);
constexpr int GridInset = 10;
constexpr int GridFieldWidth = 70;
constexpr double BrightnessReduction = 0.2;
constexpr double HeaderFontScale = 1.15;

QWidget* newSection(const QSize& size, const QString& name) {
    auto* section = new QWidget;
    section->setObjectName(name);
    section->resize(size);
    return section;
}

QLabel* newLabel(QWidget* parent, const QString& text, const QRect& frame) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(frame);
    return label;
}

QCheckBox* newSwitch(QWidget* parent, const QString& title, QPoint at) {
    auto* box = new QCheckBox(title, parent);
    box->setGeometry(QRect(at, QSize(SwitchWidth, RowHeight)));
    return box;
}

QComboBox* newPopUp(QWidget* parent, const std::vector<std::pair<QString, qint64>>& items,
                    const QRect& frame) {
    auto* popUp = new QComboBox(parent);
    for (const auto& [title, tag] : items)
        popUp->addItem(title, tag);
    popUp->setGeometry(frame);
    return popUp;
}

ZRSuggestionsTextField* newField(QWidget* parent, const QRect& frame) {
    auto* field = new ZRSuggestionsTextField(parent);
    field->setGeometry(frame);
    field->setAlignment(Qt::AlignRight);
    return field;
}

ZRPositionView* newPicker(const UserDefaults& defaults, QWidget* parent) {
    auto* picker = new ZRPositionView(defaults, parent);
    picker->setGeometry(QRect(QPoint(0, 0), PickerSize));
    return picker;
}

} // namespace

bool ZRActionEditor::buildInterface() {
    auto* pane = new ZRActionConfigurationView(m_settings.mainRunLoop());
    pane->setObjectName(QStringLiteral("configurationView"));
    pane->resize(PaneWidth, ZRActionConfigurationView::HeaderHeight);
    m_configurationView = pane;
    const auto weakSelf = weak_from_this();
    const auto connectSwitch = [this](QAbstractButton* button) {
        connect(button, &QAbstractButton::clicked, this, [this, button] { changeSetting(button); });
    };
    const auto connectPopUp = [this](QComboBox* popUp) {
        connect(popUp, &QComboBox::activated, this, [this, popUp] { changeSetting(popUp); });
    };
    const auto connectField = [this](ZRSuggestionsTextField* field) {
        field->setSuggestionsProvider(this);
        connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });
    };
    const auto connectPicker = [weakSelf](ZRPositionView* picker) { picker->setDelegate(weakSelf); };

    // Header: icon (drawn by the pane), name, hot key, and a line below.
    const int top = ZRConfigurationView::Inset;
    const int band = ZRActionConfigurationView::HeaderHeight;
    const int textX = HeaderMargin + int(ZRClassicIconSize.width) + HeaderTextGap;
    m_hotKeyTextView = new ZRHotKeyTextView(m_settings.platform(), m_settings.defaults(),
                                            m_settings.context().mainRunLoop, pane);
    m_hotKeyTextView->setObjectName(QStringLiteral("hotKeyTextView"));
    const int hotKeyX = PaneWidth - HeaderMargin - HotKeyWidth;
    m_hotKeyTextView->containerView()->setGeometry(hotKeyX, top + (band - HotKeyHeight) / 2, HotKeyWidth,
                                                   HotKeyHeight);
    m_headerField = newLabel(pane, {}, QRect(textX, top, hotKeyX - HeaderTextGap - textX, band));
    m_headerField->setObjectName(QStringLiteral("headerField"));
    QFont headerFont = m_headerField->font();
    headerFont.setBold(true);
    headerFont.setPointSizeF(headerFont.pointSizeF() * HeaderFontScale);
    m_headerField->setFont(headerFont);
    auto* separator = new QFrame(pane);
    separator->setObjectName(QStringLiteral("headerSeparator"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(HeaderMargin, top + band, PaneWidth - 2 * HeaderMargin, 2);
    m_headerSeparator = separator;

    const int right = PickerSize.width() + ColumnGap;
    const auto pickerSection = [&](const QString& name, int width) {
        QWidget* section = newSection(QSize(width, PickerSize.height()), name);
        return std::pair{section, newPicker(m_settings.defaults(), section)};
    };
    const auto lengthField = [&](QWidget* section, const QString& label, int y) {
        newLabel(section, label, QRect(right, y, LabelWidth, RowHeight));
        ZRSuggestionsTextField* field =
            newField(section, QRect(right + LabelWidth, y, FieldWidth, RowHeight));
        connectField(field);
        return field;
    };

    // Move and resize: the grid on a miniature screen, its dimensions below.
    m_gridSection = newSection(QSize(GridScreenSize.width(), GridScreenSize.height() + RowHeight + 10),
                               QStringLiteral("gridSection"));
    auto* gridScreen = new ZRScreenBackgroundView(m_settings.defaults(), m_gridSection);
    gridScreen->setGeometry(QRect(QPoint(0, 0), GridScreenSize));
    m_grid = new ZRConfigurationGrid(m_settings.defaults(), m_settings.platform(), gridScreen);
    m_grid->setObjectName(QStringLiteral("grid"));
    m_grid->setGeometry(GridInset, GridInset, GridScreenSize.width() - 2 * GridInset,
                        GridScreenSize.height() - 2 * GridInset);
    m_grid->setAction([this](ZRGridPrototype& grid) { changeSetting(&grid); });
    const int fieldsY = GridScreenSize.height() + 10;
    newLabel(m_gridSection, tr("Columns:"), QRect(0, fieldsY, LabelWidth, RowHeight));
    m_configurationGridColumnsField =
        newField(m_gridSection, QRect(LabelWidth, fieldsY, GridFieldWidth, RowHeight));
    newLabel(m_gridSection, tr("Rows:"),
             QRect(GridScreenSize.width() - LabelWidth - GridFieldWidth, fieldsY, LabelWidth, RowHeight))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_configurationGridRowsField = newField(
        m_gridSection, QRect(GridScreenSize.width() - GridFieldWidth, fieldsY, GridFieldWidth, RowHeight));
    connectField(static_cast<ZRSuggestionsTextField*>(m_configurationGridColumnsField));
    connectField(static_cast<ZRSuggestionsTextField*>(m_configurationGridRowsField));

    // Centre.
    QWidget* centerSection =
        newSection(QSize(LabelWidth + ComboWidth, RowHeight), QStringLiteral("centerSection"));
    newLabel(centerSection, tr("Center:"), QRect(0, 0, LabelWidth, RowHeight));
    m_centerModeSelector = newPopUp(centerSection,
                                    {{tr("optically, a little above the middle"), ZRCenterModeOptical},
                                     {tr("geometrically, in the middle"), ZRCenterModeGeometric}},
                                    QRect(LabelWidth, 0, ComboWidth, RowHeight));
    connectPopUp(m_centerModeSelector);

    // Move.
    const int pickerAndColumn = right + SwitchWidth;
    auto [moveSection, movePicker] = pickerSection(QStringLiteral("moveSection"), pickerAndColumn);
    m_moveDirectionSelector = movePicker;
    m_moveDeltaField = lengthField(moveSection, tr("Distance:"), 16);
    m_moveConfinedToDisplaySwitch =
        newSwitch(moveSection, tr("Keep the window on its display"), QPoint(right, 56));
    connectSwitch(m_moveConfinedToDisplaySwitch);

    // Move to an edge or corner.
    auto [edgeSection, edgePicker] = pickerSection(QStringLiteral("edgeSection"), PickerSize.width());
    m_moveToEdgeOrCornerPositionSelector = edgePicker;

    // Move to another display.
    auto [displaySection, displayPicker] =
        pickerSection(QStringLiteral("otherDisplaySection"), pickerAndColumn);
    m_moveToOtherDisplayDirectionSelector = displayPicker;
    m_moveToOtherDisplayResizeSwitch =
        newSwitch(displaySection, tr("Resize to fit the display"), QPoint(right, 26));
    m_moveToOtherDisplayLoopSwitch =
        newSwitch(displaySection, tr("Wrap around after the last display"), QPoint(right, 58));
    connectSwitch(m_moveToOtherDisplayResizeSwitch);
    connectSwitch(m_moveToOtherDisplayLoopSwitch);

    // Resize.
    auto [resizeSection, resizePicker] = pickerSection(QStringLiteral("resizeSection"), pickerAndColumn);
    m_resizeAnchorPositionSelector = resizePicker;
    m_resizeWidthField = lengthField(resizeSection, tr("Width:"), 20);
    m_resizeHeightField = lengthField(resizeSection, tr("Height:"), 56);

    // Grow and shrink.
    auto [growSection, growPicker] = pickerSection(QStringLiteral("growSection"), pickerAndColumn);
    m_growDirectionSelector = growPicker;
    m_growDeltaField = lengthField(growSection, tr("Grow by:"), 40);
    auto [shrinkSection, shrinkPicker] = pickerSection(QStringLiteral("shrinkSection"), pickerAndColumn);
    m_shrinkDirectionSelector = shrinkPicker;
    m_shrinkDeltaField = lengthField(shrinkSection, tr("Shrink by:"), 40);
    for (ZRPositionView* picker : {m_moveDirectionSelector, m_moveToEdgeOrCornerPositionSelector,
                                   m_moveToOtherDisplayDirectionSelector, m_resizeAnchorPositionSelector,
                                   m_growDirectionSelector, m_shrinkDirectionSelector})
        connectPicker(picker);

    // Layout: the matching on top, the preview on the left, the saving and triggering on the right.
    m_layoutSection = newSection(LayoutSectionSize, QStringLiteral("layoutSection"));
    newLabel(m_layoutSection, tr("Match:"), QRect(0, 0, 60, RowHeight));
    m_snapshotMatchingSelector = newPopUp(m_layoutSection,
                                          {{tr("exact windows"), 0},
                                           {tr("frontmost windows"), 1},
                                           {tr("nearest frontmost windows"), 101},
                                           {tr("nearest windows"), 201}},
                                          QRect(60, 0, LayoutScreenSize.width() - 60, RowHeight));
    connectPopUp(m_snapshotMatchingSelector);
    m_snapshotAdaptsSwitch =
        newSwitch(m_layoutSection, tr("Adapt to other displays"), QPoint(LayoutColumnX, 0));
    connectSwitch(m_snapshotAdaptsSwitch);
    auto* layoutScreen = new ZRScreenBackgroundView(m_settings.defaults(), m_layoutSection);
    layoutScreen->setGeometry(QRect(QPoint(0, LayoutScreenTop), LayoutScreenSize));
    m_snapshotPreviewView = new ZRActionSnapshotPreviewView(layoutScreen);
    m_snapshotPreviewView->setGeometry(
        QRect(QPoint(0, 0), LayoutScreenSize)
            .adjusted(PreviewInset, PreviewInset, -PreviewInset, -PreviewInset));
    m_snapshotSaveButton = new QPushButton(tr("Save Layout"), m_layoutSection);
    m_snapshotSaveButton->setGeometry(LayoutColumnX, LayoutScreenTop, 160, RowHeight + 2);
    connect(m_snapshotSaveButton, &QPushButton::clicked, this, [this] {
        if (const auto action = m_action.lock())
            action->saveSnapshot([editor = weak_from_this()] {
                if (const auto shown = editor.lock()) {
                    shown->updateConfigurationView();
                    shown->reflectVisualChange();
                }
            });
    });
    int y = LayoutScreenTop + 36;
    m_snapshotWakeAutoTriggerSwitch =
        newSwitch(m_layoutSection, tr("Apply after waking"), QPoint(LayoutColumnX, y));
    m_snapshotDisplayAutoTriggerSwitch =
        newSwitch(m_layoutSection, tr("Apply automatically when"), QPoint(LayoutColumnX, y += RowHeight));
    m_snapshotDisplayAutoTriggerDisplayCountSelector = newPopUp(
        m_layoutSection, {{tr("Displays of the layout:"), -1}},
        QRect(LayoutColumnX + 20, y += RowHeight, LayoutSectionSize.width() - LayoutColumnX - 20, RowHeight));
    m_ignoreObstructedWindowsSwitch =
        newSwitch(m_layoutSection, tr("Skip covered windows"), QPoint(LayoutColumnX, y += RowHeight + 8));
    m_activatesApplicationsSwitch =
        newSwitch(m_layoutSection, tr("Bring the programs forward"), QPoint(LayoutColumnX, y += RowHeight));
    m_hidesOtherApplicationsSwitch =
        newSwitch(m_layoutSection, tr("Minimize other programs"), QPoint(LayoutColumnX, y += RowHeight));
    for (QCheckBox* box :
         {m_snapshotWakeAutoTriggerSwitch, m_snapshotDisplayAutoTriggerSwitch,
          m_ignoreObstructedWindowsSwitch, m_activatesApplicationsSwitch, m_hidesOtherApplicationsSwitch})
        connectSwitch(box);
    connectPopUp(m_snapshotDisplayAutoTriggerDisplayCountSelector);
    layoutScreen->setBrightnessReduction(BrightnessReduction);

    // Folder: a chain, and how it runs.
    QWidget* folderSection =
        newSection(QSize(SwitchWidth + 60, 2 * RowHeight + 8), QStringLiteral("folderSection"));
    m_chainSwitch = newSwitch(folderSection, tr("Run the actions as a chain"), QPoint(0, 0));
    connectSwitch(m_chainSwitch);
    auto* modeRow = new QWidget(folderSection);
    modeRow->setGeometry(0, RowHeight + 8, folderSection->width(), RowHeight);
    newLabel(modeRow, tr("Each press:"), QRect(0, 0, LabelWidth, RowHeight));
    m_chainModeSelector = newPopUp(
        modeRow,
        {{tr("runs all the actions"), ZRChainModeSequence}, {tr("runs the next action"), ZRChainModeCycle}},
        QRect(LabelWidth, 0, ComboWidth, RowHeight));
    connectPopUp(m_chainModeSelector);

    // Use a grid: the grid's dimensions, or the standard grid's.
    m_useGridSection =
        newSection(QSize(SwitchWidth + 160, 2 * RowHeight + 12), QStringLiteral("useGridSection"));
    m_actionGridSyncSwitch = newSwitch(m_useGridSection, tr("Use the standard grid"), QPoint(0, 0));
    connectSwitch(m_actionGridSyncSwitch);
    m_actionGridCustomizeButton = new QPushButton(tr("Customize..."), m_useGridSection);
    m_actionGridCustomizeButton->setGeometry(SwitchWidth, 0, 140, RowHeight + 2);
    connectSwitch(m_actionGridCustomizeButton);
    const int gridFieldsY = RowHeight + 12;
    newLabel(m_useGridSection, tr("Columns:"), QRect(0, gridFieldsY, LabelWidth, RowHeight));
    m_actionGridColumnsField =
        newField(m_useGridSection, QRect(LabelWidth, gridFieldsY, GridFieldWidth, RowHeight));
    newLabel(m_useGridSection, tr("Rows:"),
             QRect(LabelWidth + GridFieldWidth + ColumnGap, gridFieldsY, 50, RowHeight));
    m_actionGridRowsField = newField(m_useGridSection, QRect(LabelWidth + GridFieldWidth + ColumnGap + 50,
                                                             gridFieldsY, GridFieldWidth, RowHeight));
    connectField(static_cast<ZRSuggestionsTextField*>(m_actionGridColumnsField));
    connectField(static_cast<ZRSuggestionsTextField*>(m_actionGridRowsField));

    // Every section starts aside; the refill shows the one of the action's type.
    for (const auto& [section, type] : sections()) {
        section->setParent(pane);
        inactivateConfigurationSubview(section);
    }
    return true;
}
