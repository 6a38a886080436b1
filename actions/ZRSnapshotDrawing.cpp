#include "actions/ZRSnapshotDrawing.h"

#include "platform/Geometry.h"
#include "toolkit/Appearance.h"
#include "toolkit/BandedFill.h"
#include "toolkit/Drawing.h"
#include "toolkit/ZRLaidOutString.h"
#include "window-access/WindowDescription.h"

#include <QGuiApplication>
#include <QPainter>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// The windows are mapped onto the rectangle grown by this much, so that windows flush with the screen's
// edges reach the rectangle's edges with their antialiased borders.
constexpr double MappingOutset = 0.5;
// Windows thinner than this grow by SmallWindowGrowth on every side.
constexpr double MinimumWindowSide = 2;
constexpr double SmallWindowGrowth = 1;
// The colour fill leaves this much of the white (or cut-out) fill around it.
constexpr double BorderInset = 0.5;
constexpr double LabelAlpha = 0.2;
// In device pixels.
constexpr double InvisibleCornerRadius = 1;
const QString MissingApplicationName = QStringLiteral("?");

constexpr std::size_t NoScreen = std::numeric_limits<std::size_t>::max();

const QVariantMap& descriptionOf(const QVariant& value) {
    static const QVariantMap empty;
    return value.typeId() == QMetaType::QVariantMap ? *static_cast<const QVariantMap*>(value.constData())
                                                    : empty;
}

// The text under the key, read in place: layouts are read on every draw.
const QString& textOf(const QVariantMap& description, const QString& key) {
    static const QString none;
    const auto it = description.constFind(key);
    return it != description.cend() && it->typeId() == QMetaType::QString
               ? *static_cast<const QString*>(it->constData())
               : none;
}

Rect rectOf(const QVariantMap& description, const QString& key) {
    return rectFromString(textOf(description, key));
}

struct ScreenWindows {
    std::size_t numberOfScreens = 0;
    Rect reference;
    std::vector<Rect> frames;   // front to back
    std::vector<QString> names; // only when asked for
};

// One walk over the layout: counts its screens and gathers the windows of one of them.
ScreenWindows windowsOfScreen(const QVariantList& snapshot, std::size_t screenIndex, bool withNames) {
    ScreenWindows result;
    // Layouts repeat one text for every window of a screen: each distinct text is read once.
    std::vector<std::pair<QString, std::size_t>> texts;
    std::vector<Rect> screens;
    bool hasUsableFrame = false;
    for (const QVariant& value : snapshot) {
        const QVariantMap& description = descriptionOf(value);
        const QString& text = textOf(description, ZRWindowDescriptionKey::ScreenFrame);
        std::size_t screen = NoScreen;
        for (const auto& [known, index] : texts) {
            if (known == text) {
                screen = index;
                break;
            }
        }
        if (screen == NoScreen) {
            const Rect frame = rectFromString(text);
            screen = std::size_t(std::find(screens.begin(), screens.end(), frame) - screens.begin());
            if (screen == screens.size())
                screens.push_back(frame);
            texts.emplace_back(text, screen);
        }
        if (screen != screenIndex)
            continue;
        result.frames.push_back(rectOf(description, ZRWindowDescriptionKey::WindowFrame));
        if (!hasUsableFrame) {
            const Rect usable = rectOf(description, ZRWindowDescriptionKey::AvailableScreenFrame);
            hasUsableFrame = !usable.isEmpty();
            if (hasUsableFrame)
                result.reference = usable;
        }
        if (withNames) {
            const QString& name = textOf(description, ZRWindowDescriptionKey::ApplicationName);
            result.names.push_back(name.isEmpty() ? MissingApplicationName : name);
        }
    }
    result.numberOfScreens = screens.size();
    if (!hasUsableFrame && screenIndex < screens.size())
        result.reference = screens[screenIndex];
    return result;
}

bool isFinite(const QRectF& r) {
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) &&
           std::isfinite(r.height());
}

} // namespace

