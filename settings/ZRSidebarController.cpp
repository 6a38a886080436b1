#include "settings/ZRSidebarController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKey.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRSettingsController.h"
#include "settings/ZRSettingsTabIdentifier.h"
#include "settings/ZRSourceList.h"
#include "settings/ZRSourceListCell.h"
#include "settings/ZRSourceListModel.h"
#include "settings/ZRSourceListSelectionModel.h"
#include "toolkit/Appearance.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace {

const QString ShowHeaderKey = QStringLiteral("Show Skaf Header");
const QString SidebarIconPriorityKey = QStringLiteral("Sidebar Icon Priority");
const QString NewActionsRenameKey = QStringLiteral("New Custom Actions: Rename");
const QString NewActionsReflectCurrentStateKey = QStringLiteral("New Custom Actions: Reflect Current State");

// A gap row is a fifth of a row high, never less than this; one that opens the list, a single point.
constexpr double GapRowShare = 0.2;
constexpr double MinimumGapRowHeight = 2;
constexpr double FirstGapRowHeight = 1;

// Font sizes of the size modes: small and regular controls, and the large mode's own.
constexpr qint64 SmallSizeMode = 1;
constexpr qint64 LargeSizeMode = 3;
constexpr double SmallFontSize = 11;
constexpr double RegularFontSize = 13;
constexpr double LargeFontSize = 16;
// Icons are a little taller than the text, never below the regular text size.
constexpr double MinimumIconHeight = 13;
constexpr double IconHeightShare = 1.15;
constexpr double ActionIconAspect = 1.4;
constexpr double FolderIconAspect = 1.5;
constexpr double FolderIconHeightShare = 1.15;
constexpr double ChainIconHeightShare = 1.25;
// "Sidebar Icon Priority" from which action icons take the accent colour.
constexpr qint64 AccentIconPriority = 2;
constexpr double FaintAlpha = 0.35;
constexpr double ActiveTextAlpha = 0.8;
constexpr double InactiveTextAlpha = 0.45;

} // namespace

ZRSidebarController::ZRSidebarController(ZRSettingsController& settings)
    : m_settings(settings), m_model(new ZRSourceListModel(*this, this)) {
    m_sourceList = new ZRSourceList(*this, settings.controller(), settings.defaults());
    auto* selection = static_cast<ZRSourceListSelectionModel*>(m_sourceList->selectionModel());
    selection->setRule([this](const QModelIndexList& proposed) {
        ZRSourceListItems items;
        for (const QModelIndex& index : proposed)
            if (auto item = m_model->itemRefForIndex(index))
                items.push_back(std::move(item));
        QModelIndexList chosen;
        for (const auto& item : selectionForProposedSelection(rowsInOrder(std::move(items))))
            chosen.append(m_model->indexForItem(item.get()));
        return chosen;
    });
    connect(selection, &QItemSelectionModel::selectionChanged, this, [this] { selectionDidChange(); });
}

ZRSidebarController::~ZRSidebarController() {
    delete m_sourceList.data();
}

void ZRSidebarController::beep() const {
    m_settings.beep();
}

ZRSourceList* ZRSidebarController::sourceList() const {
    return m_sourceList;
}

// --- Rows

const ZRSourceListItems& ZRSidebarController::sourceListItems() {
    if (m_sourceListItems)
        return *m_sourceListItems;
    ZRSourceListItem::Pool* pool = m_previousSourceListItemsByIdentifier;
    ZRSourceListItems rows;
    if (m_settings.defaults().boolForKey(ShowHeaderKey))
        rows.push_back(
            ZRSourceListItem::sourceListItemWithAction(nullptr, QStringLiteral("Skaf"), {}, nullptr));
    for (const ZRSettingsTabIdentifier& tab : ZRSettingsTab::Sections)
        rows.push_back(ZRSourceListItem::sourceListItemWithAction(nullptr, std::nullopt, tab, pool));
    const auto& actions = m_settings.store().topLevelActions();
    if (!actions.empty()) {
        rows.push_back(ZRSourceListItem::sourceListItemWithAction(nullptr, QString(), {}, nullptr));
        rows.push_back(
            ZRSourceListItem::sourceListItemWithAction(nullptr, QStringLiteral("Custom"), {}, nullptr));
        for (const auto& action : actions)
            rows.push_back(ZRSourceListItem::sourceListItemWithAction(action, std::nullopt,
                                                                      ZRSettingsTab::Custom, pool));
    }
    m_sourceListItems = std::move(rows);
    return *m_sourceListItems;
}

