#pragma once

#include "platform/Geometry.h"
#include "platform/x11/X11WindowInfo.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
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

// Buttons side by side from each end of the title bar, as the window managers other than openbox lay
// them. The title bar lies inside the side borders, below the top border (as thick as a side border),
// down to the client or to a border line above it.
struct X11TitleButtonRow {
    struct Slot {
        std::optional<X11TitleButton> button; // none for the buttons of no interest (menu, shade, stick)
        int width = 0;                        // 0: as wide as the button is high
    };
    std::vector<Slot> left;  // from the left end inwards
    std::vector<Slot> right; // from the right end inwards
    int edgeGap = 0;         // between a side border and the outermost button
    int spacing = 0;         // between neighbours
    int verticalGap = 0;     // between the title bar's top or bottom and the buttons
    bool borderBelowTitle = false;
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
    static std::vector<X11TitleButtonRect> buttonRects(const Rect& frame, const X11Extents& extents,
                                                       const X11TitleButtonRow& row);

    // The value of a "key=value" or "key: value" line of a configuration or theme file, unquoted;
    // empty when no line sets it. Lines starting with # are comments.
    static QString settingValue(const QByteArray& text, const QString& key, QChar separator);
    // A property of an xfconf channel file, wherever it is nested; empty when absent.
    static QString xfconfValue(const QByteArray& channel, const QString& property);

    // xfwm4's button_layout ("O|SHMC": menu, stick, shade, hide, maximise, close on either side of the
    // title |), with the theme's button_offset and button_spacing and the width of each letter's image.
    static X11TitleButtonRow xfwm4Row(const QString& layout, int offset, int spacing,
                                      const std::function<int(QChar)>& widthOf);
    // icewm's TitleButtonsLeft and TitleButtonsRight (each from its end inwards: x close, m maximise,
    // i minimise, and others), of which only those TitleButtonsSupported lists are drawn.
    static X11TitleButtonRow icewmRow(const QString& left, const QString& right, const QString& supported,
                                      const std::function<int(QChar)>& widthOf);
    // fluxbox's titlebar.left and titlebar.right (words, left to right), square buttons inside the
    // style's bevel.
    static X11TitleButtonRow fluxboxRow(const QString& left, const QString& right, int bevel);
    // The GNOME form of a button layout ("menu:minimize,maximize,close"), buttons of one size.
    static X11TitleButtonRow gnomeRow(const QString& layout, int width, int edgeGap, int spacing,
                                      int verticalGap);
};
