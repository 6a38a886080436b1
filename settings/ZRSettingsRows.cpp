#include "settings/ZRSettingsRows.h"

#include "toolkit/ViewExtensions.h"
#include "toolkit/ZRShroudView.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

constexpr double NoteFontScale = 0.9;

} // namespace

ZRSettingsRows::ZRSettingsRows(QWidget* container, int top, int margin, int width) {
    m_levels.push_back({container, margin, top, top, width - 2 * margin});
}

int ZRSettingsRows::bottom() const {
    return m_levels.front().y - Spacing;
}

QWidget* ZRSettingsRows::place(QWidget* row, int indent, int height) {
    Level& level = current();
    row->setParent(level.container);
    row->setGeometry(level.x + indent, level.y, level.width - indent, height);
    level.y += height + Spacing;
    return row;
}

QWidget* ZRSettingsRows::addRow(const QList<QWidget*>& widgets, int indent, bool stretch) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(ControlSpacing);
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    if (stretch)
        layout->addStretch(1);
    return place(row, indent, layout->sizeHint().height());
}

QLabel* ZRSettingsRows::addSectionTitle(const QString& title) {
    // A title below other rows leaves more room above itself.
    if (current().y > current().top)
        current().y += SectionSpacing - Spacing;
    auto* label = new QLabel(title);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    place(label, 0, label->sizeHint().height());
    return label;
}

QLabel* ZRSettingsRows::addNote(const QString& text, int indent) {
    QLabel* label = newSettingsNoteLabel(text);
    label->setWordWrap(true);
    const int width = current().width - indent;
    place(label, indent, label->heightForWidth(width));
    return label;
}

ZRShroudView* ZRSettingsRows::beginShroud() {
    auto* shroud = new ZRShroudView;
    Level& level = current();
    shroud->setParent(level.container);
    shroud->move(level.x, level.y);
    m_levels.push_back({shroud, 0, 0, 0, level.width});
    return shroud;
}

void ZRSettingsRows::endShroud() {
    if (m_levels.size() < 2)
        return;
    const Level inner = m_levels.back();
    m_levels.pop_back();
    const int height = std::max(0, inner.y - Spacing);
    inner.container->resize(inner.width, height);
    current().y += height + Spacing;
    static_cast<ZRShroudView*>(inner.container)->updateControls();
}

bool setRowVisible(QWidget* row, bool visible) {
    const int delta = row->height() + ZRSettingsRows::Spacing;
    if (!setVisible(row, visible, delta))
        return false;
    // A row inside a shroud grows or shrinks the shroud, and so moves what lies below the shroud as well.
    const int growth = visible ? delta : -delta;
    for (QWidget* container = row->parentWidget(); container; container = container->parentWidget()) {
        const bool shroud = qobject_cast<ZRShroudView*>(container) != nullptr;
        if (shroud)
            moveSiblingsBelowUpByDelta(container, -growth);
        container->resize(container->width(), container->height() + growth);
        if (!shroud)
            break;
    }
    return true;
}

QLabel* newSettingsNoteLabel(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * NoteFontScale);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}
