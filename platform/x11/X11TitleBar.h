#pragma once

#include "platform/Geometry.h"
#include "platform/x11/X11WindowInfo.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The buttons a window manager draws in the title bars of its frames, laid out as openbox lays
// them: a layout of letters (N icon, D all desktops, S shade, L label, I iconify, M maximise,
// C close), items left of the label from the left edge, the others from the right edge.
enum class X11TitleButton { Minimize, Zoom, Close };

struct X11TitleBarMetrics {
    int paddingX = 3;
    int paddingY = 2;
};

struct X11TitleButtonRect {
    X11TitleButton button;
    Rect rect;
};

class X11TitleBar {
public:
    // The layout openbox uses when its configuration names none.
    static inline const QString DefaultLayout = QStringLiteral("NLIMC");

    // The <titleLayout> of an openbox configuration; empty when it has none.
    static QString openboxTitleLayout(const QByteArray& configuration);
    // The paddings of an openbox theme (themerc); the defaults for what it does not say.
    static X11TitleBarMetrics openboxThemeMetrics(const QByteArray& themerc);

    // The buttons of a frame (in any coordinates) with its extents; none when it has no title bar.
    static std::vector<X11TitleButtonRect> buttonRects(const Rect& frame, const X11Extents& extents,
                                                       const QString& layout,
                                                       const X11TitleBarMetrics& metrics);
};
