#pragma once

#include "settings/ZRSourceListItem.h"

#include <QAbstractItemModel>
#include <QHash>

class ZRSidebarController;

// The sidebar's rows as Qt's views read them: the tree of ZRSourceListItem that the sidebar controller
// keeps, its titles and whether a title can be edited. Each index points at its row; the tree changes only
// between beginReload and endReload. Main thread only.
class ZRSourceListModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit ZRSourceListModel(ZRSidebarController& sidebar, QObject* parent = nullptr);

    // Around a rebuild of the tree: every index and the selection are dropped.
    void beginReload();
    void endReload();

    ZRSourceListItem* itemForIndex(const QModelIndex& index) const;
    ZRSourceListItemRef itemRefForIndex(const QModelIndex& index) const;
    // The row's index; invalid for a row that is not in the tree.
    QModelIndex indexForItem(const ZRSourceListItem* item) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const ZRSourceListItems& rowsOf(const ZRSourceListItem* parent) const;
    int rowOf(const ZRSourceListItem* item) const;
    void mapRows(const ZRSourceListItems& rows);

    ZRSidebarController& m_sidebar;
    // Where each row stands among its siblings, as of the last reload.
    QHash<const ZRSourceListItem*, int> m_rows;
};
