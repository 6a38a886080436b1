// The controls of the general settings, placed in the panes and the popover.
#include "settings/ZRGeneralSettingsControls.h"
#include "settings/ZRSettingsController.h"

#include "actions/ZRAction.h"
#include "actions/ZRKeyboardControlKeyMap.h"
#include "hotkeys/ZRHotKeyContainerView.h"
#include "hotkeys/ZRHotKeyTextView.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/SystemPreferences.h"
#include "settings/ZRSettingsPopUps.h"
#include "settings/ZRSettingsRows.h"
#include "settings/ZRSettingsSlider.h"
#include "settings/ZRSettingsSwitch.h"
#include "settings/ZRSnapActionSelectors.h"
#include "shell/ZRMainController.h"
#include "toolkit/ZRShroudView.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>

namespace {

namespace PopUp = ZRSettingsPopUp;

// Slider ranges: (minimum, maximum, step).
struct SliderRange {
    double minimum, maximum, step;
};
constexpr SliderRange FocusRange{0, 1, 0.01};
constexpr SliderRange DelayRange{0, 2, 0.01};
constexpr SliderRange IconSizeRange{10, 40, 1};
constexpr SliderRange LineHeightRange{20, 100, 2};
constexpr int SliderWidth = 180;
constexpr int FieldWidth = 56;
constexpr int LabelWidth = 130;
constexpr int DropSnapSelectorWidth = 190;
constexpr int SnapSelectorWidth = 166;
// The pane's width inside its margins, which the three columns of snap pop-ups share.
constexpr int SnapGridWidth = 520;
constexpr int MinimumMiddleSnapSelectorWidth = 120;
// Fill, half and quarter: the choices every snap pop-up starts with.
constexpr int StandardSnapChoices = 3;

QLabel* label(const QString& text, int width = 0) {
    auto* label = new QLabel(text);
    if (width > 0)
        label->setMinimumWidth(width);
    return label;
}

ZRSettingsSlider* slider(const QString& name, const SliderRange& range) {
    auto* slider = new ZRSettingsSlider(range.minimum, range.maximum, range.step);
    slider->setObjectName(name);
    slider->setFixedWidth(SliderWidth);
    return slider;
}

QComboBox* popUp(const QString& name, std::initializer_list<std::pair<QString, qint64>> items) {
    auto* popUp = new QComboBox;
    popUp->setObjectName(name);
    for (const auto& [title, tag] : items)
        PopUp::addItem(popUp, title, tag);
    return popUp;
}

ZRSuggestionsTextField* field(const QString& name) {
    auto* field = new ZRSuggestionsTextField;
    field->setObjectName(name);
    field->setFixedWidth(FieldWidth);
    field->setAlignment(Qt::AlignRight);
    return field;
}

QString typeName(ZRActionType type) {
    return ZRActionDummy::dummyWithType(type)->defaultNameWithSuffixes(nullptr, false);
}

// The modifier keys by their names on this desktop, in the order of the hover switches.
const std::array<QString, 5>& modifierNames() {
    static const std::array<QString, 5> names = {QObject::tr("Shift"), QObject::tr("Fn"),
                                                 QObject::tr("Control"), QObject::tr("Alt"),
                                                 QObject::tr("Super")};
    return names;
}

// A modifier key the desktop never reports held: a switch or pop-up for it could never act.
bool isUnreportedModifier(Platform& platform, ModifierFlags modifier) {
    return modifier == ModifierFlag::Function && !platform.inputState().reportsFunctionModifier();
}

} // namespace

