// The keyboard menu's drawing: the title line with its back arrow, the rows of the current level with
// their icons, suffixes, submenu arrows and highlights, separators and labels, type-select underlines,
// and dots where the list goes on. The hit test of the clicks (ZRKeyboardMenuInput.cpp) follows the same
// geometry: lines of one line height below a title line and its separator.
#include "keyboard-control/ZRKeyboardMenu.h"

#include "keyboard-control/ZRKeyboardMenuItem.h"
#include "toolkit/Appearance.h"
#include "toolkit/Drawing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {

// The light theme's window background.
const QColor LightBackgroundColor(236, 236, 236);
// The dark theme's background: a grey this light.
constexpr double DarkBackgroundWhite = 0.15;
constexpr double DimAlpha = 0.2;
constexpr double DarkTitleAlpha = 0.4;
constexpr double LightTitleAlpha = 0.2;
constexpr double SeparatorAlpha = 0.1;
constexpr double MouseHighlightAlpha = 0.05;
// The suffix of the selected row in the light theme, readable on the accent colour.
constexpr double SelectedSuffixAlpha = 0.4;
// Rounded highlights (without full-width selection) only for corners rounder than this.
constexpr double HighlightCornerThreshold = 10;
constexpr double HighlightCornerFloorThreshold = 20;
constexpr double MinimumHighlightCorner = 10;
// The dots where the list goes on: their inset in vertical paddings, and three of them, a dot apart.
constexpr double DotInset = 0.35;
constexpr double DotSpacing = 2;
constexpr QChar Ellipsis = u'\u2026';

ZRKeyboardMenuTextAttributes withColor(ZRKeyboardMenuTextAttributes attributes, const QColor& color) {
    attributes.text.color = color;
    return attributes;
}

// The formats of a text after its middle was elided: parts before the ellipsis keep their place, parts
// after it move with the end of the text, and the part left out goes with its formats.
QList<QTextLayout::FormatRange> formatsAfterEliding(const QString& text, const QString& elided,
                                                    const QList<QTextLayout::FormatRange>& formats) {
    qsizetype head = 0;
    while (head < elided.size() && head < text.size() && elided[head] == text[head])
        ++head;
    const qsizetype tailLength = std::max<qsizetype>(0, elided.size() - head - 1);
    const qsizetype tailStart = text.size() - tailLength;
    QList<QTextLayout::FormatRange> mapped;
    for (const auto& range : formats) {
        const qsizetype end = range.start + range.length;
        if (range.start < head)
            mapped.append({range.start, int(std::min(end, head) - range.start), range.format});
        if (end > tailStart) {
            const qsizetype start = std::max<qsizetype>(range.start, tailStart);
            mapped.append({int(start - tailStart + head + 1), int(end - start), range.format});
        }
    }
    return mapped;
}

// One line of text in the rectangle by the attributes, elided in the middle when too wide.
void drawText(QPainter& painter, const QRectF& rect, const QString& text,
              const ZRKeyboardMenuTextAttributes& attributes, QList<QTextLayout::FormatRange> formats = {}) {
    if (text.isEmpty() || rect.width() <= 0)
        return;
    const QFont& font = attributes.text.font;
    // One character for another: the formats' ranges stay.
    const QString drawable = ZRKeyboardMenu::drawableText(text, font);
    const QString elided = QFontMetricsF(font).elidedText(drawable, Qt::ElideMiddle, rect.width());
    if (elided != drawable)
        formats = formatsAfterEliding(drawable, elided, formats);
    QTextLayout layout(elided, font);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setNumColumns(int(elided.size()));
    layout.endLayout();
    double x = rect.x();
    if (attributes.text.alignment & Qt::AlignHCenter)
        x += (rect.width() - line.naturalTextWidth()) / 2;
    painter.setPen(attributes.text.color);
    layout.draw(&painter, QPointF(x, rect.y()));
}

void fillRect(QPainter& painter, const QRectF& rect, const QColor& color) {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(rect, color);
    painter.restore();
}

