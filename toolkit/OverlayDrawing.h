#pragma once

#include <QImage>
#include <QRegion>

class QPainter;
class QWidget;

// How every overlay draws, with or without a compositing manager.
//
// With one, overlays draw translucency as designed: shadows, dimmed backgrounds, soft edges.
// Without one (many X11 desktops, the test display), a translucent or clear pixel of a window shows
// black instead of what lies beneath it. So no such pixel may reach the screen: an overlay paints
// opaque and shapes itself to what it draws (QWidget::setMask), pixels at least half opaque becoming
// opaque and the others cut away, and an overlay that would dim the screen around something draws no
// dimming at all (it would otherwise paint the screen black).
//
// The overlay bases follow the rule through paintOverlayPicture; an overlay that paints itself some
// other way asks overlayTranslucencyShows.

// Whether translucent pixels of the program's windows blend with what lies beneath: a compositing
// manager runs. True without a platform, where nothing can tell.
bool overlayTranslucencyShows();

// The overlay's picture as it may reach the screen without compositing: each pixel at least half opaque
// made opaque in its own colour, the others clear; and the region of the opaque ones.
struct OpaqueOverlayPicture {
    QImage image;
    QRegion shape;
};
OpaqueOverlayPicture opaqueOverlayPicture(const QImage& picture);

// Paints a picture drawn for the window (ARGB, at the window's device pixel ratio) at the top left of
// the painter by the rule: as it is with compositing, else opaque with the window shaped to it. The
// shape is cleared when compositing starts (OverlayWindow.h), before the overlay paints again.
void paintOverlayPicture(QPainter& painter, QWidget* window, const QImage& picture);

// Shapes the overlay to the region, or unshapes it with an empty one. Qt keeps a shape given while the window
// is hidden (its native window gone) for the next native window apart from the widget's own, and hands that
// to it whatever the widget was told since: both are set, or a window shown again would come back cut to an
// old picture.
void setOverlayShape(QWidget* window, const QRegion& shape);

// A clear picture the size of the widget at its device pixel ratio, to draw an overlay into.
QImage overlayCanvas(const QWidget* widget);