void ZRGeneralSettingsControls::fitSnapSelectors() {
    // The outer columns hold the corners, whose standard choices ("Bottom Right Quarter", with its icon)
    // need more room than the top and bottom edges' in the middle column: they take it from the middle
    // one, within the pane.
    const auto inMiddle = [](std::int64_t position) { return position == 3 || position == 7; };
    int outerWidth = SnapSelectorWidth;
    for (const std::int64_t position : ZRSnapActionSelectors::Positions)
        if (QComboBox* selector = m_snapSelectors->snapSelector(position); selector && !inMiddle(position))
            outerWidth = std::max(outerWidth, popUpWidthShowingItems(selector, StandardSnapChoices));
    const int middleWidth = std::max(
        MinimumMiddleSnapSelectorWidth,
        std::min(SnapSelectorWidth, SnapGridWidth - 2 * outerWidth - 2 * ZRSettingsRows::ControlSpacing));
    for (const std::int64_t position : ZRSnapActionSelectors::Positions)
        if (QComboBox* selector = m_snapSelectors->snapSelector(position))
            selector->setFixedWidth(inMiddle(position) ? middleWidth : outerWidth);
}

int ZRGeneralSettingsControls::popUpWidthShowingItems(QComboBox* popUp, int count) {
    QStyleOptionComboBox option;
    option.initFrom(popUp);
    option.editable = false;
    const QFontMetrics metrics = popUp->fontMetrics();
    int widest = 0;
    bool icons = false;
    for (int i = 0; i < std::min(count, popUp->count()); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(popUp->itemText(i)));
        icons = icons || !popUp->itemIcon(i).isNull();
    }
    QSize contents(widest, metrics.height());
    if (icons)
        contents.rwidth() += popUp->iconSize().width() + 4;
    return popUp->style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, popUp).width();
}

ZRSettingsSwitch* ZRGeneralSettingsControls::hoverSwitchForModifier(bool resize,
                                                                    ModifierFlags modifier) const {
    const auto& modifiers = ZRSnapActionSelectors::DropSnapModifiers;
    for (std::size_t i = 0; i < modifiers.size(); ++i)
        if (modifiers[i] == modifier)
            return resize ? m_hoverResizeSwitches[i] : m_hoverMoveSwitches[i];
    return nullptr;
}

int ZRGeneralSettingsControls::placePaletteControlsAbove(QWidget* document, int top, int margin, int width) {
    m_placed = true;
    ZRSettingsRows rows(document, top, margin, width);
    m_mouseControlSwitch = new ZRSettingsSwitch(tr("Show the palette when the pointer rests on a window's"));
    m_mouseControlSwitch->setObjectName(QStringLiteral("mouseControlSwitch"));
    m_mouseControlTriggerSelector =
        popUp(QStringLiteral("mouseControlTriggerSelector"),
              {{tr("maximize button"), 0}, {tr("minimize button"), 1}, {tr("close button"), 2}});
    rows.addRow({m_mouseControlSwitch, m_mouseControlTriggerSelector});
    m_mouseControlDelayShroud = rows.beginShroud();
    m_mouseControlDelayShroud->setObjectName(QStringLiteral("mouseControlDelayShroud"));
    m_mouseControlDelaySlider = slider(QStringLiteral("mouseControlDelaySlider"), DelayRange);
    m_mouseControlDelayField = newSettingsNoteLabel(QString());
    m_mouseControlDelayField->setObjectName(QStringLiteral("mouseControlDelayField"));
    rows.addRow({label(tr("Delay:")), m_mouseControlDelaySlider, m_mouseControlDelayField},
                ZRSettingsRows::Indent);
    rows.endShroud();
    return rows.bottom();
}