ZRSnapshotScreenPicture ZRSnapshotScreenPictureInRect(const QVariantList& snapshot, std::size_t screenIndex,
                                                      const QRectF& rect, unsigned labelPriority) {
    const bool names = labelPriority >= ZRSnapshotLabelNames;
    ScreenWindows windows = windowsOfScreen(snapshot, screenIndex, names);
    ZRSnapshotScreenPicture picture;
    picture.numberOfScreens = windows.numberOfScreens;
    const Rect& f = windows.reference;
    // A screen recorded without any size has nothing to map from.
    if (windows.frames.empty() || f.isEmpty() || !f.isFinite())
        return picture;
    const bool numbers = labelPriority == ZRSnapshotLabelNumbers && windows.frames.size() > 1;
    const QRectF r = rect.adjusted(-MappingOutset, -MappingOutset, MappingOutset, MappingOutset);
    const double sx = r.width() / f.width();
    const double sy = r.height() / f.height();
    picture.windows.reserve(windows.frames.size());
    for (std::size_t i = windows.frames.size(); i-- > 0;) {
        const Rect& w = windows.frames[i];
        // Layout frames are y up, from the bottom of the screen; the painter's are y down.
        const double width = w.width() * sx;
        const double height = w.height() * sy;
        QRectF mapped(r.x() + (w.x() - f.x()) * sx, r.bottom() - (w.y() - f.y()) * sy - height, width,
                      height);
        if (!(width > 0) || !(height > 0) || !isFinite(mapped))
            continue;
        if (width < MinimumWindowSide || height < MinimumWindowSide)
            mapped.adjust(-SmallWindowGrowth, -SmallWindowGrowth, SmallWindowGrowth, SmallWindowGrowth);
        QString label;
        if (names)
            label = std::move(windows.names[i]);
        else if (numbers)
            label = QString::number(i + 1);
        picture.windows.push_back({mapped, std::move(label)});
    }
    return picture;
}

std::size_t numberOfScreensInSnapshot(const QVariantList& snapshot, QPainter& painter,
                                      std::size_t screenIndex, const QRectF& rect,
                                      const ZRSnapshotDrawingOptions& options) {
    const ZRSnapshotScreenPicture picture =
        ZRSnapshotScreenPictureInRect(snapshot, screenIndex, rect, options.labelPriority);
    if (picture.windows.empty())
        return picture.numberOfScreens;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainter::CompositionMode mode = painter.compositionMode();
    // Rounding under a pixel does not show, and square fills cost a fraction of rounded ones.
    const bool square = options.radius * painter.deviceTransform().m11() < InvisibleCornerRadius;
    const QColor clear(Qt::transparent);
    const QColor white(Qt::white);
    auto fill = [&](const QRectF& r, const QColor& color) {
        // Layout windows are tall enough that Qt would hand their fills to threads.
        if (square)
            ZRFillRectInBands(painter, r, color);
        else
            ZRFillPathInBands(painter, ZRRectPathWithCornerRadius(r, options.radius), color);
    };
    for (const ZRSnapshotScreenPicture::Window& window : picture.windows) {
        if (!options.asPreview) {
            if (options.eraseBorder) {
                painter.setCompositionMode(QPainter::CompositionMode_Source);
                fill(window.frame, clear);
                painter.setCompositionMode(mode);
            } else {
                fill(window.frame, white);
            }
        }
        fill(window.frame.adjusted(BorderInset, BorderInset, -BorderInset, -BorderInset), options.color);
    }
    const QFont font = QGuiApplication::font();
    const QColor textColor = calibratedWhite(options.emphasis, LabelAlpha);
    for (const ZRSnapshotScreenPicture::Window& window : picture.windows) {
        if (window.label.isEmpty())
            continue;
        const ZRLaidOutString label(window.label, font, ZRTextAttributes().alignment, painter);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        label.draw(painter, Qt::transparent, window.frame);
        painter.setCompositionMode(mode);
        label.draw(painter, textColor, window.frame);
    }
    painter.restore();
    return picture.numberOfScreens;
}

std::size_t numberOfScreensInSnapshot(const QVariantList& snapshot) {
    return windowsOfScreen(snapshot, NoScreen, false).numberOfScreens;
}

std::size_t drawSnapshot(QPainter& painter, const QVariantList& snapshot, const QRectF& rect,
                         const QColor& color, bool eraseBorder, double radius) {
    return numberOfScreensInSnapshot(snapshot, painter, 0, rect,
                                     {color, false, ZRSnapshotLabelNone, -1, eraseBorder, radius});
}
