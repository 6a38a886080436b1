#pragma once

#include "actions/ZRActionSourceListRow.h"

#include <QHash>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class ZRAction;
class ZRSourceListItem;

using ZRSourceListItemRef = std::shared_ptr<ZRSourceListItem>;
using ZRSourceListItems = std::vector<ZRSourceListItemRef>;

// One row of the settings sidebar: a spacer or header, a section that opens a pane, or a custom action,
// a folder's members below it. Rows are shared: the tree, the selection and a drag in progress may hold
// the same one. Main thread only.
class ZRSourceListItem : public ZRActionSourceListRow, public std::enable_shared_from_this<ZRSourceListItem> {
public:
    // The rows of the tree before a rebuild, so that rows of unchanged actions and sections keep their
    // identity. Each row is handed out once: no row can stand at two places of the new tree.
    class Pool {
    public:
        // Takes in the row and its members, under their action's identifier or else their tab.
        void addTree(const ZRSourceListItemRef& item);
        void add(const ZRSourceListItemRef& item);
        // The row kept for the action (or, without one, the tab), removed from the pool; null for none,
        // and for a row that holds another action under the same identifier.
        ZRSourceListItemRef take(const std::shared_ptr<ZRAction>& action, const QString& relevantTab);

    private:
        static QString keyFor(const ZRAction* action, const QString& relevantTab);
        QHash<QString, ZRSourceListItemRef> m_items;
    };

    // A row for the action, the spacer title or the tab, reused from the pool when it holds one (its parent
    // and members cleared). A folder's members are made again from the folder's children, with the same
    // tab and pool. Spacers and headers are never pooled.
    static ZRSourceListItemRef sourceListItemWithAction(const std::shared_ptr<ZRAction>& action,
                                                        const std::optional<QString>& spacer,
                                                        const QString& relevantTab, Pool* pool);

    // The title of a spacer or header row; empty for a gap. None for sections and actions.
    const std::optional<QString>& spacer() const { return m_spacer; }
    bool isSpacer() const { return m_spacer.has_value(); }
    // The pane the row opens; empty for spacers and headers.
    const QString& relevantTab() const { return m_relevantTab; }
    std::shared_ptr<ZRAction> action() const override { return m_action; }
    // A folder's member rows; a row without members (even none) is not expandable.
    bool hasChildren() const { return m_children.has_value(); }
    ZRSourceListItems& children() { return *m_children; }
    const ZRSourceListItems& children() const { return *m_children; }
    std::vector<const ZRActionSourceListRow*> childRows() const override;

    // The folder row that holds this one; null at the top level.
    ZRSourceListItemRef parent() const { return m_parent.lock(); }
    void setParent(const ZRSourceListItemRef& parent) { m_parent = parent; }

    // Whether the row lies somewhere below the other one.
    bool isDescendantOf(const ZRSourceListItem& item) const;

    ZRSourceListItem(std::shared_ptr<ZRAction> action, std::optional<QString> spacer, QString relevantTab);

private:
    static ZRSourceListItemRef make(const std::shared_ptr<ZRAction>& action,
                                    const std::optional<QString>& spacer, const QString& relevantTab,
                                    Pool* pool, int depth);

    std::shared_ptr<ZRAction> m_action;
    std::optional<QString> m_spacer;
    QString m_relevantTab;
    std::optional<ZRSourceListItems> m_children;
    std::weak_ptr<ZRSourceListItem> m_parent;
};
