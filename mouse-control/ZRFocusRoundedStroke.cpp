#include "mouse-control/ZRFocusRoundedStroke.h"

#include "toolkit/Appearance.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// No rounding below this corner room (points), and a little is kept from half the shorter side.
constexpr double MinimumCornerRoom = 1.0;
constexpr double CornerRoomInset = 0.1;
// The inner line's shadow: a soft dark edge of this opacity and reach (points), drawn as rings.
constexpr double ShadowOpacity = 0.4;
constexpr double ShadowRadius = ZRFocusRoundedStroke::ShadowRadius;
constexpr int ShadowRings = 3;

// The picture of a line's straight edge repeats its dash pattern this many times at most, to find a whole
// number of pixels for the repeat; a solid line repeats a piece this long (points).
constexpr int MaximumPatternRepeats = 32;
constexpr double WholePixelTolerance = 0.02;
constexpr double SolidPiece = 8.0;

QColor shadowRingColor() {
    return calibratedWhite(0.0, ShadowOpacity / ShadowRings);
}

double roomyRadius(const QRectF& rect, double radius) {
    const double room = std::min(rect.width(), rect.height()) / 2 - CornerRoomInset;
    return room < MinimumCornerRoom ? 0 : std::min(radius, room);
}

double patternPeriod(const std::vector<double>& pattern) {
    double period = 0;
    for (const double length : pattern)
        period += length;
    return pattern.empty() || period <= 0 ? SolidPiece : period;
}

// A straight edge's line as a small picture that repeats along it: the dashes (or a solid piece) across the
// middle of its height, each with its shadow rings. One pixel of it is `scale` points along the line.
struct LineTexture {
    QImage image;
    double scale = 1;
    double period = SolidPiece;

    static LineTexture make(const std::vector<double>& pattern, double width, const QColor& color,
                            bool shadow) {
        LineTexture texture;
        texture.period = patternPeriod(pattern);
        int repeats = 1;
        while (repeats < MaximumPatternRepeats &&
               std::abs(repeats * texture.period - std::round(repeats * texture.period)) >
                   WholePixelTolerance)
            ++repeats;
        const int length = std::max(1, int(std::lround(repeats * texture.period)));
        texture.scale = repeats * texture.period / length;
        const double grow = shadow ? ShadowRadius : 0;
        const int height = int(std::ceil(width + 2 * grow)) + 2;
        texture.image = QImage(length, height, QImage::Format_ARGB32_Premultiplied);
        texture.image.fill(Qt::transparent);
        QPainter painter(&texture.image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(1 / texture.scale, 1);
        const double middle = height / 2.0;
        // One repeat on each side as well, so the dashes that cross the picture's ends wrap round.
        for (int k = -1; k <= repeats; ++k) {
            double at = k * texture.period;
            for (std::size_t i = 0; i < std::max<std::size_t>(pattern.size(), 1); i += 2) {
                const double on = pattern.empty() ? texture.period : pattern[i];
                const QRectF dash(at, middle - width / 2, on, width);
                if (shadow)
                    for (int ring = ShadowRings; ring >= 1; --ring) {
                        const double g = grow * ring / ShadowRings;
                        painter.fillRect(dash.adjusted(-g, -g, g, g), shadowRingColor());
                    }
                painter.fillRect(dash, color);
                at += on + (i + 1 < pattern.size() ? pattern[i + 1] : 0);
            }
        }
        return texture;
    }
};

// The pictures of the last few lines painted: a frame of the dashes paints the same ones again. Main thread.
const LineTexture& lineTexture(const std::vector<double>& pattern, double width, const QColor& color,
                               bool shadow) {
    struct Entry {
        std::vector<double> pattern;
        double width;
        QRgb color;
        bool shadow;
        LineTexture texture;
    };
    static std::vector<Entry> recent;
    constexpr std::size_t Kept = 8;
    for (auto it = recent.begin(); it != recent.end(); ++it)
        if (it->pattern == pattern && it->width == width && it->color == color.rgba() &&
            it->shadow == shadow) {
            std::rotate(recent.begin(), it, it + 1);
            return recent.front().texture;
        }
    if (recent.size() == Kept)
        recent.pop_back();
    recent.insert(recent.begin(),
                  {pattern, width, color.rgba(), shadow, LineTexture::make(pattern, width, color, shadow)});
    return recent.front().texture;
}

// The straight edges and corners of a rounded rectangle, clockwise from the end of the top-left corner,
// each with where it begins along the outline (its perimeter position).
struct StrokeGeometry {
    struct Edge {
        QPointF start;
        QPointF direction;
        double at = 0;
        double length = 0;
    };
    struct Corner {
        QRectF circle;
        double startAngle = 0;
        double at = 0;
    };
    std::vector<Edge> edges;
    std::vector<Corner> corners;

