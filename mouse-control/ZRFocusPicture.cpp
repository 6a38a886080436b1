#include "mouse-control/ZRFocusPicture.h"

#include "toolkit/Appearance.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>

namespace {

// The dimming and the outline are drawn only above this "Focus" value, unless displayed regardless.
constexpr double VisibleDimming = 0.1;
// An aperture within this of the whole window leaves nothing to dim.
constexpr double ApertureTolerance = 0.1;

// A side of the outline is at least this many times its stroke's width, so that tiny frames still show.
constexpr double OutlineMinimumSides = 3.0;
constexpr double SideTolerance = 0.1;
// Drop frames: the gap of the dashes around overlapping frames, beyond their width.
constexpr double OverlapGapExtra = 3.0;

const QColor DropFillColor = calibratedWhite(0.0, 0.2);
const QColor DropStrokeColor = calibratedWhite(0.8, 1.0);
const QColor OuterFillColor = calibratedWhite(1.0, 0.4);
const QColor StyleOneOuterColor = calibratedWhite(1.0, 0.97);
const QColor StyleTwoOuterColor = calibratedWhite(0.0, 0.9);
const QColor ShadowOuterColor = calibratedWhite(0.0, 0.1);
const QColor OuterColor = calibratedWhite(0.0, 0.2);
// The desktop's red for something that cannot be done.
const QColor AlertColor(255, 59, 48);

// Drawing coordinates (y down) of a rectangle given from the bottom left of bounds of this height.
QRectF drawingRect(const Rect& rect, double height) {
    return {rect.x(), height - rect.maxY(), rect.width(), rect.height()};
}

QColor opaqueColor(QColor color) {
    color.setAlphaF(1.0f);
    return color;
}

void paintShape(QPainter& painter, const ZRFocusShape& shape) {
    if (shape.fill.isValid())
        painter.fillPath(shape.path, shape.fill);
    if (shape.stroke.isValid())
        painter.strokePath(shape.path, ZRFocusPen(shape.stroke, shape.width, shape.dashPattern, 0));
}

// The pixels a stroke covers, for the window's shape.
QRegion strokeRegion(const QPainterPath& path, double width, const std::vector<double>& dashPattern) {
    QPainterPathStroker stroker(ZRFocusPen(Qt::black, width, dashPattern, 0));
    const QPainterPath outline = stroker.createStroke(path).simplified();
    QRegion region;
    // The simplified outline is filled even-odd: each contour toggles what it encloses.
    for (const QPolygonF& polygon : outline.toSubpathPolygons())
        region ^= QRegion(polygon.toPolygon(), Qt::OddEvenFill);
    return region;
}

} // namespace