int ZRGeneralSettingsControls::placePaletteControlsBelow(QWidget* document, int top, int margin, int width) {
    m_placed = true;
    ZRSettingsRows rows(document, top, margin, width);
    m_mouseControlSizeSlider = slider(QStringLiteral("mouseControlSizeSlider"), IconSizeRange);
    rows.addRow({label(tr("Icon size:")), newSettingsNoteLabel(tr("Small")), m_mouseControlSizeSlider,
                 newSettingsNoteLabel(tr("Large"))});

    m_mouseGridSwitch = new ZRSettingsSwitch(tr("Show a grid:"));
    m_mouseGridSwitch->setObjectName(QStringLiteral("mouseGridSwitch"));
    m_mouseGridModeSelector = popUp(QStringLiteral("mouseGridModeSelector"),
                                    {{tr("Opens the full-size grid"), 0}, {tr("With cells to choose"), 1}});
    m_customizeGridButton = new QPushButton(tr("Customize..."));
    m_customizeGridButton->setObjectName(QStringLiteral("customizeGridButton"));
    rows.addRow({m_mouseGridSwitch, m_mouseGridModeSelector, m_customizeGridButton});

    m_autoActivateSwitch = new ZRSettingsSwitch(tr("Bring the window forward after a palette action"));
    m_autoActivateSwitch->setObjectName(QStringLiteral("autoActivateSwitch"));
    rows.addRow({m_autoActivateSwitch});
    m_customMouseControlSwitch = new ZRSettingsSwitch(tr("Offer the custom actions in the palette"));
    m_customMouseControlSwitch->setObjectName(QStringLiteral("customMouseControlSwitch"));
    rows.addRow({m_customMouseControlSwitch});
    m_customMouseControlHoverSwitch =
        new ZRSettingsSwitch(tr("Show their menu when the pointer rests on it"));
    m_customMouseControlHoverSwitch->setObjectName(QStringLiteral("customMouseControlHoverSwitch"));
    m_customMouseControlHoverRow = rows.addRow({m_customMouseControlHoverSwitch}, ZRSettingsRows::Indent);
    m_customMouseControlHoverRow->setObjectName(QStringLiteral("customMouseControlHoverRow"));
    return rows.bottom();
}