std::vector<const ZRActionSourceListRow*> ZRSidebarController::topLevelRows() const {
    std::vector<const ZRActionSourceListRow*> rows;
    if (m_sourceListItems)
        for (const auto& item : *m_sourceListItems)
            rows.push_back(item.get());
    return rows;
}

void ZRSidebarController::reloadSourceListWithSelectedItems(const std::optional<ZRSourceListItems>& items) {
    const ZRSourceListItems select = items ? *items : selectedSourceListItemsWithFirstSelectedRow(nullptr);
    invalidateCachedSelectedActionSourceListItems();
    ZRSourceListItem::Pool pool;
    if (m_sourceListItems)
        for (const auto& row : *m_sourceListItems)
            pool.addTree(row);
    m_reloading = true;
    m_model->beginReload();
    m_previousSourceListItemsByIdentifier = &pool;
    m_sourceListItems.reset();
    sourceListItems();
    m_previousSourceListItemsByIdentifier = nullptr;
    m_model->endReload();

    for (const auto& item : select)
        for (auto ancestor = item->parent(); ancestor; ancestor = ancestor->parent())
            if (const auto action = ancestor->action())
                action->setExpanded(true);
    const auto expand = [this](const auto& self, const ZRSourceListItems& rows) -> void {
        for (const auto& row : rows) {
            const auto action = row->action();
            if (!action || !action->expanded() || !row->hasChildren())
                continue;
            m_sourceList->expand(m_model->indexForItem(row.get()));
            self(self, row->children());
        }
    };
    expand(expand, *m_sourceListItems);
    m_reloading = false;
    selectSourceListItems(select);

    if (m_settings.store().focusAction()) {
        m_updateConfigurationView =
            m_settings.mainRunLoop().performLater(0, [this] { m_settings.updateConfigurationView(); });
    }
}

ZRSourceListItems ZRSidebarController::rowsInOrder(ZRSourceListItems rows) const {
    // Row order is the order of the paths from the top: a folder's members follow the folder.
    const auto pathOf = [this](const ZRSourceListItem& item) {
        std::vector<int> path;
        for (const ZRSourceListItem* row = &item; row;) {
            const QModelIndex index = m_model->indexForItem(row);
            if (!index.isValid())
                return std::vector<int>{INT_MAX};
            path.insert(path.begin(), index.row());
            row = row->parent().get();
        }
        return path;
    };
    std::vector<std::pair<std::vector<int>, ZRSourceListItemRef>> keyed;
    keyed.reserve(rows.size());
    for (auto& row : rows)
        keyed.emplace_back(pathOf(*row), std::move(row));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    ZRSourceListItems ordered;
    ordered.reserve(keyed.size());
    for (auto& entry : keyed)
        ordered.push_back(std::move(entry.second));
    return ordered;
}

ZRSourceListItems ZRSidebarController::selectedSourceListItemsWithFirstSelectedRow(int* row) const {
    ZRSourceListItems items;
    if (m_sourceList)
        for (const QModelIndex& index : m_sourceList->selectionModel()->selectedRows())
            if (auto item = m_model->itemRefForIndex(index))
                items.push_back(std::move(item));
    items = rowsInOrder(std::move(items));
    if (row) {
        *row = -1;
        if (!items.empty()) {
            const QModelIndex first = m_model->indexForItem(items.front().get());
            int count = 0;
            for (QModelIndex above = m_sourceList->indexAbove(first); above.isValid();
                 above = m_sourceList->indexAbove(above))
                ++count;
            *row = count;
        }
    }
    return items;
}

const ZRSourceListItems& ZRSidebarController::selectedActionSourceListItems() {
    if (!m_cachedSelectedActionSourceListItems) {
        ZRSourceListItems items = selectedSourceListItemsWithFirstSelectedRow(nullptr);
        if (std::any_of(items.begin(), items.end(), [](const auto& item) { return !item->action(); }))
            items.clear();
        m_cachedSelectedActionSourceListItems = std::move(items);
        m_invalidateSelectionCache = m_settings.mainRunLoop().performLater(
            0, [this] { invalidateCachedSelectedActionSourceListItems(); });
    }
    return *m_cachedSelectedActionSourceListItems;
}

void ZRSidebarController::invalidateCachedSelectedActionSourceListItems() {
    m_cachedSelectedActionSourceListItems.reset();
}