// The selection and mouse highlights: edge to edge, or inset and rounded to fit the panel's corners.
void drawHighlight(QPainter& painter, const QColor& color, const QRectF& rect, const Size& padding) {
    const double panelRadius = ZRKeyboardMenu::menuCornerRadius();
    if (ZRKeyboardMenu::fullWidthSelection() || panelRadius <= HighlightCornerThreshold) {
        fillRect(painter, rect, color);
        return;
    }
    double radius = panelRadius - padding.height;
    if (panelRadius > HighlightCornerFloorThreshold)
        radius = std::max(radius, MinimumHighlightCorner);
    painter.fillPath(
        bezierPathWithCurvedRect(rect.adjusted(padding.width / 2, 0, -padding.width / 2, 0), radius), color);
}

void drawImage(QPainter& painter, const QRectF& rect, const QImage& image, bool isTemplate,
               const QColor& color) {
    if (!isTemplate) {
        painter.drawImage(rect, image);
        return;
    }
    // A template shows its shape in the row's colour.
    QImage tinted(image.size(), QImage::Format_ARGB32_Premultiplied);
    tinted.fill(Qt::transparent);
    {
        QPainter tint(&tinted);
        tint.drawImage(QPoint(), image);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(tinted.rect(), color);
    }
    painter.drawImage(rect, tinted);
}

void drawDots(QPainter& painter, QRectF dot, const QColor& color) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (const double shift : {-DotSpacing, 0.0, DotSpacing})
        painter.drawEllipse(dot.translated(shift * dot.width(), 0));
    painter.restore();
}

} // namespace

void ZRKeyboardMenu::drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget*) {
    if (m_presentedBounds.isEmpty()) {
        drawKeyboardMenuInBounds(painter, bounds);
        return;
    }
    // Growing after a pop-up: drawn as a window of that frame would draw it.
    painter.save();
    painter.translate(m_presentedBounds.topLeft());
    const QRectF presented(QPointF(), m_presentedBounds.size());
    painter.setClipRect(presented);
    drawKeyboardMenuInBounds(painter, presented);
    painter.restore();
}

