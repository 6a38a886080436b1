#include "settings/ZRSourceListSelectionModel.h"

#include <QSet>
#include <QSignalBlocker>
#include <algorithm>

ZRSourceListSelectionModel::ZRSourceListSelectionModel(QAbstractItemModel* model, QObject* parent)
    : QItemSelectionModel(model, parent) {}

QItemSelection ZRSourceListSelectionModel::rowRanges(const QModelIndexList& rows) {
    QModelIndexList sorted;
    for (const QModelIndex& row : rows)
        if (row.isValid())
            sorted.append(row);
    std::sort(sorted.begin(), sorted.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.parent() != b.parent() ? a.parent() < b.parent() : a.row() < b.row();
    });
    QItemSelection ranges;
    for (qsizetype first = 0; first < sorted.size();) {
        qsizetype last = first;
        const QModelIndex parent = sorted[first].parent();
        while (last + 1 < sorted.size() && sorted[last + 1].parent() == parent &&
               sorted[last + 1].row() <= sorted[last].row() + 1)
            ++last;
        ranges.append(QItemSelectionRange(sorted[first], sorted[last]));
        first = last + 1;
    }
    return ranges;
}

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
        const QItemSelection ruled = rowRanges(chosen);
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