ZRSourceListItemRef ZRSidebarController::selectedActionSourceListItem() {
    const ZRSourceListItems& items = selectedActionSourceListItems();
    return items.size() == 1 ? items.front() : nullptr;
}

std::vector<std::shared_ptr<ZRAction>> ZRSidebarController::selectedActions() {
    std::vector<std::shared_ptr<ZRAction>> actions;
    for (const auto& item : selectedActionSourceListItems())
        actions.push_back(item->action());
    return actions;
}

bool ZRSidebarController::isInOutline(const ZRSourceListItem& item) const {
    if (!m_model->indexForItem(&item).isValid())
        return false;
    for (auto ancestor = item.parent(); ancestor; ancestor = ancestor->parent())
        if (!m_sourceList->isExpanded(m_model->indexForItem(ancestor.get())))
            return false;
    return true;
}

void ZRSidebarController::selectSourceListItems(const ZRSourceListItems& items) {
    if (!m_sourceList)
        return;
    ZRSourceListItems shown;
    for (const auto& item : items)
        if (item && isInOutline(*item))
            shown.push_back(item);
    if (shown.empty())
        shown = selectionForProposedSelection({});
    QItemSelectionModel* selection = m_sourceList->selectionModel();
    if (shown.empty()) {
        selection->clearSelection();
        return;
    }
    QModelIndexList rows;
    for (const auto& item : shown)
        rows.append(m_model->indexForItem(item.get()));
    selection->select(ZRSourceListSelectionModel::rowRanges(rows),
                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QModelIndex first = m_model->indexForItem(shown.front().get());
    selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    if (shown.size() > 1)
        m_sourceList->scrollTo(m_model->indexForItem(shown.back().get()));
    m_sourceList->scrollTo(first);
}

void ZRSidebarController::selectAll(QObject* sender) {
    if (!m_sourceList)
        return;
    if (sender) {
        const ZRSourceListItems& items = selectedActionSourceListItems();
        const auto parent = items.empty() ? nullptr : items.front()->parent();
        if (parent && parent->hasChildren()) {
            selectSourceListItems(parent->children());
            return;
        }
    }
    m_sourceList->selectAllRows();
}

std::shared_ptr<ZRAction>
ZRSidebarController::mergedLayoutActionFromSourceListItems(const ZRSourceListItems& items) const {
    std::vector<std::shared_ptr<ZRAction>> actions;
    for (const auto& item : items)
        if (auto action = item->action())
            actions.push_back(std::move(action));
    return ZRAction::layoutActionWithMergedMoveAndResizeActions(actions, m_settings.defaults());
}

std::vector<std::shared_ptr<ZRAction>>
ZRSidebarController::extractedMoveAndResizeActionsFromSourceListItems(const ZRSourceListItems& items) const {
    std::vector<std::shared_ptr<ZRAction>> extracted;
    for (const auto& item : items) {
        const auto action = item->action();
        if (!action || action->actionType() != ZRActionTypeLayout)
            return {};
        for (auto& single : action->extractedMoveAndResizeActions(m_settings.defaults()))
            extracted.push_back(std::move(single));
    }
    return extracted;
}

// --- Adding

void ZRSidebarController::addActions(const std::vector<std::shared_ptr<ZRAction>>& actions,
                                     const ZRSourceListItemRef& parent, std::optional<std::size_t> index,
                                     bool rename) {
    sourceListItems();
    ZRSourceListItems& list = parent && parent->hasChildren() ? parent->children() : *m_sourceListItems;
    ZRSourceListItems added;
    for (const auto& action : actions) {
        if (!action)
            continue;
        auto row =
            ZRSourceListItem::sourceListItemWithAction(action, std::nullopt, ZRSettingsTab::Custom, nullptr);
        if (&list != &*m_sourceListItems)
            row->setParent(parent);
        added.push_back(std::move(row));
    }
    if (!index || *index >= list.size()) {
        list.insert(list.end(), added.begin(), added.end());
    } else {
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(*index), added.begin(), added.end());
    }
    commitStructuralChange(added);
    if (rename && added.size() == 1 && m_settings.defaults().boolForKey(NewActionsRenameKey) &&
        added.front()->action()->acceptsUserDefinedName())
        startRenaming(*added.front());
}

