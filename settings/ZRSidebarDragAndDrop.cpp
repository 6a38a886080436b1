// Dragging sidebar rows: reordering, moving into and out of folders, copying (from another program, or
// with a modifier key), and deleting by dropping outside the window.

#include "settings/ZRSettingsController.h"
#include "settings/ZRSidebarController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "settings/ZRDisappearingItemAnimation.h"
#include "settings/ZRSettingsTabIdentifier.h"
#include "settings/ZRSourceList.h"
#include "settings/ZRSourceListModel.h"
#include "settings/ZRSourceListPasteboard.h"

#include <QMimeData>
#include <algorithm>

bool ZRSidebarController::writeItems(const ZRSourceListItems& items, QMimeData& pasteboard) {
    QVariantList records;
    QStringList identifiers;
    for (const auto& item : items) {
        const auto action = item ? item->action() : nullptr;
        if (!action)
            return false;
        records.append(action->dictionaryRepresentation());
        identifiers.append(action->uniqueIdentifier());
    }
    if (!ZRSourceListPasteboard::write(pasteboard, records, identifiers))
        return false;
    m_draggedSourceListItems = items;
    return true;
}

Qt::DropAction ZRSidebarController::validateDrop(const QMimeData& pasteboard, const ZRSourceListItemRef& item,
                                                 int childIndex, bool copy) {
    const Qt::DropAction operation = copy ? Qt::CopyAction : Qt::MoveAction;
    if (!pasteboard.hasFormat(copy ? ZRSourceListDictionaryPasteboardType
                                   : ZRSourceListIdentifierPasteboardType))
        return Qt::IgnoreAction;
    if (!item) {
        if (childIndex == -1)
            return Qt::IgnoreAction;
        const ZRSourceListItems& rows = sourceListItems();
        const auto firstAction =
            std::find_if(rows.begin(), rows.end(), [](const auto& row) { return row->action() != nullptr; });
        // Nothing goes among the sections above the custom actions, nor where there are none.
        if (firstAction == rows.end() || childIndex < firstAction - rows.begin())
            return Qt::IgnoreAction;
        return operation;
    }
    const auto action = item->action();
    if (!action || action->actionType() != ZRActionTypeFolder) {
        // One action held over the palette's section brings up the palette editor to take it.
        if (!copy && item->relevantTab() == ZRSettingsTab::Palette && !action &&
            m_draggedSourceListItems.size() == 1 && m_sourceList &&
            !m_sourceList->selectionModel()->isSelected(m_model->indexForItem(item.get())))
            selectSourceListItems({item});
        return Qt::IgnoreAction;
    }
    if (copy)
        return operation;
    // A folder cannot go into itself, nor into one of its members.
    for (const auto& dragged : m_draggedSourceListItems)
        if (dragged == item || item->isDescendantOf(*dragged))
            return Qt::IgnoreAction;
    return operation;
}

bool ZRSidebarController::acceptDrop(const QMimeData& pasteboard, const ZRSourceListItemRef& item,
                                     int childIndex, bool copy) {
    // Asked again: what was valid while the drag moved may not be at the drop.
    if (validateDrop(pasteboard, item, childIndex, copy) == Qt::IgnoreAction)
        return false;
    // Read before the rows change: the outline reads its selection through them.
    const ZRSourceListItems selected = selectedSourceListItemsWithFirstSelectedRow(nullptr);
    sourceListItems();
    ZRSourceListItems& target = item ? item->children() : *m_sourceListItems;
    ZRSourceListItems rows;
    int insertion = childIndex;
    if (copy) {
        const auto records = ZRSourceListPasteboard::readRecords(pasteboard);
        const auto actions = ZRAction::actionsFromCollection(records.value_or(QVariantList()), false);
        if (!m_settings.store().hasRoomFor(actions))
            return false;
        for (const auto& action : actions)
            rows.push_back(ZRSourceListItem::sourceListItemWithAction(action, std::nullopt,
                                                                      ZRSettingsTab::Custom, nullptr));
    } else {
        for (const auto& held : m_draggedSourceListItems) {
            ZRSourceListItems* container = containerOf(*held);
            const auto place = container ? indexIn(*container, *held) : std::nullopt;
            if (!place)
                continue;
            if (container == &target && childIndex != -1 && static_cast<int>(*place) < insertion)
                --insertion;
            container->erase(container->begin() + static_cast<std::ptrdiff_t>(*place));
            rows.push_back(held);
        }
    }
    if (rows.empty())
        return false;
    for (const auto& row : rows)
        row->setParent(item);
    if (childIndex != -1 && insertion < static_cast<int>(target.size()))
        target.insert(target.begin() + std::max(0, insertion), rows.begin(), rows.end());
    else
        target.insert(target.end(), rows.begin(), rows.end());
    commitStructuralChange(copy ? rows : selected);
    return true;
}

void ZRSidebarController::draggingSessionEnded(QPoint screenPoint, Qt::DropAction operation,
                                               bool leftMouseUp) {
    const ZRSourceListItems held = std::exchange(m_draggedSourceListItems, {});
    // Only a release over nothing that took the rows, outside the window, deletes: a copy another program
    // accepted, or a cancelled drag, leaves them.
    if (operation != Qt::IgnoreAction || !leftMouseUp || !m_sourceList ||
        m_sourceList->containsDraggingSessionPoint(screenPoint))
        return;
    if (deleteItems(held))
        ZRDisappearingItemAnimation::showAtPoint(screenPoint);
}
