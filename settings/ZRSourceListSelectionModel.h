#pragma once

#include <QItemSelectionModel>
#include <functional>

// The sidebar's selection: whatever a click, a key or a call proposes, the rule decides what is selected
// in the end, and the views hear only that.
class ZRSourceListSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    // The proposed rows (first column, any order) give the rows to select.
    using Rule = std::function<QModelIndexList(const QModelIndexList& proposed)>;

    explicit ZRSourceListSelectionModel(QAbstractItemModel* model, QObject* parent = nullptr);
    void setRule(Rule rule) { m_rule = std::move(rule); }

    // The rows as few ranges as they make: Qt's selection costs grow with the square of its ranges, and one
    // range per row of a large import froze the window.
    static QItemSelection rowRanges(const QModelIndexList& rows);

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;

private:
    Rule m_rule;
    bool m_applyingRule = false;
};