void ZRSidebarController::addActions(const std::vector<std::shared_ptr<ZRAction>>& actions, bool rename) {
    const ZRSourceListItems selected = selectedSourceListItemsWithFirstSelectedRow(nullptr);
    const ZRSourceListItemRef last = selected.empty() ? nullptr : selected.back();
    if (!settingsWindowIsVisible() || !last || !last->action()) {
        addActions(actions, nullptr, std::nullopt, rename);
        return;
    }
    if (last->hasChildren() && m_sourceList->isExpanded(m_model->indexForItem(last.get()))) {
        addActions(actions, last, 0, rename);
        return;
    }
    const ZRSourceListItems* siblings = containerOf(*last);
    const auto place = siblings ? indexIn(*siblings, *last) : std::nullopt;
    if (!place) {
        addActions(actions, nullptr, std::nullopt, rename);
        return;
    }
    addActions(actions, last->parent(), *place + 1, rename);
}

void ZRSidebarController::startRenaming(const ZRSourceListItem& item) {
    if (m_sourceList && isInOutline(item))
        m_sourceList->editRow(m_model->indexForItem(&item));
}

// --- Menus

std::shared_ptr<ZRAction> ZRSidebarController::mergedLayoutActionFromSelection() const {
    return mergedLayoutActionFromSourceListItems(
        const_cast<ZRSidebarController*>(this)->selectedActionSourceListItems());
}

std::vector<std::shared_ptr<ZRAction>>
ZRSidebarController::extractedMoveAndResizeActionsFromSelection() const {
    return extractedMoveAndResizeActionsFromSourceListItems(
        const_cast<ZRSidebarController*>(this)->selectedActionSourceListItems());
}

void ZRSidebarController::addActionViaMenuItem(QAction* item) {
    if (!item)
        return;
    const bool hasRecord = item->data().typeId() == QMetaType::QVariantMap;
    const QVariantMap record = item->data().toMap();
    const qint64 type = item->property(ZRAddMenuActionTypeProperty).toLongLong();
    const auto action = ZRAction::actionWithDictionaryRepresentation(hasRecord ? &record : nullptr);
    if (!action) {
        m_settings.beep();
        return;
    }
    if (!hasRecord || !record.contains(ZRActionKey::Action))
        action->setActionType(static_cast<ZRActionType>(type));
    if (type >= 0 && m_settings.defaults().boolForKey(NewActionsReflectCurrentStateKey))
        action->reflectCurrentStateSilently(true, [sidebar = QPointer<ZRSidebarController>(this),
                                                   weakAction = std::weak_ptr<ZRAction>(action)] {
            // The new action's pane shows before its windows are read.
            const auto captured = weakAction.lock();
            if (!sidebar || !captured)
                return;
            if (sidebar->m_settings.store().focusAction() == captured)
                sidebar->m_settings.updateConfigurationView();
            sidebar->m_settings.reflectVisualActionChange();
        });
    addActions({action}, !hasRecord && (type == ZRActionTypeMenuHeader || type == ZRActionTypeFolder));
    if (hasRecord) {
        // The menu item carries a copy of the record: the first equal one leaves the list.
        const auto found = std::find(m_deletedDictionaryRepresentations.begin(),
                                     m_deletedDictionaryRepresentations.end(), QVariant(record));
        if (found != m_deletedDictionaryRepresentations.end())
            m_deletedDictionaryRepresentations.erase(found);
    }
}

void ZRSidebarController::addMergedLayoutActionViaMenuItem(QAction*) {
    if (const auto merged = mergedLayoutActionFromSourceListItems(selectedActionSourceListItems()))
        addActions({merged}, false);
}

void ZRSidebarController::addExtractedMoveAndResizeActionsViaMenuItem(QAction*) {
    const auto extracted = extractedMoveAndResizeActionsFromSourceListItems(selectedActionSourceListItems());
    if (!extracted.empty())
        addActions(extracted, false);
}

ZRSourceListItemRef ZRSidebarController::itemFromRow(const ZRActionSourceListRow* row) const {
    const auto* item = dynamic_cast<const ZRSourceListItem*>(row);
    return item ? std::const_pointer_cast<ZRSourceListItem>(item->shared_from_this()) : nullptr;
}

void ZRSidebarController::performSidebarCommand(ZRSidebarCommand command, const ZRActionSourceListRow* row) {
    switch (command) {
    case ZRSidebarCommand::Rename:
        rename();
        break;
    case ZRSidebarCommand::Duplicate:
        duplicate();
        break;
    case ZRSidebarCommand::Copy:
        copy();
        break;
    case ZRSidebarCommand::WrapInFolder:
        wrapInFolder();
        break;
    case ZRSidebarCommand::ExtractMoveAndResizeActions:
        addExtractedMoveAndResizeActionsViaMenuItem(nullptr);
        break;
    case ZRSidebarCommand::Export:
        export_();
        break;
    case ZRSidebarCommand::ExportIcon:
        if (const auto item = itemFromRow(row))
            exportIconsViaMenuItem({item});
        break;
    case ZRSidebarCommand::Delete:
        delete_();
        break;
    }
}

