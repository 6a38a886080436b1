#include "settings/ZRSourceListModel.h"

#include "actions/ZRAction.h"
#include "settings/ZRSettingsTabIdentifier.h"
#include "settings/ZRSidebarController.h"

ZRSourceListModel::ZRSourceListModel(ZRSidebarController& sidebar, QObject* parent)
    : QAbstractItemModel(parent), m_sidebar(sidebar) {}

void ZRSourceListModel::beginReload() {
    beginResetModel();
}

void ZRSourceListModel::endReload() {
    m_rows.clear();
    mapRows(m_sidebar.sourceListItems());
    endResetModel();
}

void ZRSourceListModel::mapRows(const ZRSourceListItems& rows) {
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        m_rows.insert(rows[static_cast<std::size_t>(row)].get(), row);
        if (rows[static_cast<std::size_t>(row)]->hasChildren())
            mapRows(rows[static_cast<std::size_t>(row)]->children());
    }
}

const ZRSourceListItems& ZRSourceListModel::rowsOf(const ZRSourceListItem* parent) const {
    static const ZRSourceListItems none;
    if (!parent)
        return m_sidebar.sourceListItems();
    return parent->hasChildren() ? parent->children() : none;
}

int ZRSourceListModel::rowOf(const ZRSourceListItem* item) const {
    const auto found = m_rows.constFind(item);
    if (found == m_rows.constEnd())
        return -1;
    // The map is as old as the last reload; a row it names must still stand there.
    const ZRSourceListItems& siblings = rowsOf(item->parent().get());
    const int row = *found;
    if (row < static_cast<int>(siblings.size()) && siblings[static_cast<std::size_t>(row)].get() == item)
        return row;
    return -1;
}

ZRSourceListItem* ZRSourceListModel::itemForIndex(const QModelIndex& index) const {
    return index.isValid() ? static_cast<ZRSourceListItem*>(index.internalPointer()) : nullptr;
}

ZRSourceListItemRef ZRSourceListModel::itemRefForIndex(const QModelIndex& index) const {
    ZRSourceListItem* item = itemForIndex(index);
    return item ? item->shared_from_this() : nullptr;
}

QModelIndex ZRSourceListModel::indexForItem(const ZRSourceListItem* item) const {
    if (!item)
        return {};
    const int row = rowOf(item);
    return row < 0 ? QModelIndex() : createIndex(row, 0, const_cast<ZRSourceListItem*>(item));
}

QModelIndex ZRSourceListModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || parent.column() > 0)
        return {};
    const ZRSourceListItems& rows = rowsOf(itemForIndex(parent));
    if (row >= static_cast<int>(rows.size()))
        return {};
    return createIndex(row, 0, rows[static_cast<std::size_t>(row)].get());
}

QModelIndex ZRSourceListModel::parent(const QModelIndex& index) const {
    const ZRSourceListItem* item = itemForIndex(index);
    return item ? indexForItem(item->parent().get()) : QModelIndex();
}

int ZRSourceListModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(rowsOf(itemForIndex(parent)).size());
}

int ZRSourceListModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool ZRSourceListModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid())
        return !m_sidebar.sourceListItems().empty();
    const ZRSourceListItem* item = itemForIndex(parent);
    return item && m_sidebar.isItemExpandable(*item);
}

QVariant ZRSourceListModel::data(const QModelIndex& index, int role) const {
    const ZRSourceListItem* item = itemForIndex(index);
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_sidebar.objectValueForItem(*item);
    default:
        return {};
    }
}

bool ZRSourceListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    ZRSourceListItem* item = itemForIndex(index);
    if (!item || role != Qt::EditRole || !m_sidebar.shouldEditItem(*item))
        return false;
    m_sidebar.setObjectValue(value.toString(), *item);
    Q_EMIT dataChanged(index, index);
    return true;
}

Qt::ItemFlags ZRSourceListModel::flags(const QModelIndex& index) const {
    const ZRSourceListItem* item = itemForIndex(index);
    if (!item)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_sidebar.shouldEditItem(*item))
        flags |= Qt::ItemIsEditable;
    if (item->action())
        flags |= Qt::ItemIsDragEnabled;
    // Rows a drop may land on rather than beside: folders, and the palette's section (which takes a
    // dragged action into the palette editor).
    if (item->hasChildren() || item->relevantTab() == ZRSettingsTab::Palette)
        flags |= Qt::ItemIsDropEnabled;
    if (!item->hasChildren())
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}