    StrokeGeometry(const QRectF& rect, double r, double width) {
        const double across = rect.width() - 2 * r;
        const double down = rect.height() - 2 * r;
        const double arc = std::numbers::pi * r / 2;
        const double L = rect.left(), T = rect.top(), R = rect.right(), B = rect.bottom();
        // Without corners the top and bottom edges reach over the corners' squares.
        const double over = r > 0 ? 0 : width / 2;
        edges = {{{L + r - over, T}, {1, 0}, -over, across + 2 * over},
                 {{R, T + r}, {0, 1}, across + arc, down},
                 {{R - r + over, B}, {-1, 0}, across + 2 * arc + down - over, across + 2 * over},
                 {{L, B - r}, {0, -1}, 2 * across + 3 * arc + down, down}};
        if (r > 0) {
            const double d = 2 * r;
            corners = {{{R - d, T, d, d}, 90, across},
                       {{R - d, B - d, d, d}, 0, across + arc + down},
                       {{L, B - d, d, d}, 270, 2 * across + 2 * arc + down},
                       {{L, T, d, d}, 180, 2 * across + 3 * arc + 2 * down}};
        }
    }
};

} // namespace

QPainterPath ZRFocusCreateRoundedPath(const QRectF& rect, double radius) {
    QPainterPath path;
    const double r = roomyRadius(rect, radius);
    if (r <= 0)
        path.addRect(rect);
    else
        path.addRoundedRect(rect, r, r);
    return path;
}

QPen ZRFocusPen(const QColor& color, double width, const std::vector<double>& dashPattern, double dashPhase) {
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (!dashPattern.empty() && width > 0) {
        // Qt measures dashes in line widths.
        QList<qreal> pattern;
        for (const double length : dashPattern)
            pattern += length / width;
        pen.setDashPattern(pattern);
        pen.setDashOffset(dashPhase / width);
    }
    return pen;
}

double ZRFocusRoundedStroke::effectiveRadius() const {
    return roomyRadius(rect, radius);
}