ZRFocusPicture ZRFocusPicture::forScene(const ZRFocusScene& scene, const ZRFocusSettings& settings) {
    ZRFocusPicture picture;
    const Rect bounds(0, 0, scene.bounds.width, scene.bounds.height);
    if (bounds.isEmpty() || (settings.dimming <= VisibleDimming && !scene.displayRegardless))
        return picture;
    const double height = bounds.height();
    const double R = ZRFocusCornerRadius;
    picture.opaque = !scene.translucency;

    // The dimming cannot be drawn without translucency: it would paint the screen black.
    const bool dims = scene.translucency && settings.dimming > VisibleDimming &&
                      (!scene.dropFrames.empty() || !scene.apertureFrame.isEmpty()) &&
                      !scene.apertureFrame.insetBy(-ApertureTolerance, -ApertureTolerance).contains(bounds);
    if (dims) {
        ZRFocusShape dimming;
        dimming.path.addRect(drawingRect(bounds, height));
        if (scene.apertureFrame.intersects(bounds)) {
            picture.dimmingAperture = drawingRect(scene.apertureFrame, height);
            dimming.path.addPath(ZRFocusCreateRoundedPath(picture.dimmingAperture, R));
            dimming.path.setFillRule(Qt::OddEvenFill);
        } else {
            dimming.path.setFillRule(Qt::WindingFill);
        }
        dimming.fill = calibratedWhite(0.0, settings.dimming);
        picture.dimming = std::move(dimming);
    }

    const ZRFocusOutlineStyle style = ZRFocusOutlineStyle::forSettings(settings, scene.alert, scene.retina);
    picture.outlineStyle = style;
    const double L = style.lineWidth;
    const auto band = [&](const QPainterPath& path, const QColor& color, double width,
                          const std::vector<double>& dashPattern) {
        if (!picture.opaque)
            return;
        QRegion region = strokeRegion(path, width, dashPattern);
        picture.opaqueShape += region;
        picture.opaqueBands.emplace_back(std::move(region), opaqueColor(color));
    };

    if (!scene.dropFrames.empty()) {
        const double S = std::max(1.0, std::ceil(L) / 2);
        std::vector<Rect> frames = scene.dropFrames;
        if (!scene.dropFramesOverlap)
            std::reverse(frames.begin(), frames.end());
        QPainterPath drawn;
        for (const Rect& frame : frames) {
            if (!frame.intersects(bounds) || frame == scene.outlineFrame)
                continue;
            QPainterPath path = ZRFocusCreateRoundedPath(drawingRect(frame.insetBy(S / 2, S / 2), height), R);
            if (scene.dropFramesOverlap) {
                const QPainterPath whole = path;
                if (!drawn.isEmpty())
                    path = path.subtracted(drawn);
                drawn = drawn.united(whole);
            }
            picture.drops.push_back({path, scene.translucency ? DropFillColor : QColor(), {}, 0, {}});
            picture.drops.push_back({path, {}, DropStrokeColor, S, {}});
            band(path, DropStrokeColor, S, {});
        }
        if (scene.dropFramesOverlap && !drawn.isEmpty()) {
            picture.drops.push_back({drawn, {}, DropStrokeColor, S, {S, S + OverlapGapExtra}});
            band(drawn, DropStrokeColor, S, picture.drops.back().dashPattern);
        }
    }

    if (scene.outlineFrame.intersects(bounds)) {
        const double T = L + 2 * style.halo;
        Rect outline = scene.outlineFrame;
        const double least = OutlineMinimumSides * T;
        if (outline.width() < least - SideTolerance) {
            outline.origin.x -= std::floor((least - outline.width()) / 2);
            outline.size.width = least;
        }
        if (outline.height() < least - SideTolerance) {
            outline.origin.y -= std::floor((least - outline.height()) / 2);
            outline.size.height = least;
        }
        const QRectF rect = drawingRect(outline.insetBy(T / 2, T / 2), height);
        const QColor outerStroke = style.style == 1   ? StyleOneOuterColor
                                   : style.style == 2 ? StyleTwoOuterColor
                                   : style.shadow     ? ShadowOuterColor
                                                      : OuterColor;
        picture.outerOutline = ZRFocusRoundedStroke{rect, R - 1, T, outerStroke, {}, false};
        if (dims)
            picture.outlineFillColor = OuterFillColor;
        band(picture.outerOutline->path(), outerStroke, T, {});
        const QColor innerStroke = scene.alert        ? AlertColor
                                   : style.style == 1 ? overlaySelectedControlColor()
                                                      : QColor(Qt::white);
        picture.innerOutline = ZRFocusRoundedStroke{
            rect, R - 1, L, innerStroke, style.dashPattern, style.shadow && scene.translucency};
    }
    return picture;
}

double ZRFocusPicture::outlineReach() const {
    // The pulse doubles the line, and the shadow reaches beyond it.
    return std::max(outerOutline->width, 2 * innerOutline->width) / 2 + ZRFocusRoundedStroke::ShadowRadius +
           1;
}

std::vector<QRect> ZRFocusPicture::outlineDirtyRects() const {
    if (!outerOutline)
        return {};
    const double reach = outlineReach();
    const QRectF rect = outerOutline->rect;
    const QRect outer = rect.adjusted(-reach, -reach, reach, reach).toAlignedRect();
    const QRect left = leftBand();
    if (left.isEmpty())
        return {outer};
    const int depth = left.top() - outer.top();
    return {QRect(outer.left(), outer.top(), outer.width(), depth),
            QRect(outer.left(), left.bottom() + 1, outer.width(), outer.bottom() - left.bottom()), left,
            rightBand()};
}

