#include "actions/ZRAction.h"
#include "actions/ZRActionGeometry.h"
#include "actions/ZRSnapshotDrawing.h"
#include "toolkit/Drawing.h"
#include "toolkit/ImageExtensions.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

// The screen outline is this part of the icon's height wide, never thinner than a pixel.
constexpr double OutlineWidthFraction = 0.08;
constexpr double OutlineCornerFraction = 0.15;
// Parts of the screen that the action leaves alone are drawn this faint.
constexpr double BackgroundAlpha = 0.25;
constexpr double DisabledOpacity = 0.35;
// Icons are drawn up to this many points a side: exported icons take their height (up to 2000) from a
// setting, and are wider than high.
constexpr double MaximumIconSide = 4096;
// Glyphs drawn inside the screen take this part of its shorter side.
constexpr double WindowFraction = 0.45;
// The optical centre lies this much above the middle, in fractions of the free height.
constexpr double OpticalCenterRaise = 0.1;
// The windows of a layout round their corners by this part of the icon's height.
constexpr double LayoutWindowCornerFraction = 0.06;

Size s_menuIconSize{19, 14};

struct Glyph {
    QPainter& painter;
    QRectF rect;
    QColor color;
    bool asPaletteItem;
    bool asTemplate;

    double lineWidth() const { return std::max(1.0, rect.height() * OutlineWidthFraction); }
    QRectF screen() const {
        const double half = lineWidth() / 2;
        return rect.adjusted(half, half, -half, -half);
    }
    QRectF content() const {
        if (asPaletteItem)
            return rect;
        const double inset = lineWidth() * 1.5;
        return rect.adjusted(inset, inset, -inset, -inset);
    }
    QColor faint() const {
        QColor c = color;
        c.setAlphaF(c.alphaF() * BackgroundAlpha);
        return c;
    }

    // The screen the action acts on: an outline, or the faint whole for a palette item.
    void drawScreen() const {
        const double radius = rect.height() * OutlineCornerFraction;
        if (asPaletteItem) {
            ZRDrawRectWithBorder(painter, false, QColor(), faint(), rect, radius, 0);
            return;
        }
        if (!asTemplate)
            ZRDrawRectWithBorder(painter, false, QColor(), QColor(255, 255, 255, 200), screen(), radius, 0);
        ZRDrawRectWithBorder(painter, false, color, QColor(), screen(), radius, lineWidth());
    }
    // A rectangle in fractions of the content, y up as relative frames are.
    QRectF relative(const Rect& frame) const {
        const QRectF c = content();
        return {c.x() + frame.x() * c.width(), c.bottom() - (frame.y() + frame.height()) * c.height(),
                frame.width() * c.width(), frame.height() * c.height()};
    }
    void fill(const QRectF& r, const QColor& fillColor) const {
        ZRDrawRectWithBorder(painter, false, QColor(), fillColor, r, std::min(r.width(), r.height()) * 0.1,
                             0);
    }
    void fillRelative(const Rect& frame) const { fill(relative(frame), color); }
    // A small window in the middle of the screen.
    QRectF window() const {
        const QRectF c = content();
        const double side = std::min(c.width(), c.height()) * WindowFraction;
        return {c.center().x() - side * 0.7, c.center().y() - side / 2, side * 1.4, side};
    }
    void arrow(double angle, const QRectF& within) const {
        ZRDrawArrowGlyph(painter, color, angle, within, true);
    }
};

// Clockwise from pointing right, in the painter's y-down coordinates.
std::optional<double> arrowAngle(std::int64_t direction) {
    switch (direction) {
    case ZRPositionRight:
        return 0;
    case ZRPositionBottomRight:
        return 45;
    case ZRPositionBottom:
        return 90;
    case ZRPositionBottomLeft:
        return 135;
    case ZRPositionLeft:
        return 180;
    case ZRPositionTopLeft:
        return 225;
    case ZRPositionTop:
        return 270;
    case ZRPositionTopRight:
        return 315;
    default:
        return std::nullopt;
    }
}

// A window of the given relative size flush to the edge or corner, in the middle of anything else.
Rect flushFrame(std::int64_t position, double size) {
    const double middle = (1 - size) / 2;
    const Rect centred(middle, middle, size, size);
    const Rect flush = ZRFrameFlushAtPosition(centred, Rect(0, 0, 1, 1), position);
    return flush.isEmpty() ? centred : flush;
}

