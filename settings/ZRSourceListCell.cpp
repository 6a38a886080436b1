#include "settings/ZRSourceListCell.h"

#include "platform/foundation/UserDefaults.h"
#include "settings/ZRSidebarController.h"
#include "settings/ZRSourceList.h"
#include "settings/ZRSourceListModel.h"
#include "toolkit/Appearance.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/WindowExtensions.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHash>
#include <QHelpEvent>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QToolTip>
#include <cmath>

namespace {

const QString SidebarIconPriorityKey = QStringLiteral("Sidebar Icon Priority");

constexpr double SmallIconSlotWidth = 24;
constexpr double LargeIconSlotWidth = 32;
constexpr double RegularIconSlotWidth = 28;
constexpr qint64 SmallSizeMode = 1;
constexpr qint64 LargeSizeMode = 3;
// Hot keys also show while the window is wider than its minimum by more than this.
constexpr double HotKeyWidthTolerance = 0.1;
// An icon sits a little left of the middle of its slot, and one point above the middle of the row.
constexpr double IconSlotPosition = 0.45;
constexpr double IconRaise = 1;
// The hot key's text is faint beside the title.
constexpr double HotKeyAlpha = 0.35;
constexpr double TintedHotKeyAlpha = 0.6;
// A title asks for a little room around itself, as a text cell does.
constexpr double TitlePadding = 4;

bool hotKeysAreShown = true;

} // namespace

ZRSourceListCell::ZRSourceListCell(ZRSidebarController& sidebar, QObject* parent)
    : QStyledItemDelegate(parent), m_sidebar(sidebar) {}

double ZRSourceListCell::iconSlotWidth(qint64 sizeMode) {
    switch (sizeMode) {
    case SmallSizeMode:
        return SmallIconSlotWidth;
    case LargeSizeMode:
        return LargeIconSlotWidth;
    default:
        return RegularIconSlotWidth;
    }
}

QImage ZRSourceListCell::iconWithName(const QString& name, const QString& accessibilityDescription,
                                      double pointSize, const UserDefaults& defaults) {
    if (defaults.integerForKey(SidebarIconPriorityKey) < 1)
        return {};
    static QHash<QString, QImage> cache;
    const auto size = static_cast<qint64>(pointSize);
    const QString key = QStringLiteral("%1: %2").arg(name).arg(size);
    const auto cached = cache.constFind(key);
    if (cached != cache.constEnd())
        return *cached;
    QImage image;
    const QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull() && size > 0)
        image = icon.pixmap(QSize(int(size), int(size))).toImage();
    if (!image.isNull())
        image.setText(QStringLiteral("Description"), accessibilityDescription);
    cache.insert(key, image);
    return image;
}

void ZRSourceListCell::setHotKeysShown(bool shown) {
    hotKeysAreShown = shown;
}

bool ZRSourceListCell::hotKeysShownFor(qint64 priority, double windowWidth, double minimumWindowWidth) {
    if (priority == 1)
        return true;
    if (priority == 0)
        return windowWidth > minimumWindowWidth + HotKeyWidthTolerance;
    return false;
}

void ZRSourceListCell::setHotKeyRepresentation(const QString& text) {
    m_hotKeyRepresentation = text;
    m_hotKeyRepresentationWidth = UnmeasuredWidth;
}

void ZRSourceListCell::setFont(const QFont& font) {
    if (font != m_font)
        m_hotKeyRepresentationWidth = UnmeasuredWidth;
    m_font = font;
}

double ZRSourceListCell::hotKeyRepresentationWidth() const {
    if (!hotKeysAreShown || m_hotKeyRepresentation.isEmpty())
        return -1;
    if (m_hotKeyRepresentationWidth < UnmeasuredWidth / 2)
        m_hotKeyRepresentationWidth = QFontMetricsF(m_font).horizontalAdvance(m_hotKeyRepresentation);
    return m_hotKeyRepresentationWidth;
}

QSizeF ZRSourceListCell::cellSize(QSizeF titleSize) const {
    QSizeF size(titleSize.width() + TitlePadding, titleSize.height());
    if (const double hotKeyWidth = hotKeyRepresentationWidth(); hotKeyWidth > HotKeyWidthTolerance)
        size.rwidth() += hotKeyWidth + HotKeyGap;
    if (!m_icon.isNull())
        size.rwidth() += iconSlotWidth(m_sizeMode);
    return size;
}

QRectF ZRSourceListCell::textFrameForCellFrame(const QRectF& frame, bool) const {
    QRectF text = frame;
    if (const double hotKeyWidth = hotKeyRepresentationWidth(); hotKeyWidth > HotKeyWidthTolerance)
        text.setWidth(text.width() - (hotKeyWidth + HotKeyGap));
    if (!m_icon.isNull()) {
        const double slot = iconSlotWidth(m_sizeMode);
        text.setLeft(text.left() + slot);
    }
    if (text.width() < MinimumTextWidth)
        text.setWidth(MinimumTextWidth);
    return text;
}