void ZRKeyboardMenu::drawKeyboardMenuInBounds(QPainter& painter, const QRectF& bounds) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const bool dark = usesDarkTheme();
    const double white = dark ? 1.0 : 0.0;

    const double radius = menuCornerRadius();
    painter.setPen(Qt::NoPen);
    painter.setBrush(dark ? calibratedWhite(DarkBackgroundWhite, 1.0) : LightBackgroundColor);
    painter.drawRoundedRect(bounds, radius, radius);
    if (!m_rootItem || !m_currentParent) {
        painter.restore();
        return;
    }

    const bool staticSelection = usesStaticSelection();
    const double lineHeight = lineHeightForScreen(screen());
    const Size padding = paddingForLineHeight(lineHeight);
    ZRKeyboardMenuTextAttributes leftAttributes = textAttributesForLineHeight(lineHeight, false);
    const double baseline = leftAttributes.baselineOffset;
    const ZRKeyboardMenuTextAttributes centered = textAttributesForLineHeight(lineHeight, true);
    const ZRKeyboardMenuTextAttributes dimAttributes = withColor(centered, calibratedWhite(white, DimAlpha));
    const ZRKeyboardMenuTextAttributes titleAttributes =
        withColor(centered, calibratedWhite(white, dark ? DarkTitleAlpha : LightTitleAlpha));

    const ZRKeyboardMenuItem* level = m_currentParent;
    const auto& children = level->children();
    const qsizetype count = qsizetype(children.size());
    const ZRKeyboardMenuItem* selected = level->selectedChild();
    const auto selectedAt = std::find_if(children.begin(), children.end(),
                                         [selected](const auto& child) { return child.get() == selected; });
    const qsizetype selectedIndex =
        selectedAt == children.end() ? 0 : qsizetype(selectedAt - children.begin());
    const qsizetype lines = m_numberOfLines;
    const qsizetype first = staticSelection ? 0 : std::max<qsizetype>(0, selectedIndex - lines + 2);
    const double arrowWidth = QFontMetricsF(leftAttributes.text.font).horizontalAdvance(RightArrow);
    const double textWidth = bounds.width() - 2 * padding.width;

    if (staticSelection && selected)
        drawHighlight(painter, backwardsCompatibleControlAccentColor(),
                      QRectF(0, std::floor(bounds.height() / 2 + padding.height), bounds.width(), lineHeight),
                      padding);

    const bool moreAbove = staticSelection ? selectedIndex - lines / 2 + 1 > 0 : first > 0;
    const bool moreBelow = (staticSelection ? selectedIndex - lines / 2 + lines : first - 1 + lines) < count;
    if (moreAbove || moreBelow) {
        const double inset = std::round(DotInset * padding.height);
        const QRectF dot = QRectF(std::round((textWidth - padding.height) / 2) + padding.width,
                                  padding.height, padding.height, padding.height)
                               .adjusted(inset, inset, -inset, -inset);
        if (moreAbove)
            drawDots(painter, dot.translated(0, lineHeight + padding.height), titleAttributes.text.color);
        if (moreBelow)
            drawDots(painter, dot.translated(0, bounds.bottom() - dot.height() - inset - dot.top()),
                     titleAttributes.text.color);
    }

    double y = padding.height;
    for (qsizetype line = 0; line < lines; ++line) {
        QRectF textRect(padding.width, y + baseline, textWidth, lineHeight);
        if (line == 0) {
            if (level->parent()) {
                const QColor color = dark ? QColor(Qt::white) : ZRKeyboardMenuItem::lightThemeTextColor();
                drawText(painter, QRectF(padding.width, y + baseline, arrowWidth, lineHeight),
                         QString(QChar(LeftArrow)),
                         m_mouseHighlightIndex == BackArrowHighlight ? withColor(leftAttributes, color)
                                                                     : dimAttributes);
                textRect.adjust(padding.width + arrowWidth, 0, -(padding.width + arrowWidth), 0);
            }
            drawText(painter, textRect, level->title(), titleAttributes);
            y += lineHeight + padding.height;
            fillRect(painter, QRectF(0, y - 1, bounds.width(), 1), calibratedWhite(white, SeparatorAlpha));
            y += padding.height;
            continue;
        }
        if (count == 0) {
            drawText(painter, textRect, emptyTitle(), titleAttributes);
            break;
        }
        const qsizetype index = staticSelection ? line + selectedIndex - lines / 2 : line + first - 1;
        if (index >= count)
            break;
        if (index >= 0) {
            const ZRKeyboardMenuItem& child = *children[std::size_t(index)];
            if (child.isSeparator()) {
                fillRect(painter, QRectF(0, y + std::round(lineHeight / 2), bounds.width(), 1),
                         calibratedWhite(white, SeparatorAlpha));
            } else if (!child.isEntry()) {
                drawText(painter, textRect, child.title() + child.suffix(), dimAttributes);
            } else {
                const QRectF row(0, y, bounds.width(), lineHeight);
                if (!staticSelection && &child == selected)
                    drawHighlight(painter, backwardsCompatibleControlAccentColor(), row, padding);
                if (index == m_mouseHighlightIndex)
                    drawHighlight(painter, calibratedWhite(white, MouseHighlightAlpha), row, padding);
                const QColor color = child.textColorForDarkTheme(dark);
                if (!child.image().isNull()) {
                    const QSizeF size = child.image().deviceIndependentSize();
                    drawImage(painter,
                              QRectF(QPointF(padding.width, y + std::round((lineHeight - size.height()) / 2)),
                                     size),
                              child.image(), child.imageIsTemplate(), color);
                    textRect.setLeft(textRect.left() + size.width() + padding.width);
                }
                leftAttributes.text.color = color;
                QList<QTextLayout::FormatRange> formats;
                if (!child.suffix().isEmpty()) {
                    QTextCharFormat suffixFormat;
                    suffixFormat.setForeground(!dark && &child == selected
                                                   ? calibratedWhite(1.0, SelectedSuffixAlpha)
                                                   : dimAttributes.text.color);
                    formats.append({int(child.title().size()), int(child.suffix().size()), suffixFormat});
                }
                if (m_typeSelectQuery && !m_typeSelectQuery->isEmpty()) {
                    QTextCharFormat underline;
                    underline.setFontUnderline(true);
                    for (const ZRMatchedRange& range : child.typeSelectMatchingRanges())
                        formats.append({int(range.location), int(range.length), underline});
                }
                drawText(painter, textRect, child.title() + child.suffix(), leftAttributes, formats);
                if (!child.children().empty())
                    drawText(painter,
                             QRectF(bounds.width() - arrowWidth - padding.width, y + baseline, arrowWidth,
                                    lineHeight),
                             QString(QChar(RightArrow)), dimAttributes);
            }
        }
        if (index == count - 1)
            break;
        y += lineHeight;
    }
    painter.restore();
}