void drawFolder(const Glyph& g, bool chain) {
    const QRectF r = g.screen();
    QPainterPath path;
    if (chain) {
        // Two links, one through the other.
        const double w = r.width() * 0.6;
        const double h = r.height() * 0.55;
        const QRectF first(r.left(), r.top() + (r.height() - h) / 2, w, h);
        const QRectF second = first.translated(r.width() - w, 0);
        for (const QRectF& link : {first, second})
            ZRDrawRectWithBorder(g.painter, false, g.color, QColor(), link, h / 2, g.lineWidth() * 1.3);
        return;
    }
    const double tabWidth = r.width() * 0.4;
    const double tabHeight = r.height() * 0.2;
    path.moveTo(r.left(), r.top() + tabHeight);
    path.lineTo(r.left(), r.top());
    path.lineTo(r.left() + tabWidth, r.top());
    path.lineTo(r.left() + tabWidth + tabHeight, r.top() + tabHeight);
    path.lineTo(r.right(), r.top() + tabHeight);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    g.painter.setRenderHint(QPainter::Antialiasing);
    g.painter.setPen(QPen(g.color, g.lineWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.painter.setBrush(g.asTemplate ? QBrush(g.faint()) : QBrush(QColor(255, 255, 255, 200)));
    g.painter.drawPath(path);
}

// Two overlapping windows stand for a layout that has none of its own to show.
const QVariantList& placeholderLayout() {
    static const QVariantList layout = [] {
        QVariantList windows;
        ZRWindowDescriptionFields fields;
        fields.screenFrame = Rect(0, 0, 1, 1);
        for (const Rect& frame : {Rect(0.4, 0.1, 0.55, 0.55), Rect(0.05, 0.35, 0.55, 0.55)}) {
            fields.windowFrame = frame;
            windows.append(ZRMakeWindowDescription(fields));
        }
        return windows;
    }();
    return layout;
}

void drawLayout(const Glyph& g, const ZRSnapshot& snapshot, bool generic) {
    g.drawScreen();
    const QVariantList windows =
        generic || snapshot.isEmpty() ? placeholderLayout() : snapshot.windowDescriptionList();
    // Windows that reach past the screen they were saved on stay inside the outline.
    g.painter.save();
    g.painter.setClipRect(g.content(), Qt::IntersectClip);
    drawSnapshot(g.painter, windows, g.content(), g.color, g.asTemplate,
                 g.rect.height() * LayoutWindowCornerFraction);
    g.painter.restore();
}

} // namespace

void ZRAction::setMenuTemplateIconSize(const Size& size) {
    s_menuIconSize = size;
}

void ZRAction::uncacheIcon() {
    m_iconCache.clear();
}

QImage ZRAction::strongReferenceTemplateIconWithSize(const Size& size, const QColor& color) const {
    if (!(size.width > 0 && size.width <= MaximumIconSide && size.height > 0 &&
          size.height <= MaximumIconSide))
        return {};
    const int width = int(std::ceil(size.width));
    const int height = int(std::ceil(size.height));
    const QColor drawn = color.isValid() ? color : QColor(Qt::black);
    const IconCacheKey key{width, height, drawn.rgba()};
    if (const auto it = m_iconCache.find(key); it != m_iconCache.end())
        return it->second;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        drawIconInRect(painter, QRectF(0, 0, width, height), {.asTemplate = true, .color = drawn});
    }
    m_iconCache.emplace(key, image);
    return image;
}

QImage ZRAction::menuTemplateIcon() const {
    return strongReferenceTemplateIconWithSize(s_menuIconSize);
}