QRect ZRFocusPicture::leftBand() const {
    if (!outerOutline)
        return {};
    const double reach = outlineReach();
    const QRectF rect = outerOutline->rect;
    const int depth = int(std::ceil(outerOutline->effectiveRadius() + reach)) + 1;
    const QRect outer = rect.adjusted(-reach, -reach, reach, reach).toAlignedRect();
    const int width = int(std::ceil(rect.left() + reach)) - outer.left();
    if (outer.height() <= 2 * depth + 1 || outer.width() <= 2 * width + 1)
        return {};
    return {outer.left(), outer.top() + depth, width, outer.height() - 2 * depth};
}

QRect ZRFocusPicture::rightBand() const {
    const QRect left = leftBand();
    if (left.isEmpty())
        return {};
    const double reach = outlineReach();
    const QRectF rect = outerOutline->rect;
    const QRect outer = rect.adjusted(-reach, -reach, reach, reach).toAlignedRect();
    const int x = int(std::floor(rect.right() - reach));
    return {x, left.top(), outer.right() + 1 - x, left.height()};
}

void ZRFocusPicture::paintLayers(QPainter& painter, const QRectF& clip, double dashPhase, double pulse,
                                 bool outlineSides) const {
    std::vector<QRect> excluded;
    if (!outlineSides)
        excluded = {leftBand(), rightBand()};
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (opaque) {
        // The wide strokes fill exactly the window's shape, so no pixel of it is left translucent.
        const QRect area = clip.toAlignedRect();
        for (const auto& [region, color] : opaqueBands)
            for (const QRect& rect : region.intersected(area))
                painter.fillRect(rect, color);
        if (innerOutline) {
            painter.save();
            painter.setClipRegion(opaqueShape, Qt::IntersectClip);
            innerOutline->paint(painter, dashPhase, pulse, clip, excluded);
            painter.restore();
        }
        return;
    }
    if (dimming) {
        // The first layer, on clear pixels: it replaces them, which costs less than blending; away from the
        // aperture a plain rectangle.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (dimmingAperture.intersects(clip))
            painter.fillPath(dimming->path, dimming->fill);
        else
            painter.fillRect(clip, dimming->fill);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    for (const ZRFocusShape& drop : drops)
        paintShape(painter, drop);
    if (outlineFillColor.isValid() && outerOutline)
        ZRFocusFillRoundedRect(painter, outerOutline->rect, outerOutline->radius, outlineFillColor, clip);
    if (outerOutline)
        outerOutline->paint(painter, 0, 0, clip, excluded);
    if (innerOutline)
        innerOutline->paint(painter, dashPhase, pulse, clip, excluded);
}

void ZRFocusPicture::paint(QPainter& painter, const QRect& dirty, double dashPhase, double pulse) const {
    const std::vector<QRect> sides = {leftBand(), rightBand()};
    const bool withinASide =
        std::any_of(sides.begin(), sides.end(), [&](const QRect& side) { return side.contains(dirty); });
    if (!withinASide) {
        painter.save();
        painter.setClipRect(dirty, Qt::IntersectClip);
        paintLayers(painter, dirty, dashPhase, pulse, sides.front().isEmpty());
        painter.restore();
    }
    // The sides are painted lying down, where each row of the painter's work is long, then turned upright.
    for (const QRect& side : sides) {
        const QRect part = side.intersected(dirty);
        if (part.isEmpty())
            continue;
        const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        QImage lying((QSizeF(part.height(), part.width()) * ratio).toSize(),
                     QImage::Format_ARGB32_Premultiplied);
        lying.setDevicePixelRatio(ratio);
        lying.fill(Qt::transparent);
        {
            QPainter lyingPainter(&lying);
            lyingPainter.setTransform(QTransform(0, -1, 1, 0, -part.top(), part.left() + part.width()));
            paintLayers(lyingPainter, part, dashPhase, pulse, true);
        }
        QImage upright = lying.transformed(QTransform().rotate(90));
        upright.setDevicePixelRatio(ratio);
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(part.topLeft(), upright);
        painter.restore();
    }
}