void ZRSourceListCell::drawWithFrame(QPainter& painter, const QRectF& frame, const QString& title,
                                     bool highlighted, bool retina) const {
    painter.save();
    painter.setFont(m_font);
    const QRectF textFrame = textFrameForCellFrame(frame, false);
    const QFontMetricsF metrics(m_font);
    painter.setPen(m_textColor);
    painter.drawText(textFrame, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(title, Qt::ElideRight, textFrame.width()));

    if (const double hotKeyWidth = hotKeyRepresentationWidth(); hotKeyWidth > HotKeyWidthTolerance) {
        double alpha = HotKeyAlpha;
        if (ZRIncreaseContrastEnabled())
            alpha = 1.0;
        else if (m_tintWhite)
            alpha = TintedHotKeyAlpha;
        QColor color = m_tintWhite ? QColor(Qt::white) : QColor(Qt::black);
        color.setAlphaF(static_cast<float>(alpha));
        painter.setPen(color);
        const QRectF hotKeyFrame(frame.right() - hotKeyWidth - HotKeyRightInset, frame.top(), hotKeyWidth,
                                 frame.height());
        painter.drawText(hotKeyFrame, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(m_hotKeyRepresentation, Qt::ElideRight, hotKeyWidth + 1));
    }

    if (!m_icon.isNull()) {
        const QSizeF iconSize = m_icon.deviceIndependentSize();
        const double slot = iconSlotWidth(m_sizeMode);
        double x = frame.left() + std::round(IconSlotPosition * (slot - iconSize.width()));
        double y = frame.top() + (frame.height() - iconSize.height()) / 2 - IconRaise;
        if (!retina) {
            x = std::floor(x);
            y = std::floor(y);
        }
        painter.drawImage(QRectF(QPointF(x, y), iconSize), m_icon);
    }
    painter.restore();
}

QRectF ZRSourceListCell::expansionFrameWithFrame(const QRectF& frame, const QString& title) const {
    const QRectF textFrame = textFrameForCellFrame(frame, false);
    const double titleWidth = QFontMetricsF(m_font).horizontalAdvance(title);
    if (titleWidth <= textFrame.width())
        return {};
    QRectF expansion(textFrame.left(), frame.top(), titleWidth, frame.height());
    return expansion.adjusted(-ExpansionMarginX, -ExpansionMarginY, ExpansionMarginX, ExpansionMarginY);
}

ZRSourceListCell& ZRSourceListCell::prepared(const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const {
    // The outline's one cell is set up anew for every row it draws or measures.
    auto& cell = const_cast<ZRSourceListCell&>(*this);
    const ZRSourceListItem* item = m_sidebar.model().itemForIndex(index);
    if (!item)
        return cell;
    const auto* view = qobject_cast<const ZRSourceList*>(option.widget);
    ZRSourceListRowState state;
    // Views take their active state away while they lack the keyboard; rows follow their window instead.
    state.active = view ? view->isActiveWindow() : bool(option.state & QStyle::State_Active);
    state.highlighted = option.state & QStyle::State_Selected;
    state.firstResponder = view && view->hasFocus();
    state.dark = view && isInFullyInvertedDarkMode(view);
    state.editing = view && view->isEditingIndex(index);
    m_sidebar.willDisplayCell(cell, *item, state);
    return cell;
}

void ZRSourceListCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const ZRSourceListCell& cell = prepared(option, index);
    QStyleOptionViewItem background = option;
    background.text.clear();
    background.icon = QIcon();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);
    const bool retina = widget && isOnRetinaDisplay(widget->window());
    cell.drawWithFrame(*painter, option.rect, index.data(Qt::DisplayRole).toString(),
                       option.state & QStyle::State_Selected, retina);
}

QSize ZRSourceListCell::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const ZRSourceListItem* item = m_sidebar.model().itemForIndex(index);
    if (!item)
        return {};
    const ZRSourceListCell& cell = prepared(option, index);
    const QFontMetricsF metrics(cell.font());
    const double height = m_sidebar.heightOfRowByItem(*item) + m_sidebar.verticalIntercellSpacing();
    const QSizeF size = cell.cellSize(QSizeF(metrics.horizontalAdvance(index.data().toString()), height));
    return QSizeF(size.width(), height).toSize();
}

QWidget* ZRSourceListCell::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    const ZRSourceListCell& cell = prepared(option, index);
    if (auto* field = qobject_cast<QLineEdit*>(editor)) {
        field->setFont(cell.font());
        field->setPlaceholderText(cell.placeholder());
    }
    m_editor = editor;
    return editor;
}

void ZRSourceListCell::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    const ZRSourceListCell& cell = prepared(option, index);
    editor->setGeometry(cell.textFrameForCellFrame(option.rect, true).toAlignedRect());
}

bool ZRSourceListCell::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const ZRSourceListCell& cell = prepared(option, index);
    const QString title = index.data().toString();
    const QRectF expansion = cell.expansionFrameWithFrame(option.rect, title);
    if (expansion.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    // The whole title shows over the row, where the truncated one stands.
    const QPoint topLeft = view->viewport()->mapToGlobal(expansion.topLeft().toPoint());
    QToolTip::showText(topLeft, title, view->viewport(), expansion.toAlignedRect());
    return true;
}
