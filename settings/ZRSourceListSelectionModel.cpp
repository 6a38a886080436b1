#include "settings/ZRSourceListSelectionModel.h"

#include <QSet>
#include <QSignalBlocker>

ZRSourceListSelectionModel::ZRSourceListSelectionModel(QAbstractItemModel* model, QObject* parent)
    : QItemSelectionModel(model, parent) {}

void ZRSourceListSelectionModel::select(const QItemSelection& selection,
                                        QItemSelectionModel::SelectionFlags command) {
    if (!m_rule || m_applyingRule) {
        QItemSelectionModel::select(selection, command);
        return;
    }
    const QItemSelection before = this->selection();
    {
        // Qt works out the proposal (toggles, ranges, drags); nobody hears of it until the rule has spoken.
        const QSignalBlocker blocker(this);
        QItemSelectionModel::select(selection, command);
    }
    const QModelIndexList proposed = selectedRows();
    const QModelIndexList chosen = m_rule(proposed);
    if (QSet<QModelIndex>(chosen.begin(), chosen.end()) !=
        QSet<QModelIndex>(proposed.begin(), proposed.end())) {
        QItemSelection ruled;
        for (const QModelIndex& index : chosen)
            ruled.select(index, index);
        m_applyingRule = true;
        const QSignalBlocker blocker(this);
        QItemSelectionModel::select(ruled, ClearAndSelect | Rows);
        m_applyingRule = false;
    }
    const QItemSelection after = this->selection();
    QItemSelection added = after;
    added.merge(before, Deselect);
    QItemSelection removed = before;
    removed.merge(after, Deselect);
    if (!added.isEmpty() || !removed.isEmpty())
        Q_EMIT selectionChanged(added, removed);
}