void ZRFocusRoundedStroke::paint(QPainter& painter, double dashPhase, double pulse, const QRectF& clip,
                                 const std::vector<QRect>& excluded) const {
    const double lineWidth = width * (1 + std::clamp(pulse, 0.0, 1.0));
    const StrokeGeometry geometry(rect, effectiveRadius(), lineWidth);
    const LineTexture& texture = lineTexture(dashPattern, lineWidth, color, shadow);
    const double half = texture.image.height() / 2.0;
    const double repeat = texture.image.width() * texture.scale;

    for (const StrokeGeometry::Edge& edge : geometry.edges) {
        if (edge.length <= 0)
            continue;
        const QPointF d = edge.direction;
        const QPointF n(-d.y(), d.x());
        const QPointF end = edge.start + d * edge.length;
        const QRectF band = QRectF(edge.start, end)
                                .normalized()
                                .adjusted(-std::abs(n.x()) * half, -std::abs(n.y()) * half,
                                          std::abs(n.x()) * half, std::abs(n.y()) * half);
        if (!band.intersects(clip))
            continue;
        // A texture pixel (u, v) lies at start + d (u scale - offset) + n (v - half).
        const double offset = std::fmod(edge.at + dashPhase, repeat);
        QBrush brush(texture.image);
        brush.setTransform(QTransform(d.x() * texture.scale, d.y() * texture.scale, n.x(), n.y(),
                                      edge.start.x() - d.x() * offset - n.x() * half,
                                      edge.start.y() - d.y() * offset - n.y() * half));
        std::vector<QRectF> pieces{band};
        for (const QRect& out : excluded) {
            std::vector<QRectF> kept;
            for (const QRectF& piece : pieces) {
                const QRectF cut = piece.intersected(QRectF(out));
                if (cut.isEmpty() || cut.left() > piece.left() || cut.right() < piece.right()) {
                    kept.push_back(piece);
                    continue;
                }
                if (cut.top() > piece.top())
                    kept.emplace_back(piece.left(), piece.top(), piece.width(), cut.top() - piece.top());
                if (cut.bottom() < piece.bottom())
                    kept.emplace_back(piece.left(), cut.bottom(), piece.width(),
                                      piece.bottom() - cut.bottom());
            }
            pieces = std::move(kept);
        }
        for (const QRectF& piece : pieces)
            painter.fillRect(piece, brush);
    }

    for (const StrokeGeometry::Corner& corner : geometry.corners) {
        const double reach = lineWidth / 2 + (shadow ? ShadowRadius : 0);
        if (!corner.circle.adjusted(-reach, -reach, reach, reach).intersects(clip))
            continue;
        QPainterPath arc;
        arc.arcMoveTo(corner.circle, corner.startAngle);
        arc.arcTo(corner.circle, corner.startAngle, -90);
        const double phase = corner.at + dashPhase;
        // A corner is too short for the shadow's rings to show: one stroke as wide as the middle one.
        if (shadow)
            painter.strokePath(arc, ZRFocusPen(calibratedWhite(0.0, ShadowOpacity / 2),
                                               lineWidth + ShadowRadius, dashPattern, phase));
        painter.strokePath(arc, ZRFocusPen(color, lineWidth, dashPattern, phase));
    }
}

void ZRFocusFillRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QColor& color,
                            const QRectF& clip) {
    const double r = roomyRadius(rect, radius);
    const auto px = [](double value) { return int(std::lround(value)); };
    const int x0 = px(rect.left()), x1 = px(rect.left() + r), x2 = px(rect.right() - r),
              x3 = px(rect.right());
    const int y0 = px(rect.top()), y1 = px(rect.top() + r), y2 = px(rect.bottom() - r),
              y3 = px(rect.bottom());
    const QRect visible = clip.toAlignedRect();
    const auto fill = [&](int left, int top, int right, int bottom) {
        const QRect piece = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(visible);
        if (!piece.isEmpty())
            painter.fillRect(piece, color);
    };
    fill(x1, y0, x2, y3);
    fill(x0, y1, x1, y2);
    fill(x2, y1, x3, y2);
    if (r <= 0)
        return;
    // Each corner is the same corner of a small rounded rectangle, which costs little to fill.
    const double side = 2 * r + 2;
    const std::pair<QRect, QPointF> corners[] = {
        {QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1)), rect.topLeft()},
        {QRect(QPoint(x2, y0), QPoint(x3, y1 - 1)), {rect.right() - side, rect.top()}},
        {QRect(QPoint(x0, y2), QPoint(x1 - 1, y3)), {rect.left(), rect.bottom() - side}},
        {QRect(QPoint(x2, y2), QPoint(x3, y3)), {rect.right() - side, rect.bottom() - side}}};
    for (const auto& [corner, origin] : corners) {
        const QRect piece = corner.intersected(visible);
        if (piece.isEmpty())
            continue;
        painter.save();
        painter.setClipRect(piece, Qt::IntersectClip);
        painter.fillPath(ZRFocusCreateRoundedPath(QRectF(origin, QSizeF(side, side)), r), color);
        painter.restore();
    }
}