int ZRGeneralSettingsControls::placeControlsInPane(const ZRSettingsTabIdentifier& tab, QWidget* document,
                                                   int top, int margin, int width) {
    m_placed = true;
    ZRSettingsRows rows(document, top, margin, width);
    if (tab == ZRSettingsTab::Hover) {
        m_hoverSwitch =
            new ZRSettingsSwitch(tr("Move and resize the window under the pointer while holding keys"));
        m_hoverSwitch->setObjectName(QStringLiteral("hoverSwitch"));
        rows.addRow({m_hoverSwitch});
        m_hoverShroud = rows.beginShroud();
        m_hoverShroud->setObjectName(QStringLiteral("hoverShroud"));
        for (const bool resize : {false, true}) {
            QList<QWidget*> widgets{label(resize ? tr("Resize:") : tr("Move:"), LabelWidth / 2)};
            auto& switches = resize ? m_hoverResizeSwitches : m_hoverMoveSwitches;
            for (std::size_t i = 0; i < switches.size(); ++i) {
                if (isUnreportedModifier(m_settings.platform(), ZRSnapActionSelectors::DropSnapModifiers[i]))
                    continue;
                switches[i] = new ZRSettingsSwitch(modifierNames()[i]);
                switches[i]->setObjectName(
                    QStringLiteral("hover%1Switch%2")
                        .arg(resize ? QStringLiteral("Resize") : QStringLiteral("Move"))
                        .arg(ZRSnapActionSelectors::DropSnapModifiers[i]));
                widgets.append(switches[i]);
            }
            rows.addRow(widgets, ZRSettingsRows::Indent);
        }
        m_hoverResizeModeSelector =
            popUp(QStringLiteral("hoverResizeModeSelector"),
                  {{tr("The bottom-right corner"), 0}, {tr("The corner nearest the pointer"), 1}});
        rows.addRow({label(tr("Resizing moves:")), m_hoverResizeModeSelector}, ZRSettingsRows::Indent);
        rows.endShroud();
        rows.addNote(tr("Hold the keys and move the pointer: the window under it follows."));
        return rows.bottom();
    }
    if (tab == ZRSettingsTab::Snap) {
        m_snapSwitch =
            new ZRSettingsSwitch(tr("Snap windows dragged to the edges and corners of the screen"));
        m_snapSwitch->setObjectName(QStringLiteral("snapSwitch"));
        rows.addRow({m_snapSwitch});
        m_snapShroud = rows.beginShroud();
        m_snapShroud->setObjectName(QStringLiteral("snapShroud"));
        m_snapDelaySlider = slider(QStringLiteral("snapDelaySlider"), DelayRange);
        m_snapDelayField = newSettingsNoteLabel(QString());
        m_snapDelayField->setObjectName(QStringLiteral("snapDelayField"));
        rows.addRow({label(tr("Delay:")), m_snapDelaySlider, m_snapDelayField}, ZRSettingsRows::Indent);
        m_snapIgnoreBorderingSwitch = new ZRSettingsSwitch(tr("Ignore edges and corners between displays"));
        m_snapIgnoreBorderingSwitch->setObjectName(
            QStringLiteral("snapIgnoreBorderingEdgesAndCornersSwitch"));
        rows.addRow({m_snapIgnoreBorderingSwitch}, ZRSettingsRows::Indent);

        // The positions around a screen: top-left, top, top-right above; left and right beside; the bottom
        // ones below.
        m_snapSelectors->makeSelectors();
        auto* grid = new QWidget;
        auto* gridLayout = new QGridLayout(grid);
        gridLayout->setContentsMargins(0, 0, 0, 0);
        gridLayout->setHorizontalSpacing(ZRSettingsRows::ControlSpacing);
        const std::pair<std::int64_t, std::pair<int, int>> cells[] = {{10, {0, 0}}, {3, {0, 1}}, {4, {0, 2}},
                                                                      {9, {1, 0}},  {5, {1, 2}}, {8, {2, 0}},
                                                                      {7, {2, 1}},  {6, {2, 2}}};
        for (const auto& [position, cell] : cells)
            gridLayout->addWidget(m_snapSelectors->snapSelector(position), cell.first, cell.second);
        fitSnapSelectors();
        auto* screen = new QLabel(tr("Screen"));
        screen->setAlignment(Qt::AlignCenter);
        screen->setFrameShape(QFrame::StyledPanel);
        gridLayout->addWidget(screen, 1, 1);
        // The full width: the titles of corners are long.
        rows.addRow({grid});

        m_snapBackSwitch = new ZRSettingsSwitch(tr("Give a snapped window its size back when dragged away"));
        m_snapBackSwitch->setObjectName(QStringLiteral("snapBackSwitch"));
        m_snapBackScopeSelector =
            popUp(QStringLiteral("snapBackScopeSelector"),
                  {{tr("after snapping"), 0}, {tr("after any action at an edge or corner"), 1}});
        rows.addRow({m_snapBackSwitch}, ZRSettingsRows::Indent);
        rows.addRow({m_snapBackScopeSelector}, 2 * ZRSettingsRows::Indent);
        rows.endShroud();

        rows.addSectionTitle(tr("Drop Zones"));
        m_dropSnapSwitch = new ZRSettingsSwitch(tr("Drop dragged windows onto the zones of a layout"));
        m_dropSnapSwitch->setObjectName(QStringLiteral("dropSnapSwitch"));
        rows.addRow({m_dropSnapSwitch});
        m_dropSnapModeSelector =
            popUp(QStringLiteral("dropSnapModeSelector"), {{tr("By modifier keys"), 0},
                                                           {tr("By the modifiers of a layout's hot key"), 1},
                                                           {tr("By a layout's hot key"), 2}});
        rows.addRow({label(tr("Show the zones:")), m_dropSnapModeSelector}, ZRSettingsRows::Indent);
        // Placed with the longest of its texts.
        m_dropSnapExplanation =
            rows.addNote(dropSnapExplanation(ZRDropSnapActivationHotKeyModifiers), ZRSettingsRows::Indent);
        m_dropSnapExplanation->setObjectName(QStringLiteral("dropSnapExplanationField"));
        m_dropSnapModifierRow = rows.beginShroud();
        m_dropSnapModifierRow->setObjectName(QStringLiteral("dropSnapModifierRow"));
        auto* modifiers = new QWidget;
        auto* modifierLayout = new QGridLayout(modifiers);
        modifierLayout->setContentsMargins(0, 0, 0, 0);
        modifierLayout->setHorizontalSpacing(ZRSettingsRows::ControlSpacing);
        // Two columns of a key and its layout.
        int placed = 0;
        for (std::size_t i = 0; i < ZRSnapActionSelectors::DropSnapModifiers.size(); ++i) {
            if (isUnreportedModifier(m_settings.platform(), ZRSnapActionSelectors::DropSnapModifiers[i]))
                continue;
            QComboBox* selector = m_snapSelectors->dropSnapSelectors()[i];
            selector->setFixedWidth(DropSnapSelectorWidth);
            const int row = placed / 2;
            const int column = placed % 2 * 2;
            ++placed;
            modifierLayout->addWidget(label(modifierNames()[i] + u':'), row, column);
            modifierLayout->addWidget(selector, row, column + 1);
        }
        modifierLayout->setColumnStretch(4, 1);
        rows.addRow({modifiers}, ZRSettingsRows::Indent);
        rows.endShroud();
        return rows.bottom();
    }
    if (tab == ZRSettingsTab::Keyboard) {
        rows.addSectionTitle(tr("Hot Keys"));
        ZRMainController& controller = m_settings.controller();
        for (ZRHotKeyTextView* field :
             {controller.keyboardMenuHotKeyTextView(), controller.keyboardControlHotKeyTextView()}) {
            const bool menu = field == controller.keyboardMenuHotKeyTextView();
            ZRHotKeyContainerView* container = field->containerView();
            container->setFixedSize(container->sizeHint());
            rows.addRow(
                {label(menu ? tr("Keyboard menu:") : tr("Keyboard controls:"), LabelWidth), container});
        }

        rows.addSectionTitle(tr("Keyboard Menu"));
        m_lineHeightSlider = slider(QStringLiteral("keyboardMenuLineHeightSlider"), LineHeightRange);
        rows.addRow({label(tr("Line height:"), LabelWidth), newSettingsNoteLabel(tr("Small")),
                     m_lineHeightSlider, newSettingsNoteLabel(tr("Large"))});

        rows.addSectionTitle(tr("Keyboard Controls"));
        m_keyboardControlsShroud = rows.beginShroud();
        m_keyboardControlsShroud->setObjectName(QStringLiteral("keyboardControlsShroud"));
        m_cheatSheetSwitch = new ZRSettingsSwitch(tr("Show the cheat sheet"));
        m_cheatSheetSwitch->setObjectName(QStringLiteral("cheatSheetSwitch"));
        m_keyboardLogoSwitch = new ZRSettingsSwitch(tr("Show the logo"));
        m_keyboardLogoSwitch->setObjectName(QStringLiteral("keyboardLogoSwitch"));
        rows.addRow({m_cheatSheetSwitch, m_keyboardLogoSwitch});
        m_keyboardGridSwitch = new ZRSettingsSwitch(tr("Show a grid"));
        m_keyboardGridSwitch->setObjectName(QStringLiteral("keyboardGridSwitch"));
        rows.addRow({m_keyboardGridSwitch});
        m_fastTrackSwitch = new ZRSettingsSwitch(tr("Fast track: a key press chooses a cell at once"));
        m_fastTrackSwitch->setObjectName(QStringLiteral("keyboardGridFastTrackSwitch"));
        m_fastTrackRow = rows.addRow({m_fastTrackSwitch}, ZRSettingsRows::Indent);
        m_fastTrackRow->setObjectName(QStringLiteral("keyboardGridFastTrackRow"));
        m_keyboardGridStartSelector =
            popUp(QStringLiteral("keyboardGridStartSelector"), {{tr("The top-left cell"), 0},
                                                                {tr("The window's cell"), 1},
                                                                {tr("The cell under the pointer"), 2}});
        rows.addRow({label(tr("Grid starts at:"), LabelWidth), m_keyboardGridStartSelector});
        m_dismissAfterMovingSwitch = new ZRSettingsSwitch(tr("Moving"));
        m_dismissAfterMovingSwitch->setObjectName(QStringLiteral("dismissAfterMovingSwitch"));
        m_dismissAfterFillingSwitch = new ZRSettingsSwitch(tr("Filling"));
        m_dismissAfterFillingSwitch->setObjectName(QStringLiteral("dismissAfterFillingSwitch"));
        m_dismissAfterOtherSwitch = new ZRSettingsSwitch(tr("Other actions"));
        m_dismissAfterOtherSwitch->setObjectName(QStringLiteral("dismissAfterOtherSwitch"));
        rows.addRow({label(tr("Close after:"), LabelWidth), m_dismissAfterMovingSwitch,
                     m_dismissAfterFillingSwitch, m_dismissAfterOtherSwitch});

        // The keys of the keyboard controls, two columns of a key and its action.
        rows.addSectionTitle(tr("Keys of the Keyboard Controls"));
        const std::pair<QString, bool> keys[] = {
            {tr("Arrow keys"), true},     {tr("Super-arrow keys"), true},
            {tr("Alt-arrow keys"), true}, {tr("Control-arrow keys"), true},
            {tr("Return"), false},        {tr("Space"), false},
            {tr("Tab"), false},           {tr("Escape"), false}};
        const char* const names[] = {"arrowKeyActionSelector",       "commandArrowKeyActionSelector",
                                     "optionArrowKeyActionSelector", "controlArrowKeyActionSelector",
                                     "returnKeyActionSelector",      "spaceKeyActionSelector",
                                     "tabKeyActionSelector",         "escapeKeyActionSelector"};
        auto* keyGrid = new QWidget;
        auto* keyLayout = new QGridLayout(keyGrid);
        keyLayout->setContentsMargins(0, 0, 0, 0);
        keyLayout->setHorizontalSpacing(ZRSettingsRows::ControlSpacing);
        for (std::size_t i = 0; i < m_keyActionSelectors.size(); ++i) {
            const bool arrows = keys[i].second;
            auto* selector = new QComboBox;
            selector->setObjectName(QString::fromLatin1(names[i]));
            PopUp::addItem(selector, tr("Default"), 0);
            const std::vector<ZRActionType>& types = arrows ? ZRKeyboardControlKeyMap::arrowKeyActionTypes()
                                                            : ZRKeyboardControlKeyMap::otherKeyActionTypes();
            for (const ZRActionType type : types) {
                // The variants read as their kind here; their suffix comes with the icons.
                const ZRActionType named = type == ZRActionTypeMoveConfined          ? ZRActionTypeMove
                                           : type == ZRActionTypeCenterGeometrically ? ZRActionTypeCenter
                                                                                     : type;
                PopUp::addItem(selector, typeName(named), type);
            }
            m_keyActionSelectors[i] = selector;
            const int row = int(i % 4);
            const int column = int(i / 4) * 2;
            keyLayout->addWidget(label(keys[i].first), row, column);
            keyLayout->addWidget(selector, row, column + 1);
        }
        keyLayout->setColumnMinimumWidth(2, LabelWidth / 2);
        rows.addRow({keyGrid});
        rows.endShroud();
        return rows.bottom();
    }
    return top;
}

