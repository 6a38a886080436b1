#include "settings/ZRSourceListItem.h"

#include "actions/ZRAction.h"

ZRSourceListItem::ZRSourceListItem(std::shared_ptr<ZRAction> action, std::optional<QString> spacer,
                                   QString relevantTab)
    : m_action(std::move(action)), m_spacer(std::move(spacer)), m_relevantTab(std::move(relevantTab)) {}

QString ZRSourceListItem::Pool::keyFor(const ZRAction* action, const QString& relevantTab) {
    // Kind and key: a tab's name can never be taken for an action's identifier.
    if (action)
        return QStringLiteral("action:") + action->uniqueIdentifier();
    if (!relevantTab.isEmpty())
        return QStringLiteral("tab:") + relevantTab;
    return {};
}

void ZRSourceListItem::Pool::add(const ZRSourceListItemRef& item) {
    if (!item || item->isSpacer())
        return;
    const QString key = keyFor(item->m_action.get(), item->m_relevantTab);
    if (!key.isEmpty())
        m_items.insert(key, item);
}

void ZRSourceListItem::Pool::addTree(const ZRSourceListItemRef& item) {
    add(item);
    if (item && item->hasChildren())
        for (const auto& child : item->children())
            addTree(child);
}

ZRSourceListItemRef ZRSourceListItem::Pool::take(const std::shared_ptr<ZRAction>& action,
                                                 const QString& relevantTab) {
    const QString key = keyFor(action.get(), relevantTab);
    if (key.isEmpty())
        return nullptr;
    ZRSourceListItemRef item = m_items.take(key);
    // A row that shows another action under the same identifier would show the wrong one.
    if (item && item->m_action != action)
        return nullptr;
    return item;
}

ZRSourceListItemRef ZRSourceListItem::sourceListItemWithAction(const std::shared_ptr<ZRAction>& action,
                                                               const std::optional<QString>& spacer,
                                                               const QString& relevantTab, Pool* pool) {
    return make(action, spacer, relevantTab, pool, 0);
}

ZRSourceListItemRef ZRSourceListItem::make(const std::shared_ptr<ZRAction>& action,
                                           const std::optional<QString>& spacer, const QString& relevantTab,
                                           Pool* pool, int depth) {
    ZRSourceListItemRef item = pool && !spacer ? pool->take(action, relevantTab) : nullptr;
    if (item) {
        item->m_parent.reset();
        item->m_children.reset();
    } else {
        item = std::make_shared<ZRSourceListItem>(action, spacer, relevantTab);
    }
    if (action && action->actionType() == ZRActionTypeFolder) {
        item->m_children.emplace();
        // The store never nests deeper; a tree that did would never end here.
        if (depth >= ZRAction::MaximumFolderDepth)
            return item;
        item->m_children->reserve(action->children().size());
        for (const auto& child : action->children()) {
            ZRSourceListItemRef row = make(child, std::nullopt, relevantTab, pool, depth + 1);
            row->m_parent = item;
            item->m_children->push_back(std::move(row));
        }
    }
    return item;
}

std::vector<const ZRActionSourceListRow*> ZRSourceListItem::childRows() const {
    std::vector<const ZRActionSourceListRow*> rows;
    if (m_children) {
        rows.reserve(m_children->size());
        for (const auto& child : *m_children)
            rows.push_back(child.get());
    }
    return rows;
}

bool ZRSourceListItem::isDescendantOf(const ZRSourceListItem& item) const {
    for (auto ancestor = parent(); ancestor; ancestor = ancestor->parent())
        if (ancestor.get() == &item)
            return true;
    return false;
}