// --- Outline data source and delegate

bool ZRSidebarController::shouldEditItem(const ZRSourceListItem& item) const {
    const auto action = item.action();
    return action && action->acceptsUserDefinedName();
}

QString ZRSidebarController::objectValueForItem(const ZRSourceListItem& item) const {
    if (const auto action = item.action())
        return action->displayNameWithSuffixes();
    if (item.spacer() && !item.spacer()->isEmpty())
        return tr(qPrintable(*item.spacer()));
    return item.relevantTab().isEmpty() ? QString() : tr(qPrintable(item.relevantTab()));
}

void ZRSidebarController::setObjectValue(const QString& value, ZRSourceListItem& item) {
    const auto action = item.action();
    if (!action || !action->acceptsUserDefinedName())
        return;
    if (value.trimmed().isEmpty() || value == action->defaultNameWithSuffixes())
        action->setName(std::nullopt);
    else
        action->setName(value);
    m_settings.updateConfigurationView();
    const ZRActionType type = action->actionType();
    if (type == ZRActionTypeMoveAndResize || type == ZRActionTypeLayout || type == ZRActionTypeFolder)
        m_settings.updateSnapActionSelectors();
}

double ZRSidebarController::heightOfRowByItem(const ZRSourceListItem& item) {
    const double rowHeight = m_sourceList ? m_sourceList->rowHeight() : 0;
    if (!item.spacer() || !item.spacer()->isEmpty())
        return rowHeight;
    if (!sourceListItems().empty() && sourceListItems().front().get() == &item)
        return FirstGapRowHeight;
    return std::max(MinimumGapRowHeight, std::floor(rowHeight * GapRowShare));
}

int ZRSidebarController::verticalIntercellSpacing() const {
    return m_sourceList ? m_sourceList->verticalIntercellSpacing() : 0;
}

void ZRSidebarController::itemDidExpand(const QModelIndex& index) {
    if (const ZRSourceListItem* item = m_model->itemForIndex(index); item && item->action() && !m_reloading)
        item->action()->setExpanded(true);
}

void ZRSidebarController::itemDidCollapse(const QModelIndex& index) {
    if (const ZRSourceListItem* item = m_model->itemForIndex(index); item && item->action() && !m_reloading)
        item->action()->setExpanded(false);
}

ZRSourceListItems
ZRSidebarController::selectionForProposedSelection(const ZRSourceListItems& proposedInRowOrder) {
    ZRSourceListItems accepted;
    const ZRSourceListItem* acceptedParent = nullptr;
    ZRSourceListItemRef section;
    for (const auto& item : proposedInRowOrder) {
        if (item->isSpacer())
            continue;
        if (item->action()) {
            const ZRSourceListItem* parent = item->parent().get();
            if (accepted.empty())
                acceptedParent = parent;
            if (parent == acceptedParent)
                accepted.push_back(item);
        } else if (!section) {
            section = item;
        }
    }
    if (!accepted.empty())
        return accepted;
    if (section)
        return {section};
    for (const auto& row : sourceListItems())
        if (!row->isSpacer())
            return {row};
    return {};
}

void ZRSidebarController::selectionDidChange() {
    invalidateCachedSelectedActionSourceListItems();
    if (m_reloading)
        return;
    const ZRSourceListItems selected = selectedSourceListItemsWithFirstSelectedRow(nullptr);
    if (selected.size() != 1 || selected.front()->relevantTab().isEmpty()) {
        m_settings.setTabViewHidden(true);
        return;
    }
    m_settings.setTabViewHidden(false);
    m_settings.store().setFocusAction(selected.front()->action());
    m_settings.updateConfigurationView();
    m_settings.showSelectedRowTab(selected.front()->relevantTab());
}

ZRSourceListItemRef ZRSidebarController::rowForContextMenuAt(QPoint viewportPoint) {
    const QModelIndex index = m_sourceList->indexAt(viewportPoint);
    const ZRSourceListItemRef item = m_model->itemRefForIndex(index);
    if (!item || !item->action())
        return nullptr;
    if (!m_sourceList->selectionModel()->isSelected(index))
        selectSourceListItems({item});
    return item;
}

