#pragma once

#include "toolkit/MatchingQualityEvaluator.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// A row of the keyboard menu and the node of the tree its caller builds:
//   an entry has an action or children (a folder) and alone can be selected, stepped onto or
//   type-selected;
//   a label has neither but a title or a suffix (headers, the "Empty" row of an empty folder);
//   a separator has none of action, children, title and suffix.
// Each node remembers which of its children is selected, so every level keeps its own selection while
// the user moves between levels. A tree is owned by its root: a node owns its children, and the parent
// is a plain back pointer, valid while the root lives. Main thread only.
class ZRKeyboardMenuItem : public std::enable_shared_from_this<ZRKeyboardMenuItem> {
public:
    // Run when the row is chosen: true means the choice is done and the menu closes; false lets the menu
    // go on, into the row's children when it has any.
    using Action = std::function<bool(ZRKeyboardMenuItem& item)>;

    static std::shared_ptr<ZRKeyboardMenuItem> item(const QString& title = QString());

    const QString& title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    // Drawn dimmed right after the title.
    const QString& suffix() const { return m_suffix; }
    void setSuffix(const QString& suffix) { m_suffix = suffix; }
    // At the row's left; a template image shows only its shape, in the row's text colour.
    const QImage& image() const { return m_image; }
    bool imageIsTemplate() const { return m_imageIsTemplate; }
    void setImage(const QImage& image, bool isTemplate = true);

    ZRKeyboardMenuItem* parent() const { return m_parent; }
    const Action& action() const { return m_action; }
    void setAction(Action action) { m_action = std::move(action); }
    const std::vector<std::shared_ptr<ZRKeyboardMenuItem>>& children() const { return m_children; }
    // One of the children, or null.
    ZRKeyboardMenuItem* selectedChild() const { return m_selectedChild; }
    void setSelectedChild(ZRKeyboardMenuItem* child);
    // The parts of the title the current type-select query matched; empty when it did not match.
    std::vector<ZRMatchedRange>& typeSelectMatchingRanges() { return m_typeSelectMatchingRanges; }
    const std::vector<ZRMatchedRange>& typeSelectMatchingRanges() const { return m_typeSelectMatchingRanges; }

    bool isEntry() const { return m_action || !m_children.empty(); }
    bool isSeparator() const { return !isEntry() && m_title.isEmpty() && m_suffix.isEmpty(); }

    // Appends the item and becomes its parent; false for none.
    bool addChild(const std::shared_ptr<ZRKeyboardMenuItem>& item);
    bool addSeparatorChild();
    // Becomes its parent's selected child; false without a parent.
    bool select();
    bool isSelected() const;
    // The colour of the row's text and template image: white in the dark theme or when selected (on the
    // accent colour), else the light theme's text colour.
    QColor textColorForDarkTheme(bool dark) const;
    // The light theme's text: black, slightly soft.
    static QColor lightThemeTextColor();
    // The root of the tree the item belongs to.
    std::shared_ptr<ZRKeyboardMenuItem> topmostAncestor();

private:
    QString m_title;
    QString m_suffix;
    QImage m_image;
    bool m_imageIsTemplate = true;
    ZRKeyboardMenuItem* m_parent = nullptr;
    Action m_action;
    std::vector<std::shared_ptr<ZRKeyboardMenuItem>> m_children;
    ZRKeyboardMenuItem* m_selectedChild = nullptr;
    std::vector<ZRMatchedRange> m_typeSelectMatchingRanges;
};