int ZRGeneralSettingsControls::placeGeneralSettings(QWidget* view, int top, int margin, int width) {
    m_placed = true;
    m_generalSettingsView = view;
    ZRSettingsRows rows(view, top, margin, width);
    m_stealthModeSwitch = new ZRSettingsSwitch(tr("Open these settings when Skaf starts"));
    m_stealthModeSwitch->setObjectName(QStringLiteral("stealthModeSwitch"));
    rows.addRow({m_stealthModeSwitch});
    m_applicationModeSelector = popUp(
        QStringLiteral("applicationModeSelector"),
        {{tr("Taskbar"), 0}, {tr("Status icon"), 1}, {tr("Taskbar and status icon"), 3}, {tr("Neither"), 2}});
    rows.addRow({label(tr("Show Skaf in:")), m_applicationModeSelector});
    m_temporaryDockSwitch = new ZRSettingsSwitch(tr("In the taskbar while these settings are open"));
    m_temporaryDockSwitch->setObjectName(QStringLiteral("temporaryDockSwitch"));
    m_temporaryDockRow = rows.addRow({m_temporaryDockSwitch}, ZRSettingsRows::Indent);
    m_temporaryDockRow->setObjectName(QStringLiteral("temporaryDockRow"));
    m_facelessExplanation =
        rows.addNote(tr("To open these settings again, start Skaf once more."), ZRSettingsRows::Indent);
    m_facelessExplanation->setObjectName(QStringLiteral("facelessExplanationView"));

    rows.addSectionTitle(tr("Focus"));
    m_highlightSlider = slider(QStringLiteral("highlightSlider"), FocusRange);
    m_highlightStatus = newSettingsNoteLabel(QString());
    m_highlightStatus->setObjectName(QStringLiteral("highlightStatusField"));
    rows.addRow({label(tr("Dim the screen:")), m_highlightSlider, m_highlightStatus});
    m_outlineStyleSelector = popUp(QStringLiteral("outlineStyleSelector"),
                                   {{tr("Standard"), 0}, {tr("High contrast"), 1}, {tr("Simple"), 2}});
    m_outlineAnimateSwitch = new ZRSettingsSwitch(tr("Animate"));
    m_outlineAnimateSwitch->setObjectName(QStringLiteral("outlineAnimateSwitch"));
    rows.addRow({label(tr("Outline:")), m_outlineStyleSelector, m_outlineAnimateSwitch});

    rows.addSectionTitle(tr("Windows"));
    m_animateSwitch = new ZRSettingsSwitch(tr("Animate changes of windows"));
    m_animateSwitch->setObjectName(QStringLiteral("animateSwitch"));
    rows.addRow({m_animateSwitch});
    m_spacingSwitch = new ZRSettingsSwitch(tr("Leave gaps between windows of"));
    m_spacingSwitch->setObjectName(QStringLiteral("spacingSwitch"));
    m_gapField = field(QStringLiteral("spacingGapField"));
    rows.addRow({m_spacingSwitch, m_gapField, label(tr("pixels"))});
    m_spacingEdgeSwitch = new ZRSettingsSwitch(tr("Also at the edges of the screen"));
    m_spacingEdgeSwitch->setObjectName(QStringLiteral("spacingEdgeSwitch"));
    m_spacingEdgeRow = rows.addRow({m_spacingEdgeSwitch}, ZRSettingsRows::Indent);
    m_spacingEdgeRow->setObjectName(QStringLiteral("spacingEdgeRow"));
    m_standardGridColumnsField = field(QStringLiteral("standardGridColumnsField"));
    m_standardGridRowsField = field(QStringLiteral("standardGridRowsField"));
    rows.addRow({label(tr("Standard grid:")), m_standardGridColumnsField, label(tr("columns by")),
                 m_standardGridRowsField, label(tr("rows"))});
    // Only where the desktop has the feature that they allow for.
    const SystemPreferences& preferences = m_settings.platform().systemPreferences();
    if (preferences.offersStageManager()) {
        m_allowForStageManagerSwitch = new ZRSettingsSwitch(tr("Allow for Stage Manager"));
        m_allowForStageManagerSwitch->setObjectName(QStringLiteral("allowForStageManagerSwitch"));
        rows.addRow({m_allowForStageManagerSwitch});
    }
    if (preferences.offersWindowDrawers()) {
        m_allowForDrawersSwitch = new ZRSettingsSwitch(tr("Allow for drawers"));
        m_allowForDrawersSwitch->setObjectName(QStringLiteral("allowForDrawersSwitch"));
        rows.addRow({m_allowForDrawersSwitch});
    }

    rows.addSectionTitle(tr("Sidebar and Log"));
    m_sidebarHotKeyButton = new QPushButton;
    m_sidebarHotKeyButton->setObjectName(QStringLiteral("sidebarHotKeyVisibilityButton"));
    rows.addRow({label(tr("Hot keys in the sidebar:")), m_sidebarHotKeyButton});
    m_debugLoggingButton = new QPushButton(tr("Show Log..."));
    m_debugLoggingButton->setObjectName(QStringLiteral("debugLoggingButton"));
    rows.addRow({m_debugLoggingButton});
    return rows.bottom();
}