void ZRSidebarController::stopRenamingAction(const ZRAction& action) {
    if (!m_sourceList)
        return;
    const ZRSourceListItem* item = m_model->itemForIndex(m_sourceList->currentIndex());
    if (item && item->action().get() == &action && m_sourceList->isEditingIndex(m_sourceList->currentIndex()))
        m_sourceList->stopEditing();
}

// --- Row styling

void ZRSidebarController::setSizeMode(qint64 sizeMode) {
    m_sizeMode = sizeMode;
}

double ZRSidebarController::fontSizeForSizeMode(qint64 sizeMode) {
    return sizeMode == LargeSizeMode   ? LargeFontSize
           : sizeMode == SmallSizeMode ? SmallFontSize
                                       : RegularFontSize;
}

double ZRSidebarController::iconHeightForFontSize(double fontSize) {
    return fontSize < MinimumIconHeight ? MinimumIconHeight : std::round(IconHeightShare * fontSize);
}

void ZRSidebarController::willDisplayCell(ZRSourceListCell& cell, const ZRSourceListItem& item,
                                          const ZRSourceListRowState& state) {
    const bool highlightedWhite = state.active && state.highlighted && state.firstResponder;
    const double level = state.dark ? 1 : 0;
    const double fontSize = fontSizeForSizeMode(m_sizeMode);
    const double iconHeight = iconHeightForFontSize(fontSize);
    QFont font = m_sourceList ? m_sourceList->font() : QApplication::font();
    font.setPixelSize(int(fontSize));
    cell.setSizeMode(m_sizeMode);
    cell.setHotKeyRepresentation(QString());
    cell.setIcon(QImage());
    cell.setPlaceholder(QString());

    const auto action = item.action();
    if (item.isSpacer()) {
        font.setWeight(QFont::Medium);
        cell.setFont(font);
        cell.setTextColor(calibratedWhite(level, FaintAlpha));
        cell.setTintWhite(highlightedWhite || state.dark);
        return;
    }
    if (action) {
        const auto hotKey = action->hotKey();
        cell.setHotKeyRepresentation(hotKey ? hotKey->displayString() : QString());
        Size iconSize(std::round(ActionIconAspect * iconHeight), iconHeight);
        if (action->actionType() == ZRActionTypeFolder)
            iconSize = Size(
                std::round(FolderIconAspect * iconHeight),
                std::round((action->chain() ? ChainIconHeightShare : FolderIconHeightShare) * iconHeight));
        QColor iconColor = calibratedWhite(level, FaintAlpha);
        if (highlightedWhite)
            iconColor = Qt::white;
        else if (state.active &&
                 m_settings.defaults().integerForKey(SidebarIconPriorityKey) >= AccentIconPriority)
            iconColor = overlaySelectedControlColor();
        cell.setIcon(action->strongReferenceTemplateIconWithSize(iconSize, iconColor));
        cell.setPlaceholder(action->defaultNameWithSuffixes());
    } else {
        cell.setIcon(ZRActionDummy::sidebarIconWithName(item.relevantTab(), iconHeight, state.active,
                                                        state.dark, QColor()));
    }
    cell.setFont(font);
    cell.setTextColor(highlightedWhite && !state.editing
                          ? QColor(Qt::white)
                          : calibratedWhite(level, state.active ? ActiveTextAlpha : InactiveTextAlpha));
    cell.setTintWhite(highlightedWhite || state.dark);
}

// --- Shared steps

ZRSourceListItems* ZRSidebarController::containerOf(const ZRSourceListItem& item) {
    if (const auto parent = item.parent())
        return parent->hasChildren() ? &parent->children() : nullptr;
    sourceListItems();
    return &*m_sourceListItems;
}

std::optional<std::size_t> ZRSidebarController::indexIn(const ZRSourceListItems& list,
                                                        const ZRSourceListItem& item) const {
    const auto found =
        std::find_if(list.begin(), list.end(), [&item](const auto& row) { return row.get() == &item; });
    if (found == list.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - list.begin());
}

void ZRSidebarController::commitStructuralChange(const std::optional<ZRSourceListItems>& select) {
    invalidateCachedSelectedActionSourceListItems();
    m_settings.store().populateWithSourceListItems(topLevelRows());
    reloadSourceListWithSelectedItems(select);
    m_settings.refreshAfterActionTreeChange();
}

bool ZRSidebarController::settingsWindowIsVisible() const {
    return m_sourceList && m_sourceList->window()->isVisible();
}