void ZRAction::drawIconInRect(QPainter& painter, const QRectF& rect, const IconDrawing& drawing) const {
    if (!(rect.width() > 0) || !(rect.height() > 0))
        return;
    QColor drawn =
        drawing.color.isValid() ? drawing.color : QColor(drawing.invertForDarkMode ? Qt::white : Qt::black);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!drawing.enabled)
        painter.setOpacity(painter.opacity() * DisabledOpacity);
    const Glyph g{painter, rect, drawn, drawing.asPaletteItem, drawing.asTemplate};
    const bool generic = m_hasGenericIcon;
    const std::int64_t direction = m_moveDirection;

    switch (m_actionType) {
    case ZRActionTypeSeparator: {
        const double y = rect.center().y();
        painter.setPen(QPen(drawn, g.lineWidth(), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(rect.left() + g.lineWidth(), y), QPointF(rect.right() - g.lineWidth(), y));
        break;
    }
    case ZRActionTypeMenuHeader: {
        // A bold line of text over two plain ones.
        const double h = rect.height() / 5;
        g.fill(QRectF(rect.left(), rect.top() + h * 0.5, rect.width() * 0.7, h * 1.2), drawn);
        g.fill(QRectF(rect.left(), rect.top() + h * 2.4, rect.width(), h * 0.8), g.faint());
        g.fill(QRectF(rect.left(), rect.top() + h * 3.8, rect.width() * 0.85, h * 0.8), g.faint());
        break;
    }
    case ZRActionTypeRevert: {
        const double side = std::min(rect.width(), rect.height());
        const QRectF square(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
        drawInRect(painter, revertImage(), square, drawn, 1.0);
        break;
    }
    case ZRActionTypeFill:
        g.drawScreen();
        g.fillRelative({0, 0, 1, 1});
        break;
    case ZRActionTypeHalf:
    case ZRActionTypeQuarter: {
        g.drawScreen();
        const bool half = m_actionType == ZRActionTypeHalf;
        Rect frame =
            ZRRelativeFrameOfPosition(generic ? (half ? ZRPositionLeft : ZRPositionTopLeft) : direction);
        if (frame.isEmpty())
            frame = ZRRelativeFrameOfPosition(half ? ZRPositionLeft : ZRPositionTopLeft);
        g.fillRelative(frame);
        break;
    }
    case ZRActionTypeMoveAndResize:
        g.drawScreen();
        g.fillRelative(generic ? Rect(0.1, 0.2, 0.6, 0.6) : m_relativeFrame);
        break;
    case ZRActionTypeCenter:
    case ZRActionTypeCenterGeometrically: {
        g.drawScreen();
        const bool optical = m_actionType == ZRActionTypeCenter && m_centerMode == ZRCenterModeOptical;
        const double side = 0.5;
        g.fillRelative({(1 - side) / 2, (1 - side) / 2 + (optical ? OpticalCenterRaise : 0), side, side});
        break;
    }
    case ZRActionTypeMove:
    case ZRActionTypeMoveConfined: {
        g.drawScreen();
        const std::int64_t way = generic ? ZRPositionRight : direction;
        g.arrow(arrowAngle(way).value_or(0), g.content());
        if (m_actionType == ZRActionTypeMoveConfined || m_confinedToDisplay)
            g.fillRelative(flushFrame(way, 0.12));
        break;
    }
    case ZRActionTypeMoveToEdgeOrCorner:
        g.drawScreen();
        g.fillRelative(
            flushFrame(generic ? ZRPositionTopLeft : m_moveToEdgeOrCornerPosition, WindowFraction));
        break;
    case ZRActionTypeMoveToOtherDisplay: {
        const bool vertical = !generic && (direction == ZRPositionTop || direction == ZRPositionBottom);
        const QRectF r = g.screen();
        const double gap = g.lineWidth() * 2;
        const QRectF first =
            vertical ? QRectF(r.left() + r.width() * 0.2, r.top(), r.width() * 0.6, (r.height() - gap) / 2)
                     : QRectF(r.left(), r.top() + r.height() * 0.2, (r.width() - gap) / 2, r.height() * 0.6);
        const QRectF second =
            vertical ? first.translated(0, first.height() + gap) : first.translated(first.width() + gap, 0);
        for (const QRectF& display : {first, second})
            ZRDrawRectWithBorder(painter, false, drawn, QColor(), display, display.height() * 0.15,
                                 g.lineWidth());
        const bool towardsFirst = !generic && (direction == ZRPositionTop || direction == ZRPositionLeft);
        g.fill((towardsFirst ? first : second)
                   .adjusted(g.lineWidth() * 1.5, g.lineWidth() * 1.5, -g.lineWidth() * 1.5,
                             -g.lineWidth() * 1.5),
               drawn);
        break;
    }
    case ZRActionTypeResize: {
        g.drawScreen();
        const Rect frame = flushFrame(generic ? ZRPositionCenter : m_resizeAnchorPosition, WindowFraction);
        g.fill(g.relative({frame.x() - 0.1, frame.y() - 0.1, frame.width() + 0.2, frame.height() + 0.2})
                   .intersected(g.content()),
               g.faint());
        g.fillRelative(frame);
        break;
    }
    case ZRActionTypeGrow:
    case ZRActionTypeShrink: {
        g.drawScreen();
        const QRectF window = g.window();
        const bool grow = m_actionType == ZRActionTypeGrow;
        g.fill(grow ? window.adjusted(-window.width() * 0.3, -window.height() * 0.3, window.width() * 0.3,
                                      window.height() * 0.3)
                    : window,
               g.faint());
        const QRectF inner = grow ? window
                                  : window.adjusted(window.width() * 0.25, window.height() * 0.25,
                                                    -window.width() * 0.25, -window.height() * 0.25);
        g.fill(inner, drawn);
        const double angle = arrowAngle(generic ? ZRPositionRight : direction).value_or(0);
        g.arrow(grow ? angle : angle + 180, g.content());
        break;
    }
    case ZRActionTypeZoomToFit: {
        const double side = std::min(rect.width(), rect.height()) - g.lineWidth();
        const QRectF circle(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
        painter.setPen(QPen(drawn, g.lineWidth(), Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle);
        const double arm = side * 0.25;
        painter.drawLine(QPointF(circle.center().x() - arm, circle.center().y()),
                         QPointF(circle.center().x() + arm, circle.center().y()));
        painter.drawLine(QPointF(circle.center().x(), circle.center().y() - arm),
                         QPointF(circle.center().x(), circle.center().y() + arm));
        break;
    }
    case ZRActionTypeUseGrid: {
        g.drawScreen();
        const QRectF c = g.content();
        constexpr int columns = 3;
        constexpr int rows = 2;
        const double gap = g.lineWidth() * 0.75;
        const double w = (c.width() - gap * (columns - 1)) / columns;
        const double h = (c.height() - gap * (rows - 1)) / rows;
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column)
                g.fill(QRectF(c.left() + column * (w + gap), c.top() + row * (h + gap), w, h),
                       row == 0 && column == 0 ? drawn : g.faint());
        }
        break;
    }
    case ZRActionTypeLayout:
        drawLayout(g, m_snapshot, generic);
        break;
    case ZRActionTypeFolder:
        drawFolder(g, m_chain);
        break;
    }
    painter.restore();
}

// --- Icons of built-in types and sections

QImage ZRActionDummy::menuTemplateIconForActionType(ZRActionType type, std::int64_t position) {
    auto dummy = dummyWithType(type);
    dummy->setMoveDirection(position);
    dummy->setMoveToEdgeOrCornerPosition(position);
    if (type == ZRActionTypeMoveAndResize) {
        const Rect frame = ZRRelativeFrameOfPosition(position);
        dummy->setRelativeFrame(frame.isEmpty() ? Rect(0, 0, 1, 1) : frame);
    }
    return dummy->menuTemplateIcon();
}

QImage ZRActionDummy::genericMenuTemplateIconForActionType(ZRActionType type, const QVariantMap* record,
                                                           QString* title) {
    std::shared_ptr<ZRActionDummy> dummy;
    if (record) {
        dummy = actionWithDictionaryRepresentation(record);
        if (!record->contains(ZRActionKey::Action))
            dummy->setActionType(type);
    } else {
        dummy = dummyWithType(type);
        dummy->setHasGenericIcon(true);
    }
    if (title)
        *title = dummy->defaultNameWithSuffixes(nullptr);
    return dummy->menuTemplateIcon();
}

QImage ZRActionDummy::sidebarIconWithName(const QString& name, double height, bool isActive,
                                          bool isInDarkMode, const QColor& color) {
    const int h = int(std::ceil(height));
    const int w = int(std::ceil(height * ZRSidebarIconAspectRatio));
    if (h < 1)
        return {};
    QColor drawn = color;
    if (!drawn.isValid()) {
        drawn = isInDarkMode ? QColor(Qt::white) : QColor(Qt::black);
        drawn.setAlphaF(isActive ? 0.85 : 0.5);
    }
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(0, 0, w, h);
    const Glyph g{painter, rect, drawn, false, true};
    if (name == QStringLiteral("Palette")) {
        // The palette's five buttons.
        const double side = h / 3.0;
        const QPointF c = rect.center();
        for (const QPointF offset :
             {QPointF(0, 0), QPointF(-side, 0), QPointF(side, 0), QPointF(0, -side), QPointF(0, side)})
            g.fill(QRectF(c + offset - QPointF(side * 0.42, side * 0.42), QSizeF(side * 0.84, side * 0.84)),
                   offset.isNull() ? drawn : g.faint());
    } else if (name == QStringLiteral("Hover")) {
        g.drawScreen();
        g.arrow(315, g.content());
    } else if (name == QStringLiteral("Snap")) {
        g.drawScreen();
        g.fillRelative({0, 0, 0.5, 1});
    } else if (name == QStringLiteral("Keyboard")) {
        ZRDrawRectWithBorder(painter, false, drawn, QColor(), g.screen(), h * OutlineCornerFraction,
                             g.lineWidth());
        const QRectF c = g.content();
        const double key = c.height() / 3;
        for (int row = 0; row < 2; ++row) {
            for (double x = c.left(); x + key * 0.8 <= c.right() + 0.01; x += key)
                g.fill(QRectF(x, c.top() + row * key * 1.1, key * 0.8, key * 0.8), drawn);
        }
        g.fill(QRectF(c.left() + key, c.bottom() - key * 0.8, c.width() - 2 * key, key * 0.8), drawn);
    } else {
        ZRDrawStatusItemLogo(painter, rect, drawn);
    }
    return image;
}
